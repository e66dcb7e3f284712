#include "app/export.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <optional>
#include <regex>
#include <sstream>

#include "model/format.h"
#include "model/state.h"
#include "statistics/records.h"
#include "statistics/shifts.h"

namespace orvant::app {

namespace {

// The shortest decimal that reads back as the same double (153.54, not 153.53999999999999).
std::string num(double x) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, x);
  return std::string(buf, r.ptr);
}

std::string row(std::initializer_list<std::string> items) {
  std::string line;
  for (const auto& item : items) line += (line.empty() ? "" : ",") + item;
  return line + "\n";
}

// The work directory is what lies above the file's folders; the program's reader then finds the
// file by the same relative path it would use itself.
State stateFor(const std::string& workDir) {
  State s;
  initCatalogue(s);
  s.workDir = workDir.empty() ? "." : workDir;
  return s;
}

std::string failure(const State& s, const std::string& fallback) {
  return s.lastMessage.empty() ? fallback : s.lastMessage;
}

CsvExport records(const std::string& workDir, statistics::Source source, int N, int k, int e) {
  State s = stateFor(workDir);
  statistics::RecordSeries series;
  statistics::LoadChoice choice;
  choice.N = N;
  choice.source = source;
  choice.k = k;
  choice.e = e;
  if (!statistics::loadSeries(s, series, choice)) return {{}, failure(s, "файл не прочитан")};
  const bool isLong = source == statistics::Source::Kin;
  std::string csv = isLong ? row({"record", "jd", "date", "dT_days", "ddT_days", "weight", "AlfaP_deg",
                                  "AlfaU_deg", "Betta_deg", "Eks", "Rsr_km", "Wsr_rad_per_century",
                                  "AlfaL0_deg", "dP11_rad_per_century", "dU11_rad_per_century"})
                           : row({"record", "jd", "date", "dT_days", "AlfaP_deg", "AlfaU_deg", "Betta_deg",
                                  "Eks", "Rsr_km", "Wsr_rad_per_century"});
  for (const auto& r : series.records) {
    const double jd = series.JD0 + r.dT;
    const auto& P = r.Par;
    if (isLong) {
      csv += row({std::to_string(r.number), num(jd), isoDate(jd), num(r.dT), num(r.ddT), num(P[10]), num(P[1]),
                  num(P[2]), num(P[3]), num(P[4]), num(P[5] * 1e6), num(P[6]), num(P[7]), num(P[8]),
                  num(P[9])});
    } else {
      csv += row({std::to_string(r.number), num(jd), isoDate(jd), num(r.dT), num(P[1]), num(P[2]), num(P[3]),
                  num(P[4]), num(P[5] * 1e6), num(P[6])});
    }
  }
  return {csv, {}};
}

const char* const kShiftColumns[] = {"dAlfaP100_arcsec", "dAlfaU100_arcsec", "dBetta100_arcsec",
                                     "dEks100_1e-6",     "dRsr100_km",       "dW100_rad"};

CsvExport observedShifts(const std::string& workDir, statistics::ShiftSource source) {
  State s = stateFor(workDir);
  if (!statistics::loadObservedShifts(s, source)) return {{}, failure(s, "файл не прочитан")};
  std::string csv = "object";
  for (const char* c : kShiftColumns) csv += std::string(",") + c;
  csv += "\n";
  for (int N = 1; N <= 11; ++N) {
    csv += std::to_string(N);
    for (int c = 1; c <= 6; ++c) csv += "," + num(s.NabShift[N][c]);
    csv += "\n";
  }
  return {csv, {}};
}

CsvExport calculatedShifts(const std::string& workDir, int k, int N) {
  State s = stateFor(workDir);
  if (!statistics::loadCalculatedShifts(s, k, N)) return {{}, failure(s, "файл не прочитан")};
  std::string csv = "experiment";
  for (const char* c : kShiftColumns) csv += std::string(",") + c;
  csv += "\n";
  for (int e = 1; e <= s.NE && e < 92; ++e) {
    csv += std::to_string(e);
    for (int c = 1; c <= 6; ++c) csv += "," + num(s.RasShift[N][c][e]);
    csv += "\n";
  }
  return {csv, {}};
}

