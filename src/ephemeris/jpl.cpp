#include "ephemeris/jpl.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>

namespace orvant {

namespace {

// Julian dates that select the blocks 1600, 1620, ..., 2000 (from, inclusive), and the end of the
// last one: block b covers kBlockFrom[b] <= JD < kBlockFrom[b + 1]. Each boundary is the begin of
// the 32-day record that contains January 1 of the block's year.
constexpr double kBlockFrom[22] = {
    2305424.5, 2312752.5, 2320048.5, 2327344.5, 2334640.5, 2341968.5, 2349264.5, 2356560.5,
    2363856.5, 2371184.5, 2378480.5, 2385776.5, 2393104.5, 2400400.5, 2407696.5, 2414992.5,
    2422320.5, 2429616.5, 2436912.5, 2444208.5, 2451536.5, kJplEndJD};

// DE405 body table, indexed by the DE405 body number 1..11 (1..9 Mercury..Pluto, 3 the Earth-Moon
// barycentre, 10 the Moon about the Earth, 11 the Sun): first number of the body's coefficients
// in the record, coefficients per component, days per sub-interval.
constexpr int kFirst[12] = {0, 3, 171, 231, 309, 342, 366, 387, 405, 423, 441, 753};
constexpr int kNcf[12] = {0, 14, 10, 13, 11, 8, 7, 6, 6, 6, 13, 11};
constexpr int kDays[12] = {0, 8, 16, 16, 32, 32, 32, 32, 32, 32, 4, 16};

bool isBlank(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

// A real number in Fortran's form: optional sign, digits with a point, exponent letter D, d, E or
// e. Copied with the letter changed to e and converted with from_chars (correctly rounded and
// independent of the locale).
bool parseReal(std::string_view t, double& v) {
  char tmp[48];
  if (t.empty() || t.size() >= sizeof tmp) return false;
  std::size_t i = t[0] == '+' ? 1 : 0, n = 0;
  for (; i < t.size(); ++i) tmp[n++] = (t[i] == 'D' || t[i] == 'd') ? 'e' : t[i];
  const auto [end, ec] = std::from_chars(tmp, tmp + n, v);
  return ec == std::errc() && end == tmp + n && std::isfinite(v);
}

bool parseInt(std::string_view t, int& v) {
  const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  return ec == std::errc() && end == t.data() + t.size();
}

// Reads the next record into the shared record state. A failed read leaves no record held
// (JPLnr = 0, an empty span), so that JPLstate refuses to evaluate a half-read record.
bool readRecord(State& s) {
  int number = 0;
  if (s.jpl.file && s.jpl.file->readRecord(number, s.jpl.coef.data()) && number >= 1 &&
      number <= 32767) {
    s.JPLnr = static_cast<int16>(number);
    s.JDrec0 = s.jpl.coef[1];
    s.JDrec1 = s.jpl.coef[2];
    return true;
  }
  s.JPLnr = 0;
  s.JDrec0 = s.JDrec1 = 0;
  return false;
}

bool openBlock(State& s) {
  if (!s.jpl.file) s.jpl.file = std::make_shared<JplFile>();
  if (!s.jpl.file->open(JPLpath(s, s.JPLyear))) return false;
  s.JPLisOpen = 10;
  return true;
}

}  // namespace

// ---- JplFile ----

JplFile::~JplFile() { close(); }

bool JplFile::open(const std::string& path) {
  close();
  file_ = std::fopen(path.c_str(), "rb");
  return file_ != nullptr;
}

void JplFile::close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  pos_ = len_ = 0;
}

bool JplFile::fill() {
  if (!file_ || len_ == buf_.size()) return false;
  const std::size_t got = std::fread(buf_.data() + len_, 1, buf_.size() - len_, file_);
  len_ += got;
  return got > 0;
}

bool JplFile::nextToken(std::string_view& token) {
  for (;;) {
    while (pos_ < len_ && isBlank(buf_[pos_])) ++pos_;
    if (pos_ < len_) break;
    pos_ = len_ = 0;
    if (!fill()) return false;
  }
  std::size_t start = pos_;
  for (;;) {
    while (pos_ < len_ && !isBlank(buf_[pos_])) ++pos_;
    if (pos_ < len_) break;
    // The token runs to the end of the buffer: move it to the front and read on.
    const std::size_t n = len_ - start;
    std::memmove(buf_.data(), buf_.data() + start, n);
    start = 0;
    pos_ = len_ = n;
    if (!fill()) break;  // end of file (or a token as long as the buffer, refused below)
  }
  token = std::string_view(buf_.data() + start, pos_ - start);
  return pos_ - start < 64;
}

bool JplFile::readRecord(int& number, double* coef) {
  std::string_view t;
  int count = 0;
  if (!nextToken(t) || !parseInt(t, number)) return false;
  if (!nextToken(t) || !parseInt(t, count)) return false;  // 1018, not used
  for (int i = 1; i <= kJplNumbers; ++i)
    if (!nextToken(t) || !parseReal(t, coef[i])) return false;
  return true;
}

// ---- the reader ----

std::string JPLpath(const State& s, int year) {
  return s.workDir + "/JPL/ascp" + std::to_string(year) + ".405";
}

int JPLlastOf(int year) {
  switch (year) {
    case 1680: case 1760: case 1820: case 1900: case 1980: case 2040: case 2120: case 2180:
      return 230;
    default:
      return 229;
  }
}

void JPLclose(State& s) {
  if (s.jpl.file) s.jpl.file->close();
  s.JPLisOpen = 0;
}

JplStatus JPLopen(State& s) {
  s.JDjpl = s.JD;
  const double jd = s.JDjpl;
  if (!(jd >= kJplFirstJD && jd < kJplEndJD)) {  // also refuses NaN
    s.report(kJplNoDate, kTitle7);
    s.kStop = 1;
    return JplStatus::NoDate;
  }
  int b = 0;
  while (jd >= kBlockFrom[b + 1]) ++b;
  if (s.JPLisOpen == 10) JPLclose(s);
  s.JPLyear = 1600 + 20 * b;
  s.JPLlast = static_cast<int16>(JPLlastOf(s.JPLyear));
  s.JPLnr = 0;
  if (!openBlock(s)) return JplStatus::NoFile;
  do {
    if (!readRecord(s)) return JplStatus::ReadError;
  } while (!(jd < s.JDrec1));
  return JplStatus::Ok;
}

JplStatus JPLnext(State& s) {
  if (!(s.JDjpl < s.JDrec0 || s.JDjpl >= s.JDrec1)) return JplStatus::Ok;
  if (s.JPLnr >= s.JPLlast) {
    // End of the block: the next one begins 20 years later. Its last record is 230 after the
    // blocks 1660, 1740, 1800, 1880, 1960, 2020, 2100, 2160 (JPLlastOf of the new year).
    JPLclose(s);
    s.JPLyear += 20;
    s.JPLlast = static_cast<int16>(JPLlastOf(s.JPLyear));
    if (!openBlock(s)) return JplStatus::NoFile;
  }
  const double previous = s.JDrec0;
  if (!readRecord(s)) return JplStatus::ReadError;
  // A new block starts with a copy of the record just left: skip it.
  if (s.JDrec0 == previous && !readRecord(s)) return JplStatus::ReadError;
  return JplStatus::Ok;
}

bool JPLstate(State& s, int k) {
  const auto failed = [&s] {
    s.report(kJplReadFailed, kTitle7);
    s.kStop = 1;
    return false;
  };
  if (k < 0 || k > 11) return failed();
  if (s.JPLnr <= 0 || !(s.JDjpl >= s.JDrec0 && s.JDjpl < s.JDrec1)) return failed();

  const int b = k == 0 ? 11 : (k == 11 ? 10 : k);  // DE405 body
  int p = kFirst[b];
  const int n = kNcf[b];
  const double L = kDays[b];
  const int S = static_cast<int>(std::lround(kJplRecordDays / L));
  for (int i = 1; i <= S; ++i) {
    for (int c = 1; c <= 3; ++c)
      for (int j = 1; j <= n; ++j) s.jpl.cheb[i][j][c] = s.jpl.coef[p++];
    s.jpl.t0[i] = s.JDrec0 + (i - 1) * L;
  }

  // Sub-interval and normalised time -1..+1 within it. The index is checked as a real number
  // first: a record whose dates are absurd (a damaged block) would give a quotient beyond any
  // integer.
  const double q = std::trunc((s.JDjpl - s.JDrec0) / L);
  if (!(q >= 0 && q < S)) return failed();
  const int i = static_cast<int>(q) + 1;
  const double x = 2 * (s.JDjpl - s.jpl.t0[i]) / L - 1;

  // Chebyshev polynomials T_m(x) = T_(m-1) of degree m-1, and U_m for the derivative:
  // d/dx T_m = (m-1) U_(m-1), U of the second kind.
  double T[16], U[16];
  T[1] = 1;
  T[2] = x;
  U[1] = 1;
  U[2] = 2 * x;
  for (int m = 3; m <= n; ++m) {
    T[m] = 2 * x * T[m - 1] - T[m - 2];
    U[m] = 2 * x * U[m - 1] - U[m - 2];
  }
  double P[4] = {0, 0, 0, 0}, V[4] = {0, 0, 0, 0};
  for (int c = 1; c <= 3; ++c) {
    for (int m = 1; m <= n; ++m) P[c] += s.jpl.cheb[i][m][c] * T[m];
    for (int m = 2; m <= n; ++m) V[c] += (m - 1) * s.jpl.cheb[i][m][c] * U[m - 1];
  }
  for (int c = 1; c <= 3; ++c)
    if (!std::isfinite(P[c]) || !std::isfinite(V[c])) return failed();

  // Equator of J2000 -> ecliptic of J2000; km -> m; per unit of x -> per second (x runs 2/L per
  // day).
  const double ce = std::cos(s.Eps0), se = std::sin(s.Eps0);
  s.X[k] = 1000 * P[1];
  s.Y[k] = 1000 * (ce * P[2] + se * P[3]);
  s.Z[k] = 1000 * (ce * P[3] - se * P[2]);
  s.VX[k] = 2000 * V[1] / 86400 / L;
  s.VY[k] = 2000 * (se * V[3] + ce * V[2]) / 86400 / L;
  s.VZ[k] = 2000 * (ce * V[3] - se * V[2]) / 86400 / L;
  return true;
}

}  // namespace orvant
