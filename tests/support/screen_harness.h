// Screens driven headless: a state with a work directory of its own, a MemoryDesk that records the
// message boxes, and a workbench; the test adds the screens it drives.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "model/state.h"
#include "support/files.h"
#include "support/temp_dir.h"
#include "ui/form.h"
#include "ui/memory_form.h"
#include "ui/workbench.h"

namespace orvant::test {

struct ScreenHarness {
  std::filesystem::path dir;
  State state;
  ui::MemoryDesk desk;
  ui::Workbench wb{state, desk.factory()};

  explicit ScreenHarness(const std::string& prefix = "orvant_screen_") {
    dir = freshTempDir(prefix);
    state.workDir = dir.string();
  }
  ~ScreenHarness() {
    std::error_code ec;
    std::filesystem::permissions(dir / "Dat", std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(dir, ec);
  }
  ScreenHarness(const ScreenHarness&) = delete;
  ScreenHarness& operator=(const ScreenHarness&) = delete;

  // A file of the work directory written or read whole (folders made as needed).
  void write(const std::string& rel, const std::string& content) const {
    const auto p = dir / rel;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << content;
  }
  std::string read(const std::string& rel) const { return readAll(dir / rel); }

  // JPL/ascp<year>.405 in the work directory, linked to the published block. False when absent.
  bool linkDe405(int year) {
    if (!haveDe405(year)) return false;
    const std::string name = "ascp" + std::to_string(year) + ".405";
    std::filesystem::create_directories(dir / "JPL");
    std::filesystem::create_symlink(de405Dir() / name, dir / "JPL" / name);
    return true;
  }
  // "title: text" of the message boxes since the last call.
  std::vector<std::string> messages() {
    std::vector<std::string> out;
    for (const auto& d : desk.dialogs()) out.push_back(d.title + ": " + d.text);
    desk.clearDialogs();
    return out;
  }
  // The text of the last message box or question, "" when none was shown.
  std::string lastMessage() const {
    return desk.dialogs().empty() ? std::string() : desk.dialogs().back().text;
  }
};

}  // namespace orvant::test
