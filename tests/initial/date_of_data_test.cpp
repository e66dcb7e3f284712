// Screen 1: the date of the data that a parameter file carries, and the date normalisation that
// "Загрузить на заданную дату" shares with "G->J".
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "initial/initial_data_screen_sources.h"
#include "screen_bench.h"

namespace orvant::test {
namespace {

// The three numbers of line 1 of Dat/Orvant<n>.dat: day, month, year.
std::vector<double> fileDate(const fs::path& dir, int n) {
  std::ifstream in(dir / "Dat" / ("Orvant" + std::to_string(n) + ".dat"));
  std::string line;
  std::getline(in, line);
  for (char& c : line)
    if (c == ',') c = '.';
  std::istringstream words(line);
  std::vector<double> v(3, -1);
  words >> v[0] >> v[1] >> v[2];
  return v;
}

TEST(DateOfData, AFileSavedAfterStartOrALoadCarriesTheDateOfItsData) {
  ScreenBench b;
  ui::Form& f = b.first();
  // Right after the start: the Kin0 data of 1801 January 1.5.
  f.type("fileN", "3");
  f.press("save");
  EXPECT_TRUE(b.messages().empty());
  EXPECT_EQ(fileDate(b.dir, 3), (std::vector<double>{1.5, 1, 1801}));

  // After "Загрузить на заданную дату" with New0 at 1950 March 21.25; the boxes then change
  // without a load: the file keeps the date of the data, not of the boxes.
  b.load(kSourceCaptions[0], "1950", "3", "21,25");
  f.type("Year1", "1960");
  f.type("fileN", "4");
  f.press("save");
  EXPECT_EQ(fileDate(b.dir, 4), (std::vector<double>{21.25, 3, 1950}));

  // Loaded back, the file shows its date.
  f.choose("source", 4);
  f.press("load");
  EXPECT_TRUE(b.messages().empty());
  EXPECT_EQ(f.text("Year1"), "1950");
  EXPECT_EQ(f.text("Month1"), "3");
  EXPECT_EQ(f.text("Day1"), "21,25");
  EXPECT_EQ(b.state.YearD, 1950);
}

TEST(DateOfData, LoadNormalisesTheDateAsGToJDoesAndRefusesAMonthBeyondTheTable) {
  ScreenBench b;
  ui::Form& f = b.first();
  const double jd0 = b.state.JD0;
  // Month 14 is refused by both commands alike, and nothing is loaded.
  f.type("Month1", "14");
  f.press("GJ");
  b.load(kSourceCaptions[0], "2000", "14", "1");
  EXPECT_EQ(b.messages(), (std::vector<std::string>{"Orvant7.0: Введите правильно дату",
                                                    "Orvant7.0: Введите правильно дату"}));
  EXPECT_EQ(b.state.JD0, jd0);
  EXPECT_EQ(f.text("Month1"), "14");  // the refused date stays in the boxes to be corrected

  // Month 13 and day 32 are carried forward: the boxes show the date that was loaded.
  b.load(kSourceCaptions[0], "1999", "13", "32,5");
  EXPECT_TRUE(b.messages().empty());
  EXPECT_EQ(f.text("Year1"), "2000");
  EXPECT_EQ(f.text("Month1"), "2");
  EXPECT_EQ(f.text("Day1"), "1,5");
  EXPECT_EQ(b.state.JD0, 2451576.0);  // 2000 February 1.5
  EXPECT_EQ(f.text("JD"), "2451576");
  // G->J on the same boxes gives the same Julian date.
  f.press("GJ");
  EXPECT_EQ(f.text("JD"), "2451576");
}

}  // namespace
}  // namespace orvant::test
