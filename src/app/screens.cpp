#include "app/screens.h"

#include "ui/workbench.h"

namespace orvant {

// One line per screen, in the order of the screen numbers:
//   workbench.add<InitialDataScreen>(1);
void registerAllScreens(ui::Workbench& workbench) {
  (void)workbench;  // no screen is registered yet
}

}  // namespace orvant
