#include "model/textfile.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <system_error>

#include "model/format.h"

namespace orvant {

namespace fs = std::filesystem;

fs::path fullPath(const State& s, std::string_view relPath) {
  return fs::path(s.workDir) / fs::path(std::string(relPath));
}

std::string displayPath(std::string_view relPath) {
  std::string out = "\\";
  for (char c : relPath) out += (c == '/') ? '\\' : c;
  return out;
}

ReadStatus readLines(const fs::path& path, std::vector<std::string>& lines) {
  lines.clear();
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return ReadStatus::NotFound;
  std::ifstream in(path, std::ios::binary);
  if (!in) return ReadStatus::NotFound;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    line.clear();
  }
  if (in.bad()) {
    lines.clear();
    return ReadStatus::ReadError;
  }
  return ReadStatus::Ok;
}

bool writable(const fs::path& path) {
  std::error_code ec;
  const fs::file_status st = fs::status(path, ec);
  if (ec || !fs::exists(st)) return true;
  constexpr fs::perms anyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  if ((st.permissions() & anyWrite) == fs::perms::none) return false;
  if (!fs::is_regular_file(st)) return false;
  // Opening for appending changes nothing and fails where this user may not write the file.
  std::ofstream probe(path, std::ios::binary | std::ios::app);
  return static_cast<bool>(probe);
}

WriteStatus replaceFileContent(const fs::path& path, std::string_view content, bool makeFolders) {
  std::error_code ec;
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  if (makeFolders && path.has_parent_path()) {
    fs::create_directories(folder, ec);
    if (ec) return WriteStatus::CannotCreate;
  }
  if (!fs::is_directory(folder, ec)) return WriteStatus::CannotCreate;
  if (!writable(path)) return WriteStatus::WriteError;
  fs::path tmp = path;
  tmp += ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    // The folder is there: a temporary file it does not take means it is read-only.
    if (!out) return WriteStatus::WriteError;
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.flush();
    if (!out) {
      out.close();
      fs::remove(tmp, ec);
      return WriteStatus::WriteError;
    }
    out.close();
    if (out.fail()) {
      fs::remove(tmp, ec);
      return WriteStatus::WriteError;
    }
  }
  fs::rename(tmp, path, ec);
  if (ec) {
    std::error_code ec2;
    fs::remove(tmp, ec2);
    return WriteStatus::WriteError;
  }
  return WriteStatus::Ok;
}

bool appendLineWhole(const fs::path& path, std::string_view line) {
  std::error_code ec;
  if (!writable(path)) return false;
  const bool existed = fs::exists(path, ec);
  const std::uintmax_t oldSize = existed ? fs::file_size(path, ec) : 0;
  if (ec) return false;
  std::string whole(line);
  whole += '\n';
  std::FILE* f = std::fopen(path.c_str(), "ab");
  if (!f) return false;
  const std::size_t n = std::fwrite(whole.data(), 1, whole.size(), f);
  const bool flushed = std::fflush(f) == 0;
  const bool closed = std::fclose(f) == 0;
  if (n == whole.size() && flushed && closed) return true;
  // Cut the partial line off so that the file still reads as whole records.
  std::error_code ec2;
  fs::resize_file(path, oldSize, ec2);
  return false;
}

std::int64_t storedInt(double x, double scale) { return checkedStoredInt(x, scale).value_or(0); }

}  // namespace orvant
