// Text-file plumbing shared by every file the program writes.
//
// Paths are relative to State::workDir and written with '/' ("NEW/Orvant3Nab.txt"); messages show
// them the way the program names its files, from the program directory with backslashes
// ("\NEW\Orvant3Nab.txt").
//
// Writes never leave a half-written file behind: a rewrite goes to a temporary file in the same
// folder, which is then renamed over the old one (a failed write leaves the old file as it was);
// an appended line is either written whole or the file is cut back to its old length.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "model/state.h"

namespace orvant {

// The file's place on disk: workDir / relPath.
std::filesystem::path fullPath(const State& s, std::string_view relPath);

// "\" + relPath with '/' turned into '\'.
std::string displayPath(std::string_view relPath);

enum class ReadStatus { Ok, NotFound, ReadError };

// All lines of a text file, without their line breaks ("\n" or "\r\n"). A final line break does
// not add an empty line.
ReadStatus readLines(const std::filesystem::path& path, std::vector<std::string>& lines);

// Replaces the file by `content` through a temporary file in the same folder. On any failure the
// old file is unchanged and the temporary file removed: CannotCreate when the folder is missing
// and could not be made, WriteError when the folder exists but takes no new file (read-only), the
// file itself may not be written (see writable), writing failed or the final rename failed.
// Creates missing folders when `makeFolders` is set.
enum class WriteStatus { Ok, CannotCreate, WriteError };
WriteStatus replaceFileContent(const std::filesystem::path& path, std::string_view content,
                               bool makeFolders = false);

// The same, true when the file was replaced.
inline bool writeFileAtomically(const std::filesystem::path& path, std::string_view content,
                                bool makeFolders = false) {
  return replaceFileContent(path, content, makeFolders) == WriteStatus::Ok;
}

// Appends one line and its line break; on a failed write the file is cut back to its old length.
// A file that may not be written (see writable) is refused untouched.
bool appendLineWhole(const std::filesystem::path& path, std::string_view line);

// False when an existing file may not be written: it carries no write permission bit at all (a
// file the user made read-only; checked on the mode itself because the superuser may write any
// file), or it cannot be opened for writing by this process. Renaming a new file over a read-only
// one would replace it silently, so the writers ask first. A missing file is writable.
bool writable(const std::filesystem::path& path);

// Unchecked form of checkedStoredInt (model/format.h), kept for values known to fit; every writer
// uses the checked one. A value beyond the range gives 0.
[[deprecated("writers use checkedStoredInt or PrintLine::stored")]]
std::int64_t storedInt(double x, double scale);

}  // namespace orvant
