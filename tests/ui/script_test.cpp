// Headless scripts: the line language, its output and its errors.
#include <gtest/gtest.h>
#include <unistd.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "ui/demo_screen.h"
#include "ui/memory_form.h"
#include "ui/script.h"
#include "ui/state_names.h"

namespace orvant::ui {
namespace {

using test::DemoScreen;
using test::kDemoScreen;

struct Outcome {
  int status = 0;
  std::string out, err;
};

Outcome runScript(const std::string& text, State* given = nullptr) {
  State own;
  State& state = given ? *given : own;
  MemoryDesk desk;
  Workbench wb(state, desk.factory());
  wb.add<DemoScreen>(kDemoScreen);
  std::ostringstream out, err;
  std::istringstream in(text);
  Outcome r;
  {
    ScriptRunner runner(wb, desk, out);
    r.status = runner.run(in, err);
  }
  r.out = out.str();
  r.err = err.str();
  return r;
}

TEST(Script, WordsSplitAtBlanksAndQuotesHoldThem) {
  EXPECT_EQ(splitScriptLine("press 2  \"Начать\""), (std::vector<std::string>{"press", "2", "Начать"}));
  EXPECT_EQ(splitScriptLine("set 1 \"mSol, кг\" 1,98892E+30\r"),
            (std::vector<std::string>{"set", "1", "mSol, кг", "1,98892E+30"}));
  EXPECT_EQ(splitScriptLine("set 1 x \"\""), (std::vector<std::string>{"set", "1", "x", ""}));
  EXPECT_EQ(splitScriptLine("check 1 \"Траектории \" on"),
            (std::vector<std::string>{"check", "1", "Траектории ", "on"}));
  EXPECT_THROW(splitScriptLine("press 2 \"Начать"), ScriptError);
}

TEST(Script, DrivesAScreenByIdsAndQuotedCaptions) {
  const Outcome r = runScript(
      "# a session\n"
      "open 99\n"
      "set 99 \"Полуось, а.е.\" 1,5\n"
      "press 99 \"Рассчитать период\"\n"
      "show 99 T\n"
      "choose 99 дни\n"
      "show 99 T\n"
      "choose 99 unit=0\n"
      "show 99 Единицы\n"
      "check 99 Траектории on\n"       // the caption ends with a blank; ends do not count
      "show 99 trace\n"
      "table 99 tab 1 0 4\n"
      "press 99 fill\n"
      "show 99 tab 1 1\n"
      "answer yes\n"
      "press 99 Очистить\n"
      "show 99 tab 1 0\n"
      "press 99 Очистить\n"            // no answer left: No
      "set 99 scale 15\n"
      "show 99 scaleText\n"
      "press 99 lib\n"
      "click 99 pic 1,5 2 right\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "T = 1,837117\n"
            "T = 671,007096\n"  // 1.5^1.5 * 365.25 = 671.0070964... days, truncated
            "Единицы = годы\n"
            "trace = on\n"
            "tab[1,1] = 8\n"
            "MESSAGE [Orvant7] Очистить таблицу? -> yes\n"
            "tab[1,0] = \n"
            "MESSAGE [Orvant7] Очистить таблицу? -> no\n"
            "scaleText = масштаб = 1,5\n"
            "MESSAGE [Orvant7] Ошибка чтения данных из файла | Dat\\Orvant1.dat\n");
}

TEST(Script, MalformedLineStopsBeforeAnythingRuns) {
  const Outcome r = runScript("open 99\npress 99 run\npress 99\nstate JD\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err.rfind("строка 3: ", 0), 0u) << r.err;

  for (const char* bad : {"jump 99", "open x", "check 99 trace maybe", "answer perhaps",
                          "table 99 tab one 0 1", "press 99 run --max-displays -1",
                          "press 99 run --max 3", "show 99 tab 1", "set 99 a \"1,5"}) {
    const Outcome b = runScript(std::string(bad) + "\n");
    EXPECT_EQ(b.status, 2) << bad;
    EXPECT_EQ(b.err.rfind("строка 1: ", 0), 0u) << bad << ": " << b.err;
  }
}

TEST(Script, UnknownScreensAndControlsStopWhenReached) {
  Outcome r = runScript("state Pi\nset 99 a 2\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "Pi = 3.1415926535900001\n");  // the program's Pi, 3.14159265359
  EXPECT_NE(r.err.find("строка 2: экран 99 не открыт"), std::string::npos) << r.err;

  r = runScript("open 99\nshow 99 \"Нет такого\"\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("строка 2"), std::string::npos);
  r = runScript("open 98\n");
  EXPECT_EQ(r.status, 2);
  r = runScript("open 99\ntable 99 tab 7 0 1\n");  // no row 7
  EXPECT_EQ(r.status, 2);
  r = runScript("open 99\npress 99 a\n");  // a field, not a button
  EXPECT_EQ(r.status, 2);
}

// Two fields captioned alike and two option groups with a common entry, as screens have them.
class TwinScreen : public Screen {
 public:
  TwinScreen(State& s, Workbench& wb) : Screen(s, wb, "Двойники") {
    field("alfa1", "Alfa", "1");
    field("alfa2", "Alfa", "2");
    options("src", "Источник", {"New", "JPL", "Xsol=0"}, 0);
    options("src2", "Сравнение", {"New", "Kin"}, 1);
  }
};

TEST(Script, AmbiguousCaptionsNeedIdsOrGroupEntry) {
  State state;
  MemoryDesk desk;
  Workbench wb(state, desk.factory());
  wb.add<TwinScreen>(4);
  std::ostringstream out, err;
  ScriptRunner runner(wb, desk, out);
  std::istringstream ok(
      "open 4\nset 4 alfa2 5\nshow 4 alfa2\nchoose 4 Xsol=0\nshow 4 src\nchoose 4 src2=New\n"
      "show 4 src2\nchoose 4 Источник=1\nshow 4 src\nchoose 4 Kin\nshow 4 Сравнение\n");
  EXPECT_EQ(runner.run(ok, err), 0) << err.str();
  EXPECT_EQ(out.str(), "alfa2 = 5\nsrc = Xsol=0\nsrc2 = New\nsrc = JPL\nСравнение = Kin\n");
  std::istringstream ambiguousField("set 4 Alfa 3\n");
  EXPECT_EQ(runner.run(ambiguousField, err), 2);
  EXPECT_NE(err.str().find("alfa1 alfa2"), std::string::npos) << err.str();
  std::istringstream ambiguousEntry("choose 4 New\n");
  EXPECT_EQ(runner.run(ambiguousEntry, err), 2);
  std::istringstream noEntry("choose 4 src=Kin\n");
  EXPECT_EQ(runner.run(noEntry, err), 2);
}

TEST(Script, PressWithDisplayLimitAndDisabledControls) {
  const Outcome r = runScript(
      "open 99\n"
      "press 99 Начать --max-displays 4\n"
      "state kStop\n"
      "set 99 T 5\n"  // read-only for the user
      "press 99 Выход\n"
      "state JD\n");   // not reached: the program has ended
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "kStop = 1.0\nDISABLED T\n");
}

TEST(Script, StateValuesPrintWith17SignificantDigits) {
  State s;
  s.X0[3] = 1.5e11;
  s.X0[4] = -2.5e-7;
  s.VX0[3] = 0.1;
  s.kVz[1][2] = 1;
  const Outcome r = runScript("state X0[3]\nstate X0[4]\nstate VX0[3]\nstate kVz[1][2]\nstate kVz[1,2]\n", &s);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "X0[3] = 150000000000.0\n"
            "X0[4] = -2.4999999999999999e-07\n"
            "VX0[3] = 0.10000000000000001\n"
            "kVz[1][2] = 1.0\n"
            "kVz[1,2] = 1.0\n");
  for (const char* bad : {"X0", "X0[14]", "X0[-1]", "JD[0]", "X0[1][2]", "Nothing[1]", "X0[a]", "kVz[1"})
    EXPECT_THROW(stateValue(s, bad), StateNameError) << bad;
  const auto names = stateNames();
  EXPECT_NE(std::find(names.begin(), names.end(), "X0[0..13]"), names.end());
  EXPECT_NE(std::find(names.begin(), names.end(), "kVz[0..12][0..12]"), names.end());
}

TEST(Script, DescribeListsIdsCaptionsAndDefaults) {
  State state;
  MemoryDesk desk;
  Workbench wb(state, desk.factory());
  wb.add<DemoScreen>(kDemoScreen);
  std::ostringstream out;
  describe(*wb.declaration(kDemoScreen), out);
  const std::string d = out.str();
  EXPECT_EQ(d.rfind("screen 99: Третий закон Кеплера\n", 0), 0u) << d;
  for (const char* line : {"field a \"Полуось, а.е.\" = \"1\" (in orbit)\n",
                           "field T \"Период\" read-only (in orbit)\n",
                           "options unit \"Единицы\" = 0 [0 \"годы\", 1 \"дни\"] (in orbit)\n",
                           "check trace \"Траектории \" = off (in orbit)\n",
                           "table tab \"Объекты\" 3x2 [\"a, а.е.\", \"T, лет\"]\n",
                           "scroll scale \"Масштаб\" 1..100 = 30\n", "picture pic \"Орбита\" 10x8 cm\n",
                           "hidden next\n", "button run \"Начать\" (in acts)\n"})
    EXPECT_NE(d.find(line), std::string::npos) << line;
  EXPECT_EQ(wb.created(kDemoScreen), nullptr);  // describing opens nothing
}

}  // namespace
}  // namespace orvant::ui

namespace orvant::ui {
namespace {

// orvant-cli script: a file or standard input, the exit status, stdout and stderr kept apart.
struct CliRun {
  int status;
  std::string out, err;
};

CliRun cli(const std::string& args, const std::string& input) {
  const auto dir =
      std::filesystem::temp_directory_path() / ("orvant_cli_script_test_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  { std::ofstream(dir / "in.txt") << input; }
  const std::string cmd = std::string("'") + ORVANT_CLI + "' --dir '" + dir.string() + "' " + args +
                          " <'" + (dir / "in.txt").string() + "' >'" + (dir / "out.txt").string() +
                          "' 2>'" + (dir / "err.txt").string() + "'";
  const int raw = std::system(cmd.c_str());
  const auto slurp = [&](const char* name) {
    std::ifstream in(dir / name);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  };
  CliRun r{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp("out.txt"), slurp("err.txt")};
  std::filesystem::remove_all(dir);
  return r;
}

TEST(ScriptCli, ReadsFileOrStdinAndExitsWithTheScriptsStatus) {
  if (!std::filesystem::exists(ORVANT_CLI)) GTEST_SKIP() << "orvant-cli is not built at " << ORVANT_CLI;
  CliRun r = cli("script -", "# constants\nstate JD2000\nstate sekD\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "JD2000 = 2451545.0\nsekD = 86400.0\n");
  r = cli("script -", "state JD2000\nopen\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err.rfind("строка 2: ", 0), 0u) << r.err;
  r = cli("script /nonexistent/script.txt", "");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("Не могу найти файл"), std::string::npos);
  r = cli("describe x", "");
  EXPECT_EQ(r.status, 2);
  r = cli("describe 777", "");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("Экран 777 не зарегистрирован"), std::string::npos);
}

}  // namespace
}  // namespace orvant::ui
