// orvant-cli eclipse FROM TO [options]: solar and lunar eclipses and transits of Mercury and
// Venus seen by one observer, found with the step chain of screen 16.
//
//   FROM, TO              UT span: a Julian date or a Gregorian date YYYY-MM-DD[.fraction]
//   --source NAME         New0, JPL0, JPL2 (default), Kin0+, or a table of screen 16
//                         (Wing, Tycho, Streete*, Rudolphine*, Almagest*, AlKhwarizmi*, Alfonso*,
//                         AlBattani)
//   --lon L --lat B       observer's east longitude and latitude, degrees (48.153, 45.874)
//   --ellipsoid [--height H]  WGS84 observer: --lat geodetic, H metres above the ellipsoid
//                         (default: the screen's sphere of radius 6378140 m, --lat geocentric)
//   --et1 M, --et2 M      ET1-UT / ET2-UT as on screen 17: a preset 0..5 (negative: the sign
//                         reversed), "min=X" for X minutes typed "с экрана", or
//                         "a0,a1,a2,year" for the typed quadratic (default --et1 1 --et2 2)
//   --kinds LIST          any of solar,lunar,mercury,venus (default all)
//   --refraction          altitudes with refraction
//   --visible             only events whose eclipsed (or transited) body is up at some contact
//   --dpl-moon KM etc.    not offered: the diameters are those of screen 17's defaults
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli.h"
#include "earthrotation/eclipse_chain.h"
#include "earthrotation/eclipse_finder.h"
#include "astro/etut.h"
#include "ephemeris/jpl.h"
#include "model/calendar.h"
#include "model/format.h"
#include "model/state.h"
#include "observations/sources.h"

