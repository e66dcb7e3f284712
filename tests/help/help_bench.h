// The whole workbench headless, every screen registered as the program registers them, in a work
// directory of its own.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/screens.h"
#include "model/state.h"
#include "ui/form.h"
#include "ui/memory_form.h"
#include "ui/workbench.h"
#include "support/temp_dir.h"

namespace orvant::test {

struct WorkbenchBench {
  std::filesystem::path dir;
  State state;
  ui::MemoryDesk desk;
  ui::Workbench wb{state, desk.factory()};

  WorkbenchBench() {
    dir = test::freshTempDir("orvant_help_");
    std::filesystem::create_directories(dir);
    state.workDir = dir.string();
    registerAllScreens(wb);
    desk.limitDisplays(1);  // a loop a screen starts by itself stops at its first display point
  }
  ~WorkbenchBench() { std::filesystem::remove_all(dir); }

  std::vector<std::string> messages() {
    std::vector<std::string> out;
    for (const auto& d : desk.dialogs()) out.push_back(d.title + ": " + d.text);
    desk.clearDialogs();
    return out;
  }
};

}  // namespace orvant::test
