// Screens 16 and 17 headless: a state with its own work directory, a MemoryDesk and a workbench.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "earthrotation/screens/eclipse_screen.h"
#include "earthrotation/screens/etut_screen.h"
#include "model/state.h"
#include "ui/form.h"
#include "ui/memory_form.h"
#include "ui/workbench.h"
#include "support/temp_dir.h"

namespace orvant::test {

namespace fs = std::filesystem;

inline fs::path de405Dir() { return fs::path(ORVANT_SHARED_DIR) / "de405"; }
inline bool haveDe405(int year) {
  return fs::exists(de405Dir() / ("ascp" + std::to_string(year) + ".405"));
}

struct EclipseBench {
  fs::path dir;
  State state;
  ui::MemoryDesk desk;
  ui::Workbench wb{state, desk.factory()};

  EclipseBench() {
    dir = test::freshTempDir("orvant_s16_");
    fs::create_directories(dir);
    state.workDir = dir.string();
    wb.add<EclipseScreen>(kEclipseScreen);
    wb.add<EtutScreen>(kEtutScreen);
  }
  ~EclipseBench() {
    std::error_code ec;
    fs::permissions(dir / "Dat", fs::perms::owner_all, ec);
    fs::remove_all(dir, ec);
  }

  bool linkDe405(int year) {
    if (!haveDe405(year)) return false;
    const std::string name = "ascp" + std::to_string(year) + ".405";
    fs::create_directories(dir / "JPL");
    fs::create_symlink(de405Dir() / name, dir / "JPL" / name);
    return true;
  }

  EclipseScreen& screen() { return wb.screen<EclipseScreen>(kEclipseScreen); }
  ui::Form& f16() { return wb.show(kEclipseScreen).form(); }
  ui::Form& f17() { return wb.show(kEtutScreen).form(); }

  // The text of the last message box, or "" when none was shown.
  std::string lastMessage() const {
    return desk.dialogs().empty() ? std::string() : desk.dialogs().back().text;
  }
};

}  // namespace orvant::test
