// orvant: the workbench window.
//
// Usage: orvant [--dir DIR] [--help]. The work directory is DIR, else $ORVANT_DIR, else ~/Orvant.
// The program opens the start screen; "Выход" on a screen, or closing the last window, ends it.
// --help prints the options and ends before any window or folder is made.
#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>

#include "app/screens.h"
#include "app/workdir_setup.h"
#include "model/messages.h"
#include "model/state.h"
#include "ui/qt/qt_form.h"
#include "ui/workbench.h"

namespace {

constexpr const char* kHelp =
    "Использование: orvant [--dir КАТАЛОГ] [параметры Qt]\n"
    "Рабочее место численных экспериментов с Солнечной системой.\n"
    "  --dir КАТАЛОГ  каталог программы (по умолчанию $ORVANT_DIR, иначе ~/Orvant);\n"
    "                 при первом запуске в нем создаются Dat, JPL, Tab и другие папки\n"
    "  --help, -h     эта справка\n"
    "Без окна те же экраны доступны через orvant-cli (orvant-cli --help).\n";

// --help and a --dir without its folder are answered before Qt starts: nothing is opened or made.
// Returns the exit status, or -1 to go on.
int earlyArguments(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::fputs(kHelp, stdout);
      return 0;
    }
    if (a == "--dir" && i + 1 >= argc) {
      std::fprintf(stderr, "orvant: после --dir нет каталога\n%s", kHelp);
      return 2;
    }
    if (a == "--dir") ++i;
  }
  return -1;
}

std::string workDirectory(const QStringList& args) {
  for (qsizetype i = 1; i + 1 < args.size(); ++i)
    if (args[i] == "--dir") return args[i + 1].toStdString();
  if (const char* env = std::getenv("ORVANT_DIR"); env && *env) return env;
  if (const char* home = std::getenv("HOME"); home && *home)
    return (std::filesystem::path(home) / "Orvant").string();
  return "Orvant";
}

}  // namespace

int main(int argc, char** argv) {
  if (const int status = earlyArguments(argc, argv); status >= 0) return status;
  QApplication app(argc, argv);
  QApplication::setApplicationName("Orvant");

  orvant::State state;
  state.workDir = workDirectory(QApplication::arguments());
  // First start: the DE405 blocks and the workbooks the sources need (nothing to do afterwards).
  for (const auto& line : orvant::app::prepareWorkDir(state.workDir).skipped)
    std::fprintf(stderr, "orvant: %s\n", line.c_str());

  orvant::ui::Workbench workbench(state, orvant::ui::qtForms());
  // "Выход": the windows close and the event loop ends once the running command has returned.
  workbench.setQuitHandler([] {
    QApplication::closeAllWindows();
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
  });
  // Closing the last window ends the program as "Выход" does (a running loop stops).
  QObject::connect(&app, &QGuiApplication::lastWindowClosed, [&workbench] {
    if (!workbench.quitting()) workbench.quit();
  });
  orvant::registerAllScreens(workbench);

  const QString title = QString::fromUtf8(orvant::kTitle7.data(), orvant::kTitle7.size());
  if (!workbench.has(orvant::kStartScreen)) {
    QMessageBox::critical(nullptr, title, QString("Стартовый экран %1 недоступен").arg(orvant::kStartScreen));
    return 1;
  }
  try {
    workbench.show(orvant::kStartScreen);
  } catch (const std::exception& e) {
    QMessageBox::critical(nullptr, title, QString::fromStdString(e.what()));
    return 1;
  }
  if (workbench.quitting()) return 0;
  return QApplication::exec();
}
