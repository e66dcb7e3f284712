// Result files as CSV, for pandas, R or a spreadsheet.
//
// The program's own files hold scaled integers in print zones, dates as day counts from a header
// value and names that only the program decodes. The export reads a file with the program's own
// reader and writes one header row of column names with their units, then one row per record:
// comma-separated, decimal point, each number as the shortest decimal that reads back as the same
// double (nothing lost), dates as Julian dates and
// as ISO 8601 (proleptic Gregorian, UT as the file counts it). The original file is not touched.
//
// Files recognised by their place in the work directory:
//   NEW/Orvant<N>Nab.txt, JPL/Orvant<N>Nab.txt, Kin/Plan<k>/Orvant<N>Nab.txt,
//   Plan<k>/Txt<N>/Orvant<N>Ras<e>.txt        orbit-parameter records
//   NEW|JPL|Kin/OrvantNab.dat, Plan<k>/Orvant<N>Ras.dat   secular shifts
//   Dat/Orvant<N>XYZ<e>.txt                   coordinates of the traced body during a run
//   Dat/Stat<ObsName><Npl>_<FileNo>.txt       residual distributions of an observation series
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orvant::app {

struct CsvExport {
  std::string csv;    // the whole text, header row first, LF line ends
  std::string error;  // empty on success: why the file could not be exported
};

CsvExport exportCsv(const std::string& path);

// One coordinate-file row as the run wrote it (units of the file: thousand km, m/s, 10^18 J).
struct CoordinateRow {
  double day = 0;  // day of the month with its fraction
  int month = 0, year = 0;
  double T = 0;    // seconds / 10^6 from the start of the run
  double X = 0, Y = 0, Z = 0, Rpl = 0, VX = 0, VY = 0, VZ = 0, Vpl = 0, Esys = 0;
};

// Reads the rows of a coordinate file (after its seven header lines). nullopt when a row is not
// of the file's form; a file of only the header gives no rows.
std::optional<std::vector<CoordinateRow>> readCoordinateText(const std::string& text);

// The residual report of screen 10: three distributions (|dL| and |dB| in arc seconds, dR in
// thousand km), each of 19 classes with its bounds (the last class open above), the number of
// accepted observations and the three mean residuals.
struct ResidualReport {
  struct Class {
    double lower = 0, upper = 0;  // upper is NaN for the open class
    long count = 0;
  };
  std::vector<Class> dL, dB, dR;
  long accepted = 0;
  double dLsr = 0, dBsr = 0, dRsr = 0;
};

// Reads the report's text; nullopt when it is not of the report's form.
std::optional<ResidualReport> readResidualReport(const std::string& text);

// "YYYY-MM-DDTHH:MM:SS" of a Julian date in the proleptic Gregorian calendar (years may be 0 or
// negative, astronomical numbering, as ISO 8601 allows).
std::string isoDate(double jd);

}  // namespace orvant::app
