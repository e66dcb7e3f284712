// Orbit-parameter record files: a time series of the osculating orbit parameters of one object.
//
// Layout of a file (every value a decimal integer, the quantity times its scale truncated toward
// zero, each value in the next print zone of 14 characters):
//   lines 1-4  free header text, kept as read by every rewrite;
//   line 5     NP1max (upper bound of the number of records) and JD0 x 100;
//   line 6..   one record per line.
// Short record (8 values, simulator and model series):
//   number, dT x 100, AlfaP, AlfaU, Betta, Eks, Rsr, Wsr            (parameters x 100 x MK)
// Long record (13 values, observation series of the Kin directory):
//   number, dT x 100, ddT x 100, Ves, AlfaP, AlfaU, Betta, Eks, Rsr, Wsr, (x 100 x MK)
//   AlfaL0 x MK, dP11, dU11 (x 100 x MK)
// Units after loading: days (dT from JD0, ddT the length of the record's interval), degrees with
// revolutions counted (AlfaP, AlfaU, AlfaL0), degrees (Betta), million km (Rsr), rad per century
// (Wsr, dP11, dU11). Readers take blanks or commas between values, with or without a final line
// break.
//
// The loaded series keeps two views of the records: `records`, the values exactly as the file
// holds them, from which every rewrite is made; and the arrays dT, ddT, Par that the drawing and
// the approximation use, derived from them by the load options (one revolution for "Fix(Alfa)",
// the Moon's dP11/dU11 in place of W*, ddT = 0 for parameters taken at the start of an interval).
// A display option therefore never reaches the file.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/state.h"

namespace orvant::statistics {

// Where a series comes from: the New0 or JPL0 simulator (short records), the observation series
// of the Kin directory (long records), or a model experiment of a plan (short records).
enum class Source { New, JPL, Kin, Model };

// LoadKind values.
inline constexpr int kNotLoaded = 0;
inline constexpr int kSimulatorSeries = 3;
inline constexpr int kModelSeries = 4;
inline constexpr int kObservationSeries = 5;
inline constexpr int kTestSeries = 6;

// Columns of Par: 1 AlfaP, 2 AlfaU, 3 Betta, 4 Eks, 5 Rsr, 6 Wsr, 7 AlfaL0, 8 dP11, 9 dU11, 10 Ves.
inline constexpr int kParCols = 11;
using ParRow = std::array<double, kParCols>;  // index 0 unused

// One record in the file's units (before any load option).
struct Record {
  std::int64_t number = 0;  // record number as written in the file
  double dT = 0;            // days from JD0 to the start of the record
  double ddT = 0;           // length of the record's interval, days (0 in short records)
  ParRow Par{};             // short records: columns 7..9 are 0 and Ves is 0.01
};

// The screen's choices read by a load.
struct LoadChoice {
  int N = 3;                    // object 1..11 (11 the Moon)
  Source source = Source::New;  // "имитаторе" New / JPL / Kin, or "модели"
  int k = 1;                    // plan number
  int e = 1;                    // experiment number
  int option = 1;               // parameter option 1..8 (AlfaP, AlfaU, Betta, Eks, Rsr, W*, AlfaL0, Ves)
  bool fixAlfa = false;         // "Fix(Alfa)"
  bool asText = false;          // "как текст"
  bool starP = false;           // "*P"
  bool starU = false;           // "*U"
};

// A yes/no question to the user; true for "Yes".
using Ask = std::function<bool(std::string_view question)>;

// The loaded series (shared state of screen 6).
struct RecordSeries {
  int LoadKind = kNotLoaded;
  LoadChoice choice;        // the choices of the load (object, source, plan, experiment, options)
  int ParCol = 1;           // chosen column 1..7 or 10
  std::string path;         // file read, relative to the work directory ('/' separators)
  std::array<std::string, 4> header;
  std::int64_t NP1max = 0;  // as read from line 5
  int NP = 0;               // records held
  double JD0 = 0;           // Julian date from which dT is counted
  std::vector<Record> records;  // 0..NP-1: record i+1, as stored in the file

