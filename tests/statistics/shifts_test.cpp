#include "statistics/shifts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "statistics/test_files.h"

namespace orvant::statistics {
namespace {

using testing::TempWorkDir;

// An observed-shift file written by hand from the layout: two text lines, then per object N its
// number and six shifts x 10^6, each value in the next print zone of 14 characters.
const std::string kNabHead =
    "Обработанные данные  \\NEW  по всем планетам\n"
    "№ планеты      перигелий    восхождение    наклон     эксцентриситет   полуось       угл. "
    "скорость\n";
const char* kNabRows[11] = {
    " 1             1000001      -10            1             0             25           -7 ",
    " 2             2000002      -20            2             0             25           -7 ",
    " 3             3000003      -30            3             0             25           -7 ",
    " 4             4000004      -40            4             0             25           -7 ",
    " 5             5000005      -50            5             0             25           -7 ",
    " 6             6000006      -60            6             0             25           -7 ",
    " 7             7000007      -70            7             0             25           -7 ",
    " 8             8000008      -80            8             0             25           -7 ",
    " 9             9000009      -90            9             0             25           -7 ",
    " 10            10000010     -100           10            0             25           -7 ",
    " 11            11000011     -110           11            0             25           -7 ",
};

std::string nabFile() {
  std::string t = kNabHead;
  for (const char* r : kNabRows) t += std::string(r) + "\n";
  return t;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

const std::string kRasFile =
    "Обработанные данные расчета для плана № 2  по планете № 5\n"
    " 3 \n"
    "№ эксперимента  перигелий   восхождение     наклон    эксцентриситет    полуось        "
    "скорость        угол начала\n"
    " 1             100           200           300           400           500           600 \n"
    " 2            -100          -200          -300          -400          -500          -600 \n"
    " 3             1             2             3             4             5             6 \n";

TEST(ObservedShifts, LoadScalesByMK) {
  TempWorkDir dir;
  dir.write("NEW/OrvantNab.dat", nabFile());
  State s = testing::stateIn(dir);
  ASSERT_TRUE(loadObservedShifts(s, ShiftSource::New));
  EXPECT_EQ(s.ShiftKind, 1);
  EXPECT_DOUBLE_EQ(s.NabShift[1][1], 1.000001);
  EXPECT_DOUBLE_EQ(s.NabShift[10][2], -0.0001);
  EXPECT_DOUBLE_EQ(s.NabShift[11][6], -0.000007);
  EXPECT_EQ(s.NabShift[0][1], 0);
  const auto text = observedShiftText(s);
  ASSERT_EQ(text.size(), 11u);
  EXPECT_EQ(text[9],
            " 10    dAlfaP100  = 0010,0000    dAlfaU100  = -0000,0001    dBetta100  = 000,00001"
            "    dEks100  = 000,0000    dRsr100  = 0000,0000    dW100  = 000,0000");
  EXPECT_EQ(text[0].substr(0, 8), "   1    ");
}

TEST(ObservedShifts, ReplaceStoresTruncatedAndKeepsOtherRows) {
  TempWorkDir dir;
  dir.write("NEW/OrvantNab.dat", nabFile());
  State s = testing::stateIn(dir);
  ASSERT_TRUE(loadObservedShifts(s, ShiftSource::New));
  // 12.3456789 arc seconds per century: stored as 12345678, read back as 12.345678.
  ASSERT_TRUE(replaceObservedShift(s, ShiftSource::New, 3, 1, "12.3456789"));
  // -0.0000015 is truncated toward zero: stored as -1, read back as -0.000001.
  ASSERT_TRUE(replaceObservedShift(s, ShiftSource::New, 3, 2, "-0,0000015"));
  const auto lines = linesOf(dir.read("NEW/OrvantNab.dat"));
  ASSERT_EQ(lines.size(), 13u);
  const auto head = linesOf(kNabHead);
  EXPECT_EQ(lines[0], head[0]);
  EXPECT_EQ(lines[1], head[1]);
  EXPECT_EQ(lines[4],
            " 3             12345678     -1             3             0             25           -7 ");
  for (int N = 1; N <= 11; ++N) {
    if (N != 3) {
      EXPECT_EQ(lines[N + 1], kNabRows[N - 1]) << "row " << N;
    }
  }

  State t = testing::stateIn(dir);
  ASSERT_TRUE(loadObservedShifts(t, ShiftSource::New));
  EXPECT_DOUBLE_EQ(t.NabShift[3][1], 12.345678);
  EXPECT_DOUBLE_EQ(t.NabShift[3][2], -0.000001);
  EXPECT_DOUBLE_EQ(t.NabShift[4][1], 4.000004);
  // Screen 15 shows the values truncated to four decimals, screen 6 rounded by the mask.
  EXPECT_EQ(observedShiftText(t, true)[2].substr(0, 30), "   3    dAlfaP100  = 0012,3456");
  EXPECT_EQ(observedShiftText(t, false)[2].substr(0, 30), "   3    dAlfaP100  = 0012,3457");
}

TEST(ObservedShifts, RefusalsWriteNothing) {
  TempWorkDir dir;
  const std::string original = nabFile();
  dir.write("NEW/OrvantNab.dat", original);
  State s = testing::stateIn(dir);

  // Nothing loaded yet.
  EXPECT_FALSE(replaceObservedShift(s, ShiftSource::New, 3, 1, "1"));
  EXPECT_EQ(s.lastMessage, "У Вас не загружены данные наблюдений");
  EXPECT_EQ(s.lastTitle, "Orvant7");
  EXPECT_EQ(dir.read("NEW/OrvantNab.dat"), original);

  ASSERT_TRUE(loadObservedShifts(s, ShiftSource::New));
  for (int c : {0, 7, -1}) {
    s.lastMessage.clear();
    EXPECT_FALSE(replaceObservedShift(s, ShiftSource::New, 3, c, "1"));
    EXPECT_EQ(s.lastMessage, "Задайте правильно данные");
  }
  EXPECT_FALSE(replaceObservedShift(s, ShiftSource::New, 3, 1, "12,3x"));
  EXPECT_EQ(s.lastMessage, "Задайте правильно данные");
  EXPECT_FALSE(replaceObservedShift(s, ShiftSource::New, 12, 1, "1"));
  EXPECT_EQ(dir.read("NEW/OrvantNab.dat"), original);
  // A shift whose x MK does not fit the file's 64-bit integers is bad input, not garbage.
  s.lastMessage.clear();
  EXPECT_FALSE(replaceObservedShift(s, ShiftSource::New, 3, 1, "1E+13"));
  EXPECT_EQ(s.lastMessage, "Задайте правильно данные");
  EXPECT_EQ(dir.read("NEW/OrvantNab.dat"), original);

  // The observed shifts of New are loaded, not those of JPL: JPL's file must not get them.
  EXPECT_FALSE(replaceObservedShift(s, ShiftSource::JPL, 3, 1, "1"));
  EXPECT_EQ(s.lastMessage, "У Вас не загружены данные наблюдений");
  EXPECT_FALSE(dir.exists("JPL/OrvantNab.dat"));

  // Calculated shifts loaded last: the observed table may no longer be written back.
  dir.write("Plan2/Orvant5Ras.dat", kRasFile);
  ASSERT_TRUE(loadCalculatedShifts(s, 2, 5));
  EXPECT_FALSE(replaceObservedShift(s, ShiftSource::New, 3, 1, "1"));
  EXPECT_EQ(s.lastMessage, "У Вас не загружены данные наблюдений");
  EXPECT_EQ(dir.read("NEW/OrvantNab.dat"), original);
}

TEST(ObservedShifts, MissingAndUnreadableFiles) {
  TempWorkDir dir;
  State s = testing::stateIn(dir);
  EXPECT_FALSE(loadObservedShifts(s, ShiftSource::Kin));
  EXPECT_EQ(s.lastMessage, "Не могу найти файл\n\\Kin\\OrvantNab.dat");
  EXPECT_FALSE(loadObservedShifts(s, ShiftSource::JPL, ShiftMessages::Screen15));
  EXPECT_EQ(s.lastMessage, "Не могу найти файл \\JPL\\OrvantNab.dat");
  EXPECT_EQ(s.ShiftKind, 0);

  std::string bad = nabFile();
  bad.replace(bad.find("3000003"), 7, "3000o03");
  const std::string shortFile = kNabHead + std::string(kNabRows[0]) + "\n";
  for (const std::string& text : {bad, shortFile}) {
    dir.write("NEW/OrvantNab.dat", text);
    EXPECT_FALSE(loadObservedShifts(s, ShiftSource::New));
    EXPECT_EQ(s.lastMessage, "Ошибка чтения данных из файла\n\\NEW\\OrvantNab.dat");
    EXPECT_EQ(s.ShiftKind, 0);
    EXPECT_FALSE(replaceObservedShift(s, ShiftSource::New, 3, 1, "1"));
    EXPECT_EQ(dir.read("NEW/OrvantNab.dat"), text);
  }
  EXPECT_FALSE(loadObservedShifts(s, ShiftSource::New, ShiftMessages::Screen15));
  EXPECT_EQ(s.lastMessage, "Ошибка при чтении данных из файла \\NEW\\OrvantNab.dat");
}

TEST(CalculatedShifts, ReplaceOneExperimentKeepsTheOthers) {
  TempWorkDir dir;
  dir.write("Plan2/Orvant5Ras.dat", kRasFile);
  State s = testing::stateIn(dir);
  ASSERT_TRUE(loadCalculatedShifts(s, 2, 5));
  EXPECT_EQ(s.ShiftKind, 2);
  EXPECT_EQ(s.NE, 3);
  EXPECT_DOUBLE_EQ(s.RasShift[5][6][1], 0.0006);
  EXPECT_DOUBLE_EQ(s.RasShift[5][1][2], -0.0001);
  EXPECT_DOUBLE_EQ(s.RasShift[5][4][3], 0.000004);
  const auto text = calculatedShiftText(s, 5);
  ASSERT_EQ(text.size(), 3u);
  EXPECT_EQ(text[1].substr(0, 34), "   2    dAlfaP100  = -0000,0001   ");

  ASSERT_TRUE(replaceCalculatedShift(s, 2, 5, 3, 4, "-7.25"));
  const auto want = linesOf(kRasFile);
  const auto got = linesOf(dir.read("Plan2/Orvant5Ras.dat"));
  ASSERT_EQ(got.size(), 6u);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(got[i], want[i]) << "line " << i + 1;
  EXPECT_EQ(got[5], " 3             1             2             3            -7250000       5             6 ");

  // Only experiments of the file, and only the file that was loaded.
  EXPECT_FALSE(replaceCalculatedShift(s, 2, 5, 4, 1, "1"));
  EXPECT_EQ(s.lastMessage, "Задайте правильно данные");
  EXPECT_FALSE(replaceCalculatedShift(s, 2, 5, 92, 1, "1"));
  EXPECT_EQ(s.lastMessage, "Задайте правильно данные");
  EXPECT_FALSE(replaceCalculatedShift(s, 2, 6, 1, 1, "1"));
  EXPECT_EQ(s.lastMessage, "У Вас не загружены расчетные данные");
  EXPECT_FALSE(dir.exists("Plan2/Orvant6Ras.dat"));
  EXPECT_FALSE(replaceCalculatedShift(s, 3, 5, 1, 1, "1"));
  EXPECT_EQ(s.lastMessage, "У Вас не загружены расчетные данные");

  State fresh = testing::stateIn(dir);
  EXPECT_FALSE(replaceCalculatedShift(fresh, 2, 5, 1, 1, "1"));
  EXPECT_EQ(fresh.lastMessage, "У Вас не загружены расчетные данные");
}

TEST(CalculatedShifts, BadFilesAndFailedWrites) {
  TempWorkDir dir;
  State s = testing::stateIn(dir);
  std::string tooMany = kRasFile;
  tooMany.replace(tooMany.find("\n 3 \n"), 5, "\n 92 \n");
  std::string nonNumeric = kRasFile;
  nonNumeric.replace(nonNumeric.find("-300"), 4, "-3o0");
  std::string missingRow = kRasFile.substr(0, kRasFile.rfind(" 3 "));
  for (const std::string& text : {tooMany, nonNumeric, missingRow}) {
    dir.write("Plan2/Orvant5Ras.dat", text);
    EXPECT_FALSE(loadCalculatedShifts(s, 2, 5));
    EXPECT_EQ(s.lastMessage, "Ошибка чтения данных из файла\n\\Plan2\\Orvant5Ras.dat");
    EXPECT_EQ(s.ShiftKind, 0);
  }
  EXPECT_FALSE(loadCalculatedShifts(s, 2, 7, ShiftMessages::Screen19));
  EXPECT_EQ(s.lastMessage, "Не могу найти файл \\Plan2\\Orvant7Ras.dat");

  dir.write("Plan2/Orvant5Ras.dat", kRasFile);
  ASSERT_TRUE(loadCalculatedShifts(s, 2, 5));
  std::filesystem::create_directories(dir / "Plan2/Orvant5Ras.dat.tmp");
  EXPECT_FALSE(writeCalculatedShifts(s, 2, 5, ShiftMessages::Screen19));
  EXPECT_EQ(s.lastMessage, "Ошибка при записи данных в файл \\Plan2\\Orvant5Ras.dat");
  EXPECT_FALSE(replaceCalculatedShift(s, 2, 5, 1, 1, "5"));
  EXPECT_EQ(s.lastMessage, "Ошибка записи данных в файл\n\\Plan2\\Orvant5Ras.dat");
  EXPECT_DOUBLE_EQ(s.RasShift[5][1][1], 0.0001);  // the table still holds what the file holds
  EXPECT_EQ(dir.read("Plan2/Orvant5Ras.dat"), kRasFile);
}

}  // namespace
}  // namespace orvant::statistics
