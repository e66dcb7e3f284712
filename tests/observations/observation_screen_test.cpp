// Screen 10 driven headless: the contract of its controls, the choice of the source, the refusals
// of "Начать" with their messages, a whole run and what it shows, the statistics report, and the
// same screen through `orvant-cli script` and the run through `orvant-cli reduce`.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "initial/screens/initial_data_screen.h"
#include "model/state.h"
#include "observations/screens/observation_screen.h"
#include "observation_records.h"
#include "ui/form.h"
#include "ui/memory_form.h"
#include "ui/workbench.h"

namespace orvant {
namespace {

using test::WorkDir;
namespace fs = std::filesystem;

struct Bench {
  WorkDir dir;
  State state;
  ui::MemoryDesk desk;
  ui::Workbench wb{state, desk.factory()};
  Bench() {
    state.workDir = dir.path.string();
    wb.add<ObservationScreen>(kObservationScreen);
  }
  ui::Form& form() { return wb.show(kObservationScreen).form(); }
  ObservationScreen& screen() { return wb.screen<ObservationScreen>(kObservationScreen); }
  std::string last() const { return desk.dialogs().empty() ? "" : desk.dialogs().back().text; }
  // The observatory option "Obs" and the entry GREN with object 4.
  void chooseGren(const std::string& object = "4") {
    ui::Form& f = form();
    f.choose("kind", 1);
    f.type("Npl", object);
    f.choose("obs", 1);
  }
};

TEST(ObservationScreenTest, EveryButtonHasItsLineAndNavigationFollowsRegistration) {
  Bench b;
  const ui::Screen& s = b.screen();
  for (const ui::Control& c : s.controls()) {
    if (c.kind == ui::Kind::Button) {
      EXPECT_FALSE(c.help.empty()) << c.id;
    }
  }
  ui::Form& f = b.form();
  EXPECT_FALSE(f.enabled("toMoonPert"));   // 21 not registered here
  EXPECT_FALSE(f.enabled("toPlanetPert"));
  EXPECT_FALSE(f.enabled("toPlan"));
  EXPECT_EQ(f.option("kind"), 0);
  EXPECT_EQ(b.state.SrcKind, "Tab");
  // Screen 1 enables "К наблюдениям" once screen 10 is registered, and opens it.
  b.wb.add<InitialDataScreen>(kInitialDataScreen);
  ui::Form& first = b.wb.show(kInitialDataScreen).form();
  EXPECT_TRUE(first.enabled("nav10"));
  EXPECT_TRUE(first.press("nav10"));
  EXPECT_TRUE(b.form().shown());
}

TEST(ObservationScreenTest, RefusalsOfStart) {
  Bench b;
  ui::Form& f = b.form();
  f.press("start");
  EXPECT_EQ(b.last(), "Выберете имитатор");
  b.state.kStop = 0;
  f.choose("kind", 1);
  f.press("start");
  EXPECT_EQ(b.last(), "Выберете обсерваторию");
  EXPECT_EQ(b.desk.dialogs().back().title, "Orvant7.0");
  test::writeObsFile(b.dir.path, "GREN4_G_100.txt", 1995, 2000, test::marsRecords(5));
  b.state.kStop = 0;
  f.type("Npl", "4");
  f.choose("obs", 1);
  EXPECT_EQ(f.text("Year"), "1995");
  EXPECT_EQ(f.text("obsYear1"), "1995");
  EXPECT_EQ(f.text("obsYear2"), "2000");
  EXPECT_TRUE(f.checked("nutation"));
  f.type("Npl", "3");
  f.press("start");
  EXPECT_EQ(b.last(), "Землю не наблюдали");
  // The refusal left kStop = 1: "Начать" opens the file again and runs.
  f.type("Npl", "4");
  const std::size_t before = b.desk.dialogs().size();
  f.press("start");
  EXPECT_EQ(b.desk.dialogs().size(), before) << b.last();
  EXPECT_EQ(f.text("Nok"), "5");
  f.choose("obs", 2);  // PARI: no file
  EXPECT_NE(b.last().find("Не найден файл"), std::string::npos);
  f.choose("obs", 1);
  f.type("StepTab", "шаг");
  f.press("start");
  EXPECT_EQ(b.last(), "Введите правильно данные");
  EXPECT_EQ(b.screen().run().passes(), 5);  // only the run before the refusal
}

// Every box through the shared checks: dates, file numbers, numbers within their ranges. A refused
// box starts nothing and writes nothing (no "inf" in the trace, no 40-digit class bounds).
TEST(ObservationScreenTest, BadBoxesAreRefusedBeforeTheRun) {
  Bench b;
  ui::Form& f = b.form();
  test::writeObsFile(b.dir.path, "GREN4_G_100.txt", 1995, 2000, test::marsRecords(5));
  f.tick("trace", true);
  const std::pair<const char*, const char*> cases[] = {
      {"Month", "14"},     {"Month", "0"},      {"Month", "-1"},    {"Day", "1e300"},
      {"Day", "-1e300"},   {"Day", "-1"},       {"Day", "0"},       {"Year", "1e300"},
      {"YearEnd", "1e300"}, {"FileNo", "abc"},  {"FileNo", "nan"},  {"FileNo", "inf"},
      {"GoodNo", "-1"},    {"ObsL", "1e300"},   {"ObsL", "-1e300"}, {"ObsB", "91"},
      {"pauseMs", "1e20"}, {"pauseMs", "1e300"}, {"limit", "1e300"}, {"StepTab", "0"},
      {"StepTab", "1e300"}, {"MT", "-1"}};
  for (const auto& [box, value] : cases) {
    const std::string good = f.text(box);
    b.chooseGren();
    f.type(box, value);
    f.press("start");
    EXPECT_EQ(b.last(), "Введите правильно данные") << box << " = " << value;
    EXPECT_FALSE(b.screen().run().started()) << box << " = " << value;
    EXPECT_FALSE(fs::exists(b.dir.path / "Dat" / "Ras_data_GREN4_100.txt")) << box << " = " << value;
    f.type(box, good);
  }
  // The shared check of the screen's date buttons.
  f.type("Month", "13");
  f.press("dmyToJd");
  EXPECT_EQ(b.last(), "Введите правильно дату");
}

TEST(ObservationScreenTest, RunShowsCountsRowsProgressAndPictures) {
  Bench b;
  test::writeObsFile(b.dir.path, "GREN4_G_100.txt", 1995, 2000, test::marsRecords(10));
  b.chooseGren();
  ui::Form& f = b.form();
  f.tick("reject", true);
  f.type("limit", "1000000");
  f.tick("statistics", true);
  const std::size_t before = b.desk.dialogs().size();
  f.press("start");
  EXPECT_EQ(b.desk.dialogs().size(), before) << b.last();
  EXPECT_EQ(f.text("Nok"), "10");
  EXPECT_NE(f.text("progress").find("принято 10"), std::string::npos) << f.text("progress");
  EXPECT_NE(f.text("progress").find("наблюдений/с"), std::string::npos);
  EXPECT_FALSE(f.cell("rows", kRowRas, 0).empty());
  EXPECT_FALSE(f.cell("rows", kRowNutation, 1).empty());
  EXPECT_TRUE(f.cell("rows", kRowParallax, 0).empty());
  EXPECT_FALSE(f.text("dRsrVal").empty());
  EXPECT_FALSE(f.text("kW").empty());
  // The residual picture: the limit line and one point per series and observation.
  auto& resid = static_cast<ui::MemoryForm&>(f).memoryCanvas("resid");
  EXPECT_GE(resid.shapes().size(), 20u);
  // "++Статистика": the report and the distributions.
  f.press("stat");
  EXPECT_TRUE(fs::exists(b.dir.path / "Dat" / "StatGREN4_100.txt"));
  EXPECT_FALSE(static_cast<ui::MemoryForm&>(f).memoryCanvas("dLpl").shapes().empty());
  // "JD = JD0" brings the start date back.
  f.press("jd0");
  EXPECT_EQ(f.text("Year"), "1995");
  EXPECT_EQ(f.text("Month"), "1");
  // Rejected observations are circled.
  b.state.kStop = 0;
  f.type("limit", "0,000001");
  f.press("clear");
  f.press("start");
  EXPECT_EQ(f.text("Nok"), "0");
  int circles = 0;
  for (const auto& s : resid.shapes()) circles += s.type == ui::Shape::Type::Circle;
  EXPECT_EQ(circles, 10);
  // No accepted observation: the report is refused, the old report kept.
  const std::string old = [&] {
    std::ifstream in(b.dir.path / "Dat" / "StatGREN4_100.txt");
    return std::string(std::istreambuf_iterator<char>(in), {});
  }();
  f.press("stat");
  EXPECT_EQ(b.last(), "Введите правильно масштаб");
  std::ifstream in(b.dir.path / "Dat" / "StatGREN4_100.txt");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), old);
  f.type("MdR", "x");
  f.press("stat");
  EXPECT_EQ(b.last(), "Введите правильно масштаб");
}

