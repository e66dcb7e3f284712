#include "statistics/shifts.h"

#include <cmath>
#include <optional>

#include "model/format.h"
#include "model/textfile.h"

namespace orvant::statistics {

namespace {

constexpr const char* kBadInput = "Задайте правильно данные";
constexpr const char* kObservedHeads =
    "№ планеты      перигелий    восхождение    наклон     эксцентриситет   полуось       угл. "
    "скорость";
constexpr const char* kCalculatedHeads =
    "№ эксперимента  перигелий   восхождение     наклон    эксцентриситет    полуось        "
    "скорость        угол начала";
constexpr int kMaxExperiments = 91;

void reportNotFound(State& s, ShiftMessages msg, const std::string& rel) {
  const std::string p = displayPath(rel);
  s.report(msg == ShiftMessages::Screen6 ? "Не могу найти файл\n" + p : "Не могу найти файл " + p,
           kTitle7);
}

void reportReadError(State& s, ShiftMessages msg, const std::string& rel) {
  const std::string p = displayPath(rel);
  s.report(msg == ShiftMessages::Screen6 ? "Ошибка чтения данных из файла\n" + p
                                         : "Ошибка при чтении данных из файла " + p,
           kTitle7);
}

void reportWriteError(State& s, ShiftMessages msg, const std::string& rel) {
  const std::string p = displayPath(rel);
  s.report(msg == ShiftMessages::Screen19 ? "Ошибка при записи данных в файл " + p
                                          : "Ошибка записи данных в файл\n" + p,
           kTitle7);
}

std::string_view sourceDir(ShiftSource source) {
  switch (source) {
    case ShiftSource::New: return "\\NEW";
    case ShiftSource::JPL: return "\\JPL";
    case ShiftSource::Kin: return "\\Kin";
  }
  return "";
}

// The first `count` numbers of lines[from..]; nullopt when there are fewer or one is not a number.
std::optional<std::vector<double>> numbersFrom(const std::vector<std::string>& lines,
                                               std::size_t from, std::size_t count) {
  std::vector<double> v;
  v.reserve(count);
  for (std::size_t i = from; i < lines.size() && v.size() < count; ++i) {
    for (const auto& item : splitItems(lines[i])) {
      if (v.size() == count) break;
      const auto x = parseNumber(item);
      if (!x) return std::nullopt;
      v.push_back(*x);
    }
  }
  if (v.size() < count) return std::nullopt;
  return v;
}

std::string shiftRow(int number, const double* v, bool truncate4) {
  auto val = [&](int c) { return truncate4 ? truncDecimals(v[c], 4) : v[c]; };
  std::string t = number <= 9 ? "   " : " ";
  t += std::to_string(number);
  t += "    dAlfaP100  = " + formatMask(val(1), "0000.0000");
  t += "    dAlfaU100  = " + formatMask(val(2), "0000.0000");
  t += "    dBetta100  = " + formatMask(val(3), "000.00000");
  t += "    dEks100  = " + formatMask(val(4), "000.0000");
  t += "    dRsr100  = " + formatMask(val(5), "0000.0000");
  t += "    dW100  = " + formatMask(val(6), "000.0000");
  return t;
}

// A shift the file can hold: shift x MK within the range of its 64-bit integers.
bool storable(const State& s, double v) { return checkedStoredInt(v, s.MK).has_value(); }

bool nabLoaded(const State& s, ShiftSource source) {
  return s.ShiftKind == 1 && s.NabSource == static_cast<int>(source);
}

bool rasLoaded(const State& s, int k, int N) {
  return s.ShiftKind == 2 && s.RasPlan == k && s.RasObj == N;
}

}  // namespace

std::string observedShiftPath(ShiftSource source) {
  switch (source) {
    case ShiftSource::New: return "NEW/OrvantNab.dat";
    case ShiftSource::JPL: return "JPL/OrvantNab.dat";
    case ShiftSource::Kin: return "Kin/OrvantNab.dat";
  }
  return {};
}

std::string calculatedShiftPath(int k, int N) {
  return "Plan" + std::to_string(k) + "/Orvant" + std::to_string(N) + "Ras.dat";
}

bool loadObservedShifts(State& s, ShiftSource source, ShiftMessages msg) {
  const std::string rel = observedShiftPath(source);
  std::vector<std::string> lines;
  const ReadStatus st = readLines(fullPath(s, rel), lines);
  if (st == ReadStatus::NotFound) {
    reportNotFound(s, msg, rel);
    return false;
  }
  std::optional<std::vector<double>> v;
  if (st == ReadStatus::Ok && lines.size() >= 2) v = numbersFrom(lines, 2, 11 * 7);
  if (!v) {
    reportReadError(s, msg, rel);
    return false;
  }
  for (int N = 1; N <= 11; ++N)
    for (int c = 1; c <= 6; ++c) s.NabShift[N][c] = (*v)[(N - 1) * 7 + c] / s.MK;
  s.ShiftKind = 1;
  s.NabSource = static_cast<int16>(source);
  return true;
}

bool loadCalculatedShifts(State& s, int k, int N, ShiftMessages msg) {
  if (k < 0 || N < 1 || N > 11) {
    s.report(kBadInput, kTitle7);
    return false;
  }
  const std::string rel = calculatedShiftPath(k, N);
  std::vector<std::string> lines;
  const ReadStatus st = readLines(fullPath(s, rel), lines);
  if (st == ReadStatus::NotFound) {
    reportNotFound(s, msg, rel);
    return false;
  }
  int NE = -1;
  std::optional<std::vector<double>> v;
  if (st == ReadStatus::Ok && lines.size() >= 3) {
    const auto ne = numbersFrom(lines, 1, 1);
    if (ne && splitItems(lines[1]).size() == 1 && (*ne)[0] >= 0 && (*ne)[0] <= kMaxExperiments &&
        (*ne)[0] == fix((*ne)[0])) {
      NE = static_cast<int>((*ne)[0]);
      v = numbersFrom(lines, 3, static_cast<std::size_t>(NE) * 7);
    }
  }
  if (!v) {
    reportReadError(s, msg, rel);
    return false;
  }
  for (int e = 1; e <= NE; ++e)
    for (int c = 1; c <= 6; ++c) s.RasShift[N][c][e] = (*v)[(e - 1) * 7 + c] / s.MK;
  s.ShiftKind = 2;
  s.RasPlan = k;
  s.RasObj = N;
  s.NE = NE;
  return true;
}

bool writeObservedShifts(State& s, ShiftSource source, ShiftMessages msg) {
  if (!nabLoaded(s, source)) {
    s.report(kNabNotLoaded, kTitle7);
    return false;
  }
  std::string text = "Обработанные данные  " + std::string(sourceDir(source)) + "  по всем планетам\n";
  text += kObservedHeads;
  text += "\n";
  for (int N = 1; N <= 11; ++N) {
    PrintLine line;
    line.integer(N);
    for (int c = 1; c <= 6; ++c) line.stored(s.NabShift[N][c], s.MK);
    if (!line.ok()) {  // a shift no file can hold (loaded tables hold only storable ones)
      reportWriteError(s, msg, observedShiftPath(source));
      return false;
    }
    text += line.str() + "\n";
  }
  const std::string rel = observedShiftPath(source);
  if (!writeFileAtomically(fullPath(s, rel), text)) {
    reportWriteError(s, msg, rel);
    return false;
  }
  return true;
}

bool writeCalculatedShifts(State& s, int k, int N, ShiftMessages msg) {
  if (!rasLoaded(s, k, N)) {
    s.report(kRasNotLoaded, kTitle7);
    return false;
  }
  std::string text = "Обработанные данные расчета для плана № " + std::to_string(k) +
                     "  по планете № " + std::to_string(N) + "\n";
  text += PrintLine().integer(s.NE).str() + "\n";
  text += kCalculatedHeads;
  text += "\n";
  for (int e = 1; e <= s.NE; ++e) {
    PrintLine line;
    line.integer(e);
    for (int c = 1; c <= 6; ++c) line.stored(s.RasShift[N][c][e], s.MK);
    if (!line.ok()) {
      reportWriteError(s, msg, calculatedShiftPath(k, N));
      return false;
    }
    text += line.str() + "\n";
  }
  const std::string rel = calculatedShiftPath(k, N);
  if (!writeFileAtomically(fullPath(s, rel), text)) {
    reportWriteError(s, msg, rel);
    return false;
  }
  return true;
}

bool replaceObservedShift(State& s, ShiftSource source, int N, int c, std::string_view shiftBox) {
  const auto v = parseNumber(shiftBox);
  if (c < 1 || c > 6 || N < 1 || N > 11 || !v || !storable(s, *v)) {
    s.report(kBadInput, kTitle7);
    return false;
  }
  if (!nabLoaded(s, source)) {
    s.report(kNabNotLoaded, kTitle7);
    return false;
  }
  const double old = s.NabShift[N][c];
  s.NabShift[N][c] = *v;
  if (!writeObservedShifts(s, source)) {
    s.NabShift[N][c] = old;  // the table stays what the file holds
    return false;
  }
  return true;
}

bool replaceCalculatedShift(State& s, int k, int N, int e, int c, std::string_view shiftBox) {
  const auto v = parseNumber(shiftBox);
  if (c < 1 || c > 6 || N < 1 || N > 11 || e < 0 || e > kMaxExperiments || !v ||
      !storable(s, *v)) {
    s.report(kBadInput, kTitle7);
    return false;
  }
  if (!rasLoaded(s, k, N)) {
    s.report(kRasNotLoaded, kTitle7);
    return false;
  }
  // Only the experiments of the file are written: any other e would change nothing on disk.
  if (e < 1 || e > s.NE) {
    s.report(kBadInput, kTitle7);
    return false;
  }
  const double old = s.RasShift[N][c][e];
  s.RasShift[N][c][e] = *v;
  if (!writeCalculatedShifts(s, k, N)) {
    s.RasShift[N][c][e] = old;
    return false;
  }
  return true;
}

std::vector<std::string> observedShiftText(const State& s, bool truncate4) {
  std::vector<std::string> out;
  for (int N = 1; N <= 11; ++N) out.push_back(shiftRow(N, s.NabShift[N].data(), truncate4));
  return out;
}

std::vector<std::string> calculatedShiftText(const State& s, int N) {
  std::vector<std::string> out;
  if (N < 0 || N > 11) return out;
  for (int e = 1; e <= s.NE; ++e) {
    double v[7];
    for (int c = 0; c <= 6; ++c) v[c] = s.RasShift[N][c][e];
    out.push_back(shiftRow(e, v, false));
  }
  return out;
}

}  // namespace orvant::statistics
