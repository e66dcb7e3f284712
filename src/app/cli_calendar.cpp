// orvant-cli jd DAY MONTH YEAR [--calendar gregorian|julian|egyptian] [--noon]
// orvant-cli date JD [--calendar gregorian|julian|egyptian] [--noon]
//
// The "DMY->JD" and "JD->DMY" buttons without a screen: `jd` normalises the date first (NormDate)
// and prints the Julian date; `date` prints the calendar date of a Julian date. --noon counts the
// day from 12 h (the option "от 12"). Wrong input prints the screens' message and exits with 2.
#include <iostream>
#include <string>
#include <vector>

#include "app/cli.h"
#include "model/calendar.h"

namespace orvant::cli {

namespace {

// Takes --calendar and --noon out of args, setting CalType and Hour0; false on a bad option.
bool takeCalendarOptions(std::vector<std::string>& args, State& s) {
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--noon") {
      s.Hour0 = 12;
    } else if (a == "--calendar") {
      if (i + 1 >= args.size()) return false;
      const std::string& name = args[++i];
      if (name == "gregorian") s.CalType = 0;
      else if (name == "julian") s.CalType = 1;
      else if (name == "egyptian") s.CalType = 2;
      else return false;
    } else if (a.rfind("--", 0) == 0) {
      return false;
    } else {
      rest.push_back(a);
    }
  }
  args = std::move(rest);
  return true;
}

int jdCommand(Context& ctx) {
  State s;
  std::vector<std::string> args = ctx.args;
  double day = 0;
  long month = 0, year = 0;
  if (!takeCalendarOptions(args, s) || args.size() != 3 || !argNumber(args[0], day) ||
      !argInteger(args[1], month) || !argInteger(args[2], year))
    return fail(kMsgBadDate);
  s.DateError = 0;
  if (!NormDate(s, day, static_cast<int32>(month), static_cast<int32>(year)))
    return fail(kMsgBadDate);
  const double jd = JDfromDate(s, s.Day, s.Month, s.Year);
  if (s.DateError != 0) return fail(kMsgBadDate);
  printValue("JD", jd);
  return 0;
}

int dateCommand(Context& ctx) {
  State s;
  std::vector<std::string> args = ctx.args;
  double jd = 0;
  if (!takeCalendarOptions(args, s) || args.size() != 1 || !argNumber(args[0], jd))
    return fail(kMsgBadJulianDate);
  s.DateError = 0;
  if (!DateFromJD(s, jd)) return fail(kMsgBadJulianDate);
  std::cout << "Year = " << s.Year << "\nMonth = " << s.Month << '\n';
  printValue("Day", s.Day);
  return 0;
}

const CliRegistrar kJd("jd", "jd ДЕНЬ МЕСЯЦ ГОД [--calendar gregorian|julian|egyptian] [--noon]",
                       jdCommand);
const CliRegistrar kDate("date", "date JD [--calendar gregorian|julian|egyptian] [--noon]",
                         dateCommand);

}  // namespace

}  // namespace orvant::cli
