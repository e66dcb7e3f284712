// Observation records for the reduction tests: a work directory of its own, observatory record
// lines in the fixed columns of the observatory files, and a quiet observer.
#pragma once

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#include "support/temp_dir.h"

namespace orvant::test {

namespace fs = std::filesystem;

// A fresh directory under the temporary folder, named after the running test; removed at the end.
struct WorkDir {
  fs::path path;
  WorkDir() {
    path = test::freshTempDir("orvant_red_");
    fs::create_directories(path / "Obs");
  }
  ~WorkDir() {
    std::error_code ec;
    fs::permissions(path / "Dat", fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path, ec);
  }
};

// One record line: columns 11-14 year, 16-17 day, 19-21 month, 24-36 the UT time, 43-57 the
// right ascension (hours, minutes, seconds and 1e-5 s), 69-82 the declination (sign, degrees,
// minutes, seconds and 1e-4").
inline std::string recordLine(int year, int month, int day, int hour, double raDeg,
                              double decDeg) {
  static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const long long ra = std::llround(raDeg / 15 * 3600 * 1e5);
  const long long dec = std::llround(std::fabs(decDeg) * 3600 * 1e4);
  char buf[160];
  std::snprintf(buf, sizeof buf,
                "%-10s%4d %2d %3s %c%02d %02d %02d %04d%6s%c%02lld %02lld %02lld %05lld%11s%c%02lld "
                "%02lld %02lld %04lld",
                "GREN", year, day, months[month - 1], ' ', hour, 0, 0, 0, "", ' ',
                ra / 360000000, ra / 6000000 % 60, ra / 100000 % 60, ra % 100000, "",
                decDeg < 0 ? '-' : '+', dec / 36000000, dec / 600000 % 60, dec / 10000 % 60,
                dec % 10000);
  return buf;
}

// Writes <dir>/Obs/<name> with the five header lines and the records.
inline void writeObsFile(const fs::path& dir, const std::string& name, int year1, int year2,
                         const std::vector<std::string>& records) {
  std::ofstream f(dir / "Obs" / name);
  f << "test series\nline 2\nline 3\nline 4\n" << year1 << ", " << year2 << "\n";
  for (const auto& r : records) f << r << "\n";
}

// A Mars series of `n` records, one a day at 21 h from the given date, with right ascensions and
// declinations near the planet's in 1995 (the residuals then stay within a few degrees).
inline std::vector<std::string> marsRecords(int n, int year = 1995, int month = 3) {
  std::vector<std::string> r;
  for (int k = 0; k < n; ++k)
    r.push_back(recordLine(year, month, 1 + k % 28, 21, 122.5 + 0.3 * k, 22.0 - 0.05 * k));
  return r;
}

}  // namespace orvant::test