// The whole text of a file, or nullopt when it cannot be opened.
std::optional<std::string> wholeText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

CsvExport coordinates(const std::string& path) {
  const auto text = wholeText(path);
  if (!text) return {{}, "Не могу найти файл " + path};
  const auto rows = readCoordinateText(*text);
  if (!rows) return {{}, "Ошибка чтения данных из файла " + path};
  std::string csv = row({"day", "month", "year", "t_s", "X_km", "Y_km", "Z_km", "R_km", "VX_m_s", "VY_m_s",
                         "VZ_m_s", "V_m_s", "Esys_J"});
  for (const auto& r : *rows)
    csv += row({num(r.day), std::to_string(r.month), std::to_string(r.year), num(r.T * 1e6), num(r.X * 1e3),
                num(r.Y * 1e3), num(r.Z * 1e3), num(r.Rpl * 1e3), num(r.VX), num(r.VY), num(r.VZ),
                num(r.Vpl), num(r.Esys * 1e18)});
  return {csv, {}};
}

CsvExport residualReport(const std::string& path) {
  const auto text = wholeText(path);
  if (!text) return {{}, "Не могу найти файл " + path};
  const auto report = readResidualReport(*text);
  if (!report) return {{}, "Ошибка чтения данных из файла " + path};
  std::string csv = row({"kind", "quantity", "unit", "lower", "upper", "value"});
  const auto classes = [&](const char* name, const char* unit, double scale,
                           const std::vector<ResidualReport::Class>& list) {
    for (const auto& c : list)
      csv += row({"class", name, unit, num(c.lower * scale), std::isnan(c.upper) ? "" : num(c.upper * scale),
                  std::to_string(c.count)});
  };
  classes("dL", "arcsec", 1, report->dL);
  classes("dB", "arcsec", 1, report->dB);
  classes("dR", "km", 1000, report->dR);
  csv += row({"accepted", "", "", "", "", std::to_string(report->accepted)});
  csv += row({"mean", "dL", "arcsec", "", "", num(report->dLsr)});
  csv += row({"mean", "dB", "arcsec", "", "", num(report->dBsr)});
  csv += row({"mean", "dR", "km", "", "", num(report->dRsr * 1000)});
  return {csv, {}};
}

int toInt(const std::string& digits) {
  return digits.size() > 9 ? -1 : std::stoi(digits);
}

}  // namespace

std::optional<std::vector<CoordinateRow>> readCoordinateText(const std::string& text) {
  std::vector<CoordinateRow> rows;
  std::istringstream in(text);
  std::string line;
  int lineNo = 0;
  // "DD,DDD.MM.YYYY____T= v____X= v ... ____Esys= v" with the decimal comma of the masks.
  static const std::regex date(R"(^\s*(-?[0-9]+(?:[.,][0-9]*)?)\.([0-9]{1,2})\.(-?[0-9]{1,6})$)");
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (++lineNo <= 7) continue;
    if (line.find_first_not_of(' ') == std::string::npos) continue;
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
      const std::size_t at = line.find("____", start);
      parts.push_back(line.substr(start, at == std::string::npos ? std::string::npos : at - start));
      if (at == std::string::npos) break;
      start = at + 4;
    }
    if (parts.size() != 11) return std::nullopt;
    CoordinateRow r;
    std::smatch m;
    if (!std::regex_match(parts[0], m, date)) return std::nullopt;
    const auto day = parseNumber(m[1].str());
    r.month = toInt(m[2].str());
    r.year = static_cast<int>(std::strtol(m[3].str().c_str(), nullptr, 10));
    if (!day || r.month < 1 || r.month > 12) return std::nullopt;
    r.day = *day;
    static const char* const names[] = {"T", "X", "Y", "Z", "Rpl", "VX", "VY", "VZ", "Vpl", "Esys"};
    double* const slots[] = {&r.T, &r.X, &r.Y, &r.Z, &r.Rpl, &r.VX, &r.VY, &r.VZ, &r.Vpl, &r.Esys};
    for (int i = 0; i < 10; ++i) {
      const std::string& p = parts[static_cast<std::size_t>(i + 1)];
      const std::string head = std::string(names[i]) + "= ";
      if (p.rfind(head, 0) != 0) return std::nullopt;
      const auto v = parseNumber(p.substr(head.size()));
      if (!v || !std::isfinite(*v)) return std::nullopt;
      *slots[i] = *v;
    }
    rows.push_back(r);
  }
  return rows;
}

