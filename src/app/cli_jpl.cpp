// orvant-cli jpl JD K: the state of object K from the installed DE405 blocks.
//
// Prints X, Y, Z (m) and VX, VY, VZ (m/s) on the ecliptic axes of J2000 as JPLstate leaves them:
// K = 0 the Sun, 1..9 the planets (3 the Earth-Moon barycentre) about the solar-system barycentre,
// 10 and 11 the Moon about the Earth.
#include <string>

#include "app/cli.h"
#include "ephemeris/jpl.h"
#include "model/state.h"

namespace orvant::cli {
namespace {

int jplQuery(Context& ctx) {
  double jd = 0;
  long k = 0;
  if (ctx.args.size() != 2 || !argNumber(ctx.args[0], jd) || !argInteger(ctx.args[1], k) || k < 0 ||
      k > 11)
    return fail("Задайте правильно данные: jpl JD K (K = 0..11)");

  State s;
  s.workDir = ctx.workDir.string();
  s.JD = jd;
  const JplStatus status = JPLopen(s);
  switch (status) {
    case JplStatus::Ok:
      break;
    case JplStatus::NoDate:
      return fail(s.lastMessage);
    case JplStatus::NoFile:
      return fail("Не могу найти файл " + JPLpath(s, s.JPLyear));
    case JplStatus::ReadError:
      JPLclose(s);
      return fail("Ошибка чтения данных из файла " + JPLpath(s, s.JPLyear));
  }
  const int slot = static_cast<int>(k);
  const bool ok = JPLstate(s, slot);
  JPLclose(s);
  if (!ok) return fail(s.lastMessage);
  printValue("X", s.X[slot]);
  printValue("Y", s.Y[slot]);
  printValue("Z", s.Z[slot]);
  printValue("VX", s.VX[slot]);
  printValue("VY", s.VY[slot]);
  printValue("VZ", s.VZ[slot]);
  return 0;
}

const CliRegistrar registrar("jpl", "jpl JD K      состояние объекта K (0..11) по DE405, м и м/с",
                             jplQuery);

}  // namespace
}  // namespace orvant::cli