// A table's residuals are of degrees: its first scale shows them, an observatory's arcseconds
// come back with an observatory, a typed scale stays; the axes carry the scales' values.
TEST(ObservationScreenTest, ResidualScaleFollowsTheSourceAndTheAxesShowValues) {
  Bench b;
  ui::Form& f = b.form();
  auto& resid = static_cast<ui::MemoryForm&>(f).memoryCanvas("resid");
  const auto labelled = [&resid](const std::string& text) {
    for (const auto& s : resid.shapes())
      if (s.type == ui::Shape::Type::Text && s.text == text) return true;
    return false;
  };
  EXPECT_EQ(f.text("MdAlfa"), "100");
  f.choose("tab", 1);  // the workbook is missing: the choice says so, the scale follows anyway
  EXPECT_EQ(f.text("MdAlfa"), "3600");
  EXPECT_TRUE(labelled("+3600″"));
  b.chooseGren();
  EXPECT_EQ(f.text("MdAlfa"), "100");
  EXPECT_TRUE(labelled("+100″"));
  EXPECT_TRUE(labelled("50 тыс. км"));
  f.type("MdAlfa", "500");
  f.choose("kind", 0);
  f.choose("tab", 1);
  EXPECT_EQ(f.text("MdAlfa"), "500");
}

