// orvant-cli reduce: one run of screen 10's observation reduction without a window.
//
//   orvant-cli [--dir DIR] reduce --source obs|tab --name NAME --object N [options]
//
// The source is chosen as screen 10 chooses it (an observatory code of the catalogue, any other
// code as "иная Obs", or a table name), with the screen's defaults for the date, the calendar
// and the reduction boxes; the options then override them. At the end the counts, the means and
// the criterion are printed, one "NAME = value unit" a line (″, тыс. км, сут); messages go to
// stderr as "MESSAGE [title] text". Exit status 0 when the run went to its end, 1 when it was refused or
// failed, 2 for wrong arguments.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "app/cli.h"
#include "astro/etut.h"
#include "model/format.h"
#include "model/input_check.h"
#include "model/state.h"
#include "observations/reduction.h"
#include "observations/residual_classes.h"
#include "observations/sources.h"

namespace orvant::cli {

namespace {

constexpr const char* kUsage =
    "reduce --source obs|tab --name NAME --object N [--file NO] [--good-file] [--day D --month M "
    "--year Y] [--calendar 0|1|2] [--noon|--midnight] [--end YEAR] [--step DAYS] "
    "[--planet JPL0|Kin0|Plan] [--earth JPL0|Kin0|Kin0+] [--epoch J2000|JD] [--aberr-source on|off] "
    "[--aberr-observer on|off] [--parallax on|off] [--refraction on|off] [--nutation on|off] "
    "[--visibility on|off] [--hpl DEG] [--hsol DEG] [--criterion dR|AbsdL] [--limit X] [--rms] "
    "[--kves] [--stat] [--files] [--trace] [--obsL DEG] [--obsB DEG] [--prec-tab] [--dLzl] [--dLp]";

class StderrSink : public MessageSink {
 public:
  void message(std::string_view text, std::string_view title) override {
    std::string t(text);
    for (std::size_t p = 0; (p = t.find('\n', p)) != std::string::npos;) t.replace(p, 1, " | ");
    std::fprintf(stderr, "MESSAGE [%.*s] %s\n", static_cast<int>(title.size()), title.data(),
                 t.c_str());
  }
};

bool onOff(const std::string& v, bool& out) {
  if (v == "on") return out = true, true;
  if (v == "off") return out = false, true;
  return false;
}

// The command line as "--key value" pairs and bare flags.
struct ReduceArgs {
  std::map<std::string, std::string> val;
  std::map<std::string, bool> flag;
  bool has(const char* key) const { return val.count(key) != 0; }
};

// Splits the arguments; an error text when one is neither a flag nor a key with a value.
std::string splitArgs(const std::vector<std::string>& args, ReduceArgs& r) {
  static const char* kFlags[] = {"--good-file", "--noon", "--midnight", "--rms", "--kves",
                                 "--stat",      "--files", "--trace",   "--prec-tab", "--dLzl",
                                 "--dLp"};
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    bool isFlag = false;
    for (const char* f : kFlags)
      if (a == f) isFlag = r.flag[a] = true;
    if (isFlag) continue;
    if (a.rfind("--", 0) != 0 || i + 1 >= args.size())
      return "Неверный аргумент «" + a + "». Использование: orvant-cli " + kUsage;
    r.val[a] = args[++i];
  }
  return {};
}

// The boxes' own checks, before anything is read: screen 10's date check, then each number
// within its range (the run refuses the same values again). An error text or "".
std::string checkRanges(ReduceArgs& r) {
  struct Range {
    const char* key;
    double lo, hi;
    bool whole;
    const char* what;
  };
  const Range ranges[] = {
      {"--day", 1, kMaxDayCount, false, "день: от 1 (дробный)"},
      {"--month", 1, 12, true, "месяц: целое от 1 до 12"},
      {"--year", -kMaxYear, kMaxYear, true, "год: целое по модулю не больше 100000"},
      {"--end", -kMaxYear, kMaxYear, true, "год конца: целое по модулю не больше 100000"},
      {"--calendar", 0, 2, true, "календарь: 0, 1 или 2"},
      {"--step", kStepTabRange.lo, kStepTabRange.hi, false, "шаг: больше 0, до 10^6 суток"},
      {"--hpl", kAltitudeRange.lo, kAltitudeRange.hi, false, "высота: от -180 до 180°"},
      {"--hsol", kAltitudeRange.lo, kAltitudeRange.hi, false, "высота: от -180 до 180°"},
      {"--limit", kLimitRange.lo, kLimitRange.hi, false, "предел: от 0 до 10^9"},
      {"--obsL", -360, 360, false, "долгота: от -360 до 360°"},
      {"--obsB", -90, 90, false, "широта: от -90 до 90°"}};
  for (const Range& g : ranges) {
    if (!r.has(g.key)) continue;
    const auto typed = parseNumber(r.val[g.key]);
    const bool ok = g.whole ? checkWhole(typed, static_cast<std::int64_t>(g.lo),
                                         static_cast<std::int64_t>(g.hi)).has_value()
                            : checkNumber(typed, g.lo, g.hi).has_value();
    if (!ok || (g.key == std::string_view("--step") && !(*typed > 0)))
      return std::string("Значение ") + g.key + " «" + r.val[g.key] + "» отвергнуто: " + g.what;
  }
  return {};
}

// Chooses the source as screen 10 does; false when it is refused (the message went to stderr).
bool chooseSource(State& s, SourceScreen& scr, const std::string& kind, const std::string& name,
                  bool& unknownTable) {
  unknownTable = false;
  if (kind == "obs") {
    ChooseSrcObs(s);
    int entry = 7;
    for (int k = 1; k <= 6; ++k)
      if (kObsCatalogue[static_cast<std::size_t>(k)].name == name) entry = k;
    scr.otherObs = name;
    return SelectObs(s, scr, entry);
  }
  ChooseSrcTab(s);
  int entry = -1;
  for (int k = 1; k < static_cast<int>(kTabCatalogue.size()); ++k)
    if (kTabCatalogue[static_cast<std::size_t>(k)].name == name) entry = k;
  if (entry < 0) return unknownTable = true, false;
  return SelectTab(s, scr, entry);
}

// The run's inputs: the screen's boxes after the choice, then the numbers given. An error text or "".
std::string readInputs(ReduceArgs& r, const SourceScreen& scr, const State& s, bool observatory,
                       long object, ReductionInputs& in) {
  in.Npl = static_cast<int32>(object);
  in.Day = scr.day;
  in.CalType = static_cast<int16>(scr.calType);
  in.Hour0 = scr.dayFromNoon ? 12 : 0;
  in.ObsL = scr.obsL;
  in.ObsB = scr.obsB;
  if (r.flag["--noon"]) in.Hour0 = 12;
  if (r.flag["--midnight"]) in.Hour0 = 0;
  struct NumArg {
    const char* key;
    double* target;
  };
  double calendar = in.CalType, month = scr.month, year = scr.year;
  double end = observatory ? s.YearEnd : scr.year;
  const NumArg nums[] = {{"--day", &in.Day},       {"--month", &month},     {"--year", &year},
                         {"--calendar", &calendar}, {"--end", &end},          {"--step", &in.StepTab},
                         {"--hpl", &in.Hpl},        {"--hsol", &in.Hsol},     {"--limit", &in.limit},
                         {"--obsL", &in.ObsL},      {"--obsB", &in.ObsB}};
  for (const NumArg& n : nums)
    if (r.has(n.key) && !argNumber(r.val[n.key], *n.target))
      return std::string("Значение ") + n.key + " «" + r.val[n.key] + "» не является числом";
  in.Month = static_cast<int32>(month);
  in.Year = static_cast<int32>(year);
  in.YearEnd = static_cast<int32>(end);
  in.CalType = static_cast<int16>(calendar);
  return {};
}

// The pass options: the screen's boxes, then the switches and theories given. An error text or "".
std::string readOptions(ReduceArgs& r, const SourceScreen& scr, PassOptions& o) {
  o.aberrSource = scr.aberrSource;
  o.aberrObserver = scr.aberrObserver;
  o.nutation = scr.nutation;
  const std::map<std::string, bool*> boxes = {
      {"--aberr-source", &o.aberrSource}, {"--aberr-observer", &o.aberrObserver},
      {"--parallax", &o.parallax},        {"--refraction", &o.refraction},
      {"--nutation", &o.nutation},        {"--visibility", &o.visibility}};
  for (const auto& [key, target] : boxes)
    if (r.val.count(key) && !onOff(r.val[key], *target)) return "Значение " + key + ": on или off";
  if (r.has("--hsol")) o.sunTest = true;
  if (r.has("--limit")) o.reject = true;
  o.rms = r.flag["--rms"];
  o.kVes = r.flag["--kves"];
  o.statistics = r.flag["--stat"];
  o.files = r.flag["--files"];
  o.trace = r.flag["--trace"];
  o.dLzl = r.flag["--dLzl"];
  o.dLp = r.flag["--dLp"];
  const std::map<std::string, PlanetTheory> planets = {
      {"JPL0", PlanetTheory::JPL0}, {"Kin0", PlanetTheory::Kin0}, {"Plan", PlanetTheory::Plan}};
  const std::map<std::string, EarthTheory> earths = {
      {"JPL0", EarthTheory::JPL0}, {"Kin0", EarthTheory::Kin0}, {"Kin0+", EarthTheory::Kin0p}};
  if (r.has("--planet")) {
    if (!planets.count(r.val["--planet"])) return "Теория планеты: JPL0, Kin0 или Plan";
    o.planet = planets.at(r.val["--planet"]);
  }
  if (r.has("--earth")) {
    if (!earths.count(r.val["--earth"])) return "Теория Земли и Луны: JPL0, Kin0 или Kin0+";
    o.earth = earths.at(r.val["--earth"]);
  }
  if (r.has("--epoch")) o.epochJD = r.val["--epoch"] == "JD";
  return {};
}

// The counts, then the means and the criterion when observations were accepted.
void printResults(const ObservationRun& run, const PassOptions& o) {
  const Accumulators& a = run.acc();
  std::printf("passes = %ld\ncompared = %ld\naccepted = %ld\nrejected = %ld\n", run.passes(),
              run.compared(), a.Nok, run.rejected());
  if (a.Nok <= 0) return;
  const double n = static_cast<double>(a.Nok);
  const auto& row = run.experiments().row[0];
  constexpr const char* kArcsec = "″";
  constexpr const char* kThousandKm = "тыс. км";
  printValue("dLsr", a.sdL / n * 3600, kArcsec);
  printValue("dBsr", a.sdB / n * 3600, kArcsec);
  printValue("dRsr", row[kColMeanDR], kThousandKm);
  printValue("absdLsr", row[kColMeanAbsDL], kArcsec);
  printValue("absdBsr", row[kColMeanAbsDB], kArcsec);
  printValue("rmsdR", row[kColRmsDR], kThousandKm);
  printValue("rmsdL", row[kColRmsDL], kArcsec);
  printValue("rmsdB", row[kColRmsDB], kArcsec);
  printValue("criterion", run.criterion(), o.criterion == ObsCriterion::dR ? kThousandKm : kArcsec);
  printValue("kW", run.kW());
  printValue("JDmean", a.JDmean, "сут");
}

int reduceCommand(Context& ctx) {
  ReduceArgs args;
  if (const std::string e = splitArgs(ctx.args, args); !e.empty()) return fail(e);
  const std::string kind = args.has("--source") ? args.val["--source"] : "";
  if ((kind != "obs" && kind != "tab") || !args.has("--name") || !args.has("--object"))
    return fail(std::string("Задайте источник, его имя и объект. Использование: orvant-cli ") +
                kUsage);
  if (const std::string e = checkRanges(args); !e.empty()) return fail(e);
  long object = 0;
  if (!argInteger(args.val["--object"], object))
    return fail("Номер объекта «" + args.val["--object"] + "» должен быть целым числом");

  State s;
  s.workDir = ctx.workDir.string();
  StderrSink sink;
  s.sink = &sink;
  setETcoefDefaults(s);

  SourceScreen scr;
  scr.objectNo = static_cast<int>(object);
  if (args.has("--file")) scr.fileNo = args.val["--file"];
  scr.goodFileObs = args.flag["--good-file"];
  PassOptions o;
  if (args.has("--criterion")) {
    if (args.val["--criterion"] == "dR")
      o.criterion = ObsCriterion::dR;
    else if (args.val["--criterion"] == "AbsdL")
      o.criterion = ObsCriterion::AbsdL;
    else
      return fail("Критерий: dR или AbsdL");
  }
  scr.criterion = o.criterion;
  scr.precTab = o.precTab = args.flag["--prec-tab"];
  const std::string name = args.val["--name"];
  bool unknownTable = false;
  if (!chooseSource(s, scr, kind, name, unknownTable))
    return unknownTable ? fail("Неизвестная таблица «" + name + "»") : 1;

  ReductionInputs in;
  if (const std::string e = readInputs(args, scr, s, kind == "obs", object, in); !e.empty())
    return fail(e);
  if (const std::string e = readOptions(args, scr, o); !e.empty()) return fail(e);

  PlainObserver obs(o);
  ObservationRun run(s);
  if (!run.start(in, obs)) return 1;
  const LoopEnd end = run.loop(obs);
  printResults(run, o);
  if (o.statistics) {
    const Accumulators& a = run.acc();
    ReportSums sums{a.Nok, a.sadL, a.sadB, a.sdR};
    if (!writeStatReport(s, run.classes(), sums)) return 1;
  }
  return end == LoopEnd::Failed ? 1 : 0;
}

const CliRegistrar kReduce("reduce", kUsage, reduceCommand);

}  // namespace

}  // namespace orvant::cli
