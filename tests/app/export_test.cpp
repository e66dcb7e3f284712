// CSV export: every value the program's own reader takes from a file comes out in real units.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/export.h"
#include "model/state.h"
#include "simulation/extraction.h"
#include "statistics/records.h"

namespace orvant::app {
namespace {

namespace fs = std::filesystem;

struct Dir {
  fs::path path;
  Dir() {
    std::string tmpl = (fs::temp_directory_path() / "orvant_export_XXXXXX").string();
    path = mkdtemp(tmpl.data());
  }
  ~Dir() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  std::string write(const std::string& rel, const std::string& text) const {
    fs::create_directories((path / rel).parent_path());
    std::ofstream(path / rel, std::ios::binary) << text;
    return (path / rel).string();
  }
};

std::vector<std::vector<std::string>> parseCsv(const std::string& csv) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(csv);
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> cells;
    std::stringstream ls(line);
    std::string cell;
    while (std::getline(ls, cell, ',')) cells.push_back(cell);
    rows.push_back(cells);
  }
  return rows;
}

double at(const std::vector<std::vector<std::string>>& t, std::size_t r, const std::string& column) {
  for (std::size_t c = 0; c < t[0].size(); ++c)
    if (t[0][c] == column) return std::strtod(t[r][c].c_str(), nullptr);
  ADD_FAILURE() << "no column " << column;
  return 0;
}

TEST(Export, IsoDatesOfKnownDays) {
  EXPECT_EQ(isoDate(2451545.0), "2000-01-01T12:00:00");
  EXPECT_EQ(isoDate(2299160.5), "1582-10-15T00:00:00");  // first day of the Gregorian calendar
  EXPECT_EQ(isoDate(2415020.25), "1899-12-31T18:00:00");  // JD1900 is noon of 1899-12-31; +6 h
  EXPECT_EQ(isoDate(0.0), "-4713-11-24T12:00:00");        // day 0, proleptic Gregorian
  EXPECT_EQ(isoDate(2451545.0 - 1.0 / 86400 / 4), "2000-01-01T12:00:00");  // rounds to the second
}

// A model record file as a run writes it: the CSV holds the values of the program's reader in
// degrees, km and days, with the record's date.
TEST(Export, RecordFileRowsMatchTheReader) {
  Dir d;
  const std::string rel = "Plan0/Txt1/Orvant1Ras1.txt";
  const std::string file = d.write(rel,
      "эксперимент\n\n\n\n"
      " 100           245154500\n"
      " 1             8796          7700000000    4833000000    700500000     20563000      5790910000    260879000000\n"
      " 2             17592         7700001500    4833000000    700500000     20563100      5790910000    260879000000\n");
  const auto out = exportCsv(file);
  ASSERT_EQ(out.error, "");
  const auto t = parseCsv(out.csv);
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[0][0], "record");
  EXPECT_DOUBLE_EQ(at(t, 1, "jd"), 2451545.0 + 87.96);
  EXPECT_EQ(t[1][2], "2000-03-29T11:02:24");
  EXPECT_DOUBLE_EQ(at(t, 1, "AlfaP_deg"), 77.0);
  EXPECT_DOUBLE_EQ(at(t, 2, "AlfaP_deg"), 77.000015);
  EXPECT_DOUBLE_EQ(at(t, 1, "Betta_deg"), 7.005);
  EXPECT_DOUBLE_EQ(at(t, 2, "Eks"), 0.205631);
  EXPECT_DOUBLE_EQ(at(t, 1, "Rsr_km"), 57909100.0);
  EXPECT_DOUBLE_EQ(at(t, 1, "Wsr_rad_per_century"), 2608.79);
  // Each value as the shortest decimal that reads back as the same double, not 17 digits.
  for (const char* text : {",7.005,", ",0.205631,", ",77.000015,", ",57909100,", ",2608.79\n"})
    EXPECT_NE(out.csv.find(text), std::string::npos) << text << " in\n" << out.csv;
  EXPECT_EQ(out.csv.find("9999999"), std::string::npos) << out.csv;
  EXPECT_EQ(out.csv.find("0000001"), std::string::npos) << out.csv;

  // The same numbers as the program's own reader takes from the file.
  State s;
  initCatalogue(s);
  s.workDir = d.path.string();
  statistics::RecordSeries series;
  statistics::LoadChoice choice;
  choice.N = 1;
  choice.source = statistics::Source::Model;
  choice.k = 0;
  choice.e = 1;
  ASSERT_TRUE(statistics::loadSeries(s, series, choice)) << s.lastMessage;
  ASSERT_EQ(series.records.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    const auto& r = series.records[i];
    EXPECT_EQ(at(t, i + 1, "dT_days"), r.dT);
    EXPECT_EQ(at(t, i + 1, "AlfaU_deg"), r.Par[2]);
    EXPECT_EQ(at(t, i + 1, "Eks"), r.Par[4]);
    EXPECT_EQ(at(t, i + 1, "Rsr_km"), r.Par[5] * 1e6);
    EXPECT_EQ(at(t, i + 1, "Wsr_rad_per_century"), r.Par[6]);
  }
}

TEST(Export, ObservedShiftsOneRowPerObject) {
  Dir d;
  std::string text = "Обработанные данные  \\NEW  по всем планетам\n heads\n";
  for (int N = 1; N <= 11; ++N)
    text += " " + std::to_string(N) + "  " + std::to_string(N * 1000000) + " -2500000 0 0 0 0\n";
  const auto out = exportCsv(d.write("NEW/OrvantNab.dat", text));
  ASSERT_EQ(out.error, "");
  const auto t = parseCsv(out.csv);
  ASSERT_EQ(t.size(), 12u);
  EXPECT_DOUBLE_EQ(at(t, 1, "dAlfaP100_arcsec"), 1.0);
  EXPECT_DOUBLE_EQ(at(t, 11, "dAlfaP100_arcsec"), 11.0);
  EXPECT_DOUBLE_EQ(at(t, 3, "dAlfaU100_arcsec"), -2.5);
}