// What "Начать" reads from: the object, the file number and the "иная Obs" code as they stand
// when it is pressed, not as they stood when the observatory was chosen; a stopped or failed
// series starts again at its first record; a run that finds nothing says so.
TEST(ObservationScreenTest, StartOpensTheFileTheFieldsNameNow) {
  Bench b;
  test::writeObsFile(b.dir.path, "GREN4_G_100.txt", 1995, 2000, test::marsRecords(5));
  test::writeObsFile(b.dir.path, "GREN4_G_101.txt", 1995, 2000, test::marsRecords(3));
  test::writeObsFile(b.dir.path, "ZZZZ4_G_100.txt", 1995, 2000, test::marsRecords(2));
  ui::Form& f = b.form();
  b.chooseGren("11");
  EXPECT_NE(b.last().find("GREN11_G_100.txt"), std::string::npos) << b.last();
  struct Case {
    const char* what;
    const char* field;
    const char* value;
    const char* nok;
  } cases[] = {
      {"object changed after a missing file", "Npl", "4", "5"},
      {"the same file again after its end", "Npl", "4", "5"},
      {"file number changed", "FileNo", "101", "3"},
      {"file number back", "FileNo", "100", "5"},
  };
  for (const Case& c : cases) {
    f.type(c.field, c.value);
    f.press("jd0");  // a run leaves its last date in the fields: the start date back
    const std::size_t before = b.desk.dialogs().size();
    f.press("start");
    EXPECT_EQ(b.desk.dialogs().size(), before) << c.what << ": " << b.last();
    EXPECT_EQ(f.text("Nok"), c.nok) << c.what;
  }
  // Stopped after two observations: "Начать" starts at the first record again.
  b.desk.limitDisplays(2);
  f.press("jd0");
  f.press("start");
  EXPECT_EQ(f.text("Nok"), "2");
  b.desk.limitDisplays(-1);
  f.press("jd0");
  f.press("start");
  EXPECT_EQ(f.text("Nok"), "5");
  // "иное": the code typed after the entry was chosen is the one searched.
  f.choose("obs", 7);
  EXPECT_NE(b.last().find("BERL4_G_100.txt"), std::string::npos) << b.last();
  f.type("otherObs", "ZZZZ");
  f.press("start");
  EXPECT_EQ(f.text("Nok"), "2") << b.last();
  EXPECT_EQ(b.state.ObsName, "ZZZZ");
  // A new run shows none of the last run's results while it runs.
  EXPECT_FALSE(f.text("dRsrVal").empty());
  std::string duringRun = "?";
  b.desk.limitDisplays(-1);  // counts the display points from here
  b.desk.setDisplayListener([&](long n) {
    if (n == 1) duringRun = f.text("dRsrVal") + f.text("Nok") + f.cell("rows", kRowRas, 0);
  });
  f.press("jd0");
  f.press("start");
  b.desk.setDisplayListener(nullptr);
  EXPECT_EQ(duringRun, "");
  // No record from the start date on: the run says so and no old result stays on the screen.
  EXPECT_FALSE(f.text("dRsrVal").empty());
  f.type("Day", "1,5");
  f.type("Month", "1");
  f.type("Year", "2000");
  f.press("start");
  EXPECT_EQ(b.last(), "Не найдено ни одного наблюдения с 1,5.1.2000 по 2000 год");
  EXPECT_EQ(f.text("Nok"), "0");
  EXPECT_EQ(f.text("dRsrVal"), "");
  EXPECT_EQ(f.cell("rows", kRowRas, 0), "");
}

