// orvant-cli queries of the coordinate transformations:
//   gmst MJD                         GMST = sidereal time, hours (not reduced)
//   refraction Z                     Refraction = refraction for zenith distance Z, degrees
//   precess ecl|equ T0 T1 X Y Z      X, Y, Z precessed from epoch T0 to T1 (Julian centuries)
//   nutation T X Y Z MODE            X, Y, Z with nutation added (MODE 0) or removed (MODE 1)
//   sph X Y Z                        Dolg, Shir, Rast of the point seen from the origin
#include <string>

#include "app/cli.h"
#include "astro/transform.h"

namespace orvant::cli {
namespace {

// Reads args[first .. first+n-1] as numbers into out; on failure names the bad argument.
bool readNumbers(const Context& ctx, std::size_t first, std::size_t n, double* out,
                 const char* const* names, std::string& error) {
  for (std::size_t k = 0; k < n; ++k) {
    if (!argNumber(ctx.args[first + k], out[k])) {
      error = std::string("неверное число ") + names[k] + ": \"" + ctx.args[first + k] + "\"";
      return false;
    }
  }
  return true;
}

// The vector slot the queries work on (object 1) and the origin slot (object 0, kept at zero).
constexpr int kSlot = 1;

void printVector(const State& s) {
  printValue("X", s.X[kSlot]);
  printValue("Y", s.Y[kSlot]);
  printValue("Z", s.Z[kSlot]);
}

int gmst(Context& ctx) {
  if (ctx.args.size() != 1) return fail("gmst: нужен один аргумент: MJD (JD - 2400000.5)");
  double mjd = 0;
  if (!argNumber(ctx.args[0], mjd))
    return fail("gmst: неверное число MJD: \"" + ctx.args[0] + "\"");
  printValue("GMST", GMST(mjd));
  return 0;
}

int refraction(Context& ctx) {
  if (ctx.args.size() != 1)
    return fail("refraction: нужен один аргумент: зенитное расстояние, град");
  double z = 0;
  if (!argNumber(ctx.args[0], z))
    return fail("refraction: неверное число Z: \"" + ctx.args[0] + "\"");
  State s;
  printValue("Refraction", Refraction(s, z));
  return 0;
}

int precess(Context& ctx) {
  if (ctx.args.size() != 6)
    return fail(
        "precess: нужны аргументы ecl|equ T0 T1 X Y Z (эпохи в юлианских столетиях от J2000)");
  const std::string& plane = ctx.args[0];
  if (plane != "ecl" && plane != "equ")
    return fail("precess: плоскость должна быть ecl или equ, а не \"" + plane + "\"");
  static const char* const names[] = {"T0", "T1", "X", "Y", "Z"};
  double v[5];
  std::string error;
  if (!readNumbers(ctx, 1, 5, v, names, error)) return fail("precess: " + error);
  State s;
  if (plane == "ecl")
    PrecEcl(s, v[0], v[1]);
  else
    PrecEqu(s, v[0], v[1]);
  s.I = kSlot;
  s.X[kSlot] = v[2];
  s.Y[kSlot] = v[3];
  s.Z[kSlot] = v[4];
  ApplyPrec(s);
  printVector(s);
  return 0;
}

int nutation(Context& ctx) {
  if (ctx.args.size() != 5) return fail("nutation: нужны аргументы T X Y Z MODE (MODE 0 или 1)");
  static const char* const names[] = {"T", "X", "Y", "Z"};
  double v[4];
  std::string error;
  if (!readNumbers(ctx, 0, 4, v, names, error)) return fail("nutation: " + error);
  long mode = 0;
  if (!argInteger(ctx.args[4], mode) || mode < -32768 || mode > 32767)
    return fail("nutation: MODE должен быть целым числом от -32768 до 32767: \"" + ctx.args[4] +
                "\"");
  State s;
  s.X[kSlot] = v[1];
  s.Y[kSlot] = v[2];
  s.Z[kSlot] = v[3];
  Nutation(s, v[0], s.X[kSlot], s.Y[kSlot], s.Z[kSlot], static_cast<int16>(mode));
  printVector(s);
  return 0;
}

int sph(Context& ctx) {
  if (ctx.args.size() != 3) return fail("sph: нужны аргументы X Y Z");
  static const char* const names[] = {"X", "Y", "Z"};
  double v[3];
  std::string error;
  if (!readNumbers(ctx, 0, 3, v, names, error)) return fail("sph: " + error);
  State s;
  s.X[kSlot] = v[0];
  s.Y[kSlot] = v[1];
  s.Z[kSlot] = v[2];
  if (!SphFrom(s, 0, kSlot)) return fail("sph: нулевой вектор не задает направления");
  printValue("Dolg", s.Dolg[kSlot]);
  printValue("Shir", s.Shir);
  printValue("Rast", s.Rast);
  return 0;
}

const CliRegistrar regGmst("gmst", "gmst MJD", gmst);
const CliRegistrar regRefraction("refraction", "refraction Z", refraction);
const CliRegistrar regPrecess("precess", "precess ecl|equ T0 T1 X Y Z", precess);
const CliRegistrar regNutation("nutation", "nutation T X Y Z MODE", nutation);
const CliRegistrar regSph("sph", "sph X Y Z", sph);

}  // namespace
}  // namespace orvant::cli