// A coordinate line written by the run's own writer reads back to its values at the file's
// precision (the masks keep three decimals of thousand km and of m/s).
TEST(Export, CoordinateLinesRoundTrip) {
  State s;
  initCatalogue(s);
  s.Day = 1.5, s.Month = 1, s.Year = 1801;
  s.X[1] = 4.6e10, s.Y[1] = -1.25e10, s.Z[1] = 3.3e9;
  s.VX[1] = 12345.678, s.VY[1] = -47000.125, s.VZ[1] = 10.5, s.Vpl = 48000.0;
  const auto line = simulation::coordinateLine(s, 1, 3.6e9, 4.8e10, 2.5e33);
  ASSERT_TRUE(line);
  Dir d;
  const std::string file = d.write("Dat/Orvant1XYZ1.txt", "\n\n\n\n\n\n\n" + *line + "\n" + *line + "\n");
  const auto out = exportCsv(file);
  ASSERT_EQ(out.error, "");
  const auto t = parseCsv(out.csv);
  ASSERT_EQ(t.size(), 3u);
  EXPECT_DOUBLE_EQ(at(t, 1, "day"), 1.5);
  EXPECT_DOUBLE_EQ(at(t, 1, "year"), 1801);
  EXPECT_NEAR(at(t, 1, "X_km"), 4.6e7, 1e-3);
  EXPECT_NEAR(at(t, 1, "Y_km"), -1.25e7, 1e-3);
  EXPECT_NEAR(at(t, 1, "VY_m_s"), -47000.125, 1e-3);
  EXPECT_NEAR(at(t, 1, "t_s"), 3.6e9, 1.0);
  EXPECT_NEAR(at(t, 1, "Esys_J"), 2.5e33, 1e15);
}

TEST(Export, RefusesWhatItCannotRead) {
  Dir d;
  EXPECT_NE(exportCsv(d.write("notes.txt", "x")).error, "");
  EXPECT_NE(exportCsv((d.path / "NEW/Orvant3Nab.txt").string()).error, "");  // missing
  EXPECT_NE(exportCsv(d.write("Dat/Orvant1XYZ1.txt", "\n\n\n\n\n\n\nnot a row\n")).error, "");
  EXPECT_FALSE(readCoordinateText("\n\n\n\n\n\n\n01,5.13.1801____T= 1\n"));
  // A file it does not take: the refusal names the files it does take; screen 10's trace says
  // where that run's figures are.
  const auto other = exportCsv(d.write("Dat/notes.txt", "x"));
  EXPECT_NE(other.error.find("Dat/Stat<ObsName><Npl>_<FileNo>.txt"), std::string::npos) << other.error;
  EXPECT_NE(other.error.find("Plan<k>/Txt<N>/Orvant<N>Ras<e>.txt"), std::string::npos) << other.error;
  const auto trace = exportCsv(d.write("Dat/Ras_data_GREN4_100.txt", "\nпланета  № 4\n"));
  EXPECT_NE(trace.error.find("журнал экрана 10"), std::string::npos) << trace.error;
  EXPECT_NE(trace.error.find("Экспорт принимает"), std::string::npos) << trace.error;
}

}  // namespace
}  // namespace orvant::app

namespace orvant::app {
namespace {

// Screen 10's residual report (the reduction's golden file) as CSV: every class, the count and the
// means, dR in km.
TEST(Export, ResidualReportClassesAndMeans) {
  std::ifstream golden(std::string(ORVANT_SOURCE_DIR) + "/tests/observations/data/StatGREN4_100.golden.txt",
                       std::ios::binary);
  if (!golden) GTEST_SKIP() << "the report's golden file is not in the source tree";
  std::stringstream text;
  text << golden.rdbuf();
  Dir d;
  const auto out = exportCsv(d.write("Dat/StatGREN4_100.txt", text.str()));
  ASSERT_EQ(out.error, "");
  const auto t = parseCsv(out.csv);
  ASSERT_EQ(t.size(), 1u + 3 * 19 + 4);
  EXPECT_EQ(t[1], (std::vector<std::string>{"class", "dL", "arcsec", "0", "1", "2"}));
  EXPECT_EQ(t[19], (std::vector<std::string>{"class", "dL", "arcsec", "18", "", "1"}));
  EXPECT_EQ(t[21], (std::vector<std::string>{"class", "dB", "arcsec", "0.25", "0.5", "2"}));
  EXPECT_EQ(t[40], (std::vector<std::string>{"class", "dR", "km", "10000", "20000", "2"}));
  EXPECT_EQ(t[58], (std::vector<std::string>{"accepted", "", "", "", "", "3"}));
  EXPECT_DOUBLE_EQ(std::strtod(t[59][5].c_str(), nullptr), 6.166666);
  EXPECT_NEAR(std::strtod(t[61][5].c_str(), nullptr), 68333.333, 1e-6);
  long counted = 0;
  for (std::size_t r = 1; r <= 19; ++r) counted += std::strtol(t[r][5].c_str(), nullptr, 10);
  EXPECT_EQ(counted, 4);  // the classes count every visible observation, accepted or not

  // A report cut short or with a class row damaged is refused.
  const std::string whole = text.str();
  EXPECT_FALSE(readResidualReport(whole.substr(0, whole.size() / 2)));
  std::string damaged = whole;
  damaged.replace(damaged.find("0002"), 4, "zz02");
  EXPECT_FALSE(readResidualReport(damaged));
}

}  // namespace
}  // namespace orvant::app
