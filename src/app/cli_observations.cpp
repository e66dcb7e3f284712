// orvant-cli obs-read FILE [--from YEAR] [--to YEAR] [--criterion dR|L]
// orvant-cli tab-eval NAME OBJECT DAY MONTH YEAR HOURS
//
// The observation sources without a window. `obs-read` opens an observatory file (or a Good
// file) the way the choice of an observatory does and lists the records that ObsReadNext accepts:
// year, month, day with its fraction (UT), right ascension and declination in degrees. The year
// range is that of the file's line 5 unless --from/--to give another; --criterion L is "Abs(dL)".
// `tab-eval` opens Tab/NAME.xls of the work directory in the spreadsheet engine, writes the date
// (whole day, hours from the beginning of the table's day) and prints Lk, Bk of OBJECT and CorrTab.
// Messages print as "MESSAGE [title] text" on stderr; a failure exits with 1.
#include <cmath>
#include <cstdio>
#include <iostream>

#include "app/cli.h"
#include "observations/sources.h"

namespace orvant::cli {

namespace {

class StderrSink : public MessageSink {
 public:
  void message(std::string_view text, std::string_view title) override {
    std::string t(text);
    for (std::size_t p = 0; (p = t.find('\n', p)) != std::string::npos;) t.replace(p, 1, " | ");
    std::fprintf(stderr, "MESSAGE [%.*s] %s\n", static_cast<int>(title.size()), title.data(),
                 t.c_str());
  }
};

int obsReadCommand(Context& ctx) {
  std::string file;
  long from = 0, to = 0;
  bool hasFrom = false, hasTo = false;
  ObsCriterion crit = ObsCriterion::dR;
  const auto& a = ctx.args;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] == "--from" && i + 1 < a.size()) {
      if (!argInteger(a[++i], from)) return fail("--from: год");
      hasFrom = true;
    } else if (a[i] == "--to" && i + 1 < a.size()) {
      if (!argInteger(a[++i], to)) return fail("--to: год");
      hasTo = true;
    } else if (a[i] == "--criterion" && i + 1 < a.size()) {
      const std::string& c = a[++i];
      if (c == "dR") crit = ObsCriterion::dR;
      else if (c == "L" || c == "dL" || c == "AbsdL" || c == "Abs(dL)") crit = ObsCriterion::AbsdL;
      else return fail("--criterion dR|L");
    } else if (file.empty() && a[i].rfind("--", 0) != 0) {
      file = a[i];
    } else {
      return fail("obs-read ФАЙЛ [--from ГОД] [--to ГОД] [--criterion dR|L]");
    }
  }
  if (file.empty()) return fail("obs-read ФАЙЛ [--from ГОД] [--to ГОД] [--criterion dR|L]");
  State s;
  StderrSink sink;
  s.sink = &sink;
  const std::filesystem::path path = std::filesystem::absolute(file);
  s.workDir = path.parent_path().string();
  s.Npl = 0;
  if (!ObsOpen(s, path.filename().string())) return 1;
  if (hasFrom) s.YearBeg = static_cast<int32>(from);
  if (hasTo) s.YearEnd = static_cast<int32>(to);
  while (ObsReadNext(s, crit))
    std::cout << s.YearNab << ' ' << s.MonthNab << ' ' << number17(s.DayNab) << ' '
              << number17(s.Lk[0]) << ' ' << number17(s.Bk[0]) << '\n';
  return s.kStop != 0 ? 1 : 0;
}

int tabEvalCommand(Context& ctx) {
  const auto& a = ctx.args;
  long object = 0, day = 0, month = 0, year = 0;
  double hours = 0;
  if (a.size() != 6 || !argInteger(a[1], object) || !argInteger(a[2], day) ||
      !argInteger(a[3], month) || !argInteger(a[4], year) || !argNumber(a[5], hours) ||
      std::fabs(static_cast<double>(year)) > 2147483647.0 || month < 0 || month > 13)
    return fail("tab-eval ИМЯ ОБЪЕКТ ДЕНЬ МЕСЯЦ ГОД ЧАСЫ");
  State s;
  StderrSink sink;
  s.sink = &sink;
  s.workDir = ctx.workDir.string();
  s.ObsName = a[0];
  s.Npl = static_cast<int32>(object);
  s.NSheet = 11;
  for (const auto& e : kTabCatalogue)
    if (e.name == a[0] && e.nSheet > 0) s.NSheet = static_cast<int16>(e.nSheet);
  if (!TabOpen(s, a[0])) return 1;
  s.YearNab = static_cast<int32>(year);
  s.MonthNab = static_cast<int32>(month);
  s.DayNab = static_cast<double>(day) + hours / 24;
  s.HourNab = hours;
  s.JD = s.JDep = 0;  // a single evaluation: the start date itself
  const bool ok = TabEval(s);
  TabClose(s);
  if (!ok) return 1;
  if (object >= 0 && object < static_cast<long>(s.Lk.size())) {
    printValue("Lk", s.Lk[object]);
    printValue("Bk", s.Bk[object]);
  }
  printValue("CorrTab", s.CorrTab);
  return 0;
}

const CliRegistrar kObsRead("obs-read", "obs-read ФАЙЛ [--from ГОД] [--to ГОД] [--criterion dR|L]",
                            obsReadCommand);
const CliRegistrar kTabEval("tab-eval", "tab-eval ИМЯ ОБЪЕКТ ДЕНЬ МЕСЯЦ ГОД ЧАСЫ",
                            tabEvalCommand);

}  // namespace

}  // namespace orvant::cli
