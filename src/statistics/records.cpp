#include "statistics/records.h"

#include <algorithm>
#include <cmath>

#include "model/calendar.h"
#include "model/format.h"
#include "model/textfile.h"

namespace orvant::statistics {

namespace {

constexpr const char* kBadInput = "Задайте правильно данные";
constexpr const char* kCannotFind = "Не могу найти файл";
constexpr const char* kReadError = "Ошибка чтения данных из файла";
constexpr const char* kWriteError = "Ошибка записи данных в файл";
constexpr const char* kDashes = "---------------------";

int loadKindOf(Source source) {
  switch (source) {
    case Source::New:
    case Source::JPL: return kSimulatorSeries;
    case Source::Kin: return kObservationSeries;
    case Source::Model: return kModelSeries;
  }
  return kNotLoaded;
}

int columnOf(int option) { return option == 8 ? 10 : option; }

bool isLongForm(const RecordSeries& series) { return series.LoadKind == kObservationSeries; }

// Values read from line 5 on: NP1max, JD0 x 100, then whole records of `width` values.
// Fills header, NP1max, JD0 and records; false on a short file, a non-numeric value, a partial
// record or more records than NP1max.
bool parseRecordFile(const State& s, const std::vector<std::string>& lines, bool longForm,
                     RecordSeries& out) {
  if (lines.size() < 5) return false;
  for (int i = 0; i < 4; ++i) out.header[i] = lines[i];
  // Every value is a scaled 64-bit integer of the file: anything beyond that range is not a
  // record file's value (and could not be converted to the record number or the date key).
  std::vector<double> values;
  for (std::size_t i = 4; i < lines.size(); ++i) {
    for (const auto& item : splitItems(lines[i])) {
      const auto v = parseNumber(item);
      if (!v || !checkedScaledInt(*v, 1)) return false;
      values.push_back(*v);
    }
  }
  if (values.size() < 2) return false;
  const double np1max = values[0];
  if (np1max < 0 || np1max != std::trunc(np1max) || np1max > 1e15) return false;
  out.NP1max = static_cast<std::int64_t>(np1max);
  out.JD0 = values[1] / 100;

  const std::size_t width = longForm ? 13 : 8;
  const std::size_t count = (values.size() - 2) / width;
  if (2 + count * width != values.size()) return false;  // a partial record
  if (static_cast<double>(count) > np1max) return false;

  const double MK = s.MK;
  out.records.assign(count, Record{});
  for (std::size_t r = 0; r < count; ++r) {
    const double* v = &values[2 + r * width];
    Record& rec = out.records[r];
    rec.number = *checkedScaledInt(v[0], 1);  // in range: checked above
    rec.dT = v[1] / 100;
    if (longForm) {
      rec.ddT = v[2] / 100;
      rec.Par[10] = v[3] / 100 / MK;
      for (int c = 1; c <= 9; ++c) rec.Par[c] = v[3 + c] / 100 / MK;
      rec.Par[7] *= 100;  // AlfaL0 is stored without the factor 100
    } else {
      rec.ddT = 0;
      for (int c = 1; c <= 6; ++c) rec.Par[c] = v[1 + c] / 100 / MK;
      rec.Par[10] = MK / 100 / MK;  // every record weighs alike: 0.01
    }
  }
  return true;
}

// The dates of a record: start JD0 + dT.
double dateOf(const RecordSeries& series, const Record& r) { return series.JD0 + r.dT; }

// JD0 becomes the earliest record date and every dT is counted from it. No records: JD0 stays.
void rebase(RecordSeries& series) {
  if (series.records.empty()) return;
  double jd0 = 2 * 2451545.0;
  for (const auto& r : series.records) jd0 = std::min(jd0, dateOf(series, r));
  for (auto& r : series.records) r.dT = dateOf(series, r) - jd0;
  series.JD0 = jd0;
}

}  // namespace

void deriveSeries(const State& s, RecordSeries& series) {
  const int NP = static_cast<int>(series.records.size());
  const int col = series.ParCol;
  const LoadChoice& ch = series.choice;
  series.NP = NP;
  series.dT.assign(NP + 1, 0);
  series.ddT.assign(NP + 1, 0);
  series.Par.assign(NP + 1, ParRow{});
  const bool fix = ch.fixAlfa && (col == 1 || col == 2 || col == 7);
  const bool atStart = col == 7 || (ch.N == 11 && (col == 1 || col == 2));
  for (int i = 1; i <= NP; ++i) {
    const Record& r = series.records[i - 1];
    series.dT[i] = r.dT;
    series.ddT[i] = atStart ? 0 : r.ddT;
    series.Par[i] = r.Par;
    if (fix) series.Par[i][col] = fixAlfa(series.Par[i][col]);
    if (ch.N == 11 && col == 6) {
      if (ch.starP) series.Par[i][6] = series.Par[i][8];
      if (ch.starU) series.Par[i][6] = series.Par[i][9];
    }
  }
  series.Ymax = -s.MK;
  series.Ymin = s.MK * s.MK;
  for (int i = 1; i <= NP; ++i) {
    series.Ymax = std::max(series.Ymax, series.Par[i][col]);
    series.Ymin = std::min(series.Ymin, series.Par[i][col]);
  }
}

namespace {

// An observation series whose load changed the values of the chosen column or ddT may not be
// rewritten from the screen: the user would not see what is written.
bool loadChangedData(const RecordSeries& series) {
  const int col = series.ParCol;
  const LoadChoice& ch = series.choice;
  return col == 7 || (ch.N == 11 && (col == 1 || col == 2)) ||
         (col == 6 && (ch.starP || ch.starU));
}

std::string changedDataMessage(const char* firstLine) {
  return std::string(firstLine) +
         "\n          не был отмечен параметр AlfaL0"
         "\n         а для Луны еще и AlfaP или AlfaU"
         "\n     или W* и один из чекбоксов dP11 или dU11";
}

// The refusals shared by Delete point and Add point.
bool mayChangeFile(State& s, const RecordSeries& series, const char* firstLine) {
  // The test series has no file behind it: it must never overwrite a record file.
  if (series.LoadKind < kSimulatorSeries || series.LoadKind == kTestSeries) {
    s.report(kNotLoadedPrimary, kTitle7);
    return false;
  }
  if (series.LoadKind == kObservationSeries && loadChangedData(series)) {
    s.report(changedDataMessage(firstLine), kTitle7);
    return false;
  }
  return true;
}

// The date of a record to the file's resolution (a hundredth of a day), for "the same date";
// nullopt for a date no file can hold.
std::optional<std::int64_t> dateKey(double jd) { return checkedStoredInt(jd, 100); }

// The record with the date D; 0 when none (a date no file can hold matches nothing).
int findDate(const RecordSeries& series, double D) {
  const auto key = dateKey(D);
  if (!key) return 0;
  for (std::size_t i = 0; i < series.records.size(); ++i)
    if (dateKey(dateOf(series, series.records[i])) == key) return static_cast<int>(i) + 1;
  return 0;
}

// Inserts r (with r.dT counted from series.JD0) after the last record dated before it, then
// rebases. Returns the new record's number (1-based).
int insertInOrder(RecordSeries& series, Record r) {
  const double D = series.JD0 + r.dT;
  std::size_t pos = 0;
  for (std::size_t i = 0; i < series.records.size(); ++i)
    if (dateOf(series, series.records[i]) < D) pos = i + 1;
  series.records.insert(series.records.begin() + static_cast<std::ptrdiff_t>(pos), r);
  rebase(series);
  return static_cast<int>(pos) + 1;
}

// Writes `next` to its file; on success reads the written text back into it (so that memory holds
// exactly what a new load would give) and derives the arrays. A value the file cannot hold (a
// typed value beyond the range of its 64-bit integers) is a numeric failure ("Ошибка вычислений"):
// nothing is written.
bool commitRewrite(State& s, RecordSeries& next) {
  const auto whole = seriesFileText(s, next);
  if (!whole) {
    s.report("Ошибка вычислений", kTitle7);
    return false;
  }
  const std::string& text = *whole;
  if (!writeFileAtomically(fullPath(s, next.path), text)) {
    s.report(std::string(kWriteError) + "\n" + displayPath(next.path), kTitle7);
    return false;
  }
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const auto end = text.find('\n', start);
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  RecordSeries back = next;
  parseRecordFile(s, lines, isLongForm(next), back);
  next.NP1max = back.NP1max;
  next.JD0 = back.JD0;
  next.records = std::move(back.records);
  deriveSeries(s, next);
  return true;
}

}  // namespace

std::string recordPath(Source source, int N, int k, int e) {
  const std::string n = std::to_string(N);
  switch (source) {
    case Source::New: return "NEW/Orvant" + n + "Nab.txt";
    case Source::JPL: return "JPL/Orvant" + n + "Nab.txt";
    case Source::Kin: return "Kin/Plan" + std::to_string(k) + "/Orvant" + n + "Nab.txt";
    case Source::Model:
      return "Plan" + std::to_string(k) + "/Txt" + n + "/Orvant" + n + "Ras" + std::to_string(e) +
             ".txt";
  }
  return {};
}

double fixAlfa(double v) {
  const double n = fix(v / 360);
  if (v > 0) return v - 360 * n;
  if (v < 0) return v - 360 * (n - 1);
  return v;
}

bool loadSeries(State& s, RecordSeries& series, const LoadChoice& choice) {
  series = RecordSeries{};
  if (choice.N < 1 || choice.N > 11 || choice.option < 1 || choice.option > 8 || choice.k < 0 ||
      choice.e < 0) {
    s.report(kBadInput, kTitle7);
    return false;
  }
  RecordSeries next;
  next.choice = choice;
  next.ParCol = columnOf(choice.option);
  next.LoadKind = loadKindOf(choice.source);
  next.path = recordPath(choice.source, choice.N, choice.k, choice.e);

  std::vector<std::string> lines;
  const ReadStatus st = readLines(fullPath(s, next.path), lines);
  if (st == ReadStatus::NotFound) {
    s.report(std::string(kCannotFind) + "\n" + displayPath(next.path), kTitle7);
    return false;
  }
  if (st != ReadStatus::Ok || !parseRecordFile(s, lines, isLongForm(next), next)) {
    s.report(std::string(kReadError) + "\n" + displayPath(next.path), kTitle7);
    return false;
  }
  deriveSeries(s, next);
  if (choice.asText) next.text = recordText(s, next);
  series = std::move(next);
  return true;
}

std::string recordTextLine(int number, int year, const Record& r, double dT) {
  std::string t = number <= 9 ? "  " : "";
  t += std::to_string(number);
  t += "   IG= " + formatMask(year, "0000");
  t += "    dT= " + formatMask(dT, "0000000.00");
  t += "    ddT= " + formatMask(r.ddT, "000000.00");
  t += "    Ves= " + formatMask(r.Par[10], "0.0000");
  t += "    AlfaP  = " + formatMask(r.Par[1], "000000.00");
  t += "    AlfaU  = " + formatMask(r.Par[2], "000000.00");
  t += "    Betta  = " + formatMask(r.Par[3], "00.00000");
  t += "    Eks  = " + formatMask(r.Par[4], "0.000000000");
  t += "    Rsr  = " + formatMask(r.Par[5], "0000.0000000");
  t += "    W0  = " + formatMask(r.Par[6], "0000.00000");
  t += "    AlfaL0  = " + formatMask(r.Par[7], "0000000.000");
  t += "    dP11  = " + formatMask(r.Par[8], "00.000000");
  t += "    dU11  = " + formatMask(r.Par[9], "00.000000");
  return t;
}

std::vector<std::string> recordText(State& s, const RecordSeries& series) {
  std::vector<std::string> out(series.header.begin(), series.header.end());
  out.push_back(std::to_string(series.NP1max) + "   " + screenNumber(series.JD0));
  const int col = series.ParCol;
  const bool fix = series.choice.fixAlfa && (col == 1 || col == 2 || col == 7);
  for (std::size_t i = 0; i < series.records.size(); ++i) {
    Record r = series.records[i];
    if (fix) r.Par[col] = fixAlfa(r.Par[col]);
    const bool framed = series.framed == static_cast<int>(i) + 1;
    if (framed) out.emplace_back(kDashes);
    DateFromJD(s, series.JD0 + r.dT);
    out.push_back(recordTextLine(static_cast<int>(r.number), s.Year, r, r.dT));
    if (framed) out.emplace_back(kDashes);
  }
  return out;
}

std::optional<std::string> seriesFileText(const State& s, const RecordSeries& series) {
  const double MK = s.MK;
  std::string out;
  for (const auto& h : series.header) out += h + "\n";
  PrintLine head;
  head.integer(static_cast<std::int64_t>(series.records.size())).stored(series.JD0, 100);
  if (!head.ok()) return std::nullopt;
  out += head.str();
  out += "\n";
  const bool longForm = isLongForm(series);
  std::int64_t n = 0;
  for (const auto& r : series.records) {
    PrintLine line;
    line.integer(++n).stored(r.dT, 100);
    if (longForm) {
      line.stored(r.ddT, 100).stored(r.Par[10], 100 * MK);
      for (int c = 1; c <= 6; ++c) line.stored(r.Par[c], 100 * MK);
      line.stored(r.Par[7], MK);
      line.stored(r.Par[8], 100 * MK).stored(r.Par[9], 100 * MK);
    } else {
      for (int c = 1; c <= 6; ++c) line.stored(r.Par[c], 100 * MK);
    }
    if (!line.ok()) return std::nullopt;
    out += line.str();
    out += "\n";
  }
  return out;
}

bool rewriteSeries(State& s, const RecordSeries& series) {
  const auto text = seriesFileText(s, series);
  if (!text) {
    s.report("Ошибка вычислений", kTitle7);
    return false;
  }
  if (!writeFileAtomically(fullPath(s, series.path), *text)) {
    s.report(std::string(kWriteError) + "\n" + displayPath(series.path), kTitle7);
    return false;
  }
  return true;
}

Change deletePoint(State& s, RecordSeries& series, int p) {
  if (!mayChangeFile(s, series, "УДАЛИТЬ ТОЧКУ можно только если при загрузке")) return Change::Failed;
  if (p < 1 || p > static_cast<int>(series.records.size())) {
    s.report(kBadInput, kTitle7);
    return Change::Failed;
  }
  RecordSeries next = series;
  next.records.erase(next.records.begin() + (p - 1));
  if (p == 1) rebase(next);
  next.framed = 0;
  if (!commitRewrite(s, next)) return Change::Failed;
  series = std::move(next);
  return Change::Deleted;
}

Change addPoint(State& s, RecordSeries& series, double v, double Day, int32 Month, int32 Year,
                int32 Y2, const Ask& ask) {
  if (!mayChangeFile(s, series, "ДОБАВИТЬ ТОЧКУ можно только если при загрузке"))
    return Change::Failed;
  if (!std::isfinite(v) || !std::isfinite(Day)) {
    s.report(kBadInput, kTitle7);
    return Change::Failed;
  }
  s.DateError = 0;
  const double D = JDfromDate(s, Day, Month, Year);
  if (s.DateError != 0) return Change::Failed;  // the calendar reported it
  const double L = (static_cast<double>(Y2) - Year) * 365.25;
  const int col = series.ParCol;
  RecordSeries next = series;
  next.framed = 0;
  Change change;
  if (const int i = findDate(series, D); i > 0) {
    const std::string q = "Точка № " + std::to_string(i) +
                          " с такой датой уже есть\nЗаменить отмеченный параметр в этой точке?";
    if (!ask || !ask(q)) return Change::Unchanged;
    next.records[i - 1].Par[col] = v;
    next.records[i - 1].ddT = L;
    change = Change::Replaced;
  } else {
    Record r;
    r.dT = D - next.JD0;
    r.ddT = L;
    r.Par[col] = v;
    insertInOrder(next, r);
    change = Change::Inserted;
  }
  if (!commitRewrite(s, next)) return Change::Failed;
  series = std::move(next);
  return change;
}

Change addOptimalParameters(State& s, RecordSeries& series, int k, int planet,
                            std::string_view line3, const OptimalRecord& opt, LoadChoice choice,
                            const Ask& ask) {
  const int N = planet == 0 ? 3 : planet;
  bool finite = std::isfinite(opt.JDep) && std::isfinite(opt.JDmean);
  for (int c = 1; c <= 10; ++c) finite = finite && std::isfinite(opt.Par[c]);
  if (N < 1 || N > 11 || k < 0 || !finite) {
    s.report("Введите правильно данные", kTitle7);
    return Change::Failed;
  }
  choice.source = Source::Kin;
  choice.N = N;
  choice.k = k;
  if (!loadSeries(s, series, choice)) return Change::Failed;

  RecordSeries next = series;
  next.header[2] = std::string(line3);
  const double ddT = 2 * (opt.JDmean - opt.JDep);
  Change change;
  if (const int i = findDate(series, opt.JDep); i > 0) {
    const std::string q = "Точка №  " + std::to_string(i) +
                          "  с такой датой уже есть\nЗаменить параметры этой точки?";
    if (!ask || !ask(q)) return Change::Unchanged;
    Record& r = next.records[i - 1];
    for (int c = 1; c <= 10; ++c) r.Par[c] = opt.Par[c];
    r.ddT = ddT;
    next.framed = i;
    change = Change::Replaced;
  } else {
    Record r;
    r.dT = opt.JDep - next.JD0;
    r.ddT = ddT;
    r.Par = opt.Par;
    r.Par[0] = 0;
    next.framed = insertInOrder(next, r);
    change = Change::Inserted;
  }
  if (!commitRewrite(s, next)) return Change::Failed;
  next.text = recordText(s, next);
  series = std::move(next);
  return change;
}

std::string recordLine(std::span<const std::int64_t> values) {
  PrintLine line;
  for (auto v : values) line.integer(v);
  return line.str();
}

bool createRecordFile(State& s, std::string_view relPath, const std::array<std::string, 4>& header,
                      std::int64_t NP1max, double JD0) {
  std::string text;
  for (const auto& h : header) text += h + "\n";
  PrintLine line5;
  line5.integer(NP1max).stored(JD0, 100);
  if (!line5.ok() || !writeFileAtomically(fullPath(s, relPath), text + line5.str() + "\n", true)) {
    s.report(std::string(kWriteError) + "\n" + displayPath(relPath), kTitle7);
    return false;
  }
  return true;
}

bool appendRecord(State& s, std::string_view relPath, std::span<const std::int64_t> values) {
  if (!appendLineWhole(fullPath(s, relPath), recordLine(values))) {
    s.report(std::string(kWriteError) + "\n" + displayPath(relPath), kTitle7);
    return false;
  }
  return true;
}

int pickRecord(State& s, const RecordSeries& series, double t, int previous) {
  const int NP = series.NP;
  if (series.LoadKind == kNotLoaded || NP < 1) {
    s.report(kCannotFindPoint, kTitle7);
    return 0;
  }
  if (NP == 1) return 1;
  const auto& dT = series.dT;
  if (t < (dT[1] + dT[2]) / 2) return 1;
  if (t > (dT[NP - 1] + dT[NP]) / 2) return NP;
  for (int i = 2; i < NP; ++i)
    if ((dT[i - 1] + dT[i]) / 2 < t && t < (dT[i] + dT[i + 1]) / 2) return i;
  return previous;
}

bool drawingTooLarge(const RecordSeries& series, double unitsPerCm, double yearsPerCm) {
  if (series.NP < 1 || unitsPerCm <= 0 || yearsPerCm <= 0) return false;
  const double height = fix((series.Ymax - series.Ymin) / unitsPerCm) + 3;
  const double width = (series.dT[series.NP] + series.ddT[series.NP]) / 365.25 / yearsPerCm + 2;
  return height * width > 3000;
}

}  // namespace orvant::statistics
