// Screens 1 and 4 headless: a state with its own work directory, a MemoryDesk and a workbench.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "initial/screens/initial_data_screen.h"
#include "initial/screens/system_velocity_screen.h"
#include "model/state.h"
#include "ui/form.h"
#include "ui/memory_form.h"
#include "ui/workbench.h"
#include "support/temp_dir.h"

namespace orvant::test {

namespace fs = std::filesystem;

// The DE405 blocks that JPL publishes, as the tests find them.
inline fs::path de405Dir() { return fs::path(ORVANT_SHARED_DIR) / "de405"; }
inline bool haveDe405(int year) {
  return fs::exists(de405Dir() / ("ascp" + std::to_string(year) + ".405"));
}

// A stand-in for the run screen: it only records that it was shown.
class RunStandIn : public ui::Screen {
 public:
  RunStandIn(State& s, ui::Workbench& wb) : Screen(s, wb, "Моделирование") { label("l", ""); }
  void activated() override { ++shown; }
  int shown = 0;
};

struct ScreenBench {
  fs::path dir;
  State state;
  ui::MemoryDesk desk;
  ui::Workbench wb{state, desk.factory()};

  explicit ScreenBench(bool withRunScreen = false) {
    dir = test::freshTempDir("orvant_s1_");
    fs::create_directories(dir);
    state.workDir = dir.string();
    wb.add<InitialDataScreen>(kInitialDataScreen);
    wb.add<SystemVelocityScreen>(kSystemVelocityScreen);
    if (withRunScreen) wb.add<RunStandIn>(2);
  }
  ~ScreenBench() { fs::remove_all(dir); }

  // JPL/ascp<year>.405 in the work directory, linked to the published block. False when absent.
  bool linkDe405(int year) {
    if (!haveDe405(year)) return false;
    const std::string name = "ascp" + std::to_string(year) + ".405";
    fs::create_directories(dir / "JPL");
    fs::create_symlink(de405Dir() / name, dir / "JPL" / name);
    return true;
  }

  ui::Form& first() { return wb.show(kInitialDataScreen).form(); }
  ui::Form& fourth() { return wb.show(kSystemVelocityScreen).form(); }

  // Chooses a source on screen 1 by its caption and loads at the date.
  void load(std::string_view source, const std::string& year, const std::string& month,
            const std::string& day) {
    ui::Form& f = first();
    f.type("Year1", year);
    f.type("Month1", month);
    f.type("Day1", day);
    int entry = -1;
    for (std::size_t k = 0; k < kSourceCaptions.size(); ++k)
      if (kSourceCaptions[k] == source) entry = static_cast<int>(k);
    ASSERT_GE(entry, 0) << source;
    f.choose("source", entry);
    f.press("load");
  }

  // Texts of the message boxes since the last call.
  std::vector<std::string> messages() {
    std::vector<std::string> out;
    for (const auto& d : desk.dialogs()) out.push_back(d.title + ": " + d.text);
    desk.clearDialogs();
    return out;
  }
};

}  // namespace orvant::test
