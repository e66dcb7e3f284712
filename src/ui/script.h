// Headless scripts: driving screens line by line (`orvant-cli script FILE`).
//
// One command per line; words are separated by blanks, a word holding blanks is quoted ("...").
//   open N                          show screen N (as the workbench would)
//   set N FIELD VALUE               type VALUE into a field or text area (a scroll bar: its position;
//                                   a hidden field: set it, which posts its command)
//   check N BOX on|off              tick or clear a check box
//   choose N OPTION                 click an option: an entry caption unique on the screen, or
//                                   GROUP=ENTRY with the group's id or caption and the entry's
//                                   caption or number (from 0)
//   table N TABLE ROW COL VALUE     type into a cell (rows and columns from 0)
//   press N BUTTON [--max-displays K]  press a button; a loop started by it gets kStop = 1 after K
//                                   display points
//   click N PICTURE X Y [left|right]   mouse click on a picture, in its coordinates
//   answer yes|no                   the answer to the next question
//   show N FIELD [ROW COL]          print "FIELD = <text as shown>" (check: on/off; options: the
//                                   chosen entry's caption; scroll: the position; table: a cell)
//   state NAME[INDEX]               print "NAME[INDEX] = <value>", 17 significant digits
//   # comment                       (and blank lines) ignored
// With ORVANT_SCRIPT_TIMES set in the environment every `press` also prints
// "TIME press N BUTTON <seconds>" on the error stream: the wall time of the command with the loop
// it ran (bench/window_vs_headless.sh compares the window with the command line by it).
// FIELD, BOX, OPTION, TABLE, PICTURE and BUTTON are a control's id or its caption (blanks at the
// ends of captions do not count). Every message box prints "MESSAGE [title] text" (line breaks as
// " | "); a question adds " -> yes" or " -> no". An action on a disabled, invisible or read-only
// control prints "DISABLED <word>" and does nothing.
//
// The whole script is checked for form first; a malformed line stops it before anything runs.
// A line that names a screen that is not open or a control it does not have stops the script when
// reached. Both print "строка L: <reason>" on the error stream; run() returns 2 then, else 0.
// "Выход" (Workbench::quit) ends the script.
#pragma once

#include <functional>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orvant::ui {

class Workbench;
class MemoryDesk;
class Screen;

struct ScriptError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Words of a script line; quotes group blanks. Throws ScriptError on an unclosed quote.
std::vector<std::string> splitScriptLine(std::string_view line);


// A text on one line: line breaks become " | ".
std::string oneLine(std::string_view text);

class ScriptRunner {
 public:
  ScriptRunner(Workbench& workbench, MemoryDesk& desk, std::ostream& out);
  ~ScriptRunner();

  // Runs a whole script; returns 0, or 2 after a malformed line (message on `err`).
  int run(std::istream& in, std::ostream& err);

  // Checks the form of one line; throws ScriptError.
  static void check(const std::vector<std::string>& words);
  // Runs one line; throws ScriptError.
  void execute(std::string_view line);

  // Also told the display limit of every `press` (-1 after it): forms other than the desk's
  // (the window's, `orvant --script`) apply it themselves.
  void setDisplayLimiter(std::function<void(long)> limiter) { limiter_ = std::move(limiter); }
  // Run before every `press`, outside its timing: the window brings itself up to date there, as
  // a user's window is when they press (the commands before it left their changes pending).
  void setBeforePress(std::function<void()> before) { beforePress_ = std::move(before); }

 private:
  Screen& openScreen(const std::string& word);
  void choose(const std::vector<std::string>& w);
  void pressButton(const std::vector<std::string>& w);
  void show(const std::vector<std::string>& w);
  void print(std::string_view text);

  Workbench& wb_;
  MemoryDesk& desk_;
  std::ostream& out_;
  std::function<void(long)> limiter_;
  std::function<void()> beforePress_;
  bool timed_ = false;
};

// Lists a screen's controls: kind, id, caption, default, entries or size, group.
void describe(const Screen& screen, std::ostream& out);

}  // namespace orvant::ui