std::optional<ResidualReport> readResidualReport(const std::string& text) {
  std::vector<std::string> lines;
  {
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
    }
  }
  // Two header lines, an empty line, 19 class rows, an empty line, the count, the means.
  if (lines.size() < 25) return std::nullopt;
  ResidualReport r;
  for (int i = 0; i < 19; ++i) {
    std::istringstream row(lines[static_cast<std::size_t>(3 + i)]);
    std::vector<std::string> items;
    for (std::string item; row >> item;) items.push_back(item);
    if (items.size() != 6) return std::nullopt;
    std::vector<ResidualReport::Class>* lists[] = {&r.dL, &r.dB, &r.dR};
    for (int k = 0; k < 3; ++k) {
      const std::string& range = items[static_cast<std::size_t>(2 * k)];
      const auto dots = range.find("...");
      if (dots == std::string::npos) return std::nullopt;
      const auto lower = parseNumber(range.substr(0, dots));
      const std::string upperText = range.substr(dots + 3);
      const auto upper = upperText.empty() ? std::optional<double>(std::nan("")) : parseNumber(upperText);
      const auto count = parseNumber(items[static_cast<std::size_t>(2 * k + 1)]);
      if (!lower || !upper || !count || *count < 0 || *count > 1e15 || *count != std::trunc(*count) ||
          upperText.empty() != (i == 18))
        return std::nullopt;
      lists[k]->push_back({*lower, *upper, static_cast<long>(*count)});
    }
  }
  static const std::regex total(R"(^\s*общее количество точек\s+(-?[0-9]+)\s*$)");
  static const std::regex means(
      R"(^dLsr=\s*(\S+)\s+секунд\s+dBsr=\s*(\S+)\s+секунд\s+dRsr=\s*(\S+)\s+тыс\. км\.\s*$)");
  std::smatch m;
  if (!std::regex_match(lines[23], m, total) || m[1].str().size() > 15) return std::nullopt;
  r.accepted = std::stol(m[1].str());
  if (!std::regex_match(lines[24], m, means)) return std::nullopt;
  const auto a = parseNumber(m[1].str()), b = parseNumber(m[2].str()), c = parseNumber(m[3].str());
  if (!a || !b || !c) return std::nullopt;
  r.dLsr = *a, r.dBsr = *b, r.dRsr = *c;
  return r;
}

std::string isoDate(double jd) {
  if (!std::isfinite(jd) || std::fabs(jd) > 1e9) return "";
  // Fliegel and Van Flandern's conversion of the day number to the Gregorian calendar, valid for
  // all day numbers when the floor division is used (proleptic, astronomical year numbering).
  const double whole = std::floor(jd + 0.5);
  double seconds = std::round((jd + 0.5 - whole) * 86400.0);
  long long J = static_cast<long long>(whole);
  if (seconds >= 86400) {
    seconds -= 86400;
    ++J;
  }
  const auto fdiv = [](long long a, long long b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); };
  const long long f = J + 1401 + fdiv(fdiv(4 * J + 274277, 146097) * 3, 4) - 38;
  const long long e = 4 * f + 3;
  const long long g = (e % 1461 + 1461) % 1461 / 4;
  const long long h = 5 * g + 2;
  const long long D = (h % 153) / 5 + 1;
  const long long M = (h / 153 + 2) % 12 + 1;
  const long long Y = fdiv(e, 1461) - 4716 + (14 - M) / 12;
  const long long s = static_cast<long long>(seconds);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s%04lld-%02lld-%02lldT%02lld:%02lld:%02lld", Y < 0 ? "-" : "",
                Y < 0 ? -Y : Y, M, D, s / 3600, s / 60 % 60, s % 60);
  return buf;
}

