// Observation sources: the ancient-table workbooks and the observatory series.
//
// The processing of screen 10 (and the observation plans of screen 13, the eclipses of screen 16)
// takes observed positions from one of two kinds of source, State::SrcKind:
//   "Tab"  an ancient astronomical table, a workbook Tab/<ObsName>.xls in the work directory; the
//          program writes a date into its input cells and reads the longitude and latitude that
//          the workbook computes (TabOpen, TabEval, TabClose; the cells are listed by tabCellMap);
//   "Obs"  a series of a modern observatory, a fixed-column text file
//          Obs/<ObsName><Npl>_G_<FileNo>.txt, one observation a line, read by ObsReadNext.
// The "Good" file is the filtered copy of an observatory file that a processing run writes
// (GoodFileCreate, GoodFileAppend) and that a later choice of the observatory reads back.
//
// Everything here works on the shared State without a window. The few settings that live on the
// screen (the date fields, the calendar and day options, the check boxes the choice sets) are
// passed in a SourceScreen, which the screen fills from its fields before a call and shows after.
//
// Messages go through State::report with the texts and titles below; after a failure in the
// middle of a processing kStop = 1.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "model/state.h"
#include "observations/spreadsheet.h"

namespace orvant {

// ---- messages ----
inline constexpr std::string_view kTitle6 = "Orvant6";
inline constexpr std::string_view kMsgObsNoFile = "Не найден файл";
inline constexpr std::string_view kMsgObsBadInput = "Введите правильно данные";
inline constexpr std::string_view kMsgObsReadError = "Ошибка чтения данных из файла";
inline constexpr std::string_view kMsgObsWriteError = "Ошибка записи данных в файл";
inline constexpr std::string_view kMsgNoTable = "Не найдена таблица";
inline constexpr std::string_view kMsgTabCalc = "Ошибка вычислений в таблицах";
// The line added to kMsgNoTable when the workbook of a table the program does not ship is missing.
inline constexpr std::string_view kMsgTabNotShipped =
    "Эта книга не поставляется с программой; ячейки, которые должна иметь ваша книга, "
    "описаны в docs/tables.md (см. README)";
// The tables whose workbooks the program ships (data/workbooks/<name>.fods, converted into Tab/).
inline constexpr std::array<std::string_view, 1> kShippedTables = {"Almagest"};

// The rejection criterion of the processing ("dR" or "Abs(dL)"): it decides which records
// ObsReadNext skips and the name of the Good file.
enum class ObsCriterion { dR, AbsdL };

// ---- catalogues ----

// Observatory entries 1..7 of the option group "Obs" (entry 0 is the hidden "none"). L east
// longitude, B latitude, degrees. Entry 7 ("иное") takes its code from the field "иная Obs".
struct ObsCatalogueEntry {
  std::string_view caption;
  std::string_view name;
  double L, B;
};
inline constexpr std::array<ObsCatalogueEntry, 8> kObsCatalogue{{
    {"", "", 0, 0},
    {"GREN", "GREN", 0, 51.477},
    {"PARI", "PARI", 2.337, 48.836},
    {"USNO", "USNO", -77.066, 38.921},
    {"NIKO", "NIKO", 31.975, 46.972},
    {"CAPE", "CAPE", 18.477, -33.934},
    {"SUMM", "SUMM", 0, 0},
    {"иное", "", 1.111, 1.111},
}};

// Table entries 1..10 of the option group "Tab" (entry 0 is the hidden "none"). A table is dated
// in the Julian calendar with the day beginning at noon unless calType / dayFromMidnight say
// otherwise; the date fields get day `day`, month `month` and year `year`. `keepsFields`: entries
// 5 and 6 (no caption) change no field and keep NSheet.
struct TabCatalogueEntry {
  std::string_view caption;
  std::string_view name;
  int nSheet;
  int year;
  double L, B;
  int calType;           // 1 Julian, 2 Egyptian
  double day;
  int month;
  bool dayFromMidnight;  // Tycho: option "0"
  bool keepsFields;
};
inline constexpr std::array<TabCatalogueEntry, 11> kTabCatalogue{{
    {"", "", 0, 0, 0, 0, 1, 1, 1, false, true},
    {"AlBattani", "AlBattani", 9, 900, 37, 36, 1, 1, 1, false, false},
    {"Alfonso*", "AlfonsoTab", 7, 1200, -4, 39.9, 1, 1, 1, false, false},
    {"AlKhwarizmi*", "AlKhwarizmi", 9, 800, 44, 33, 1, 1, 1, false, false},
    {"Almagest*", "Almagest", 8, 607, 39, 30.97, 2, 23, 3, false, false},
    {"", "HandyTables", 0, 0, 0, 0, 1, 1, 1, false, true},
    {"", "PrutenticTables", 0, 0, 0, 0, 1, 1, 1, false, true},
    {"Rudolphine*", "RudolphineTables", 11, 1600, 12.5, 55.9, 1, 1, 1, false, false},
    {"Streete*", "Streete", 10, 1620, 0, 51.5, 1, 1, 1, false, false},
    {"Tycho (0,11)", "Tycho", 1, 1580, 12.5, 55.9, 1, 1, 1, true, false},
    {"Wing", "Wing", 10, 1640, 0, 51.5, 1, 1, 1, false, false},
}};

// The cells exchanged with a table's workbook (sheets numbered from 1).
struct TabObjectCells {
  bool served = false;        // false: the table gives nothing for the object (Lk, Bk unchanged)
  CellRef l;                  // longitude, degrees
  bool hasB = false;          // false: the latitude is set to 0 without reading a cell
  CellRef b;                  // latitude, degrees (or arc-minutes, see bDivisor)
  double bDivisor = 1;        // 60 where the sheet gives the latitude in arc-minutes
  bool hasSouthFlag = false;  // the latitude is negated when `southFlag` holds the text "S"
  CellRef southFlag;
};
struct TabCellMap {
  std::string name;                  // ObsName of the table
  CellRef year, month, day, hours;   // the date cells, written in this order
  enum class Corr { Zero, Cell, Almagest } corr = Corr::Zero;
  CellRef corrCell;                  // Corr::Cell: the cell holding CorrTab, degrees
  bool corrAddsToL = false;          // AlKhwarizmi: the longitude read is increased by CorrTab
  std::array<TabObjectCells, 12> objects;  // by object index 0..11 (0, 1, 2, 4, 11 at most)
};
// The cell map of a table, nullptr for a table without one (HandyTables, PrutenticTables,
// ToledanTables and any unknown name: a workbook is opened but no cells are exchanged).
const TabCellMap* tabCellMap(std::string_view name);

// ---- the screen's settings that the choice of a source reads and sets ----
struct SourceScreen {
  // Read (the fields and boxes of screen 10):
  int objectNo = 11;            // "объект №" -> Npl
  std::string fileNo = "100";   // "файл Obs №" -> FileNo
  std::string otherObs = "BERL";  // "иная Obs": the code of observatory entry 7
  bool goodFileObs = false;     // "+Good File Obs": open the Good file instead of the raw file
  ObsCriterion criterion = ObsCriterion::dR;
  bool precTab = false;         // "+/-прецесс Tab*"
  double prec = 5030;           // "Прецессия, сек" -> Prec
  // Read and set:
  int year = 1801;              // the year field of the start date
  int month = 1;                // the month field
  double day = 1.5;             // the day field (with fraction)
  // Set by the choice:
  bool dayFromNoon = false;     // day option: "12   часов" (true) or "0" (false)
  int calType = 0;              // calendar option: 0 "Григорианский", 1 "Юлианский ", 2 "Египетский"
  bool aberrSource = true;      // "Аберр. ис."
  bool aberrObserver = true;    // "Аберр. пр."
  bool nutation = true;         // "Нутация"
  double obsL = 0, obsB = 0;    // the ObsL, ObsB fields (also copied to State::ObsL, ObsB)
  std::string goodNo = "41";    // the field beside "++File Bad, Good №" (State::GoodNo)
  int obsYear1 = 0, obsYear2 = 0;  // the two "Obs" year fields
  int yearEnd = 0;              // "до ... года" when a choice sets it (a table: its last year)
};

// The option "Tab" of "данные": closes an open observatory file, SrcKind = "Tab", ObsName empty.
// (Enabling and disabling the entries and the plot captions are the screen's.)
void ChooseSrcTab(State& s);
// The option "Obs": closes an open workbook (TabClose), SrcKind = "Obs", ObsName empty.
void ChooseSrcObs(State& s);

// A click on entry k (0..7) of "Obs". Sets Npl, FileNo, GoodNo (= FileNo), ObsName, ObsL, ObsB,
// the screen's options and date fields; unless the same observatory is chosen again, closes the
// open file and opens Obs/<ObsName><Npl>_G_<FileNo>.txt (or the Good file with goodFileObs),
// reads its header into ObsHeader, YearBeg, YearEnd, sets the start date to 1.5 January of
// YearBeg (Gregorian, from midnight), JD by DMY->JD, and clears kStop and kEnd.
// Failures: "Не найден файл\n<path>" (the source stays chosen, no file open),
// "Введите правильно данные" for a header that is short or whose line 5 is not two integers;
// title "Orvant7". Returns false after a message.
// With `reopen` the file is closed and opened again even when the same observatory is chosen.
bool SelectObs(State& s, SourceScreen& scr, int k, bool reopen = false);
// The relative path of the file that entry k of "Obs" opens with the fields as they stand in
// `scr` (object, file number, "иная Obs", "+Good File Obs", criterion); empty for entry 0 or a
// code or number that cannot name a file.
std::string obsChoicePath(const SourceScreen& scr, int k);

// A file number of the observatory files (and of their accepted copies): digits only, 1 to 9 of
// them ("abc", "nan", "inf", "-1" and "1e3" are not).
bool isFileNumber(std::string_view text);

// A click on entry k (0..10) of "Tab". Sets Npl, ObsName, NSheet, ObsL, ObsB, the screen's options
// and date fields from the table catalogue; YearBeg = the year field, the "Obs" year fields
// YearBeg and YearBeg + 30; when the workbook changes closes the old one and opens the new
// (TabOpen); then JD by DMY->JD, JDep = JD, evaluates the table once (TabEval) and keeps
// CorrTab0 = CorrTab (AlKhwarizmi with precTab: CorrTab0 - Prec*15/100/3600); clears kStop, kEnd.
// Failures: "Не найдена таблица\n<path>" (title "Orvant6"), with one more line naming the
// packages to install when the engine is missing. Returns false after a message.
bool SelectTab(State& s, SourceScreen& scr, int k);

// ---- observatory files ----

// Relative paths (with '/') of the observatory file and of the Good file of the current
// ObsName, Npl, FileNo / GoodNo: "Obs/GREN4_G_100.txt", "Obs/GREN4_G_41LB.txt" (dR) or
// "Obs/GREN4_G_41L.txt" (Abs(dL)).
std::string obsFilePath(const State& s);
std::string goodFilePath(const State& s, ObsCriterion crit);
// The Good file of number FileNo, which "+Good File Obs" opens instead of the raw file.
std::string goodInputPath(const State& s, ObsCriterion crit);

// Opens the observatory file relPath (closing an open one): kObsOpen = 9, ObsPath = relPath,
// ObsHeader = lines 1-4 (joined by "\n"), YearBeg and YearEnd from line 5 (two integers
// separated by a comma or blanks). The messages of SelectObs; false after a message.
bool ObsOpen(State& s, const std::string& relPath);
// Closes the open observatory file (kObsOpen = 0). Nothing when none is open.
void ObsClose(State& s);
// The file is closed, reopened and its five header lines skipped (YearBeg and YearEnd as they
// are), so that the next ObsReadNext starts again at the first record. kEnd = 0.
bool ObsRewind(State& s);

// Reads forward to the next usable record of the open observatory file: sets YearNab, MonthNab,
// DayNab (UT day with fraction), HourNab, Lk[Npl] (right ascension, degrees), Bk[Npl]
// (declination, degrees) and ObsLine, and returns true. At the end of the file, or at a record of
// a year after YearEnd, kEnd = 1 and false. A field that does not convert to a number, or a
// failed read: kStop = 1, the file is closed, "Ошибка чтения данных из файла\n<path>" (title
// "Orvant7"), false. With no file open: kEnd = 1, false.
bool ObsReadNext(State& s, ObsCriterion crit);

// What one record line says, for ObsReadNext, the command line and the tests.
enum class ObsLineVerdict {
  Accept,       // a usable record
  Blank,        // an empty line (or blanks only): skipped
  BeforeYear,   // YearNab < YearBeg: skipped
  NoTime,       // column 23 is "-": skipped
  AfterYear,    // YearNab > YearEnd: the source ends here
  NoRA,         // column 43 is "-" or right-ascension hours above 23: skipped
  ZeroValue,    // zero right ascension (both criteria) or, with dR, declination 0 or 90: skipped
  BadNumber,    // a field where a number is read does not convert: the read error
};
struct ObsRecord {
  int year = 0;
  int month = 0;     // in: MonthNab so far (a month name not recognised keeps it); out: the month
  double day = 0;    // day with the fraction of the day
  double hour = 0;   // hours of the day
  double ra = 0;     // right ascension, degrees
  double dec = 0;    // declination, degrees
};
// Decodes one record line (columns 1-based as the layout gives them; a trailing "\r" is
// ignored). `rec.month` must hold the previous month on entry.
ObsLineVerdict parseObsLine(std::string_view line, int yearBeg, int yearEnd, ObsCriterion crit,
                            ObsRecord& rec);

// Good file: creates Obs/<ObsName><Npl>_G_<GoodNo>LB.txt (dR) or ...L.txt (Abs(dL)) with lines
// 1-4 = ObsHeader and line 5 = YearBeg, YearEnd; GoodFileAppend appends ObsLine (the raw line of
// the record just accepted). "Ошибка записи данных в файл\n<path>" (title "Orvant7") and false on
// failure, the old file left as it was.
bool GoodFileCreate(State& s, ObsCriterion crit);
bool GoodFileAppend(State& s, ObsCriterion crit);

// ---- table workbooks ----

// Relative path of a table's workbook: "Tab/<name>.xls".
std::string tabFilePath(std::string_view name);

// Opens Tab/<name>.xls in the engine (State::TabEngine, else the session's LibreOffice engine,
// started on first use) and attaches worksheets 1..NSheet (those the workbook has). Closes a
// workbook that was open. Failure: "Не найдена таблица\n<full path>" (title "Orvant6"), followed
// by a line naming the packages when the engine is missing, or, when the file is missing and the
// table is not one of kShippedTables, by kMsgTabNotShipped; false.
bool TabOpen(State& s, std::string_view name);
// Closes the open workbook without saving it and releases the worksheets. Nothing when none.
void TabClose(State& s);
bool TabIsOpen(const State& s);

// Evaluates the open table at the current date in ONE exchange with the engine: writes YearNab,
// MonthNab, the whole day Fix(DayNab) (integers) and HourNab (hours since the beginning of the
// day, from noon when the day begins at noon) into the date cells, then sets CorrTab and reads
// Lk[Npl], Bk[Npl] by the cell map. JD (the date of the step) and JDep (the start date) serve the
// Almagest's computed CorrTab and, with precTab, the precession option:
//   PrecShift = (JD - JDep)*5025/36525/3600;  Lk[Npl] = Lk[Npl] - CorrTab + CorrTab0 + PrecShift.
// An object the table does not compute (a table without a cell map computes none): kStop = 1,
// "Таблица <ObsName> не вычисляет объект <Npl> (<name>)", false, Lk, Bk unchanged. Failure (a
// cell that is not a number, a missing worksheet, an engine that died twice): kStop = 1,
// "Ошибка вычислений в таблицах <ObsName>" and on a second line "объект <Npl> (<name>)" (title
// "Orvant7.0"), false. An engine that died is restarted once and the workbook reopened before
// the message is given.
bool TabEval(State& s, bool precTab = false);
// The same for several objects at the same date, still one exchange (screen 16 reads the Sun and
// the observed body together). Sets Lk[i], Bk[i] of each object served; an object the table
// does not compute is passed over (Lk, Bk unchanged), a table without a cell map reads nothing.
bool TabEvalObjects(State& s, const std::vector<int>& objects, bool precTab = false);

// A date as a table evaluation writes it: State's YearNab, MonthNab, DayNab, HourNab.
struct TabDate {
  int year = 0;
  int month = 0;
  double day = 0;    // with the fraction of the day
  double hours = 0;  // since the beginning of the day
};
// The date of the next table evaluation, from State's YearNab, MonthNab, DayNab, HourNab.
TabDate tabDateNow(const State& s);

// For a loop that knows its dates ahead (a table series, the eclipse finder's coarse steps):
// evaluates the open table at all of `dates` for `objects` in one request to the engine (its loop
// over the dates runs inside the engine) and keeps the cells read. A later TabEval /
// TabEvalObjects at one of these dates with the same objects takes them from there instead of
// asking the engine; the values are those its own evaluation gives, to the last bit, so the
// results are the same. What was kept goes with the workbook; at most kTabKeptDates dates are
// kept. False when nothing was kept (no workbook or cell map, a bad date, the engine failed):
// the evaluations then ask the engine one by one and report a failure themselves.
inline constexpr std::size_t kTabKeptDates = 200000;
bool TabPrefetch(State& s, const std::vector<TabDate>& dates, const std::vector<int>& objects);
// True when an evaluation at `date` for `objects` would be answered from what TabPrefetch kept.
bool TabPrefetched(const State& s, const TabDate& date, const std::vector<int>& objects);

}  // namespace orvant
