// Screen 19 driven headless: the weights of the plan file and the calculated shifts of a planet.
#include "statistics/screens/weights_screen.h"

#include <gtest/gtest.h>

#include <sstream>

#include "model/format.h"
#include "statistics/shifts.h"
#include "statistics/test_files.h"
#include "ui/memory_form.h"
#include "ui/workbench.h"

namespace orvant::statistics {
namespace {

using testing::TempWorkDir;

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

// A plan file as another program could have written it: CRLF, commas between the numbers, the
// weights with trailing zeros.
const char* const kForeignPlanFile =
    "Уровни варьирования плана № 4\r\n"
    "Orto - для  2  факторов \r\n"
    "30000000,10000000,0,30000000\r\n"
    "0 1000000 0 1000000\r\n"
    "0 1000000 0 1000000\r\n"
    "1500000 500000 -412345 1293827\r\n"
    "1000000 1000000 0 1000000\r\n"
    "1047348600 1000000 0 1047348600\r\n"
    "408523710000 1000000 0 408523710000\r\n"
    "весовые коэффициенты смещений параметров орбит планет\r\n"
    "100.0 50 0 0 0 0\r\n"
    "100 100 100 100 100 100\r\n"
    "100 100 100 100 100 100\r\n"
    "100 100 100 100 100 100\r\n"
    "100 100 100 100 100 100\r\n"
    "100 100 100 100 100 100\r\n"
    "100 100 100 100 100 100\r\n"
    "100 100 100 100 100 100\r\n"
    "100 100 100 100 100 100\r\n"
    "2.5 0 0 0 0 12.25\r\n";

struct Bench {
  TempWorkDir dir;
  State state;
  ui::MemoryDesk desk;
  ui::Workbench wb{state, desk.factory()};
  Bench() {
    state.workDir = dir.dir().string();
    wb.add<WeightsScreen>(WeightsScreen::kNumber);
  }
  ui::Form& form() { return wb.show(WeightsScreen::kNumber).form(); }
  WeightsScreen& screen() { return wb.screen<WeightsScreen>(WeightsScreen::kNumber); }
  std::string last() const { return desk.dialogs().empty() ? "" : desk.dialogs().back().text; }
};

TEST(WeightsScreen, LoadAndSaveWithoutEditsKeepTheNumbers) {
  Bench b;
  b.dir.write("Plan4/OrvantPlan4.dat", kForeignPlanFile);
  ui::Form& f = b.form();
  f.type("plan", "4");
  ASSERT_TRUE(f.press("loadWeights"));
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.last();
  EXPECT_EQ(f.cell("Wt", 0, 1), "50");
  EXPECT_EQ(f.cell("Wt", 9, 5), "12,25");
  EXPECT_EQ(b.state.Wt[10][1], 2.5);
  EXPECT_EQ(b.state.Wt[1][3], 0);
  const auto listing = linesOf(f.text("listing"));
  ASSERT_EQ(listing.size(), 10u);
  EXPECT_EQ(listing[0], "планета  1   100   50   0   0   0   0");

  ASSERT_TRUE(f.press("saveWeights"));
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.last();
  const auto saved = linesOf(b.dir.read("Plan4/OrvantPlan4.dat"));
  ASSERT_EQ(saved.size(), 20u);
  EXPECT_EQ(saved[0], "Уровни варьирования плана № 4");
  EXPECT_EQ(saved[1], "Orto - для  2  факторов ");
  EXPECT_EQ(saved[2], "30000000 10000000 0 30000000");
  EXPECT_EQ(saved[5], "1500000 500000 -412345 1293827");
  EXPECT_EQ(saved[8], "408523710000 1000000 0 408523710000");
  EXPECT_EQ(saved[9], "весовые коэффициенты смещений параметров орбит планет");
  EXPECT_EQ(saved[10], "100 50 0 0 0 0");
  EXPECT_EQ(saved[19], "2.5 0 0 0 0 12.25");
  // Saved again: the same bytes.
  const std::string once = b.dir.read("Plan4/OrvantPlan4.dat");
  f.press("loadWeights");
  f.press("saveWeights");
  EXPECT_EQ(b.dir.read("Plan4/OrvantPlan4.dat"), once);
}

TEST(WeightsScreen, AnEditedWeightChangesOnlyItsRow) {
  Bench b;
  b.dir.write("Plan4/OrvantPlan4.dat", kForeignPlanFile);
  ui::Form& f = b.form();
  f.type("plan", "4");
  f.press("loadWeights");
  f.press("saveWeights");
  const auto before = linesOf(b.dir.read("Plan4/OrvantPlan4.dat"));
  ASSERT_TRUE(f.typeCell("Wt", 4, 2, "33,5"));
  f.press("saveWeights");
  const auto after = linesOf(b.dir.read("Plan4/OrvantPlan4.dat"));
  ASSERT_EQ(after.size(), before.size());
  for (std::size_t i = 0; i < after.size(); ++i) {
    if (i == 14) continue;
    EXPECT_EQ(after[i], before[i]) << i;
  }
  EXPECT_EQ(after[14], "100 100 33.5 100 100 100");
  EXPECT_EQ(b.state.Wt[5][3], 33.5);
}

TEST(WeightsScreen, WeightRefusalsWriteNothing) {
  Bench b;
  b.dir.write("Plan4/OrvantPlan4.dat", kForeignPlanFile);
  ui::Form& f = b.form();
  f.type("plan", "4");
  f.press("saveWeights");  // nothing loaded: the levels to write back are unknown
  EXPECT_EQ(b.last(), "Сначала загрузите весовые коэффициенты плана № 4");
  EXPECT_EQ(b.dir.read("Plan4/OrvantPlan4.dat"), kForeignPlanFile);
  f.press("loadWeights");
  f.typeCell("Wt", 2, 0, "сто");
  f.press("saveWeights");
  EXPECT_EQ(b.last(), "Задайте правильно данные");
  EXPECT_EQ(b.dir.read("Plan4/OrvantPlan4.dat"), kForeignPlanFile);
  f.type("plan", "5");  // another plan than the one loaded
  f.press("saveWeights");
  EXPECT_EQ(b.last(), "Сначала загрузите весовые коэффициенты плана № 5");
  EXPECT_FALSE(b.dir.exists("Plan5/OrvantPlan5.dat"));
  f.press("loadWeights");
  EXPECT_EQ(b.last(), "Не могу найти файл \\Plan5\\OrvantPlan5.dat");
  f.type("plan", "x");
  f.press("loadWeights");
  EXPECT_EQ(b.last(), "Задайте правильно данные");
  b.dir.write("Plan6/OrvantPlan6.dat", std::string(kForeignPlanFile).substr(0, 200));
  f.type("plan", "6");
  f.press("loadWeights");
  EXPECT_EQ(b.last(), "Ошибка при чтении данных из файла \\Plan6\\OrvantPlan6.dat");
  EXPECT_EQ(b.screen().loadedPlan(), 4);
}

// Calculated shifts of planet 2 in plan 4: experiment e has shifts e + c/10.
std::string shiftFile() {
  std::string t = "Обработанные данные расчета для плана № 4  по планете № 2\n 5\n№ эксперимента  перигелий\n";
  for (int e = 1; e <= 5; ++e) {
    t += ' ';
    t += std::to_string(e);
    for (int c = 1; c <= 6; ++c) {
      t += "  ";
      t += std::to_string((e * 10 + c) * 100000);
    }
    t += '\n';
  }
  return t;
}

TEST(WeightsScreen, ViewAndSaveTheShiftsOfOneExperiment) {
  Bench b;
  b.dir.write("Plan4/Orvant2Ras.dat", shiftFile());
  ui::Form& f = b.form();
  f.type("plan", "4");
  f.choose("planet", 1);
  f.type("exp", "3");
  ASSERT_TRUE(f.press("view"));
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.last();
  EXPECT_EQ(f.text("count"), "5");
  EXPECT_EQ(f.text("shift1"), "3,1");
  EXPECT_EQ(f.text("shift6"), "3,6");
  const auto listing = linesOf(f.text("listing"));
  ASSERT_EQ(listing.size(), 5u);
  EXPECT_EQ(listing[2],
            "   3    dAlfaP100= 0003,1000    dAlfaU100= 0003,2000    dBetta100= 003,30000    dEks100= "
            "003,40000    dRsr100= 0003,5000    dW100= 0003,6000");

  const auto before = linesOf(b.dir.read("Plan4/Orvant2Ras.dat"));
  f.type("shift2", "-12,3456789");
  f.type("shift5", "0,5");
  ASSERT_TRUE(f.press("saveShifts"));
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.last();
  const auto after = linesOf(b.dir.read("Plan4/Orvant2Ras.dat"));
  ASSERT_EQ(after.size(), 8u);
  for (int e : {1, 2, 4, 5}) {
    EXPECT_EQ(splitItems(after[static_cast<std::size_t>(e + 2)]), splitItems(before[static_cast<std::size_t>(e + 2)]))
        << e;
  }
  EXPECT_EQ(splitItems(after[5]),
            (std::vector<std::string>{"3", "3100000", "-12345678", "3300000", "3400000", "500000", "3600000"}));
}

TEST(WeightsScreen, ShiftRefusals) {
  Bench b;
  ui::Form& f = b.form();
  f.type("plan", "4");
  f.choose("planet", 1);
  f.press("view");
  EXPECT_EQ(b.last(), "Не могу найти файл \\Plan4\\Orvant2Ras.dat");
  b.dir.write("Plan4/Orvant2Ras.dat", shiftFile());
  f.type("exp", "6");  // the file holds five experiments
  f.press("view");
  EXPECT_EQ(b.last(), "Задайте правильно данные");
  EXPECT_EQ(f.text("count"), "5");
  f.type("exp", "0");
  b.desk.clearDialogs();
  f.press("view");
  EXPECT_EQ(b.last(), "Задайте правильно данные");
  f.type("exp", "2");
  for (int c = 1; c <= 6; ++c) f.type("shift" + std::to_string(c), "1");
  f.choose("planet", 2);  // planet 3: its file was not loaded
  f.press("saveShifts");
  EXPECT_EQ(b.last(), "У Вас не загружены расчетные данные");
  f.choose("planet", 1);
  f.type("shift4", "abc");
  f.press("saveShifts");
  EXPECT_EQ(b.last(), "Задайте правильно данные");
  EXPECT_EQ(b.dir.read("Plan4/Orvant2Ras.dat"), shiftFile());
  b.desk.clearDialogs();
  f.type("shift4", "1E+13");  // x MK beyond the file's 64-bit integers
  f.press("saveShifts");
  EXPECT_EQ(b.last(), "Задайте правильно данные");
  EXPECT_EQ(b.dir.read("Plan4/Orvant2Ras.dat"), shiftFile());
  std::string bad = shiftFile();
  bad.replace(bad.find("4100000"), 7, "41x0000");
  b.dir.write("Plan4/Orvant2Ras.dat", bad);
  f.press("view");
  EXPECT_EQ(b.last(), "Ошибка при чтении данных из файла \\Plan4\\Orvant2Ras.dat");
}

}  // namespace
}  // namespace orvant::statistics
