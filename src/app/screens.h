// The screens of the workbench, registered under their numbers.
//
// The window application and orvant-cli both call registerAllScreens, so every screen is reachable
// the same way from the window and from scripts. Each screen adds one line to screens.cpp.
#pragma once

namespace orvant::ui {
class Workbench;
}

namespace orvant {

// The number of the start screen, which the window opens first.
inline constexpr int kStartScreen = 1;

void registerAllScreens(ui::Workbench& workbench);

}  // namespace orvant
