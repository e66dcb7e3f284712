#include "initial/param_file.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>
#include <vector>

#include "model/calendar.h"
#include "model/format.h"
#include "model/messages.h"
#include "model/textfile.h"

namespace orvant {

namespace {

namespace fs = std::filesystem;

constexpr int kLines = 15;
constexpr int kObjectItems = 15;

// Largest magnitude written as a scaled integer: 18 digits stay exact in a 64-bit integer.
constexpr double kMaxScaled = 1e18;

// Format(trunc(x), "0"): the value truncated toward zero as a whole number. False when x cannot
// be written (not finite or beyond 18 digits). A product within rounding noise of a whole number
// (storedInt) is taken as that number: a value read from the file as n/MK/kUgol gives back
// n - 1e-9 or so, and a plain truncation would lower every item by one unit on each load and save.
bool truncText(double x, std::string& out) {
  const auto n = checkedStoredInt(x, 1);
  if (!n || std::fabs(static_cast<double>(*n)) >= kMaxScaled) return false;
  out = std::to_string(*n);
  return true;
}

// Format(x, "0"): the value rounded to a whole number (half away from zero).
bool roundText(double x, std::string& out) {
  if (!std::isfinite(x) || std::fabs(x) >= kMaxScaled) return false;
  out = formatMask(x, "0");
  return true;
}

// One zoned text item. An item that fills its zones exactly gets one trailing blank, so that the
// next item still starts one zone further on and the two stay apart for the reader.
void zoned(PrintLine& line, const std::string& item) {
  if (utf8Length(item) % PrintLine::kZone == 0)
    line.text(item + " ");
  else
    line.text(item);
}

std::vector<std::string> fileLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string cur;
  for (char c : text) {
    if (c == '\n') {
      if (!cur.empty() && cur.back() == '\r') cur.pop_back();
      lines.push_back(std::move(cur));
      cur.clear();
    } else {
      cur.push_back(c);
    }
  }
  if (!cur.empty()) {
    if (cur.back() == '\r') cur.pop_back();
    lines.push_back(std::move(cur));
  }
  if (!lines.empty() && lines[0].rfind("\xEF\xBB\xBF", 0) == 0) lines[0].erase(0, 3);  // UTF-8 BOM
  return lines;
}

// The first `count` items of a line as numbers; false when there are fewer or one is not a number.
// `values` receives the numbers read before the failure.
bool numbers(const std::string& line, int count, std::vector<double>& values) {
  values.clear();
  const std::vector<std::string> items = splitItems(line);
  for (int k = 0; k < count; ++k) {
    if (k >= static_cast<int>(items.size())) return false;
    const auto v = parseNumber(items[static_cast<std::size_t>(k)]);
    if (!v) return false;
    values.push_back(*v);
  }
  return true;
}

bool wholeInt32(double v, int32& out) {
  if (!(v == std::trunc(v)) || v < -2147483648.0 || v > 2147483647.0) return false;
  out = static_cast<int32>(v);
  return true;
}

}  // namespace

std::optional<int> parseFileNumber(std::string_view text) {
  const auto v = parseNumber(text);
  if (!v || *v != std::trunc(*v) || *v < 0 || *v > 32767) return std::nullopt;
  return static_cast<int>(*v);
}

std::string paramFileName(int N) { return "\\Dat\\Orvant" + std::to_string(N) + ".dat"; }

std::string paramFilePath(const State& s, int N) {
  return (fs::path(s.workDir) / "Dat" / ("Orvant" + std::to_string(N) + ".dat")).string();
}

std::optional<std::string> paramFileText(const State& s) {
  std::string text;
  PrintLine date;
  date.number(s.DayD).number(s.MonthD).number(s.YearD).text(kParamScalesText);
  if (!date.ok()) return std::nullopt;
  text += date.str() + "\n";
  text += std::string(kParamConstantsHead) + "\n";

  std::string mSol, gamma, lae;
  if (!truncText(s.m[0] / 1e25, mSol) || !truncText(s.gamma * 1e16, gamma) || !truncText(s.Lae, lae))
    return std::nullopt;
  PrintLine constants;
  zoned(constants, mSol);
  zoned(constants, gamma);
  zoned(constants, lae);
  text += constants.str() + "\n";
  text += std::string(kParamObjectsHead) + "\n";

  for (int i = 0; i <= s.Nob; ++i) {
    std::string items[kObjectItems];
    items[0] = formatMask(i, "00");
    const bool ok = truncText(s.MK * s.AlfaL[i] * s.kUgol, items[1]) &&
                    roundText(std::trunc(s.R0sr[i]) / 1000, items[2]) &&
                    truncText(s.MK * s.W0sr[i] * s.sekG, items[3]) &&
                    truncText(s.MK * s.Eks0[i], items[4]) &&
                    truncText(s.MK * s.Betta0[i] * s.kUgol, items[5]) &&
                    truncText(s.MK * s.AlfaP0[i] * s.kUgol, items[6]) &&
                    truncText(s.MK * s.AlfaU0[i] * s.kUgol, items[7]) &&
                    truncText(s.X[i] / 1000, items[8]) &&
                    roundText(std::trunc(s.Y[i]) / 1000, items[9]) &&
                    truncText(s.Z[i] / 1000, items[10]) && truncText(s.MK * s.VX[i], items[11]) &&
                    truncText(s.MK * s.VY[i], items[12]) && truncText(s.MK * s.VZ[i], items[13]) &&
                    truncText(s.km[i] * 1000, items[14]);
    // km * 1000 is written as a whole number; a ratio that truncates to 0 would make a file whose
    // reader refuses it (m = m(0)/km), so such a state is refused here instead.
    if (!ok || (s.km[i] != 0 && std::trunc(s.km[i] * 1000) == 0)) return std::nullopt;
    PrintLine line;
    for (const std::string& item : items) zoned(line, item);
    text += line.str() + "\n";
  }
  return text;
}

