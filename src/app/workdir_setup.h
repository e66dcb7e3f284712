// The work directory on first start: the DE405 blocks and the shipped workbooks.
//
// A fresh install has an empty ~/Orvant. The simulator JPL2 and the source "параметры и данные JPL2
// (J2000)" need JPL's ASCII blocks in JPL/, the table sources need Tab/<name>.xls. Both are made
// offline: the blocks by the DE405 writer (tools/de405/make_ascii.py, from Debian's DE405 table), the
// workbooks by converting the flat ODS files shipped with the program with the spreadsheet engine.
// Whatever is present already is left alone, so the preparation costs nothing after the first start;
// whatever cannot be made (no DE405 table, no spreadsheet engine) is reported and skipped.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace orvant::app {

struct PreparedWorkDir {
  std::vector<std::string> made;     // files written, relative to the work directory
  std::vector<std::string> skipped;  // one line per thing that could not be made, with the reason
};

// Where the program's shared files are: <prefix>/share/orvant next to an installed binary, else
// the source tree the binary was built from. Empty when neither holds `relative`.
std::filesystem::path sharedFile(const std::filesystem::path& relative);

// Prepares `workDir` (created when missing). Never throws; failures go to `skipped`.
PreparedWorkDir prepareWorkDir(const std::filesystem::path& workDir);

}  // namespace orvant::app