namespace orvant::cli {

namespace {

constexpr std::string_view kUsage =
    "eclipse FROM TO [--source New0|JPL0|JPL2|Kin0+|TABLE] [--lon L] [--lat B] [--ellipsoid] "
    "[--height H] [--et1 M] [--et2 M] [--kinds solar,lunar,mercury,venus] [--refraction] "
    "[--visible]";

class StderrSink : public MessageSink {
 public:
  void message(std::string_view text, std::string_view title) override {
    std::string t(text);
    for (char& c : t)
      if (c == '\n') c = ' ';
    std::fprintf(stderr, "MESSAGE [%.*s] %s\n", static_cast<int>(title.size()), title.data(),
                 t.c_str());
  }
};

bool parseDate(State& s, const std::string& text, double& jd) {
  int y = 0, m = 0;
  double d = 0;
  if (std::sscanf(text.c_str(), "%d-%d-%lf", &y, &m, &d) == 3 && text.find('-', 1) != std::string::npos) {
    s.CalType = 0;
    s.Hour0 = 0;
    s.DateError = 0;
    jd = JDfromDate(s, d, m, y);
    return s.DateError == 0;
  }
  return argNumber(text, jd);
}

// "--et1 M": preset (sign reversed when negative), min=X, or a0,a1,a2,year.
bool parseEt(State& s, int n, const std::string& text, EclipseSettings& set, std::string& name) {
  if (text.rfind("min=", 0) == 0) {
    double v = 0;
    if (!argNumber(text.substr(4), v)) return false;
    (n == 1 ? set.et1Screen : set.et2Screen) = true;
    (n == 1 ? set.et1Min : set.et2Min) = v;
    name = "с экрана " + basicNumber(v) + " мин";
    return true;
  }
  if (text.find(',') != std::string::npos) {
    double a0, a1, a2, year;
    if (std::sscanf(text.c_str(), "%lf,%lf,%lf,%lf", &a0, &a1, &a2, &year) != 4) return false;
    if (!setETcoef(s, n, 0, a0, a1, a2, static_cast<int32>(year), false)) return false;
    name = basicNumber(a0) + "+" + basicNumber(a1) + "*(T-T0)+" + basicNumber(a2) +
           "*(T-T0)^2, T0=" + std::to_string(static_cast<int>(year));
    return true;
  }
  long p = 0;
  if (!argInteger(text, p) || std::labs(p) > 5) return false;
  const bool reversed = text[0] == '-';
  const ETUTOption& o = kETUTOptions[static_cast<std::size_t>(std::labs(p))];
  if (!setETcoef(s, n, static_cast<int>(std::labs(p)), o.a0, o.a1, o.a2, o.T0year, reversed))
    return false;
  static const char* names[6] = {"задано вручную", "1939: 24.35+72.32*(T-1900)+29.95*(T-1900)^2",
                                 "1997: 31.5*(T-1800)^2", "2010: 31.5*(T-1800)^2 (планеты)",
                                 "2010: 31.5*(T-1800)^2 (Земля)",
                                 "кусочная аппроксимация и прогноз"};
  name = std::string(reversed ? "-(" : "") + names[std::labs(p)] + (reversed ? ")" : "");
  if (p == 0)
    name += ": " + basicNumber(o.a0) + "+" + basicNumber(o.a1) + "*(T-" +
            std::to_string(o.T0year) + ")+" + basicNumber(o.a2) + "*(T-" +
            std::to_string(o.T0year) + ")^2";
  return true;
}

std::string utOf(State& s, double jd) {
  if (!std::isfinite(jd)) return "--:--:--.-";
  s.CalType = 0;
  s.Hour0 = 0;
  if (!DateFromJD(s, jd)) return "?";
  const double f = (s.Day - std::floor(s.Day)) * 86400;
  const double r = std::floor(f * 10 + 0.5) / 10;
  const int hh = static_cast<int>(r / 3600), mm = static_cast<int>((r - hh * 3600) / 60);
  const double ss = r - hh * 3600 - mm * 60;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%04.1f", hh, mm, ss);
  return buf;
}

// A height in degrees in its column of 6; "-" where it does not apply (no such body for the event).
std::string height(double deg) {
  char buf[32];
  if (std::isnan(deg)) return "     -";
  std::snprintf(buf, sizeof buf, "%6.2f", deg);
  return buf;
}

std::string dateOf(State& s, double jd) {
  s.CalType = 0;
  s.Hour0 = 0;
  if (!DateFromJD(s, jd)) return "?";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", static_cast<int>(s.Year), static_cast<int>(s.Month),
                static_cast<int>(std::floor(s.Day)));
  return buf;
}

int eclipseCommand(Context& ctx) {
  if (ctx.args.size() < 2) return fail(kUsage);
  State s;
  initCatalogue(s);
  StderrSink sink;
  s.sink = &sink;
  s.workDir = ctx.workDir.string();
  setETcoefDefaults(s);
  // The diameters at screen 16's load, replaced by screen 17's for the Sun, the Earth, the Moon.
  s.Dpl[0] = 1392000000, s.Dpl[1] = 4879000, s.Dpl[2] = 12104000, s.Dpl[3] = 12756000,
  s.Dpl[4] = 6794000, s.Dpl[11] = 3475000;
  setEclipseDiameters(s, 1392.0, 12.75628, 3.475);
  EclipseSettings set;
  set.theory = EclTheory::JPL2;
  EclFinderOptions opt;
  std::string et1Name = "1939: 24.35+72.32*(T-1900)+29.95*(T-1900)^2";
  std::string et2Name = "1997: 31.5*(T-1800)^2";
  if (!parseDate(s, ctx.args[0], opt.jdFrom) || !parseDate(s, ctx.args[1], opt.jdTo) ||
      !(opt.jdTo > opt.jdFrom))
    return fail(kUsage);
  for (std::size_t i = 2; i < ctx.args.size(); ++i) {
    const std::string& a = ctx.args[i];
    const bool hasValue = i + 1 < ctx.args.size();
    double v = 0;
    if (a == "--ellipsoid") {
      set.ellipsoid = true;
    } else if (a == "--refraction") {
      set.refraction = true;
    } else if (a == "--visible") {
      opt.visibleOnly = true;
    } else if (!hasValue) {
      return fail(kUsage);
    } else if (a == "--source") {
      const std::string& n = ctx.args[++i];
      bool known = false;
      for (int t = 1; t < 5; ++t)
        if (n == kEclTheoryNames[static_cast<std::size_t>(t)]) {
          set.theory = static_cast<EclTheory>(t);
          known = true;
        }
      // A table by its caption, the asterisk of the caption optional ("Almagest").
      for (int t = 1; t <= 8; ++t)
        if (n == kEclTableCaptions[static_cast<std::size_t>(t)] ||
            n + "*" == kEclTableCaptions[static_cast<std::size_t>(t)]) {
          set.tables = true;
          set.table = t;
          known = true;
        }
      if (!known) return fail(kUsage);
    } else if (a == "--lon" && argNumber(ctx.args[i + 1], v)) {
      set.ObsL = v, ++i;
    } else if (a == "--lat" && argNumber(ctx.args[i + 1], v)) {
      set.ObsB = v, ++i;
    } else if (a == "--height" && argNumber(ctx.args[i + 1], v)) {
      set.heightM = v, ++i;
    } else if (a == "--et1") {
      if (!parseEt(s, 1, ctx.args[++i], set, et1Name)) return fail(kUsage);
    } else if (a == "--et2") {
      if (!parseEt(s, 2, ctx.args[++i], set, et2Name)) return fail(kUsage);
    } else if (a == "--kinds") {
      const std::string& k = ctx.args[++i];
      opt.solar = k.find("solar") != std::string::npos;
      opt.lunar = k.find("lunar") != std::string::npos;
      opt.mercury = k.find("mercury") != std::string::npos;
      opt.venus = k.find("venus") != std::string::npos;
    } else {
      return fail(kUsage);
    }
  }
  if (!eclipseSettingsError(set).empty()) return fail(eclipseSettingsError(set));
  if (set.tables) {
    const TabCatalogueEntry& e = kTabCatalogue[static_cast<std::size_t>(kEclTableCatalogue[set.table])];
    set.tabCalType = e.calType;
    set.tabHour0 = e.dayFromMidnight ? 0 : 12;
    set.tabMeridian = e.L;
    s.SrcKind = "Tab";
    s.ObsName = std::string(e.name);
    s.NSheet = static_cast<int16>(e.nSheet);
    s.JDep = opt.jdFrom;
    if (!TabOpen(s, e.name)) return 1;
  }
  const auto t0 = std::chrono::steady_clock::now();
  std::vector<EclEvent> events;
  const EclStatus st = findEclipses(s, set, opt, events);
  const double secs =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  if (set.tables) TabClose(s);
  if (s.JPLisOpen == 10) JPLclose(s);
  // ---- report ----
  std::printf("# затмения и прохождения: источник %s\n", std::string(eclipseSourceName(set)).c_str());
  std::printf("# ET1-UT: %s;  ET2-UT: %s\n", et1Name.c_str(), et2Name.c_str());
  if (set.ellipsoid) {
    std::printf("# наблюдатель: ObsL=%.6f ObsB=%.6f (геодезическая, WGS84), высота %.1f м\n",
                set.ObsL, set.ObsB, set.heightM);
  } else {
    std::printf("# наблюдатель: ObsL=%.6f ObsB=%.6f на сфере R=6378140 м\n", set.ObsL, set.ObsB);
  }
  std::printf("# с %s по %s UT; время UT; sep, rho в градусах; mag: доля диаметра "
              "(прохождения: диаметра планеты), obsc: доля площади диска; h: высоты в градусах\n",
              dateOf(s, opt.jdFrom).c_str(), dateOf(s, opt.jdTo).c_str());
  std::printf("# вид      дата        тип  C1          C2          MAX         C3          C4      "
              "      sep       mag     obsc    hSun    hMoon   hPlanet\n");
  static const char* kinds[4] = {"Солнечное", "Лунное   ", "Меркурий ", "Венера   "};
  for (const EclEvent& e : events) {
    const bool planet = e.kind == EclEventKind::Mercury || e.kind == EclEventKind::Venus;
    std::printf("%s  %s  %c    %s  %s  %s  %s  %s  %8.5f  %7.4f  %7.4f  %s  %s  %s\n",
                kinds[static_cast<int>(e.kind)], dateOf(s, e.jdMax).c_str(), e.type,
                utOf(s, e.c1).c_str(), utOf(s, e.c2).c_str(), utOf(s, e.jdMax).c_str(),
                utOf(s, e.c3).c_str(), utOf(s, e.c4).c_str(), e.sep, e.magnitude, e.obscured,
                height(e.sunAlt).c_str(), height(planet ? NAN : e.moonAlt).c_str(),
                height(planet ? e.bodyAlt : NAN).c_str());
  }
  std::printf("# событий: %zu; время поиска %.2f с\n", events.size(), secs);
  return st == EclStatus::Ok ? 0 : 1;
}

const CliRegistrar kEclipse("eclipse", std::string(kUsage), eclipseCommand);

}  // namespace

}  // namespace orvant::cli
