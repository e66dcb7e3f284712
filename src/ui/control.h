// One control of a screen as the screen declares it.
//
// A screen lists its controls once, in its constructor, through the builders of Screen (field,
// check, options, button, ...). Each builder returns the Control so that layout hints and handlers
// can be chained:
//
//   field("H0", "Шаг решения, с", "3600").at(0, 1).chars(8);
//   options("kodMod", "", {"модель", "имитатор"}, 0).in("mode").onChange([this] { modeChanged(); });
//
// The window (ui/qt) lays the controls out from these hints; the headless form (MemoryForm) keeps
// the same controls in memory. Nothing here depends on a toolkit.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace orvant::ui {

enum class Kind {
  Field,    // one-line text box with a caption before it (numbers, names)
  Text,     // multi-line text area (file listings, help texts)
  Label,    // a text the screen shows and may change; its caption is its text
  Check,    // check box
  Options,  // a group of option buttons, exactly one chosen (entries numbered from 0)
  Button,   // command button
  Table,    // grid of text cells, rows x columns, numbered from 0
  Picture,  // drawing area in centimetres (Canvas), may take mouse clicks
  Scroll,   // horizontal scroll bar with an integer position (scales of the pictures)
  Hidden,   // invisible text that couples screens: setting it posts its command
  Group,    // a frame with a caption holding other controls (layout only)
};

// Name of a kind as `describe` and error messages print it ("field", "check", ...).
const char* kindName(Kind kind);

enum class MouseButton { Left, Right };

using Command = std::function<void()>;
// A mouse click on a picture: x, y in the picture's own coordinates (Canvas::setView), the button.
using MouseHandler = std::function<void(double x, double y, MouseButton button)>;

struct Control {
  Kind kind = Kind::Field;
  std::string id;       // unique within the screen; used by code, scripts and tests
  std::string caption;  // exactly as the window shows it (may be empty)

  // ---- defaults: the values the control holds when the screen opens ----
  std::string text;                    // Field, Text, Label (= caption), Hidden
  bool on = false;                     // Check
  int entry = 0;                       // Options: the chosen entry, -1 for none
  int position = 0, min = 0, max = 100;  // Scroll
  std::vector<std::string> entries;    // Options: entry captions, in order
  std::vector<std::string> columns;    // Table: column captions (their count is the column count)
  std::vector<std::string> rowCaptions;  // Table: optional captions at the left of the rows
  int rows = 0;                        // Table; Text: lines shown at first (0: a few)
  double widthCm = 0, heightCm = 0;    // Picture size

  // ---- layout hints ----
  std::string group;   // id of the Group holding the control; empty: the window itself
  int row = -1;        // grid cell inside the container; -1: the next free row, column 0
  int col = 0;
  int rowSpan = 1, colSpan = 1;
  int width = 0;       // Field, Text: width in characters (0: the toolkit's default);
                       // Table: least width of a column in characters
  int across = 1;      // Options: entries laid out in this many columns
  bool readOnly = false;  // Field, Text, Table: the user cannot edit it
  std::string help;    // one line saying what the control does: the window's tooltip and the
                       // button reference of the help screen are built from it

  // ---- handlers ----
  Command command;     // Button: its command. Others: runs when the user changes the value;
                       // Hidden: posted each time code sets the text.
  MouseHandler mouse;  // Picture: mouse clicks

  // ---- chained hints ----
  Control& at(int r, int c) { row = r; col = c; return *this; }
  Control& span(int rows_, int cols_) { rowSpan = rows_; colSpan = cols_; return *this; }
  Control& in(std::string groupId) { group = std::move(groupId); return *this; }
  Control& chars(int n) { width = n; return *this; }
  Control& lines(int n) { rows = n; return *this; }  // Text: the lines it shows when it opens
  Control& inColumns(int n) { across = n; return *this; }
  Control& locked() { readOnly = true; return *this; }
  Control& tip(std::string line) { help = std::move(line); return *this; }
  Control& onChange(Command c) { command = std::move(c); return *this; }
  Control& onMouse(MouseHandler m) { mouse = std::move(m); return *this; }
};

}  // namespace orvant::ui
