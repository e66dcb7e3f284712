// Observation sources: the choice of a source, the observatory files and the Good file.
// The table workbooks and their cell map are in tables.cpp.
#include "observations/sources.h"

#include <cmath>
#include <fstream>
#include <system_error>

#include "model/calendar.h"
#include "model/format.h"
#include "model/paths.h"
#include "model/textfile.h"

namespace orvant {

namespace fs = std::filesystem;

// The open observatory file: read line by line, never whole (series may be long).
class ObsFile {
 public:
  std::ifstream in;
};

namespace {

constexpr std::array<std::string_view, 12> kMonthNames = {
    "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Columns a..b (1-based, inclusive) of a line; the part beyond the line's end is missing.
std::string_view columns(std::string_view line, std::size_t a, std::size_t b) {
  if (line.size() < a) return {};
  return line.substr(a - 1, std::min(b, line.size()) - (a - 1));
}
char column(std::string_view line, std::size_t a) { return line.size() >= a ? line[a - 1] : ' '; }

std::string_view trimBlanks(std::string_view t) {
  while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
  while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
  return t;
}

// A decimal number of a fixed column: blanks around it, an optional sign, digits with at most one
// point. A blank field or any other character does not convert.
bool fieldNumber(std::string_view field, double& value) {
  std::string_view t = trimBlanks(field);
  if (t.empty()) return false;
  bool negative = false;
  if (t.front() == '+' || t.front() == '-') {
    negative = t.front() == '-';
    t.remove_prefix(1);
  }
  if (t.empty()) return false;
  double v = 0, scale = 0;
  bool digits = false;
  for (char c : t) {
    if (c >= '0' && c <= '9') {
      digits = true;
      if (scale == 0) {
        v = v * 10 + (c - '0');
      } else {
        v += (c - '0') * scale;
        scale /= 10;
      }
    } else if (c == '.' && scale == 0) {
      scale = 0.1;
    } else {
      return false;
    }
  }
  if (!digits) return false;
  value = negative ? -v : v;
  return true;
}

bool fieldInteger(std::string_view field, int& value) {
  double v = 0;
  std::string_view t = trimBlanks(field);
  if (t.find('.') != std::string_view::npos || !fieldNumber(t, v)) return false;
  if (v > 2147483647.0 || v < -2147483648.0) return false;
  value = static_cast<int>(v);
  return true;
}

bool isBlankLine(std::string_view line) { return trimBlanks(line).empty(); }

void stripLineEnd(std::string& line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
}

void stripBom(std::string& line) {
  if (line.size() >= 3 && static_cast<unsigned char>(line[0]) == 0xEF &&
      static_cast<unsigned char>(line[1]) == 0xBB && static_cast<unsigned char>(line[2]) == 0xBF)
    line.erase(0, 3);
}

std::string fullText(const State& s, const std::string& relPath) {
  return fullPath(s, relPath).string();
}


// Reads the five header lines of an open file into the state; false when the header is short or
// line 5 is not two integers.
bool readHeader(State& s, std::istream& in) {
  std::string header;
  for (int i = 1; i <= 4; ++i) {
    std::string line;
    if (!std::getline(in, line)) return false;
    stripLineEnd(line);
    if (i == 1) stripBom(line);
    header += line;
    if (i < 4) header += '\n';
  }
  std::string years;
  if (!std::getline(in, years)) return false;
  stripLineEnd(years);
  const std::vector<std::string> items = splitItems(years);
  int y1 = 0, y2 = 0;
  if (items.size() < 2 || !fieldInteger(items[0], y1) || !fieldInteger(items[1], y2)) return false;
  s.ObsHeader = std::move(header);
  s.YearBeg = y1;
  s.YearEnd = y2;
  return true;
}

}  // namespace

// ---- the line of a record ----

ObsLineVerdict parseObsLine(std::string_view line, int yearBeg, int yearEnd, ObsCriterion crit,
                            ObsRecord& rec) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (isBlankLine(line)) return ObsLineVerdict::Blank;
  int year = 0;
  if (!fieldInteger(columns(line, 11, 14), year)) return ObsLineVerdict::BadNumber;
  rec.year = year;
  if (year < yearBeg) return ObsLineVerdict::BeforeYear;
  int day = 0;
  if (!fieldInteger(columns(line, 16, 17), day)) return ObsLineVerdict::BadNumber;
  const std::string_view monthName = columns(line, 19, 21);
  for (std::size_t m = 0; m < kMonthNames.size(); ++m)
    if (monthName == kMonthNames[m]) rec.month = static_cast<int>(m) + 1;
  // A record without a time is skipped before its (blank) time fields are converted.
  if (column(line, 23) == '-') return ObsLineVerdict::NoTime;
  double h = 0, mi = 0, se = 0, fr = 0;
  if (!fieldNumber(columns(line, 24, 25), h) || !fieldNumber(columns(line, 27, 28), mi) ||
      !fieldNumber(columns(line, 30, 31), se) || !fieldNumber(columns(line, 33, 36), fr))
    return ObsLineVerdict::BadNumber;
  rec.hour = mi / 60 + h + se / 3600 + fr / 3600 / 10000;
  rec.day = rec.hour / 24 + day;
  if (year > yearEnd) return ObsLineVerdict::AfterYear;
  if (column(line, 43) == '-') return ObsLineVerdict::NoRA;
  double rh = 0, rm = 0, rs = 0, rf = 0;
  if (!fieldNumber(columns(line, 44, 45), rh)) return ObsLineVerdict::BadNumber;
  if (rh > 23) return ObsLineVerdict::NoRA;
  if (!fieldNumber(columns(line, 47, 48), rm) || !fieldNumber(columns(line, 50, 51), rs) ||
      !fieldNumber(columns(line, 53, 57), rf))
    return ObsLineVerdict::BadNumber;
  rec.ra = (rm / 60 + rh + rs / 3600 + rf / 3600 / 100000) * 360 / 24;
  double dd = 0, dm = 0, ds = 0, df = 0;
  if (!fieldNumber(columns(line, 70, 71), dd) || !fieldNumber(columns(line, 73, 74), dm) ||
      !fieldNumber(columns(line, 76, 77), ds) || !fieldNumber(columns(line, 79, 82), df))
    return ObsLineVerdict::BadNumber;
  rec.dec = dm / 60 + dd + ds / 3600 + df / 3600 / 10000;
  if (column(line, 69) == '-') rec.dec = -rec.dec;
  if (rec.ra == 0) return ObsLineVerdict::ZeroValue;
  if (crit == ObsCriterion::dR && (rec.dec == 0 || rec.dec == 90)) return ObsLineVerdict::ZeroValue;
  return ObsLineVerdict::Accept;
}

// ---- paths ----

std::string obsFilePath(const State& s) {
  return paths::obsFile(s.ObsName, std::to_string(s.Npl), s.FileNo);
}

static std::string goodPath(const State& s, const std::string& number, ObsCriterion crit) {
  return paths::goodObsFile(s.ObsName, std::to_string(s.Npl), number, crit == ObsCriterion::dR);
}

std::string goodFilePath(const State& s, ObsCriterion crit) { return goodPath(s, s.GoodNo, crit); }
std::string goodInputPath(const State& s, ObsCriterion crit) { return goodPath(s, s.FileNo, crit); }

// ---- the open observatory file ----

bool ObsOpen(State& s, const std::string& relPath) {
  ObsClose(s);
  s.ObsPath = relPath;
  const fs::path path = fullPath(s, relPath);
  std::error_code ec;
  auto file = std::make_shared<ObsFile>();
  if (fs::is_regular_file(path, ec)) file->in.open(path, std::ios::binary);
  if (!file->in.is_open()) {
    s.report(std::string(kMsgObsNoFile) + "\n" + path.string(), kTitle7);
    return false;
  }
  if (!readHeader(s, file->in)) {
    s.report(kMsgObsBadInput, kTitle7);
    return false;
  }
  s.ObsFileOpen = std::move(file);
  s.kObsOpen = 9;
  return true;
}

void ObsClose(State& s) {
  s.ObsFileOpen.reset();
  s.kObsOpen = 0;
}

bool ObsRewind(State& s) {
  const int32 y1 = s.YearBeg, y2 = s.YearEnd;
  const std::string header = s.ObsHeader;
  const bool ok = ObsOpen(s, s.ObsPath);
  s.YearBeg = y1;
  s.YearEnd = y2;
  s.ObsHeader = header;
  s.kEnd = 0;
  return ok;
}

bool ObsReadNext(State& s, ObsCriterion crit) {
  if (!s.ObsFileOpen || s.kObsOpen == 0) {
    s.kEnd = 1;
    return false;
  }
  std::istream& in = s.ObsFileOpen->in;
  const int npl = s.Npl;
  for (;;) {
    std::string line;
    if (!std::getline(in, line)) {
      if (in.bad()) break;
      s.kEnd = 1;
      return false;
    }
    stripLineEnd(line);
    s.ObsLine = line;
    ObsRecord rec;
    rec.month = s.MonthNab;
    const ObsLineVerdict v = parseObsLine(line, s.YearBeg, s.YearEnd, crit, rec);
    s.MonthNab = rec.month;
    switch (v) {
      case ObsLineVerdict::Blank:
      case ObsLineVerdict::BeforeYear:
        if (v == ObsLineVerdict::BeforeYear) s.YearNab = rec.year;
        continue;
      case ObsLineVerdict::NoTime:
        s.YearNab = rec.year;
        continue;
      case ObsLineVerdict::AfterYear:
        s.YearNab = rec.year;
        s.DayNab = rec.day;
        s.HourNab = rec.hour;
        s.kEnd = 1;
        return false;
      case ObsLineVerdict::NoRA:
      case ObsLineVerdict::ZeroValue:
        s.YearNab = rec.year;
        s.DayNab = rec.day;
        s.HourNab = rec.hour;
        continue;
      case ObsLineVerdict::BadNumber:
        goto readError;
      case ObsLineVerdict::Accept:
        s.YearNab = rec.year;
        s.DayNab = rec.day;
        s.HourNab = rec.hour;
        if (npl >= 0 && npl < static_cast<int>(s.Lk.size())) {
          s.Lk[npl] = rec.ra;
          s.Bk[npl] = rec.dec;
        }
        return true;
    }
  }
readError:
  s.kStop = 1;
  {
    const std::string path = fullText(s, s.ObsPath);
    ObsClose(s);
    s.report(std::string(kMsgObsReadError) + "\n" + path, kTitle7);
  }
  return false;
}

// ---- the Good file ----

bool GoodFileCreate(State& s, ObsCriterion crit) {
  const std::string rel = goodFilePath(s, crit);
  PrintLine years;
  years.integer(s.YearBeg).integer(s.YearEnd);
  const std::string content = s.ObsHeader + "\n" + years.str() + "\n";
  if (!writeFileAtomically(fullPath(s, rel), content, true)) {
    s.report(std::string(kMsgObsWriteError) + "\n" + fullText(s, rel), kTitle7);
    return false;
  }
  return true;
}

bool GoodFileAppend(State& s, ObsCriterion crit) {
  const std::string rel = goodFilePath(s, crit);
  if (!appendLineWhole(fullPath(s, rel), s.ObsLine)) {
    s.report(std::string(kMsgObsWriteError) + "\n" + fullText(s, rel), kTitle7);
    return false;
  }
  return true;
}

// ---- the choice of a source ----

bool sourceDmyToJd(State& s, SourceScreen& scr) {
  s.CalType = static_cast<int16>(scr.calType);
  s.Hour0 = scr.dayFromNoon ? 12 : 0;
  s.DateError = 0;
  if (!NormDate(s, scr.day, scr.month, scr.year)) {
    s.report(kMsgBadDate, kTitle70);
    s.DateError = 1;
    return false;
  }
  scr.year = s.Year;
  scr.month = s.Month;
  scr.day = s.Day;
  const double jd = JDfromDate(s, s.Day, s.Month, s.Year);
  if (s.DateError != 0) return false;
  s.JD = jd;
  return true;
}

void ChooseSrcTab(State& s) {
  ObsClose(s);
  s.SrcKind = "Tab";
  s.ObsName.clear();
}

void ChooseSrcObs(State& s) {
  if (TabIsOpen(s)) TabClose(s);
  s.SrcKind = "Obs";
  s.ObsName.clear();
}

// The code of observatory entry k: the catalogue's, or the field "иная Obs" for entry 7; empty
// for entry 0 and for a code that cannot be part of a file name.
static std::string observatoryCode(const SourceScreen& scr, int k) {
  if (k <= 0 || k >= static_cast<int>(kObsCatalogue.size())) return {};
  std::string name =
      k == 7 ? std::string(trimBlanks(scr.otherObs)) : std::string(kObsCatalogue[k].name);
  if (name.find_first_of("/\\") != std::string::npos) return {};
  return name;
}

std::string obsChoicePath(const SourceScreen& scr, int k) {
  const std::string name = observatoryCode(scr, k);
  if (name.empty() || !isFileNumber(scr.fileNo)) return {};
  const std::string npl = std::to_string(scr.objectNo);
  return scr.goodFileObs
             ? paths::goodObsFile(name, npl, scr.fileNo, scr.criterion == ObsCriterion::dR)
             : paths::obsFile(name, npl, scr.fileNo);
}

bool SelectObs(State& s, SourceScreen& scr, int k, bool reopen) {
  if (k < 0 || k >= static_cast<int>(kObsCatalogue.size()) || !isFileNumber(scr.fileNo)) {
    s.report(kMsgObsBadInput, kTitle7);
    return false;
  }
  s.Npl = scr.objectNo;
  scr.dayFromNoon = false;
  scr.calType = 0;
  scr.day = 1.5;
  scr.month = 1;
  scr.aberrSource = scr.aberrObserver = scr.nutation = true;
  const std::string old = s.ObsName;
  std::string name;
  if (k > 0) {
    name = observatoryCode(scr, k);
    if (name.empty()) {
      s.report(kMsgObsBadInput, kTitle7);
      return false;
    }
    scr.obsL = kObsCatalogue[k].L;
    scr.obsB = kObsCatalogue[k].B;
    s.ObsL = scr.obsL;
    s.ObsB = scr.obsB;
  }
  s.ObsName = name;
  s.FileNo = scr.fileNo;
  s.GoodNo = s.FileNo;
  scr.goodNo = s.GoodNo;
  if (k > 0 && name == old && s.kObsOpen != 0 && !reopen) return true;
  const std::string path = scr.goodFileObs ? goodInputPath(s, scr.criterion) : obsFilePath(s);
  ObsClose(s);
  if (k == 0) return true;
  if (!ObsOpen(s, path)) return false;
  scr.year = s.YearBeg;
  scr.obsYear1 = s.YearBeg;
  scr.obsYear2 = s.YearEnd;
  if (!sourceDmyToJd(s, scr)) return false;
  s.kStop = 0;
  s.kEnd = 0;
  return true;
}

bool SelectTab(State& s, SourceScreen& scr, int k) {
  if (k < 0 || k >= static_cast<int>(kTabCatalogue.size())) {
    s.report(kMsgObsBadInput, kTitle7);
    return false;
  }
  const TabCatalogueEntry& e = kTabCatalogue[k];
  s.Npl = scr.objectNo;
  s.Prec = scr.prec;
  scr.dayFromNoon = true;
  scr.calType = 1;
  scr.day = 1;
  scr.month = 1;
  scr.aberrSource = scr.aberrObserver = true;
  scr.nutation = false;
  const std::string old = s.ObsName;
  const std::string name(e.name);
  if (k > 0 && !e.keepsFields) {
    s.NSheet = static_cast<int16>(e.nSheet);
    scr.year = e.year;
    scr.obsL = e.L;
    scr.obsB = e.B;
    scr.calType = e.calType;
    scr.day = e.day;
    scr.month = e.month;
    if (e.dayFromMidnight) scr.dayFromNoon = false;
  }
  s.ObsL = scr.obsL;
  s.ObsB = scr.obsB;
  s.ObsName = name;
  s.YearBeg = scr.year;
  scr.obsYear1 = s.YearBeg;
  scr.obsYear2 = s.YearBeg + 30;
  const bool changes = k == 0 || e.keepsFields || name != old || !TabIsOpen(s);
  if (changes) {
    if (TabIsOpen(s)) TabClose(s);
    if (k == 0) return true;
    if (!TabOpen(s, name)) return false;
  }
  if (!sourceDmyToJd(s, scr)) return false;
  s.JDep = s.JD;
  s.YearNab = s.Year;
  s.MonthNab = s.Month;
  s.DayNab = s.Day;
  s.HourNab = (s.Day - std::trunc(s.Day)) * 24;
  // The correction at the start date; an object the table does not compute is named when a run
  // asks for it, not here.
  if (!TabEvalObjects(s, {s.Npl}, false)) return false;
  s.CorrTab0 = s.CorrTab;
  scr.yearEnd = scr.obsYear2;  // a run ends with the table's span, not at a far year
  if (name == "AlKhwarizmi" && scr.precTab) s.CorrTab0 = s.CorrTab0 - s.Prec * 15 / 100 / 3600;
  s.kStop = 0;
  s.kEnd = 0;
  return true;
}

bool isFileNumber(std::string_view t) {
  if (t.empty() || t.size() > 9) return false;
  for (char c : t)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace orvant
