// Screen 4 headless: decomposition of the known motions, the system velocity and its effect on
// screen 1, bad input.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "initial/param_file.h"
#include "initial/screen_bench.h"
#include "model/format.h"

namespace orvant {
namespace {

using test::ScreenBench;

std::vector<ui::Shape> linesOf(ScreenBench& b, ui::Color color) {
  std::vector<ui::Shape> out;
  for (const auto& s : static_cast<ui::MemoryForm&>(b.fourth()).memoryCanvas("pic").shapes())
    if (s.type == ui::Shape::Type::Line && s.color == color) out.push_back(s);
  return out;
}

std::vector<std::string> textsOf(ScreenBench& b) {
  std::vector<std::string> out;
  for (const auto& s : static_cast<ui::MemoryForm&>(b.fourth()).memoryCanvas("pic").shapes())
    if (s.type == ui::Shape::Type::Text) out.push_back(s.text);
  return out;
}

double number(ui::Form& f, const char* id) { return parseNumber(f.text(id)).value_or(NAN); }

// Row 3 worked out by hand: 105 km/s toward longitude 28 deg, latitude 33 deg:
// 105 cos 33 cos 28, 105 cos 33 sin 28, 105 sin 33.
constexpr double kRow3[3] = {77.75272671274934, 41.34185813056622, 57.18709867657785};

TEST(SystemVelocityScreen, DecomposesAMarkedRow) {
  ScreenBench b;
  ui::Form& f = b.fourth();
  EXPECT_EQ(b.wb.screen(4).title(), "Скорости Солнечной системы");
  EXPECT_EQ(f.text("MV"), "50");
  f.tick("row3", true);
  f.press("decompose");
  EXPECT_NEAR(number(f, "VX3"), kRow3[0], 1e-9);
  EXPECT_NEAR(number(f, "VY3"), kRow3[1], 1e-9);
  EXPECT_NEAR(number(f, "VZ3"), kRow3[2], 1e-9);
  EXPECT_EQ(f.text("VX1"), "");  // unmarked rows are left alone
  EXPECT_NEAR(number(f, "VXsum"), kRow3[0], 1e-9);
  EXPECT_NEAR(number(f, "VZsum"), kRow3[2], 1e-9);
  // Blue lines: the XY projection from (0, -5), the XZ projection from (0, 5), in units of MV.
  const auto blue = linesOf(b, ui::Color{0, 0, 255});
  ASSERT_EQ(blue.size(), 2u);
  EXPECT_EQ(blue[0].x1, 0);
  EXPECT_EQ(blue[0].y1, -5);
  EXPECT_NEAR(blue[0].x2, kRow3[0] / 50, 1e-10);
  EXPECT_NEAR(blue[0].y2, kRow3[1] / 50 - 5, 1e-10);
  EXPECT_NEAR(blue[1].y2, kRow3[2] / 50 + 5, 1e-10);
  EXPECT_EQ(linesOf(b, ui::kBlack).size(), 2u + 2u);  // the two axes and the sum
  // The reference in grey: 370 km/s, 171 deg, -11.4 deg, components truncated to 3 decimals.
  EXPECT_EQ(linesOf(b, ui::kGray).size(), 2u);
  EXPECT_EQ(textsOf(b), (std::vector<std::string>{
                            "справочно   Vsol=370      Alfa=171      Betta=-11,4   (серые линии)",
                            "VX = -358,234      VY = 56,738      VZ = -73,133"}));
  EXPECT_TRUE(b.messages().empty());
}

TEST(SystemVelocityScreen, OppositeSenseAndSums) {
  ScreenBench b;
  ui::Form& f = b.fourth();
  f.tick("row3", true);
  f.tick("row5", true);
  ASSERT_TRUE(f.choose("sign3", 1));  // "--"
  f.press("decompose");
  EXPECT_NEAR(number(f, "VX3"), -kRow3[0], 1e-9);
  const double vx5 = number(f, "VX5");
  // 552 km/s toward 169 deg, -30 deg.
  EXPECT_NEAR(vx5, 552 * std::cos(-30 * M_PI / 180) * std::cos(169 * M_PI / 180), 1e-8);
  EXPECT_NEAR(number(f, "VXsum"), vx5 - kRow3[0], 1e-9);

  // No row marked: the sums are 0 and only the reference is drawn (besides the grid and axes).
  f.press("clear");
  f.tick("row3", false);
  f.tick("row5", false);
  f.press("decompose");
  EXPECT_EQ(f.text("VXsum"), "0");
  EXPECT_EQ(linesOf(b, ui::kGray).size(), 2u);
  const auto black = linesOf(b, ui::kBlack);
  ASSERT_EQ(black.size(), 4u);
  EXPECT_EQ(black[2].x2, 0);
  EXPECT_EQ(black[2].y2, -5);
}

TEST(SystemVelocityScreen, SettingTheSystemVelocityShowsOnScreenOne) {
  ScreenBench b;
  ui::Form& first = b.first();
  State& s = b.state;
  ui::Form& f = b.fourth();
  f.type("VXsys", "10");
  f.type("VYsys", "-5");
  f.type("VZsys", "0,5");
  const auto vx0 = s.VX0, vy0 = s.VY0, vz0 = s.VZ0;
  f.press("setVelocity");
  EXPECT_EQ(s.VXsys, 10);
  EXPECT_EQ(s.VYsys, -5);
  for (int i = 0; i <= 10; ++i) {
    EXPECT_EQ(s.VX[i], 10000 + vx0[i]) << i;
    EXPECT_EQ(s.VY[i], -5000 + vy0[i]) << i;
    EXPECT_EQ(s.VZ[i], 500 + vz0[i]) << i;
  }
  EXPECT_EQ(s.VX0, vx0);  // the initial state stays
  // Screen 1 shows its initial-data view with the current velocities.
  EXPECT_EQ(first.option("view"), 1);
  EXPECT_EQ(first.cell("tab", 3, 3), screenNumber(s.VX[3], 6));
  EXPECT_EQ(first.cell("tab", 0, 4), "-5000");
  // Saved now, the file holds the velocities with the system velocity in them.
  first.type("fileN", "2");
  first.press("save");
  std::ifstream in(b.dir / "Dat" / "Orvant2.dat");
  std::string line;
  for (int k = 0; k < 5; ++k) std::getline(in, line);  // the Sun's line
  EXPECT_EQ(line.substr(154, 12), "10000000000 ");

  // Zero makes the current velocities the initial ones again.
  f.type("VXsys", "0");
  f.type("VYsys", "0");
  f.type("VZsys", "0");
  f.press("setVelocity");
  for (int i = 0; i <= 10; ++i) {
    EXPECT_EQ(s.VX[i], s.VX0[i]) << i;
    EXPECT_EQ(s.VZ[i], s.VZ0[i]) << i;
  }
  EXPECT_TRUE(b.messages().empty());
}

TEST(SystemVelocityScreen, BadInputKeepsWhatWasSetBefore) {
  ScreenBench b;
  ui::Form& f = b.fourth();
  State& s = b.state;
  f.type("VXsys", "7");
  f.type("VYsys", "семь");
  f.press("setVelocity");
  EXPECT_EQ(s.VXsys, 7);
  EXPECT_EQ(s.VYsys, 0);
  f.type("MV", "0");
  f.press("decompose");
  f.type("MV", "50");
  f.tick("row2", true);
  f.tick("row4", true);
  f.type("Alfa4", "x");
  f.press("decompose");
  EXPECT_NEAR(number(f, "VZ2"), 225 * std::sin(60 * M_PI / 180), 1e-9);  // row 2 came first
  EXPECT_EQ(f.text("VXsum"), "");
  EXPECT_EQ(b.messages(), (std::vector<std::string>{"Orvant7: Введите правильно данные",
                                                    "Orvant7: Введите правильно данные",
                                                    "Orvant7: Введите правильно данные"}));
}

TEST(SystemVelocityScreen, ClearAndCloseAndActivation) {
  ScreenBench b;
  ui::Form& f = b.fourth();
  auto& pic = static_cast<ui::MemoryForm&>(f).memoryCanvas("pic");
  const int clears = pic.clearCount();
  EXPECT_GE(clears, 1);  // drawn on activation
  EXPECT_EQ(linesOf(b, ui::kLightGray).size(), 42u);
  f.press("clear");
  EXPECT_EQ(pic.clearCount(), clears + 1);
  f.press("close");
  EXPECT_FALSE(f.shown());
}

}  // namespace
}  // namespace orvant
