#include "ui/screen.h"

#include <algorithm>
#include <stdexcept>

#include "model/state.h"
#include "ui/form.h"
#include "ui/workbench.h"

namespace orvant::ui {

const char* kindName(Kind kind) {
  switch (kind) {
    case Kind::Field: return "field";
    case Kind::Text: return "text";
    case Kind::Label: return "label";
    case Kind::Check: return "check";
    case Kind::Options: return "options";
    case Kind::Button: return "button";
    case Kind::Table: return "table";
    case Kind::Picture: return "picture";
    case Kind::Scroll: return "scroll";
    case Kind::Hidden: return "hidden";
    case Kind::Group: return "group";
  }
  return "?";
}

Screen::Screen(State& state, Workbench& workbench, std::string title)
    : state_(state), workbench_(workbench), title_(std::move(title)) {}

Screen::~Screen() = default;

Form& Screen::form() const {
  if (!form_) throw std::logic_error("screen \"" + title_ + "\": the window is not built yet");
  return *form_;
}

void Screen::close() {
  // A loop of this screen still running (the user closes the window from inside it) stops first:
  // it must not go on unseen.
  if (form_ && form_->looping()) stopLoop();
  if (form_) form_->hide();
  workbench_.hidden(*this);
}

void Screen::stopLoop() { state_.kStop = 1; }

const Control* Screen::find(std::string_view id) const {
  for (const Control& c : controls_)
    if (c.id == id) return &c;
  return nullptr;
}

const Control& Screen::control(std::string_view id) const {
  if (const Control* c = find(id)) return *c;
  throw std::out_of_range("screen " + std::to_string(number_) + " \"" + title_ + "\" has no control \"" +
                          std::string(id) + "\"");
}

Control& Screen::add(Kind kind, std::string id, std::string caption) {
  if (id.empty()) throw std::logic_error("screen \"" + title_ + "\": a control without an id");
  if (find(id)) throw std::logic_error("screen \"" + title_ + "\": id \"" + id + "\" declared twice");
  Control& c = controls_.emplace_back();
  c.kind = kind;
  c.id = std::move(id);
  c.caption = std::move(caption);
  return c;
}

Control& Screen::group(std::string id, std::string caption) {
  return add(Kind::Group, std::move(id), std::move(caption));
}

Control& Screen::field(std::string id, std::string caption, std::string text) {
  Control& c = add(Kind::Field, std::move(id), std::move(caption));
  c.text = std::move(text);
  return c;
}

Control& Screen::textArea(std::string id, std::string caption, std::string text) {
  Control& c = add(Kind::Text, std::move(id), std::move(caption));
  c.text = std::move(text);
  return c;
}

Control& Screen::label(std::string id, std::string text) {
  Control& c = add(Kind::Label, std::move(id), text);
  c.text = std::move(text);
  return c;
}

Control& Screen::check(std::string id, std::string caption, bool on) {
  Control& c = add(Kind::Check, std::move(id), std::move(caption));
  c.on = on;
  return c;
}

Control& Screen::options(std::string id, std::string caption, std::vector<std::string> entries,
                         int entry) {
  Control& c = add(Kind::Options, std::move(id), std::move(caption));
  if (entry < -1 || entry >= static_cast<int>(entries.size()))
    throw std::logic_error("options \"" + c.id + "\": default entry out of range");
  c.entries = std::move(entries);
  c.entry = entry;
  return c;
}

Control& Screen::button(std::string id, std::string caption, Command command) {
  Control& c = add(Kind::Button, std::move(id), std::move(caption));
  c.command = std::move(command);
  return c;
}

Control& Screen::table(std::string id, std::string caption, int rows,
                       std::vector<std::string> columns) {
  Control& c = add(Kind::Table, std::move(id), std::move(caption));
  if (rows < 0 || columns.empty())
    throw std::logic_error("table \"" + c.id + "\": needs rows >= 0 and at least one column");
  c.rows = rows;
  c.columns = std::move(columns);
  return c;
}

Control& Screen::picture(std::string id, std::string caption, double widthCm, double heightCm) {
  Control& c = add(Kind::Picture, std::move(id), std::move(caption));
  if (!(widthCm > 0) || !(heightCm > 0))
    throw std::logic_error("picture \"" + c.id + "\": size must be positive");
  c.widthCm = widthCm;
  c.heightCm = heightCm;
  return c;
}

Control& Screen::scroll(std::string id, std::string caption, int min, int max, int position) {
  Control& c = add(Kind::Scroll, std::move(id), std::move(caption));
  if (min > max) throw std::logic_error("scroll \"" + c.id + "\": min > max");
  c.min = min;
  c.max = max;
  c.position = std::clamp(position, min, max);
  return c;
}

Control& Screen::hidden(std::string id, Command command) {
  Control& c = add(Kind::Hidden, std::move(id), {});
  c.command = std::move(command);
  return c;
}

}  // namespace orvant::ui
