// Screen 1: the date of the data that a parameter file carries, and the date normalisation that
// "Загрузить на заданную дату" shares with "G->J".
#include <gtest/gtest.h>

#include <algorithm>
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

  // Month 13 is refused as well (months are 1..12 in every date box); a day beyond its month is
  // carried forward: the boxes show the date that was loaded.
  b.load(kSourceCaptions[0], "1999", "13", "1");
  EXPECT_EQ(b.messages(), (std::vector<std::string>{"Orvant7.0: Введите правильно дату"}));
  EXPECT_EQ(b.state.JD0, jd0);
  b.load(kSourceCaptions[0], "1999", "12", "63,5");
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

// The picture of screen 1 zoomed out to the outer planets (3e12 m a unit): the inner planets crowd
// round the Sun; their names are kept apart (boxes of 0,2 cm a character, a line of 0,45 cm, as the
// picture's font).
TEST(DateOfData, NamesOnThePictureDoNotOverlap) {
  ScreenBench b;
  b.first().scrollTo("scale", 30000);
  std::vector<ui::Shape> names;
  for (const ui::Shape& s : dynamic_cast<ui::MemoryForm&>(b.first()).memoryCanvas("pic").shapes())
    if (s.type == ui::Shape::Type::Text) names.push_back(s);
  ASSERT_GE(names.size(), 10u);
  const auto width = [](const std::string& t) {
    return 0.2 * static_cast<double>(std::count_if(t.begin(), t.end(), [](char c) { return (c & 0xC0) != 0x80; }));
  };
  for (std::size_t i = 0; i < names.size(); ++i)
    for (std::size_t j = i + 1; j < names.size(); ++j) {
      const ui::Shape &a = names[i], &c = names[j];
      const bool cover = a.cx1 < c.cx1 + width(c.text) - 1e-9 && c.cx1 < a.cx1 + width(a.text) - 1e-9 &&
                         a.cy1 < c.cy1 + 0.45 - 1e-9 && c.cy1 < a.cy1 + 0.45 - 1e-9;
      EXPECT_FALSE(cover) << a.text << " / " << c.text;
    }
}

}  // namespace
}  // namespace orvant::test
