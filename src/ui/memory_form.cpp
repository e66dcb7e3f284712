#include "ui/memory_form.h"

#include "model/state.h"
#include "ui/screen.h"

namespace orvant::ui {

Workbench::FormFactory MemoryDesk::factory() {
  return [this](Screen& screen) { return std::make_unique<MemoryForm>(screen, *this); };
}

MemoryForm::MemoryForm(Screen& screen, MemoryDesk& desk) : Form(screen), desk_(desk) {
  for (const Control& c : screen.controls()) {
    switch (c.kind) {
      case Kind::Field:
      case Kind::Text:
        texts_.emplace(c.id, c.text);
        break;
      case Kind::Check:
        checks_.emplace(c.id, c.on);
        break;
      case Kind::Options:
        ints_.emplace(c.id, c.entry);
        break;
      case Kind::Scroll:
        ints_.emplace(c.id, c.position);
        break;
      case Kind::Table:
        cells_.emplace(c.id, std::vector<std::vector<std::string>>(
                                 static_cast<std::size_t>(c.rows),
                                 std::vector<std::string>(c.columns.size())));
        break;
      case Kind::Picture:
        canvases_.emplace(c.id, std::make_unique<MemoryCanvas>(c.widthCm, c.heightCm));
        break;
      default:
        break;
    }
  }
}

MemoryCanvas& MemoryForm::memoryCanvas(std::string_view id) {
  return static_cast<MemoryCanvas&>(canvas(id));
}

std::string MemoryForm::readText(const Control& c) const { return texts_.find(c.id)->second; }

void MemoryForm::writeText(const Control& c, std::string_view text) {
  texts_.find(c.id)->second = text;
}

void MemoryForm::addLine(const Control& c, std::string_view line) {
  std::string& t = texts_.find(c.id)->second;
  if (!t.empty()) t += '\n';
  t += line;
}

bool MemoryForm::readCheck(const Control& c) const { return checks_.find(c.id)->second; }
void MemoryForm::writeCheck(const Control& c, bool on) { checks_.find(c.id)->second = on; }
int MemoryForm::readOption(const Control& c) const { return ints_.find(c.id)->second; }
void MemoryForm::writeOption(const Control& c, int entry) { ints_.find(c.id)->second = entry; }
int MemoryForm::readPosition(const Control& c) const { return ints_.find(c.id)->second; }
void MemoryForm::writePosition(const Control& c, int position) { ints_.find(c.id)->second = position; }

std::string MemoryForm::readCell(const Control& c, int row, int col) const {
  return cells_.find(c.id)->second[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

void MemoryForm::writeCell(const Control& c, int row, int col, std::string_view text) {
  cells_.find(c.id)->second[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] = text;
}

Canvas& MemoryForm::canvasOf(const Control& c) { return *canvases_.find(c.id)->second; }

void MemoryForm::log(Dialog d) {
  d.screen = screen().number();
  desk_.dialogs_.push_back(d);
  if (desk_.listener_) desk_.listener_(desk_.dialogs_.back());
}

void MemoryForm::showMessage(std::string_view text, std::string_view title) {
  Dialog d;
  d.title = title;
  d.text = text;
  log(std::move(d));
}

bool MemoryForm::askQuestion(std::string_view text, std::string_view title) {
  Dialog d;
  d.question = true;
  d.title = title;
  d.text = text;
  if (!desk_.answers_.empty()) {
    d.answer = desk_.answers_.front();
    desk_.answers_.pop_front();
  }
  const bool answer = d.answer;
  log(std::move(d));
  return answer;
}

void MemoryForm::pumpEvents() {
  ++desk_.displays_;
  if (desk_.displayListener_) desk_.displayListener_(desk_.displays_);
  if (desk_.limit_ >= 0 && desk_.displays_ >= desk_.limit_) screen().state().kStop = 1;
}

}  // namespace orvant::ui