bool saveParamFile(State& s, int N) {
  const std::string name = paramFileName(N);
  const auto text = paramFileText(s);
  if (!text) {
    s.report(std::string(kMsgWriteError) + name, kTitle7);
    return false;
  }
  switch (replaceFileContent(paramFilePath(s, N), *text, true)) {
    case WriteStatus::Ok:
      return true;
    case WriteStatus::CannotCreate:
      s.report(std::string(kMsgNoFile) + name, kTitle7);
      return false;
    case WriteStatus::WriteError:
      break;
  }
  s.report(std::string(kMsgWriteError) + name, kTitle7);
  return false;
}

bool loadParamFile(State& s, int N, ParamLoadProgress* progress) {
  ParamLoadProgress local;
  ParamLoadProgress& p = progress ? *progress : local;
  p = ParamLoadProgress{};
  const std::string name = paramFileName(N);

  std::ifstream in(paramFilePath(s, N), std::ios::binary);
  if (!in) {
    s.report(std::string(kMsgNoFile) + name, kTitle7);
    return false;
  }
  const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    s.report(std::string(kMsgReadError) + name, kTitle7);
    return false;
  }
  const std::vector<std::string> lines = fileLines(content);
  const auto failed = [&s, &name] {
    s.report(std::string(kMsgReadError) + name, kTitle7);
    return false;
  };

  // Line 1: the date of the data.
  std::vector<double> v;
  if (lines.empty() || !numbers(lines[0], 3, v)) return failed();
  int32 month = 0, year = 0;
  if (!std::isfinite(v[0]) || !wholeInt32(v[1], month) || !wholeInt32(v[2], year)) return failed();
  s.DayD = v[0];
  s.MonthD = month;
  s.YearD = year;
  s.Day1 = s.DayD;
  s.Month1 = s.MonthD;
  s.Year1 = s.YearD;
  s.DateError = 0;
  const double jd = JDfromDate(s, s.DayD, s.MonthD, s.YearD);
  if (s.DateError != 0) return failed();
  s.JD = jd;
  s.JD0 = s.JD;
  s.JDep = s.JD0;
  p.date = true;

  // Lines 2-4: the constants between two header texts.
  if (lines.size() < 4) return failed();
  const bool constantsRead = numbers(lines[2], 3, v);
  if (!v.empty()) s.m[0] = v[0] * 1e25;
  if (v.size() > 1) s.gamma = v[1] / 1e16;
  if (v.size() > 2) s.Lae = v[2];
  if (!constantsRead) return failed();
  p.constants = true;

  // Lines 5-15: the objects, each value stored as soon as it is read.
  for (int i = 0; i <= s.Nob; ++i) {
    const std::size_t index = 4 + static_cast<std::size_t>(i);
    if (index >= lines.size()) return failed();
    const bool complete = numbers(lines[index], kObjectItems, v);
    const auto n = v.size();
    if (n > 1) s.AlfaL[i] = v[1] / s.MK / s.kUgol;
    if (n > 2) s.R0sr[i] = v[2] * 1000;
    if (n > 3) s.W0sr[i] = v[3] / s.MK / s.sekG;
    if (n > 4) s.Eks0[i] = v[4] / s.MK;
    if (n > 5) s.Betta0[i] = v[5] / s.MK / s.kUgol;
    if (n > 6) s.AlfaP0[i] = v[6] / s.MK / s.kUgol;
    if (n > 7) s.AlfaU0[i] = v[7] / s.MK / s.kUgol;
    if (n > 8) s.X0[i] = s.X[i] = v[8] * 1000;
    if (n > 9) s.Y0[i] = s.Y[i] = v[9] * 1000;
    if (n > 10) s.Z0[i] = s.Z[i] = v[10] * 1000;
    if (n > 11) s.VX0[i] = s.VX[i] = v[11] / s.MK;
    if (n > 12) s.VY0[i] = s.VY[i] = v[12] / s.MK;
    if (n > 13) s.VZ0[i] = s.VZ[i] = v[13] / s.MK;
    if (n > 14) {
      s.km[i] = v[14] / 1000;
      if (s.km[i] == 0) return failed();  // m(i) = m(0)/km(i) would divide by zero
      s.m[i] = s.m[0] / s.km[i];
    }
    if (!complete) return failed();
    p.objects = i + 1;
  }
  return true;
}

}  // namespace orvant
