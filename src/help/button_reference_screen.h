// Screen 3, "Справка по кнопкам" ("About*" of screen 1): the reference of every button of every
// screen of the workbench.
//
// The text is not written here: each screen declares a one-line description beside each of its
// buttons (Control::help, `.tip("...")`), which the window also shows as the button's tooltip.
// This screen walks the registered screens in the order of their numbers, takes each one's
// declaration from the workbench and lists its buttons with their descriptions, then the other
// controls that carry a description (check boxes, options). A screen added later brings its own
// lines; a button without a description is listed as such, so that the gap shows.
#pragma once

#include <string>
#include <vector>

#include "ui/screen.h"

namespace orvant::help {

inline constexpr int kButtonReferenceScreen = 3;

// One line of the reference: the screen, the control's caption and its description.
struct ReferenceLine {
  int screen = 0;
  std::string title;    // the screen's title
  std::string caption;  // the button's caption (trailing blanks trimmed)
  std::string help;     // its description; empty when the screen gives none
  bool button = true;   // a button, or another control with a description
};

// The reference of every registered screen (buttons first, then described controls).
std::vector<ReferenceLine> buttonReference(ui::Workbench& wb);

// The reference as the screen shows it: a heading per screen, one line per control.
std::string referenceText(const std::vector<ReferenceLine>& lines);

class ButtonReferenceScreen : public ui::Screen {
 public:
  ButtonReferenceScreen(State& s, ui::Workbench& wb);
  void opened() override;
  void activated() override;

 private:
  void fill();
};

}  // namespace orvant::help
