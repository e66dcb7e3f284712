// Screens 21 and 22 driven headless: the defaults they put into the shared tables when they open,
// their commands, the coefficient file through the screen, bad boxes and bad files, and the copy
// of a plan's optimum that screen 13 makes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ephemeris/screens/moon_perturbation_screen.h"
#include "ephemeris/screens/planet_perturbation_screen.h"
#include "model/state.h"
#include "ui/memory_form.h"
#include "ui/workbench.h"
#include "support/temp_dir.h"

namespace orvant::ephemeris {
namespace {

namespace fs = std::filesystem;

struct Bench {
  fs::path dir;
  State state;
  ui::MemoryDesk desk;
  ui::Workbench wb{state, desk.factory()};
  Bench() {
    dir = test::freshTempDir("orvant_pert_screens_");
    fs::create_directories(dir);
    state.workDir = dir.string();
    wb.add<MoonPerturbationScreen>(MoonPerturbationScreen::kNumber);
    wb.add<PlanetPerturbationScreen>(PlanetPerturbationScreen::kNumber);
  }
  ~Bench() { fs::remove_all(dir); }
  void write(const std::string& rel, const std::string& text) {
    fs::create_directories((dir / rel).parent_path());
    std::ofstream(dir / rel, std::ios::binary) << text;
  }
  std::string read(const std::string& rel) {
    std::ifstream in(dir / rel, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  ui::Form& moon() { return wb.show(21).form(); }
  ui::Form& planets() { return wb.show(22).form(); }
  PlanetPerturbationScreen& planetScreen() { return wb.screen<PlanetPerturbationScreen>(22); }
  std::vector<std::string> messages() {
    std::vector<std::string> out;
    for (const auto& d : desk.dialogs()) out.push_back(d.title + ": " + d.text);
    desk.clearDialogs();
    return out;
  }
};

using Msgs = std::vector<std::string>;

// A file of the layout: planet I, term j, perturber k holds (100 I + 10 j + k) * 10^-6 * sign.
std::string layoutFile() {
  const char* names[5] = {"", "Меркурий", "Венера", "Земля", "Марс"};
  std::string t;
  for (int I = 1; I <= 4; ++I) {
    t += std::string(names[I]) + "\n";
    for (int k = 1; k <= 2; ++k) {
      for (int j = 1; j <= 8; ++j) t += " " + std::to_string((100 * I + 10 * j + k) * 1000) + " ";
      t += "\n";
    }
  }
  return t;
}

// ---- screen 21 ----

TEST(MoonPerturbationScreen, OpeningPutsTheTickedDefaultsIntoTheTable) {
  Bench b;
  b.state.dLdB.fill(9);  // whatever the table held
  b.moon();
  EXPECT_TRUE(b.messages().empty());
  EXPECT_EQ(b.wb.screen(21).title(), "Возмущения  Луны dLdB");
  const State& s = b.state;
  // Unticked by default: 1, 2, 6, 11, 12 (no sin L, sin 2L, sin 2F, sin(L + F), sin(L - F)).
  for (int n : {1, 2, 6, 11, 12}) EXPECT_EQ(s.dLdB[n], 0) << n;
  EXPECT_EQ(s.dLdB[3], -1.2739);
  EXPECT_EQ(s.dLdB[4], 0.6583);
  EXPECT_EQ(s.dLdB[5], -0.1856);
  EXPECT_EQ(s.dLdB[7], -0.0347);
  EXPECT_EQ(s.dLdB[10], 0.0533);
  EXPECT_EQ(s.dLdB[13], 0.1732);
  EXPECT_EQ(s.dLdB[16], 0.0326);
  EXPECT_EQ(s.dLdB[25], -0.0458);
  EXPECT_EQ(s.dLdB[28], -0.0153);
  // The unused entries are not touched by the screen.
  for (int n : {0, 17, 20, 24, 29}) EXPECT_EQ(s.dLdB[n], 9) << n;
  // The boxes keep the values of the unticked entries.
  EXPECT_EQ(b.moon().text(MoonPerturbationScreen::valueId(1)), "6,2889");
  EXPECT_FALSE(b.moon().checked(MoonPerturbationScreen::tickId(1)));
}

TEST(MoonPerturbationScreen, EditsTakeEffectOnlyThroughTheCommand) {
  Bench b;
  ui::Form& f = b.moon();
  f.type(MoonPerturbationScreen::valueId(3), "-1.5");
  f.tick(MoonPerturbationScreen::tickId(1), true);
  f.tick(MoonPerturbationScreen::tickId(4), false);
  EXPECT_EQ(b.state.dLdB[3], -1.2739);
  EXPECT_EQ(b.state.dLdB[1], 0);
  ASSERT_TRUE(f.press("set"));
  EXPECT_EQ(b.state.dLdB[3], -1.5);
  EXPECT_EQ(b.state.dLdB[1], 6.2889);
  EXPECT_EQ(b.state.dLdB[4], 0);  // unticked: 0 whatever the box holds
  // Closing keeps the table; showing again does not reset it.
  ASSERT_TRUE(f.press("close"));
  EXPECT_FALSE(f.shown());
  b.moon();
  EXPECT_EQ(b.state.dLdB[3], -1.5);
  EXPECT_TRUE(b.messages().empty());
}

TEST(MoonPerturbationScreen, ARefusedTickedBoxChangesNothing) {
  Bench b;
  ui::Form& f = b.moon();
  f.type(MoonPerturbationScreen::valueId(3), "-1,3");
  f.type(MoonPerturbationScreen::valueId(8), "0,05x");
  f.type(MoonPerturbationScreen::valueId(9), "1");
  f.type(MoonPerturbationScreen::valueId(2), "abc");  // unticked: not read
  ASSERT_TRUE(f.press("set"));
  EXPECT_EQ(b.messages(), (Msgs{"Orvant7.0: Введите правильно данные"}));
  EXPECT_EQ(b.state.dLdB[3], -1.2739);  // every entry as before, the refused one too
  EXPECT_EQ(b.state.dLdB[8], 0.0588);
  EXPECT_EQ(b.state.dLdB[9], 0.0571);
  EXPECT_EQ(b.state.dLdB[28], -0.0153);
}

// ---- screen 22 ----

TEST(PlanetPerturbationScreen, OpeningLoadsFileOneAndTheDefaultPerturbers) {
  Bench b;
  b.write("Dat/dL1.dat", layoutFile());
  ui::Form& f = b.planets();
  EXPECT_TRUE(b.messages().empty());
  EXPECT_EQ(b.wb.screen(22).title(), "Возмущения планет dL");
  const State& s = b.state;
  EXPECT_EQ(s.PertDL[1][11], 0.111);
  EXPECT_EQ(s.PertDL[2][11], 0.112);
  EXPECT_EQ(s.PertDL[1][38], 0.381);
  EXPECT_EQ(s.PertDL[2][48], 0.482);
  EXPECT_EQ(f.text("box11"), "0,111");
  EXPECT_EQ(f.text("box51"), "0,112");  // box 10 I + j + 40: perturber 2
  EXPECT_EQ(f.text("box88"), "0,482");
  EXPECT_EQ((std::array<int32, 5>{0, 2, 3, 2, 3}), s.Ipl21);
  EXPECT_EQ((std::array<int32, 5>{0, 5, 5, 5, 5}), s.Ipl22);
  EXPECT_EQ(f.text("fileNo"), "1");
}

TEST(PlanetPerturbationScreen, OpeningWithoutFileOneKeepsTheTableAndShowsZeros) {
  Bench b;
  b.state.PertDL[1][23] = 0.5;
  b.state.Ipl21[2] = 7;
  ui::Form& f = b.planets();
  EXPECT_EQ(b.messages(), (Msgs{"Orvant7.0: Введите правильно данные"}));
  EXPECT_EQ(b.state.PertDL[1][23], 0.5);
  EXPECT_EQ(b.state.Ipl21[2], 7);  // the command was not performed
  EXPECT_EQ(f.text("box23"), "0");
}

TEST(PlanetPerturbationScreen, OpeningWithAShortFileIsRefusedWithTheReadMessage) {
  Bench b;
  const std::string full = layoutFile();
  b.write("Dat/dL1.dat", full.substr(0, full.size() / 2));
  b.state.PertDL[2][44] = 0.25;
  ui::Form& f = b.planets();
  EXPECT_EQ(b.messages(), (Msgs{"Orvant7.0: Ошибка чтения данных из файла\n\\Dat\\dL1.dat"}));
  EXPECT_EQ(b.state.PertDL[2][44], 0.25);
  EXPECT_EQ(b.state.PertDL[1][11], 0);  // nothing of the half read kept
  EXPECT_EQ(b.state.Ipl21[1], 0);
  EXPECT_EQ(f.text("box11"), "0");
}

TEST(PlanetPerturbationScreen, ABadBoxChangesNothing) {
  Bench b;
  b.write("Dat/dL1.dat", layoutFile());
  ui::Form& f = b.planets();
  b.state.Ipl21[1] = 9;
  f.type("box22", "0,7");
  f.type("box63", "zz");  // planet 2, term 3 of perturber 2
  f.type("Ipl21_1", "4");
  ASSERT_TRUE(f.press("set"));
  EXPECT_EQ(b.messages(), (Msgs{"Orvant7.0: Введите правильно данные"}));
  EXPECT_EQ(b.state.PertDL[1][22], 0.221);  // every entry as before, the refused one too
  EXPECT_EQ(b.state.PertDL[1][23], 0.231);
  EXPECT_EQ(b.state.PertDL[2][23], 0.232);
  EXPECT_EQ(b.state.PertDL[1][24], 0.241);
  EXPECT_EQ(b.state.Ipl21[1], 9);           // perturbers read only after all 64 boxes
  // A perturber that is no object number: no perturber is changed.
  f.type("box63", "0");
  f.type("Ipl22_4", "2,5");
  ASSERT_TRUE(f.press("set"));
  EXPECT_EQ(b.messages(), (Msgs{"Orvant7.0: Введите правильно данные"}));
  EXPECT_EQ(b.state.Ipl21[1], 9);
  // Corrected: all taken, the perturbers too.
  f.type("Ipl22_4", "6");
  ASSERT_TRUE(f.press("set"));
  EXPECT_TRUE(b.messages().empty());
  EXPECT_EQ(b.state.Ipl21[1], 4);
  EXPECT_EQ(b.state.Ipl22[4], 6);
  EXPECT_EQ(b.state.PertDL[2][23], 0);
}

TEST(PlanetPerturbationScreen, WriteAndLoadThroughTheScreen) {
  Bench b;
  ui::Form& f = b.planets();
  b.messages();
  f.type("box11", "0,0588");
  f.type("box55", "-0,0000015");
  f.type("box48", "12.345678");
  f.type("fileNo", "7");
  ASSERT_TRUE(f.press("save"));
  EXPECT_TRUE(b.messages().empty());
  // The table holds the unscaled values of the boxes afterwards.
  EXPECT_EQ(b.state.PertDL[2][15], -0.0000015);
  const std::string file = b.read("Dat/dL7.dat");
  EXPECT_EQ(file.substr(0, file.find('\n', file.find('\n') + 1) + 1),
            "Меркурий\n 58800  0  0  0  0  0  0  0 \n");
  EXPECT_NE(file.find(" 0  0  0  0 -1  0  0  0 \n"), std::string::npos);

  // Boxes and table spoilt, then loaded back.
  f.type("box11", "5");
  f.type("box48", "5");
  ASSERT_TRUE(f.press("set"));
  ASSERT_TRUE(f.press("load"));
  EXPECT_TRUE(b.messages().empty());
  EXPECT_EQ(f.text("box11"), "0,0588");
  EXPECT_EQ(f.text("box55"), "-1e-06");  // the general number format
  EXPECT_EQ(f.text("box48"), "12,345678");
  EXPECT_EQ(b.state.PertDL[1][11], 0.0588);
  EXPECT_EQ(b.state.PertDL[2][15], -0.000001);
  EXPECT_EQ(b.state.PertDL[1][48], 12.345678);
}

TEST(PlanetPerturbationScreen, BadFilesAndNumbersChangeNeitherTableNorBoxes) {
  Bench b;
  b.write("Dat/dL1.dat", layoutFile());
  ui::Form& f = b.planets();
  const auto before = b.state.PertDL;
  std::string bad = layoutFile();
  bad.replace(bad.find(" 262000 "), 8, " x262000 ");
  b.write("Dat/dL2.dat", bad);
  f.type("fileNo", "2");
  ASSERT_TRUE(f.press("load"));
  EXPECT_EQ(b.messages(), (Msgs{"Orvant7.0: Ошибка чтения данных из файла\n\\Dat\\dL2.dat"}));
  f.type("fileNo", "3");
  ASSERT_TRUE(f.press("load"));
  EXPECT_EQ(b.messages(), (Msgs{"Orvant7.0: Не могу найти файл\n\\Dat\\dL3.dat"}));
  for (const char* n : {"", "1,5", "-1", "abc"}) {
    f.type("fileNo", n);
    ASSERT_TRUE(f.press("load"));
    ASSERT_TRUE(f.press("save"));
    EXPECT_EQ(b.messages(), (Msgs{"Orvant7.0: Введите правильно данные",
                                  "Orvant7.0: Введите правильно данные"}))
        << n;
  }
  EXPECT_EQ(b.state.PertDL, before);
  EXPECT_EQ(f.text("box21"), "0,211");
  EXPECT_EQ(f.text("box62"), "0,222");

  // A value beyond a coefficient's range is refused before the file is touched.
  f.type("fileNo", "1");
  f.type("box47", "1E300");
  ASSERT_TRUE(f.press("save"));
  EXPECT_EQ(b.messages(), (Msgs{"Orvant7.0: Введите правильно данные"}));
  EXPECT_EQ(b.read("Dat/dL1.dat"), layoutFile());
}

TEST(PlanetPerturbationScreen, CopyOptimumOfScreen13) {
  Bench b;
  b.write("Dat/dL1.dat", layoutFile());
  b.planets();
  PlanetPerturbationScreen& scr = b.planetScreen();
  const std::array<double, 8> c = {0.5, -0.25, 0.125, 1, 2, 3, 4, -5};
  // The Sun observed: the Earth's coefficients of perturber 2.
  ASSERT_TRUE(scr.copyOptimum(0, 2, c));
  for (int j = 1; j <= 8; ++j) {
    EXPECT_EQ(b.state.PertDL[2][30 + j], c[j - 1]);
    EXPECT_EQ(b.state.PertDL[1][30 + j], (301 + 10 * j) / 1000.0);  // perturber 1 kept
  }
  ui::Form& f = b.planets();
  EXPECT_EQ(f.text("box71"), "0,5");
  EXPECT_EQ(f.text("box78"), "-5");
  EXPECT_EQ(f.text("box31"), "0,311");
  ASSERT_TRUE(scr.copyOptimum(4, 1, c));
  EXPECT_EQ(f.text("box42"), "-0,25");
  EXPECT_EQ(b.state.PertDL[1][42], -0.25);
  // Objects above 4, or a perturber other than 1 or 2: nothing changed.
  const auto table = b.state.PertDL;
  EXPECT_FALSE(scr.copyOptimum(5, 1, c));
  EXPECT_FALSE(scr.copyOptimum(11, 1, c));
  EXPECT_FALSE(scr.copyOptimum(2, 3, c));
  EXPECT_EQ(b.state.PertDL, table);
  EXPECT_TRUE(b.messages().empty());
}

TEST(PerturbationScreens, EveryButtonSaysWhatItDoes) {
  Bench b;
  for (int n : {21, 22}) {
    const auto screen = b.wb.declaration(n);
    int buttons = 0;
    for (const auto& c : screen->controls())
      if (c.kind == ui::Kind::Button) {
        ++buttons;
        EXPECT_FALSE(c.help.empty()) << n << " " << c.id;
      }
    EXPECT_EQ(buttons, n == 21 ? 2 : 4);
  }
}

}  // namespace
}  // namespace orvant::ephemeris
