// Screen 12 headless: the dates, the computed bodies, "Преобразовать координаты" and its copy back,
// the angle converter, every refusal with its message and the screen left as it was; and the
// orvant-cli convert / angle commands against the same chain.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "coordinates/converter.h"
#include "coordinates/screens/converter_screen.h"
#include "coordinates/converter_screen_chain.h"
#include "model/format.h"
#include "model/state.h"
#include "ui/memory_form.h"
#include "ui/workbench.h"

namespace orvant {
namespace {

struct Bench {
  State state;
  ui::MemoryDesk desk;
  ui::Workbench wb{state, desk.factory()};
  Bench() { wb.add<ConverterScreen>(kConverterScreen); }
  ConverterScreen& screen() { return wb.screen<ConverterScreen>(kConverterScreen); }
  ui::Form& form() { return wb.show(kConverterScreen).form(); }
  double num(const char* id) { return form().number(id).value_or(NAN); }
  std::string lastMessage() {
    if (desk.dialogs().empty()) return "";
    const auto& d = desk.dialogs().back();
    return d.title + ": " + d.text;
  }
  // Every editable and shown text of the screen, to check that a refused command changes nothing.
  std::map<std::string, std::string> texts() {
    std::map<std::string, std::string> out;
    for (const auto& c : screen().controls())
      if (c.kind == ui::Kind::Field) out[c.id] = form().text(c.id);
    return out;
  }
};

TEST(ConverterScreen, DefaultDateIsJ2000AndJulianDateGoesBack) {
  Bench b;
  ui::Form& f = b.form();
  ASSERT_TRUE(f.press("GJ"));
  EXPECT_DOUBLE_EQ(b.num("JD"), 2451545.0);
  // local mean time at 30.3262° E (+2h 01m 18.288s) and civil time of zone 3 after 12:00 UT
  EXPECT_EQ(f.text("LTut"), "14:01:18");
  EXPECT_EQ(f.text("LT"), "15:00:00");
  f.type("JD", "2460676,75");  // 2025 January 1, 6 h UT
  ASSERT_TRUE(f.press("JG"));
  EXPECT_EQ(f.text("Year"), "2025");
  EXPECT_EQ(f.text("Month"), "1");
  EXPECT_DOUBLE_EQ(b.num("Day"), 1.25);
  EXPECT_EQ(f.text("LT"), "09:00:00");
  EXPECT_TRUE(b.desk.dialogs().empty());
  // A day beyond its month is normalised before the Julian date is taken.
  f.type("Year", "1999");
  f.type("Month", "12");
  f.type("Day", "32,5");
  f.press("GJ");
  EXPECT_EQ(f.text("Year"), "2000");
  EXPECT_EQ(f.text("Month"), "1");
  EXPECT_DOUBLE_EQ(b.num("JD"), 2451545.0);
}

TEST(ConverterScreen, BadDatesAndDaysAreRefusedWithTheirMessages) {
  Bench b;
  ui::Form& f = b.form();
  f.press("GJ");
  const auto before = b.texts();
  f.type("Month", "x");
  f.press("GJ");
  EXPECT_EQ(b.lastMessage(), "Orvant7.0: Введите правильно дату");
  f.type("Month", "1");
  f.type("JD", "два");
  f.press("JG");
  EXPECT_EQ(b.lastMessage(), "Orvant7.0: Введите правильно юлианскую дату");
  f.type("JD", "2451545");
  f.type("Ndays", "0,2,5");
  f.press("shift");
  EXPECT_EQ(b.lastMessage(), "Orvant7.0: Введите правильно к-во дней");
  f.type("Ndays", "0,25");  // what was typed back; every other field as before the refusals
  EXPECT_EQ(b.texts(), before);
  // a good N: the date of the last computation plus N days
  f.press("shift");
  EXPECT_DOUBLE_EQ(b.num("JD"), 2451545.25);
}

TEST(ConverterScreen, HorizonOnlyForTheTopocentricOrigin) {
  Bench b;
  ui::Form& f = b.form();
  f.choose("object", 4);
  f.choose("srcPlane", 2);  // horizon, heliocentric origin
  const auto before = b.texts();
  f.press("set");
  EXPECT_EQ(b.lastMessage(),
            "Orvant7.0: ГОРизонтальные координаты\nзадаются только ТОПОцентрические");
  EXPECT_EQ(b.texts(), before);
  // a target horizon without the topocentric origin
  f.choose("srcPlane", 0);
  f.press("set");
  f.choose("dstPlane", 2);
  f.choose("dstOrigin", 1);
  const auto before2 = b.texts();
  f.press("convert");
  EXPECT_EQ(b.lastMessage(), "Orvant7.0: Преобразование в ГОРизонтальные координаты\n"
                             "производится только в ТОПОцентрические");
  EXPECT_EQ(b.texts(), before2);
}

TEST(ConverterScreen, BadSourceCoordinatesAreRefused) {
  Bench b;
  ui::Form& f = b.form();
  f.type("src1", "10");
  f.type("src2", "95");  // a latitude beyond the pole
  f.type("src3", "150000");
  const auto before = b.texts();
  f.press("convert");
  EXPECT_EQ(b.lastMessage(), "Orvant7.0: Введите правильно исходные координаты");
  f.type("src2", "abc");
  f.press("convert");
  EXPECT_EQ(b.lastMessage(), "Orvant7.0: Введите правильно исходные координаты");
  f.type("src2", "95");
  EXPECT_EQ(b.texts(), before);
}

TEST(ConverterScreen, ComputedMarsConvertedAsTheChainDoes) {
  // "Задать координаты" for Mars in the heliocentric ecliptic of J2000, then "Преобразовать
  // координаты" to the geocentric equator of the date: the result fields hold the chain's vector
  // (X, Y, Z: whole thousands of km, truncated; L, B: six decimals, truncated).
  Bench b;
  ui::Form& f = b.form();
  f.type("Year", "2003");
  f.type("Month", "8");
  f.type("Day", "27,4");
  f.choose("object", 4);
  ASSERT_TRUE(f.press("set"));
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.lastMessage();

  ConverterSky sky;
  ASSERT_TRUE(computeSky(b.state, b.num("JD"), 30.3262, 59.7719, sky));
  Vec3 v = sky.body[4];
  ASSERT_TRUE(toSystem(b.state, sky.scene, {Origin::Helio, Plane::Ecliptic, Equinox::J2000}, v));
  const Polar p = polarOf(b.state, v);
  EXPECT_NEAR(b.num("src1"), p.L, 1.1e-9);
  EXPECT_NEAR(b.num("src2"), p.B, 1.1e-9);
  EXPECT_NEAR(b.num("src3"), p.R / 1e6, 1.1e-6);

  ASSERT_TRUE(f.press("convert"));
  Vec3 w = sky.body[4];
  ASSERT_TRUE(toSystem(b.state, sky.scene, {Origin::Geo, Plane::Equator, Equinox::OfDate}, w));
  EXPECT_EQ(b.num("resX"), std::trunc(w[0] / 1e6));
  EXPECT_EQ(b.num("resY"), std::trunc(w[1] / 1e6));
  EXPECT_EQ(b.num("resZ"), std::trunc(w[2] / 1e6));
  const Polar q = polarOf(b.state, w);
  EXPECT_NEAR(b.num("resL"), q.L, 1.1e-6);
  EXPECT_NEAR(b.num("resB"), q.B, 1.1e-6);
  // Mars at its 2003 opposition: about 55.8 million km from the Earth, declination near -15.8°
  EXPECT_NEAR(b.num("resR"), 55760, 200);
  EXPECT_NEAR(b.num("resB"), -15.8, 0.3);
}

TEST(ConverterScreen, CopyBackThenConvertReturnsTheSource) {
  // Topocentric horizon for the Moon, copied into the source with its system, then converted to
  // the heliocentric ecliptic of J2000: the Moon's computed vector to the source fields' digits.
  Bench b;
  ui::Form& f = b.form();
  f.choose("object", 10);
  f.choose("srcForm", 1);  // Cartesian
  ASSERT_TRUE(f.press("set"));
  const Vec3 moon = b.screen().sky().body[10];
  f.choose("dstOrigin", 2);
  f.choose("dstPlane", 2);
  ASSERT_TRUE(f.press("convert"));
  const double alt = b.num("resB");
  ASSERT_TRUE(f.press("copy"));
  EXPECT_EQ(f.option("srcOrigin"), 2);
  EXPECT_EQ(f.option("srcPlane"), 2);
  EXPECT_EQ(f.option("srcEq"), 1);
  EXPECT_EQ(f.option("object"), ConverterScreen::kTyped);
  f.choose("dstOrigin", 0);
  f.choose("dstPlane", 0);
  f.choose("dstEq", 1);
  ASSERT_TRUE(f.press("convert"));
  const Vec3& back = b.screen().result();
  const double err = std::hypot(back[0] - moon[0], back[1] - moon[1], back[2] - moon[2]);
  EXPECT_LT(err, 10.0);  // m: the Cartesian source fields keep millimetres
  EXPECT_TRUE(std::isfinite(alt));
  EXPECT_TRUE(b.desk.dialogs().empty()) << b.lastMessage();
}

TEST(ConverterScreen, FormChangeShowsTheSameVectorInTheOtherForm) {
  Bench b;
  ui::Form& f = b.form();
  f.type("src1", "90");
  f.type("src2", "0");
  f.type("src3", "1000");
  f.choose("srcForm", 1);
  EXPECT_EQ(f.caption("src1"), "X, тыс.км.");
  EXPECT_NEAR(b.num("src1"), 0, 1e-6);
  EXPECT_NEAR(b.num("src2"), 1000, 1e-6);
  EXPECT_NEAR(b.num("src3"), 0, 1e-6);
  f.choose("srcForm", 0);
  EXPECT_EQ(f.caption("src1"), "L(RA или A), град");
  EXPECT_NEAR(b.num("src1"), 90, 1e-9);
}

TEST(ConverterScreen, AngleConverterMinusThirtyAndIntoTheLongitude) {
  Bench b;
  ui::Form& f = b.form();
  f.choose("angForm", 1);  // degrees
  f.type("angDeg", "-30");
  f.press("readAngle");
  f.press("showAngle");
  EXPECT_EQ(f.text("angH"), "2");
  EXPECT_EQ(f.text("angHm"), "0");
  EXPECT_EQ(f.text("angHs"), "0");
  EXPECT_EQ(f.text("angD"), "30");
  EXPECT_EQ(f.text("angDm"), "0");
  EXPECT_EQ(f.text("angDs"), "0");
  EXPECT_EQ(f.text("angDeg"), "-30");
  EXPECT_EQ(f.text("angRad"), "-0,523598");
  EXPECT_TRUE(f.checked("angSign"));
  EXPECT_FALSE(f.enabled("angSign"));  // the box belongs to the sexagesimal forms
  // Read again in degrees: the angle keeps its own sign, the box does not turn it over.
  f.press("readAngle");
  EXPECT_DOUBLE_EQ(b.screen().angle(), -30);
  f.choose("angForm", 0);
  f.press("readAngle");
  EXPECT_NEAR(b.screen().angle(), -30, 1e-4);  // -0,523598 rad, truncated
  // hours-minutes-seconds with "--": the same angle
  f.choose("angForm", 3);
  EXPECT_TRUE(f.enabled("angSign"));
  f.type("angH", "2");
  f.type("angHm", "");
  f.type("angHs", "");
  f.press("readAngle");
  EXPECT_DOUBLE_EQ(b.screen().angle(), -30);
  f.press("toB");
  EXPECT_DOUBLE_EQ(b.num("src2"), -30);
  // bad input: the message, the kept angle unchanged
  f.choose("angForm", 0);
  f.type("angRad", "1,2,3");
  f.press("readAngle");
  EXPECT_EQ(b.lastMessage(), "Orvant7.0: Введите правильно данные");
  EXPECT_DOUBLE_EQ(b.screen().angle(), -30);
}

// ---- orvant-cli ----

std::map<std::string, double> runCli(const std::string& args, int& status, std::string& err) {
  std::map<std::string, double> values;
  // A file of this process's own: tests of several build directories may run at once.
  const std::string errFile =
      (std::filesystem::temp_directory_path() / ("orvant_conv_err_" + std::to_string(getpid()))).string();
  const std::string cmd = std::string("'") + ORVANT_CLI + "' " + args + " 2>'" + errFile + "'";
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return values;
  std::string out;
  char buf[512];
  while (std::fgets(buf, sizeof buf, p)) out += buf;
  const int st = pclose(p);
  status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  std::istringstream in(out);
  std::string name, eq, value;
  while (in >> name >> eq >> value)
    if (eq == "=") values[name] = std::strtod(value.c_str(), nullptr);
  FILE* e = std::fopen(errFile.c_str(), "r");
  err.clear();
  if (e) {
    while (std::fgets(buf, sizeof buf, e)) err += buf;
    std::fclose(e);
  }
  std::remove(errFile.c_str());
  return values;
}

TEST(ConverterCli, ConvertIsTheChainAndRefusesAsTheScreen) {
  if (!std::filesystem::exists(ORVANT_CLI)) GTEST_SKIP() << "orvant-cli not built";
  int status = -1;
  std::string err;
  auto v = runCli("convert --from helio,ecl,cart,j2000 --to topo,hor,date --jd 2460676.25 "
                  "--obs 37.6 55.75 206000 1200 -5100",
                  status, err);
  ASSERT_EQ(status, 0) << err;
  State s;
  ConverterSky sky;
  ASSERT_TRUE(computeSky(s, 2460676.25, 37.6, 55.75, sky));
  Vec3 w{206000e6, 1200e6, -5100e6};
  ASSERT_TRUE(fromSystem(s, sky.scene, {Origin::Helio, Plane::Ecliptic, Equinox::J2000}, w));
  ASSERT_TRUE(toSystem(s, sky.scene, {Origin::Topo, Plane::Horizon, Equinox::OfDate}, w));
  EXPECT_NEAR(v["X"], w[0] / 1e6, 1e-6);
  EXPECT_NEAR(v["Y"], w[1] / 1e6, 1e-6);
  EXPECT_NEAR(v["Z"], w[2] / 1e6, 1e-6);
  // and back: the result typed as the source returns the typed vector
  char back[256];
  std::snprintf(back, sizeof back,
                "convert --from topo,hor,cart,date --to helio,ecl,j2000 --jd 2460676.25 "
                "--obs 37.6 55.75 %.17g %.17g %.17g",
                v["X"], v["Y"], v["Z"]);
  auto r = runCli(back, status, err);
  ASSERT_EQ(status, 0) << err;
  EXPECT_NEAR(r["X"], 206000, 206000 * 1e-9);
  EXPECT_NEAR(r["Y"], 1200, 206000 * 1e-9);
  EXPECT_NEAR(r["Z"], -5100, 206000 * 1e-9);

  runCli("convert --from geo,hor,polar,date 10 20 30", status, err);
  EXPECT_EQ(status, 2);
  EXPECT_NE(err.find("ГОРизонтальные координаты | задаются только ТОПОцентрические"),
            std::string::npos);
  runCli("convert --from helio,ecl,polar,j2000 10 95 30", status, err);
  EXPECT_EQ(status, 2);
  EXPECT_NE(err.find("Введите правильно исходные координаты"), std::string::npos);
  runCli("convert --date 2000 x 1 10 20 30", status, err);
  EXPECT_EQ(status, 2);
  EXPECT_NE(err.find("Введите правильно дату"), std::string::npos);
}

TEST(ConverterCli, AngleInEveryForm) {
  if (!std::filesystem::exists(ORVANT_CLI)) GTEST_SKIP() << "orvant-cli not built";
  int status = -1;
  std::string err;
  auto v = runCli("angle hms --neg 2 0 0", status, err);
  ASSERT_EQ(status, 0) << err;
  EXPECT_EQ(v["Degrees"], -30);
  EXPECT_EQ(v["Deg"], 30);
  EXPECT_EQ(v["Hours"], 2);
  EXPECT_EQ(v["Negative"], 1);
  EXPECT_EQ(v["Radians"], -0.523598);
  runCli("angle dms 1 2 3 4", status, err);
  EXPECT_EQ(status, 2);
  // Degrees and radians carry their own sign: --neg is for dms and hms only.
  v = runCli("angle deg -30", status, err);
  ASSERT_EQ(status, 0) << err;
  EXPECT_EQ(v["Degrees"], -30);
  for (const char* args : {"angle deg --neg 30", "angle rad --neg 1"}) {
    runCli(args, status, err);
    EXPECT_EQ(status, 2) << args;
    EXPECT_NE(err.find("--neg"), std::string::npos) << args << ": " << err;
  }
  runCli("angle deg 1,5x", status, err);
  EXPECT_EQ(status, 2);
  EXPECT_NE(err.find("Введите правильно данные"), std::string::npos);
}

}  // namespace
}  // namespace orvant

