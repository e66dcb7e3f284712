// The window of a screen, as the screen's commands see it.
//
// A Form is built from a screen's declaration (screen.h) by the workbench. Commands address
// controls by id. Two implementations exist with the same behaviour: QtForm (ui/qt, the real
// window) and MemoryForm (memory_form.h, headless: tests and orvant-cli scripts).
//
// Values are texts as the user sees and types them. Numbers are shown with the decimal comma
// (setNumber uses screenNumber of model/format.h: truncation to n decimals, never rounding) and read
// with parseNumber (both "1,5" and "1.5"). Tables and option entries are numbered from 0.
//
// Calling a function on a control of the wrong kind, or on an id the screen did not declare, is a
// programming error: std::logic_error / std::out_of_range. The workbench catches what a command
// throws and shows it in a message box, so a slip shows up at once without ending the program.
//
// Form is also the MessageSink of the library: while one of its screen's commands runs,
// State::report shows its text here.
#pragma once

#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/input_check.h"
#include "model/messages.h"
#include "ui/canvas.h"
#include "ui/control.h"

namespace orvant::ui {

class Screen;

class Form : public MessageSink {
 public:
  explicit Form(Screen& screen);
  ~Form() override;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  Screen& screen() const { return screen_; }

  // ---- values ----
  // Text of a Field, Text area, Label or Hidden field.
  std::string text(std::string_view id) const;
  // Sets the text. Setting a Hidden field posts its command (workbench.h: post), every time.
  void setText(std::string_view id, std::string_view text);
  // The text as a number ("1,5", "1.5", "1E3", "1D3"); nullopt when it is not one.
  std::optional<double> number(std::string_view id) const;
  // The shared checks of typed input (model/input_check.h): a date of three boxes, a finite number
  // within [lo, hi], a whole number within [lo, hi]; nullopt when the text fails the check.
  std::optional<DateInput> date(std::string_view day, std::string_view month, std::string_view year) const;
  std::optional<double> numberIn(std::string_view id, double lo, double hi) const;
  std::optional<std::int64_t> wholeIn(std::string_view id, std::int64_t lo, std::int64_t hi) const;
  // Shows a number with the decimal comma, truncated to `decimals` (-1: up to 15 digits).
  void setNumber(std::string_view id, double value, int decimals = -1);
  // Appends one line to a Text area.
  void appendLine(std::string_view id, std::string_view line);

  bool checked(std::string_view id) const;
  void setChecked(std::string_view id, bool on);

  int option(std::string_view id) const;  // the chosen entry, -1 when none is
  void setOption(std::string_view id, int entry);

  int position(std::string_view id) const;  // scroll bar
  void setPosition(std::string_view id, int position);  // clamped to min..max

  std::string cell(std::string_view id, int row, int col) const;
  void setCell(std::string_view id, int row, int col, std::string_view text);
  std::optional<double> cellNumber(std::string_view id, int row, int col) const;
  void setCellNumber(std::string_view id, int row, int col, double value, int decimals = -1);

  // ---- appearance ----
  // Caption of a Field (the text before it), Check, Button, Options group, Table, Picture, Group
  // or Scroll bar; for a Label the same as setText.
  void setCaption(std::string_view id, std::string_view caption);
  std::string caption(std::string_view id) const;
  void setColumnCaption(std::string_view id, int col, std::string_view caption);  // Table
  std::string columnCaption(std::string_view id, int col) const;
  void setEnabled(std::string_view id, bool enabled);
  void setVisible(std::string_view id, bool visible);
  bool enabled(std::string_view id) const;
  bool visible(std::string_view id) const;
  void setEntryEnabled(std::string_view id, int entry, bool enabled);  // Options
  void setEntryVisible(std::string_view id, int entry, bool visible);  // Options

  // The drawing area of a Picture.
  Canvas& canvas(std::string_view id);

