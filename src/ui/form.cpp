#include "ui/form.h"

#include <algorithm>
#include <stdexcept>

#include "model/format.h"
#include "ui/screen.h"
#include "ui/workbench.h"

namespace orvant::ui {

Form::Form(Screen& screen) : screen_(screen) {
  for (const Control& c : screen.controls()) {
    if (!c.group.empty()) {
      const Control* g = screen.find(c.group);
      if (!g || g->kind != Kind::Group)
        throw std::logic_error("control \"" + c.id + "\": \"" + c.group + "\" is not a group");
    }
    Look look;
    look.caption = c.caption;
    look.columns = c.columns;
    look_.emplace(c.id, std::move(look));
    if (c.kind == Kind::Hidden) hidden_.emplace(c.id, c.text);
  }
}

Form::~Form() = default;

const Control& Form::need(std::string_view id, std::initializer_list<Kind> kinds) const {
  const Control& c = screen_.control(id);
  if (kinds.size() != 0 && std::find(kinds.begin(), kinds.end(), c.kind) == kinds.end())
    throw std::logic_error("control \"" + c.id + "\" is a " + kindName(c.kind) +
                           ", not usable this way");
  return c;
}

bool Form::usable(const Control& c) const {
  // A control is usable when it and every group holding it are enabled and visible.
  for (const Control* k = &c; k;) {
    const Look& look = look_.find(k->id)->second;
    if (!look.enabled || !look.visible) return false;
    k = k->group.empty() ? nullptr : screen_.find(k->group);
  }
  return true;
}

void Form::checkEntry(const Control& c, int entry) const {
  if (entry < -1 || entry >= static_cast<int>(c.entries.size()))
    throw std::out_of_range("options \"" + c.id + "\": no entry " + std::to_string(entry));
}

void Form::checkCell(const Control& c, int row, int col) const {
  if (row < 0 || row >= c.rows || col < 0 || col >= static_cast<int>(c.columns.size()))
    throw std::out_of_range("table \"" + c.id + "\": no cell " + std::to_string(row) + ", " +
                            std::to_string(col));
}

// ---- values ----

std::string Form::text(std::string_view id) const {
  const Control& c = need(id, {Kind::Field, Kind::Text, Kind::Label, Kind::Hidden});
  if (c.kind == Kind::Label) return look_.find(id)->second.caption;
  if (c.kind == Kind::Hidden) return hidden_.find(id)->second;
  return readText(c);
}

void Form::setText(std::string_view id, std::string_view text) {
  const Control& c = need(id, {Kind::Field, Kind::Text, Kind::Label, Kind::Hidden});
  switch (c.kind) {
    case Kind::Label:
      look_.find(id)->second.caption = text;
      writeCaption(c, text);
      break;
    case Kind::Hidden:
      hidden_.find(id)->second = text;
      if (c.command) screen_.workbench().post(screen_, c.command);
      break;
    default:
      writeText(c, text);
  }
}

std::optional<double> Form::number(std::string_view id) const { return parseNumber(text(id)); }

std::optional<DateInput> Form::date(std::string_view day, std::string_view month,
                                    std::string_view year) const {
  return checkDate(number(day), number(month), number(year));
}

std::optional<double> Form::numberIn(std::string_view id, double lo, double hi) const {
  return checkNumber(number(id), lo, hi);
}

std::optional<std::int64_t> Form::wholeIn(std::string_view id, std::int64_t lo, std::int64_t hi) const {
  return checkWhole(number(id), lo, hi);
}

void Form::setNumber(std::string_view id, double value, int decimals) {
  setText(id, screenNumber(value, decimals));
}

void Form::appendLine(std::string_view id, std::string_view line) {
  addLine(need(id, {Kind::Text}), line);
}

bool Form::checked(std::string_view id) const { return readCheck(need(id, {Kind::Check})); }

void Form::setChecked(std::string_view id, bool on) { writeCheck(need(id, {Kind::Check}), on); }

int Form::option(std::string_view id) const { return readOption(need(id, {Kind::Options})); }

void Form::setOption(std::string_view id, int entry) {
  const Control& c = need(id, {Kind::Options});
  checkEntry(c, entry);
  writeOption(c, entry);
}

int Form::position(std::string_view id) const { return readPosition(need(id, {Kind::Scroll})); }

void Form::setPosition(std::string_view id, int position) {
  const Control& c = need(id, {Kind::Scroll});
  writePosition(c, std::clamp(position, c.min, c.max));
}

std::string Form::cell(std::string_view id, int row, int col) const {
  const Control& c = need(id, {Kind::Table});
  checkCell(c, row, col);
  return readCell(c, row, col);
}

void Form::setCell(std::string_view id, int row, int col, std::string_view text) {
  const Control& c = need(id, {Kind::Table});
  checkCell(c, row, col);
  writeCell(c, row, col, text);
}

std::optional<double> Form::cellNumber(std::string_view id, int row, int col) const {
  return parseNumber(cell(id, row, col));
}

void Form::setCellNumber(std::string_view id, int row, int col, double value, int decimals) {
  setCell(id, row, col, screenNumber(value, decimals));
}

// ---- appearance ----

void Form::setCaption(std::string_view id, std::string_view caption) {
  const Control& c = need(id, {});
  if (c.kind == Kind::Hidden) throw std::logic_error("hidden field \"" + c.id + "\" has no caption");
  look_.find(id)->second.caption = caption;
  writeCaption(c, caption);
}

std::string Form::caption(std::string_view id) const {
  need(id, {});
  return look_.find(id)->second.caption;
}

void Form::setColumnCaption(std::string_view id, int col, std::string_view caption) {
  const Control& c = need(id, {Kind::Table});
  if (col < 0 || col >= static_cast<int>(c.columns.size()))
    throw std::out_of_range("table \"" + c.id + "\": no column " + std::to_string(col));
  look_.find(id)->second.columns[static_cast<std::size_t>(col)] = caption;
  writeColumnCaption(c, col, caption);
}

std::string Form::columnCaption(std::string_view id, int col) const {
  const Control& c = need(id, {Kind::Table});
  if (col < 0 || col >= static_cast<int>(c.columns.size()))
    throw std::out_of_range("table \"" + c.id + "\": no column " + std::to_string(col));
  return look_.find(id)->second.columns[static_cast<std::size_t>(col)];
}

void Form::setEnabled(std::string_view id, bool enabled) {
  const Control& c = need(id, {});
  look_.find(id)->second.enabled = enabled;
  if (c.kind != Kind::Hidden) writeEnabled(c, enabled);
}

void Form::setVisible(std::string_view id, bool visible) {
  const Control& c = need(id, {});
  look_.find(id)->second.visible = visible;
  if (c.kind != Kind::Hidden) writeVisible(c, visible);
}

bool Form::enabled(std::string_view id) const {
  need(id, {});
  return look_.find(id)->second.enabled;
}

bool Form::visible(std::string_view id) const {
  const Control& c = need(id, {});
  return c.kind != Kind::Hidden && look_.find(id)->second.visible;
}

void Form::setEntryEnabled(std::string_view id, int entry, bool enabled) {
  const Control& c = need(id, {Kind::Options});
  checkEntry(c, entry);
  look_.find(id)->second.entryEnabled[entry] = enabled;
  writeEntryEnabled(c, entry, enabled);
}

void Form::setEntryVisible(std::string_view id, int entry, bool visible) {
  const Control& c = need(id, {Kind::Options});
  checkEntry(c, entry);
  look_.find(id)->second.entryVisible[entry] = visible;
  writeEntryVisible(c, entry, visible);
}

Canvas& Form::canvas(std::string_view id) { return canvasOf(need(id, {Kind::Picture})); }

// ---- window and dialogs ----

void Form::show() { showWindow(); }
void Form::hide() { hideWindow(); }
bool Form::shown() const { return windowShown(); }
void Form::message(std::string_view text, std::string_view title) { showMessage(text, title); }
bool Form::ask(std::string_view text, std::string_view title) { return askQuestion(text, title); }
void Form::processEvents() {
  ++pumping_;
  try {
    pumpEvents();
  } catch (...) {
    --pumping_;
    throw;
  }
  --pumping_;
}

// ---- user actions ----

void Form::userChanged(const Control& c) {
  if (c.command) screen_.workbench().run(screen_, c.command);
}

void Form::userClicked(const Control& c, double xCm, double yCm, MouseButton button) {
  if (!c.mouse || !usable(c)) return;
  Canvas& pic = canvasOf(c);
  const double x = pic.fromCmX(xCm), y = pic.fromCmY(yCm);
  screen_.workbench().run(screen_, [&c, x, y, button] { c.mouse(x, y, button); });
}

bool Form::press(std::string_view id) {
  const Control& c = need(id, {Kind::Button});
  if (!usable(c)) return false;
  screen_.workbench().run(screen_, c.command);
  return true;
}

bool Form::type(std::string_view id, std::string_view text) {
  const Control& c = need(id, {Kind::Field, Kind::Text});
  if (!usable(c) || c.readOnly) return false;
  if (readText(c) == text) return true;
  writeText(c, text);
  userChanged(c);
  return true;
}

bool Form::tick(std::string_view id, bool on) {
  const Control& c = need(id, {Kind::Check});
  if (!usable(c)) return false;
  if (readCheck(c) == on) return true;
  writeCheck(c, on);
  userChanged(c);
  return true;
}

bool Form::choose(std::string_view id, int entry) {
  const Control& c = need(id, {Kind::Options});
  if (entry < 0) throw std::out_of_range("options \"" + c.id + "\": no entry " + std::to_string(entry));
  checkEntry(c, entry);
  const Look& look = look_.find(id)->second;
  const auto flag = [entry](const std::map<int, bool>& m) {
    const auto it = m.find(entry);
    return it == m.end() || it->second;
  };
  if (!usable(c) || !flag(look.entryEnabled) || !flag(look.entryVisible)) return false;
  if (readOption(c) == entry) return true;
  writeOption(c, entry);
  userChanged(c);
  return true;
}

bool Form::typeCell(std::string_view id, int row, int col, std::string_view text) {
  const Control& c = need(id, {Kind::Table});
  checkCell(c, row, col);
  if (!usable(c) || c.readOnly) return false;
  if (readCell(c, row, col) == text) return true;
  writeCell(c, row, col, text);
  userChanged(c);
  return true;
}

bool Form::scrollTo(std::string_view id, int position) {
  const Control& c = need(id, {Kind::Scroll});
  if (!usable(c)) return false;
  position = std::clamp(position, c.min, c.max);
  if (readPosition(c) == position) return true;
  writePosition(c, position);
  userChanged(c);
  return true;
}

bool Form::click(std::string_view id, double x, double y, MouseButton button) {
  const Control& c = need(id, {Kind::Picture});
  if (!usable(c)) return false;
  Canvas& pic = canvasOf(c);
  userClicked(c, pic.toCmX(x), pic.toCmY(y), button);
  return true;
}

}  // namespace orvant::ui