namespace orvant {
namespace {

TEST(ConverterCli, ScreensOneAndTwoOpenTheConverterEllipseAndGravityTest) {
  // Through the navigation of screens 1 and 2, as a user: "Координаты*", "Эллипс*",
  // "К моделированию", "Тест гравитации*"; an iteration of screen 7 sets NItGr for the model.
  if (!std::filesystem::exists(ORVANT_CLI)) GTEST_SKIP() << "orvant-cli not built";
  const auto dir =
      std::filesystem::temp_directory_path() / ("orvant_conv_nav_" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const auto script = dir / "nav.txt";
  {
    std::FILE* f = std::fopen(script.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("open 1\npress 1 nav12\npress 12 GJ\nshow 12 JD\npress 1 nav14\npress 14 oneStep\n"
               "show 14 T\npress 1 toModel\npress 2 toGravity\npress 7 place\npress 7 first\n"
               "set 7 NItGr 4\npress 7 iterate\nstate NItGr\n",
               f);
    std::fclose(f);
  }
  int status = -1;
  std::string err;
  auto v = runCli("--dir '" + dir.string() + "' script '" + script.string() + "'", status, err);
  EXPECT_EQ(status, 0) << err;
  EXPECT_EQ(v["JD"], 2451545);
  EXPECT_EQ(v["NItGr"], 4);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace orvant
