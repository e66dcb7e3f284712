// Shared by the DE405 reader tests: JPL's test points (testpo.405) and temporary work directories.
//
// testpo.405 (JPL, distributed with testeph.f) lists, after the line "EOT", lines
//   405  1600.01.01 2305447.5  8  3  1     -26.3227808794400
// = ephemeris, date, JD (TDB), target t, centre c, component x (1..3 position in AU, 4..6 velocity
// in AU/day), value of target minus centre on the equatorial axes of the ICRF/J2000. Bodies:
// 1..9 Mercury..Pluto, 10 the Moon, 11 the Sun, 12 the solar-system barycentre, 13 the Earth-Moon
// barycentre, 14 nutations, 15 librations.
#pragma once

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include <unistd.h>

#include "ephemeris/jpl.h"
#include "model/state.h"
#include "support/files.h"

namespace orvant::jpltest {

namespace fs = std::filesystem;

// DE405 constants (JPL header.405): the astronomical unit and the Earth/Moon mass ratio.
inline constexpr double kAuM = 149597870.691e3;
inline constexpr double kEmrat = 81.30056;
// The ecliptic of J2000 the reader is specified to use: 23.439280808 deg with pi = 3.14159265359.
inline const double kEps = 23.439280808 * 3.14159265359 / 180;

inline fs::path shareDir() { return test::de405Dir(); }

struct TestPoint {
  double jd;
  int t, c, x;
  double value;
};

inline std::vector<TestPoint> readTestpo(const fs::path& path) {
  std::vector<TestPoint> points;
  std::ifstream in(path);
  std::string line;
  bool data = false;
  while (std::getline(in, line)) {
    if (!data) {
      data = line.rfind("EOT", 0) == 0;
      continue;
    }
    std::istringstream ls(line);
    int de = 0;
    std::string date;
    TestPoint p{};
    if (ls >> de >> date >> p.jd >> p.t >> p.c >> p.x >> p.value) points.push_back(p);
  }
  return points;
}

// A test point names only bodies the reader serves (no nutations, no librations).
inline bool servedBodies(const TestPoint& p) { return p.t <= 13 && p.c <= 13; }

// Equatorial state of one testpo body about the barycentre, in AU and AU/day, from the reader's
// current record: the reader gives ecliptic metres and m/s; the Earth and the Moon come from the
// Earth-Moon barycentre and the geocentric Moon with the mass ratio kEmrat. False when JPLstate
// failed.
struct Vec6 {
  double v[6] = {0, 0, 0, 0, 0, 0};
};

inline bool readerSlot(State& s, int k, Vec6& out) {
  if (!JPLstate(s, k)) return false;
  const double ecl[6] = {s.X[k], s.Y[k], s.Z[k], s.VX[k], s.VY[k], s.VZ[k]};
  const double ce = std::cos(kEps), se = std::sin(kEps);
  for (int base = 0; base <= 3; base += 3) {
    const double scale = base == 0 ? 1 / kAuM : 86400 / kAuM;
    out.v[base] = ecl[base] * scale;
    out.v[base + 1] = (ce * ecl[base + 1] - se * ecl[base + 2]) * scale;
    out.v[base + 2] = (se * ecl[base + 1] + ce * ecl[base + 2]) * scale;
  }
  return true;
}

inline bool bodyState(State& s, int body, Vec6& out) {
  out = Vec6{};
  switch (body) {
    case 12:
      return true;
    case 11:
      return readerSlot(s, 0, out);
    case 13:
      return readerSlot(s, 3, out);
    case 3:
    case 10: {
      Vec6 emb, moon;
      if (!readerSlot(s, 3, emb) || !readerSlot(s, 11, moon)) return false;
      for (int i = 0; i < 6; ++i) {
        const double earth = emb.v[i] - moon.v[i] / (1 + kEmrat);
        out.v[i] = body == 3 ? earth : earth + moon.v[i];
      }
      return true;
    }
    default:
      return readerSlot(s, body, out);
  }
}

// Difference reader - testpo of one point, in AU or AU/day; NaN when the reader failed.
inline double testpoDifference(State& s, const TestPoint& p) {
  Vec6 target, centre;
  if (!bodyState(s, p.t, target) || !bodyState(s, p.c, centre)) return std::nan("");
  return target.v[p.x - 1] - centre.v[p.x - 1] - p.value;
}

// Largest differences found over a set of points (AU for positions, AU/day for velocities).
struct MaxDiff {
  double position = 0, velocity = 0;
  int count = 0;
  void add(const TestPoint& p, double d) {
    double& m = p.x <= 3 ? position : velocity;
    if (!(std::fabs(d) <= m)) m = std::fabs(d);  // NaN sticks
    ++count;
  }
};

// A work directory of its own under the system's temporary directory, removed at the end.
class TempWorkDir {
 public:
  explicit TempWorkDir(const std::string& tag) {
    static int counter = 0;
    path_ = fs::temp_directory_path() /
            ("orvant_" + tag + "_" + std::to_string(::getpid()) + "_" + std::to_string(++counter));
    fs::remove_all(path_);
    fs::create_directories(path_ / "JPL");
  }
  ~TempWorkDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  TempWorkDir(const TempWorkDir&) = delete;
  TempWorkDir& operator=(const TempWorkDir&) = delete;
  const fs::path& path() const { return path_; }
  fs::path jpl() const { return path_ / "JPL"; }

 private:
  fs::path path_;
};

}  // namespace orvant::jpltest