  // ---- window and dialogs ----
  void show();
  void hide();
  bool shown() const;
  // Message box with an OK button and the given title. Line breaks: "\n".
  void message(std::string_view text, std::string_view title) override;
  // Yes/No question; true for Yes.
  bool ask(std::string_view text, std::string_view title);
  // A display point of a long loop: lets the window process pending input (a stop button sets
  // kStop). Headless, it counts display points and may set kStop (MemoryForm).
  void processEvents();
  // True while a loop of this screen waits in processEvents() (the user acts meanwhile).
  bool looping() const { return pumping_ > 0; }

  // ---- user actions ----
  // What the window does when the user acts; tests and scripts call these to act as the user.
  // A disabled or invisible control ignores the action (false). A changed value runs the
  // control's change command, as a command of this screen (workbench.h: run).
  bool press(std::string_view id);  // Button
  bool type(std::string_view id, std::string_view text);  // Field or Text area
  bool tick(std::string_view id, bool on);  // Check
  bool choose(std::string_view id, int entry);  // Options
  bool typeCell(std::string_view id, int row, int col, std::string_view text);  // Table
  bool scrollTo(std::string_view id, int position);  // Scroll
  // Mouse click on a Picture at x, y in the picture's coordinates.
  bool click(std::string_view id, double x, double y, MouseButton button);

 protected:
  // The window calls this after the user changed the value of `c` in a widget.
  void userChanged(const Control& c);
  // The window calls this when the user clicked a picture at xCm, yCm from its top-left corner.
  void userClicked(const Control& c, double xCm, double yCm, MouseButton button);

  // ---- the toolkit's part ----
  virtual std::string readText(const Control& c) const = 0;  // Field, Text
  virtual void writeText(const Control& c, std::string_view text) = 0;
  virtual void addLine(const Control& c, std::string_view line) = 0;  // Text
  virtual bool readCheck(const Control& c) const = 0;
  virtual void writeCheck(const Control& c, bool on) = 0;
  virtual int readOption(const Control& c) const = 0;
  virtual void writeOption(const Control& c, int entry) = 0;  // -1: none
  virtual int readPosition(const Control& c) const = 0;
  virtual void writePosition(const Control& c, int position) = 0;
  virtual std::string readCell(const Control& c, int row, int col) const = 0;
  virtual void writeCell(const Control& c, int row, int col, std::string_view text) = 0;
  virtual void writeCaption(const Control& c, std::string_view caption) = 0;  // Label: its text
  virtual void writeColumnCaption(const Control& c, int col, std::string_view caption) = 0;
  virtual void writeEnabled(const Control& c, bool enabled) = 0;
  virtual void writeVisible(const Control& c, bool visible) = 0;
  virtual void writeEntryEnabled(const Control& c, int entry, bool enabled) = 0;
  virtual void writeEntryVisible(const Control& c, int entry, bool visible) = 0;
  virtual Canvas& canvasOf(const Control& c) = 0;
  virtual void showWindow() = 0;
  virtual void hideWindow() = 0;
  virtual bool windowShown() const = 0;
  virtual void showMessage(std::string_view text, std::string_view title) = 0;
  virtual bool askQuestion(std::string_view text, std::string_view title) = 0;
  virtual void pumpEvents() = 0;

 private:
  struct Look {  // what the base keeps for every control
    std::string caption;
    std::vector<std::string> columns;  // Table
    bool enabled = true;
    bool visible = true;
    std::map<int, bool> entryEnabled, entryVisible;
  };
  const Control& need(std::string_view id, std::initializer_list<Kind> kinds) const;
  bool usable(const Control& c) const;
  void checkEntry(const Control& c, int entry) const;
  void checkCell(const Control& c, int row, int col) const;

  Screen& screen_;
  int pumping_ = 0;  // processEvents() calls in progress
  std::map<std::string, Look, std::less<>> look_;
  std::map<std::string, std::string, std::less<>> hidden_;  // values of Hidden fields
};

}  // namespace orvant::ui