CsvExport exportCsv(const std::string& path) {
  std::string p = path;
  for (char& c : p)
    if (c == '\\') c = '/';
  std::smatch m;
  using statistics::Source;
  static const std::regex simRecords(R"(^(.*?)/?(NEW|JPL)/Orvant([0-9]+)Nab\.txt$)");
  static const std::regex kinRecords(R"(^(.*?)/?Kin/Plan([0-9]+)/Orvant([0-9]+)Nab\.txt$)");
  static const std::regex runRecords(R"(^(.*?)/?Plan([0-9]+)/Txt([0-9]+)/Orvant([0-9]+)Ras([0-9]+)\.txt$)");
  static const std::regex observed(R"(^(.*?)/?(NEW|JPL|Kin)/OrvantNab\.dat$)");
  static const std::regex calculated(R"(^(.*?)/?Plan([0-9]+)/Orvant([0-9]+)Ras\.dat$)");
  static const std::regex coords(R"(^(.*?)/?Dat/Orvant([0-9]+)XYZ([0-9]+)\.txt$)");
  static const std::regex report(R"(^(.*?)/?Dat/Stat[^/]*[0-9]+_[0-9]+\.txt$)");
  if (std::regex_match(p, m, simRecords))
    return records(m[1], m[2] == "NEW" ? Source::New : Source::JPL, toInt(m[3]), 1, 1);
  if (std::regex_match(p, m, kinRecords)) return records(m[1], Source::Kin, toInt(m[3]), toInt(m[2]), 1);
  if (std::regex_match(p, m, runRecords)) {
    if (m[3] != m[4]) return {{}, "номер в имени папки Txt и файла различаются: " + path};
    return records(m[1], Source::Model, toInt(m[4]), toInt(m[2]), toInt(m[5]));
  }
  if (std::regex_match(p, m, observed)) {
    const auto source = m[2] == "NEW"   ? statistics::ShiftSource::New
                        : m[2] == "JPL" ? statistics::ShiftSource::JPL
                                        : statistics::ShiftSource::Kin;
    return observedShifts(m[1], source);
  }
  if (std::regex_match(p, m, calculated)) return calculatedShifts(m[1], toInt(m[2]), toInt(m[3]));
  if (std::regex_match(p, m, coords)) return coordinates(path);
  if (std::regex_match(p, m, report)) return residualReport(path);
  static const std::regex trace(R"(^(.*?)/?Dat/(Ras_data_|Bad_data)[^/]*\.txt$)");
  const std::string taken =
      "Экспорт принимает файлы рабочего каталога: NEW/Orvant<N>Nab.txt, JPL/Orvant<N>Nab.txt, "
      "Kin/Plan<k>/Orvant<N>Nab.txt, Plan<k>/Txt<N>/Orvant<N>Ras<e>.txt (параметры орбит); "
      "NEW|JPL|Kin/OrvantNab.dat, Plan<k>/Orvant<N>Ras.dat (сдвиги); Dat/Orvant<N>XYZ<e>.txt "
      "(координаты); Dat/Stat<ObsName><Npl>_<FileNo>.txt (статистика невязок экрана 10).";
  if (std::regex_match(p, m, trace))
    return {{}, "файл " + path +
                    " — журнал экрана 10 (трасса или отброшенные наблюдения), его экспорт не читает; "
                    "итоги прохода — в Dat/Stat<ObsName><Npl>_<FileNo>.txt (флажок «+Статистика»). " +
                    taken};
  return {{}, "не знаю, как прочитать файл " + path + ". " + taken};
}

}  // namespace orvant::app