  // Derived for the drawing and the approximation, indexed 1..NP (index 0 unused).
  std::vector<double> dT, ddT;
  std::vector<ParRow> Par;
  double Ymax = 0, Ymin = 0;  // extremes of the chosen column
  int framed = 0;             // record last inserted or replaced from screen 13 (0: none)
  std::vector<std::string> text;  // the "как текст" lines of the last load or insertion
};

// Relative path of a record file: "NEW/Orvant<N>Nab.txt", "JPL/Orvant<N>Nab.txt",
// "Kin/Plan<k>/Orvant<N>Nab.txt" or "Plan<k>/Txt<N>/Orvant<N>Ras<e>.txt".
std::string recordPath(Source source, int N, int k, int e);

// Loads the chosen file ("Загрузить данные полученные"). On any failure the message is reported
// (title "Orvant7"), the series is left empty (LoadKind 0) and false returned, so that nothing can
// be rewritten from a file that did not read. With choice.asText the "как текст" lines are built
// into series.text.
bool loadSeries(State& s, RecordSeries& series, const LoadChoice& choice);

// The "как текст" lines of the series: the four header lines, NP1max and JD0, then one line per
// record (values as stored, with "Fix(Alfa)" applied to the chosen column when ticked); the record
// `framed` is set between two lines of dashes. The year of a record is that of its start date by
// DateFromJD (calendar CalType; s.Year, s.Month, s.Day are left at the last record's date).
std::vector<std::string> recordText(State& s, const RecordSeries& series);

// Fills dT, ddT, Par (1..NP), NP, Ymax and Ymin from the records and the load options.
void deriveSeries(const State& s, RecordSeries& series);

// One record line of the "как текст" layout.
std::string recordTextLine(int number, int year, const Record& r, double dT);

// "Fix(Alfa)": v reduced to one revolution; negatives land in (0, 360], 0 stays 0.
double fixAlfa(double v);

// The outcome of an operation that may rewrite the file.
enum class Change {
  Failed,     // refused or failed: a message was reported, file and series unchanged
  Unchanged,  // the user answered No: file and series unchanged, nothing reported
  Replaced,   // an existing record was changed
  Inserted,   // a new record was inserted
  Deleted     // a record was removed
};

// "Удалить точку №": removes record p (1..NP) and rewrites the file; removing record 1 moves JD0 to
// the earliest remaining date. Refused when nothing (or only the test series) is loaded, and for an
// observation series whose load changed the values of the chosen column.
Change deletePoint(State& s, RecordSeries& series, int p);

// "Добавить в файл точку от": value v of the chosen column for the record dated D =
// JDfromDate(Day, Month, Year) (a date that does not convert fails with the calendar's message);
// Y2 is the end year "до". A record with the same date (to the file's hundredth of a day) is
// changed after `ask` answers Yes; otherwise a new record is inserted in date order (all other
// columns 0). ddT = (Y2 - Year) x 365.25 days.
Change addPoint(State& s, RecordSeries& series, double v, double Day, int32 Month, int32 Year,
                int32 Y2, const Ask& ask);

// The result of screen 13 for "Добавить оптимальные параметры в файл".
struct OptimalRecord {
  double JDep = 0;    // epoch of the processed observations: the record's start date
  double JDmean = 0;  // mean date of the processed data: the record's moment
  ParRow Par{};       // columns 1..10 in the file's units (Rsr in million km)
};

// Inserts or replaces the long record of screen 13 in "Kin/Plan<k>/Orvant<N>Nab.txt" (object 0,
// the Sun, is filed as object 3). Header line 3 becomes `line3` ("по плану №  " + k + "   от " +
// date, made by the caller). The file is loaded into `series` first (with choice's display
// options); the record with date JDep is replaced after `ask` answers Yes. The "как текст" lines
// with the new record framed are left in series.text.
Change addOptimalParameters(State& s, RecordSeries& series, int k, int planet,
                            std::string_view line3, const OptimalRecord& opt, LoadChoice choice,
                            const Ask& ask);

// Writes the series to the file it was read from: header, NP and JD0 x 100, records 1..NP
// numbered anew, long form for an observation series and short form otherwise. A value the file
// cannot hold: "Ошибка вычислений", nothing written.
bool rewriteSeries(State& s, const RecordSeries& series);

// The text of a record file (what rewriteSeries writes); nullopt when a value, scaled as the file
// stores it, is not finite or beyond its 64-bit integers.
std::optional<std::string> seriesFileText(const State& s, const RecordSeries& series);

// ---- writing by a run ----

// One line of scaled integers in print zones of 14 characters.
std::string recordLine(std::span<const std::int64_t> values);

// Creates (or replaces) a record file with its header and line 5, making missing folders.
// On failure reports "Ошибка записи данных в файл" and the path.
bool createRecordFile(State& s, std::string_view relPath, const std::array<std::string, 4>& header,
                      std::int64_t NP1max, double JD0);

// Appends one record of already scaled integers; the line is written whole or not at all.
// On failure reports "Ошибка записи данных в файл" and the path.
bool appendRecord(State& s, std::string_view relPath, std::span<const std::int64_t> values);

// ---- the drawing's helpers ----

// The record picked by a click at t days after JD0: the record whose neighbourhood (from the
// midpoint with its predecessor's dT to the midpoint with its successor's) contains t; record 1
// before the first midpoint, NP after the last; `previous` when t is exactly on a midpoint.
// With nothing loaded reports "Не могу найти эту точку" and returns 0.
int pickRecord(State& s, const RecordSeries& series, double t, int previous);

// True when the drawing of the series at these scales exceeds 3000 cm^2 (the screen then asks
// kBigDrawingQuestion and skips the drawing on No).
bool drawingTooLarge(const RecordSeries& series, double unitsPerCm, double yearsPerCm);
inline constexpr const char* kBigDrawingQuestion =
    "Вы действительно хотите\nтакой большой график.\nЕсли Да, то придется подождать";

// Messages.
inline constexpr const char* kNotLoadedPrimary = "У Вас не загружены первичные данные";
inline constexpr const char* kCannotFindPoint = "Не могу найти эту точку";

}  // namespace orvant::statistics
