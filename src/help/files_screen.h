// Screen 9, "Файловая система" ("Файлы*" of screen 6): the program's directory tree and what each
// file holds.
//
// The list is generated from the catalogue of paths (model/paths.h), the same builders the
// readers and writers use, so the names shown are the names the program reads and writes. Each
// folder is shown with whether it exists in the program's directory now.
#pragma once

#include <string>

#include "ui/screen.h"

namespace orvant::help {

inline constexpr int kFilesScreen = 9;

// The tree as the screen shows it: the program's directory, then per folder its line and one
// paragraph per file family (the pattern of the names, the title, the text).
std::string filesText(const std::string& workDir);

class FilesScreen : public ui::Screen {
 public:
  FilesScreen(State& s, ui::Workbench& wb);
  void opened() override;
  void activated() override;

 private:
  void fill();
};

}  // namespace orvant::help
