// orvant-cli theory New0|J2000|Kin0|Kin0p JD I [--to-j2000]
// orvant-cli moonpos T
//
// `theory` prints the mean orbit parameters that a theory gives object I (1..9 the planets, 11 the
// Moon) at the Julian date JD, in the program's internal units (rad, rad/s, m). --to-j2000 carries
// the J2000 theory's lunar elements to the equinox of J2000 (MoonToJ2000), as the callers of the
// J2000 theory do for the Moon. `moonpos` prints the Moon's geocentric ecliptic longitude and
// latitude (degrees) and distance (m) from the short series, T in Julian centuries from J2000.
// Wrong arguments print a message and exit with 2.
#include <string>
#include <vector>

#include "app/cli.h"
#include "ephemeris/theory_kin.h"
#include "ephemeris/theory_moon.h"
#include "ephemeris/theory_planets.h"

namespace orvant::cli {

namespace {

struct TheoryEntry {
  const char* name;
  void (*run)(State&, int);
};

constexpr TheoryEntry kTheories[] = {
    {"New0", ThNew0}, {"J2000", ThJ2000}, {"Kin0", ThKin0}, {"Kin0p", ThKin0p}};

constexpr const char* kTheoryUsage = "theory New0|J2000|Kin0|Kin0p JD I [--to-j2000]";

int theoryCommand(Context& ctx) {
  std::vector<std::string> args;
  bool toJ2000 = false;
  for (const std::string& a : ctx.args) {
    if (a == "--to-j2000")
      toJ2000 = true;
    else if (a.rfind("--", 0) == 0)
      return fail("Неизвестный ключ «" + a + "». Использование: orvant-cli " + kTheoryUsage);
    else
      args.push_back(a);
  }
  if (args.size() != 3)
    return fail(std::string("Задайте теорию, юлианскую дату и номер объекта. Использование: ") +
                "orvant-cli " + kTheoryUsage);

  const TheoryEntry* theory = nullptr;
  for (const TheoryEntry& t : kTheories)
    if (args[0] == t.name) theory = &t;
  if (!theory)
    return fail("Неизвестная теория «" + args[0] + "»: допустимы New0, J2000, Kin0, Kin0p");

  double jd = 0;
  if (!argNumber(args[1], jd)) return fail("Юлианская дата «" + args[1] + "» не является числом");
  long object = 0;
  if (!argInteger(args[2], object))
    return fail("Номер объекта «" + args[2] + "» должен быть целым числом");
  if (!theoryServes(static_cast<int>(object)))
    return fail("Теория " + std::string(theory->name) + " не рассчитывает объект " + args[2] +
                ": допустимы 1..9 (планеты) и 11 (Луна)");
  if (toJ2000 && (theory->run != ThJ2000 || object != 11))
    return fail("Ключ --to-j2000 применим только к теории J2000 и объекту 11 (Луна)");

  State s;
  s.JD = jd;
  const int I = static_cast<int>(object);
  theory->run(s, I);
  if (toJ2000) MoonToJ2000(s);

  printValue("AlfaL", s.AlfaL[I]);
  printValue("AlfaP0", s.AlfaP0[I]);
  printValue("AlfaU0", s.AlfaU0[I]);
  printValue("Betta0", s.Betta0[I]);
  printValue("Eks0", s.Eks0[I]);
  printValue("W0sr", s.W0sr[I]);
  printValue("R0sr", s.R0sr[I]);
  return 0;
}

int moonposCommand(Context& ctx) {
  if (ctx.args.size() != 1)
    return fail("Задайте время T в юлианских столетиях от J2000. Использование: orvant-cli moonpos T");
  double T = 0;
  if (!argNumber(ctx.args[0], T))
    return fail("Время T «" + ctx.args[0] + "» не является числом (юлианские столетия от J2000)");
  State s;
  MoonPos(s, T);
  printValue("Lk11", s.Lk[11]);
  printValue("Bk11", s.Bk[11]);
  printValue("R11", s.Rij[3][11]);
  return 0;
}

const CliRegistrar kTheory("theory", kTheoryUsage, theoryCommand);
const CliRegistrar kMoonpos("moonpos", "moonpos T", moonposCommand);

}  // namespace

}  // namespace orvant::cli