TEST(ObservationScreenTest, StopBetweenPassesAndContinue) {
  Bench b;
  test::writeObsFile(b.dir.path, "GREN4_G_100.txt", 1995, 2000, test::marsRecords(12));
  b.chooseGren();
  ui::Form& f = b.form();
  b.desk.limitDisplays(3);  // "Остановить" at the third display point
  f.press("start");
  EXPECT_EQ(f.text("Nok"), "3");
  f.press("step");
  EXPECT_EQ(f.text("Nok"), "4");
  b.desk.limitDisplays(-1);
  f.press("continue");
  EXPECT_EQ(f.text("Nok"), "12");
  f.press("closeForm");
  EXPECT_FALSE(f.shown());
  EXPECT_EQ(b.state.kObsOpen, 0);
}

TEST(ObservationScreenTest, AnimatedViewsOfTheOrbitsAndOfTheHorizon) {
  Bench b;
  test::writeObsFile(b.dir.path, "GREN4_G_100.txt", 1995, 2000, test::marsRecords(3));
  b.chooseGren();
  ui::Form& f = b.form();
  f.tick("noAnimation", false);
  f.tick("visibility", true);
  f.type("Hpl", "-90");
  f.choose("view", 0);  // "ТОПО ГОР"
  f.press("start");
  auto& view = static_cast<ui::MemoryForm&>(f).memoryCanvas("bodies");
  bool south = false;
  for (const auto& s : view.shapes()) south = south || s.text == "Юг";
  EXPECT_TRUE(south);
  EXPECT_FALSE(f.text("Hgor").empty());
  EXPECT_EQ(f.text("Nok"), "3");
  f.choose("view", 1);  // "ГЕО ЭКЛ": the Sun, the Earth and Mars
  b.state.kStop = 0;
  f.press("jd0");
  f.choose("obs", 2);
  f.choose("obs", 1);
  f.press("start");
  int bodies = 0;
  for (const auto& s : view.shapes()) bodies += s.type == ui::Shape::Type::Circle && s.filled;
  EXPECT_EQ(bodies, 3);
}

TEST(ObservationScreenTest, DateConversions) {
  Bench b;
  ui::Form& f = b.form();
  f.type("Day", "1,5");
  f.type("Month", "1");
  f.type("Year", "2000");
  f.press("dmyToJd");
  EXPECT_EQ(f.text("JD"), "2451545");
  f.type("JD", "2451545,25");
  f.press("jdToDmy");
  EXPECT_EQ(f.text("Day"), "1,75");
  f.type("Year", "год");
  f.press("dmyToJd");
  EXPECT_EQ(b.last(), "Введите правильно дату");
  EXPECT_EQ(b.desk.dialogs().back().title, "Orvant7");
}

std::string runCli(const std::string& args, int& status) {
  const std::string cmd = std::string(ORVANT_CLI) + " " + args + " 2>&1";
  std::FILE* p = popen(cmd.c_str(), "r");
  std::string out;
  char buf[512];
  while (p && std::fgets(buf, sizeof buf, p)) out += buf;
  status = p ? pclose(p) : -1;
  return out;
}

TEST(ObservationCli, ReduceAndScript) {
  if (!fs::exists(ORVANT_CLI)) GTEST_SKIP() << "orvant-cli not built: " << ORVANT_CLI;
  WorkDir dir;
  test::writeObsFile(dir.path, "GREN4_G_100.txt", 1995, 2000, test::marsRecords(7));
  test::writeObsFile(dir.path, "GREN3_G_100.txt", 1995, 2000, test::marsRecords(7));
  int status = 0;
  std::string out = runCli("--dir " + dir.path.string() +
                               " reduce --source obs --name GREN --object 4 --criterion dR "
                               "--limit 1000000 --stat",
                           status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find("accepted = 7"), std::string::npos) << out;
  EXPECT_NE(out.find("dRsr = "), std::string::npos) << out;
  EXPECT_TRUE(fs::exists(dir.path / "Dat" / "StatGREN4_100.txt"));
  out = runCli("--dir " + dir.path.string() + " reduce --source obs --name GREN --object 3",
               status);
  EXPECT_NE(out.find("MESSAGE [Orvant7.0] Землю не наблюдали"), std::string::npos) << out;
  EXPECT_NE(status, 0);
  // The screen through a script.
  const fs::path script = dir.path / "s.txt";
  std::ofstream(script) << "open 10\nchoose 10 kind=Obs\nset 10 Npl 4\nchoose 10 obs=GREN\n"
                           "press 10 start\nshow 10 Nok\n";
  out = runCli("--dir " + dir.path.string() + " script " + script.string(), status);
  EXPECT_NE(out.find("Nok = 7"), std::string::npos) << out;
}

}  // namespace
}  // namespace orvant
