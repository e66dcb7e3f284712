#include "help/files_screen.h"

#include <filesystem>
#include <system_error>

#include "model/paths.h"
#include "model/state.h"
#include "ui/form.h"

namespace orvant::help {

std::string filesText(const std::string& workDir) {
  namespace fs = std::filesystem;
  std::string text = "Каталог программы: " + (workDir.empty() ? std::string(".") : workDir) + "\n";
  text += "Все пути ниже — относительно него; <N> — номер объекта (Луна — 11), <k> — номер плана, "
          "<e> — номер опыта.\n";
  for (const paths::Folder& folder : paths::folders()) {
    std::error_code ec;
    const bool fixed = folder.name.find('<') == std::string::npos;
    const bool exists = fixed && fs::is_directory(fs::path(workDir) / folder.name, ec);
    text += "\n" + folder.name + "/ — " + folder.text;
    if (fixed) text += exists ? " (есть)" : " (пока нет)";
    text += "\n";
    for (const paths::FileFamily& f : paths::fileFamilies()) {
      if (f.folder != folder.name) continue;
      text += "  " + f.pattern + " — " + f.title + ".\n      " + f.text + "\n";
    }
  }
  return text;
}

FilesScreen::FilesScreen(State& s, ui::Workbench& wb) : Screen(s, wb, "Файловая система") {
  label("intro", "Дерево каталогов программы и что хранит каждый файл.").at(0, 0).span(1, 2);
  textArea("text", "", "").at(1, 0).span(1, 2).locked().chars(100).lines(30);
  button("refresh", "Обновить", [this] { fill(); })
      .at(2, 0)
      .tip("Заново проверить, какие каталоги уже есть в каталоге программы");
  button("close", "Закрыть форму", [this] { close(); }).at(2, 1).tip("Закрыть описание файловой системы");
}

void FilesScreen::opened() { fill(); }
void FilesScreen::activated() { fill(); }

void FilesScreen::fill() { form().setText("text", filesText(state().workDir)); }

}  // namespace orvant::help
