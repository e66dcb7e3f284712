#include "earthrotation/eclipse_sources.h"

#include <cmath>
#include <memory>
#include <vector>

#include "astro/transform.h"
#include "astro/twobody.h"
#include "ephemeris/jpl.h"
#include "ephemeris/theory_kin.h"
#include "ephemeris/theory_moon.h"
#include "ephemeris/theory_planets.h"
#include "model/messages.h"
#include "ephemeris/perturbations.h"
#include "model/calendar.h"
#include "observations/sources.h"

namespace orvant {

namespace {

constexpr double kCentury = 36525;
constexpr int kBary = 14;  // the Earth relative to the Earth-Moon barycentre

bool finite3(const State& s, int i) {
  return std::isfinite(s.X[i]) && std::isfinite(s.Y[i]) && std::isfinite(s.Z[i]);
}

void setVel(State& s, int i, double vx, double vy, double vz) {
  s.VX[i] = vx;
  s.VY[i] = vy;
  s.VZ[i] = vz;
}

// Geocentric longitude, latitude (degrees) and distance of a vector.
void sphOf(double x, double y, double z, double& L, double& B, double& R) {
  const double rho = std::hypot(x, y);
  R = std::hypot(rho, z);
  L = std::atan2(y, x) * (180 / M_PI);
  if (L < 0) L += 360;
  B = std::atan2(z, rho) * (180 / M_PI);
}

// Planet i (1..9) from the chosen theory's elements at s.JD: heliocentric position and velocity.
bool planetFromTheory(State& s, EclTheory th, int i) {
  switch (th) {
    case EclTheory::New0: ThNew0(s, i); break;
    case EclTheory::JPL0:
    case EclTheory::JPL2: ThJ2000(s, i); break;
    case EclTheory::Kin0p:
    case EclTheory::None: ThKin0p(s, i); break;
  }
  s.kodMoon = 0;
  s.kodBary = 0;
  return positionFromParameters(s, i) && velocityFromParameters(s, i);
}

// The Moon's geocentric vector (m, ecliptic of J2000 except New0: of the date) from a theory.
bool moonFromTheory(State& s, EclTheory th, double JDE, double JDut, double& gx, double& gy,
                    double& gz) {
  if (th == EclTheory::New0) {
    MoonPos(s, (JDE - s.JD2000) / kCentury);
    XYZfromSph(s, 11, s.Lk[11], s.Bk[11], s.Rij[3][11]);
  } else {
    s.JD = th == EclTheory::JPL0 ? JDE : JDut;
    if (th == EclTheory::JPL0) {
      ThJ2000(s, 11);
    } else {
      ThKin0p(s, 11);
    }
    s.kodMoon = 1;
    s.kodBary = 0;
    if (!positionFromParameters(s, 11)) return false;
    if (th == EclTheory::JPL0) {
      s.I = 11;
      PrecEcl(s, (JDE - s.JD2000) / kCentury, 0);
      ApplyPrec(s);
    }
  }
  gx = s.X[11];
  gy = s.Y[11];
  gz = s.Z[11];
  return std::isfinite(gx) && std::isfinite(gy) && std::isfinite(gz);
}

}  // namespace

EclStatus eclipseJplRecord(State& s, double JDE) {
  s.JDjpl = JDE;
  const bool open = s.JPLisOpen == 10 && s.JPLnr != 0;
  if (open && JDE >= s.JDrec0 && JDE < s.JDrec1) return EclStatus::Ok;
  if (open && JDE >= s.JDrec1 && JDE < s.JDrec1 + kJplRecordDays) {
    const JplStatus st = JPLnext(s);
    if (st == JplStatus::Ok && JDE >= s.JDrec0 && JDE < s.JDrec1) return EclStatus::Ok;
    if (st == JplStatus::NoDate) return EclStatus::NoDate;
  }
  if (s.JPLisOpen == 10) JPLclose(s);
  const double jd = s.JD;
  s.JD = JDE;
  const JplStatus st = JPLopen(s);
  s.JD = jd;
  switch (st) {
    case JplStatus::Ok: return EclStatus::Ok;
    case JplStatus::NoDate: JPLclose(s); return EclStatus::NoDate;
    case JplStatus::NoFile:
    case JplStatus::ReadError: break;
  }
  JPLclose(s);
  s.kStop = 1;
  s.report(std::string(kJplReadFailed) + "\n\\JPL\\ascp" + std::to_string(s.JPLyear) + ".405",
           kTitle70);
  return EclStatus::NoFile;
}

EclStatus eclipsePlaceBodies(State& s, const EclipseSettings& set, double JDut, double JDE) {
  const int k = set.k;
  const EclTheory th = set.tables ? EclTheory::Kin0p : set.theory;
  double gx = 0, gy = 0, gz = 0, gvx = 0, gvy = 0, gvz = 0;
  bool realMoonVelocity = false;
  if (th == EclTheory::JPL2) {
    const EclStatus st = eclipseJplRecord(s, JDE);
    if (st != EclStatus::Ok) return st;
    for (int i : {0, 3, 11}) {
      if (!JPLstate(s, i)) return EclStatus::NoFile;
    }
    gx = s.X[11], gy = s.Y[11], gz = s.Z[11];
    gvx = s.VX[11], gvy = s.VY[11], gvz = s.VZ[11];
    realMoonVelocity = true;
    if (k != 11 && !JPLstate(s, k)) return EclStatus::NoFile;
    if (set.dLl || set.dLp) {
      // The corrections take the mean angles of the kinematic theory.
      s.JD = JDut;
      for (int i : {3, 11}) ThKin0p(s, i);
      if (k != 11) ThKin0p(s, k);
    }
  } else {
    s.JD = th == EclTheory::Kin0p ? JDut : JDE;
    if (!planetFromTheory(s, th, 3)) return EclStatus::Numeric;
    if (k != 11) {
      s.JD = th == EclTheory::Kin0p ? JDut : JDE;
      if (!planetFromTheory(s, th, k)) return EclStatus::Numeric;
    }
    if (!moonFromTheory(s, th, JDE, JDut, gx, gy, gz)) return EclStatus::Numeric;
    s.X[0] = s.Y[0] = s.Z[0] = 0;
    setVel(s, 0, 0, 0, 0);
  }
  // The Moon's geocentric longitude, latitude and distance; the periodic corrections.
  double Lm, Bm, Rm;
  sphOf(gx, gy, gz, Lm, Bm, Rm);
  s.Lk[11] = Lm;
  s.Bk[11] = Bm;
  s.Rij[3][11] = Rm;
  if (set.dLl) {
    if (!eclipseMoonPert(s)) return EclStatus::Numeric;
    XYZfromSph(s, 11, s.Lk[11], s.Bk[11], Rm);
    gx = s.X[11], gy = s.Y[11], gz = s.Z[11];
  }
  // The Earth from the Earth-Moon barycentre; the Moon about the Earth.
  const double q = s.m[11] / (s.m[11] + s.m[13]);
  XYZfromSph(s, kBary, s.Lk[11], s.Bk[11], q * Rm);
  s.X[3] -= s.X[kBary];
  s.Y[3] -= s.Y[kBary];
  s.Z[3] -= s.Z[kBary];
  if (realMoonVelocity) {
    s.VX[3] -= q * gvx;
    s.VY[3] -= q * gvy;
    s.VZ[3] -= q * gvz;
  }
  s.X[11] = s.X[3] + gx;
  s.Y[11] = s.Y[3] + gy;
  s.Z[11] = s.Z[3] + gz;
  if (realMoonVelocity) {
    setVel(s, 11, s.VX[3] + gvx, s.VY[3] + gvy, s.VZ[3] + gvz);
  } else {
    setVel(s, 11, s.VX[3], s.VY[3], s.VZ[3]);
  }
  if (set.dLp) {
    for (int i : {3, k}) {
      if (i < 1 || i > 4) continue;
      if (!eclipsePlanetPert(s, i)) return EclStatus::Numeric;
    }
  }
  if (set.tables) {
    const EclStatus st = eclipseTablePlace(s, set, JDE);
    if (st != EclStatus::Ok) return st;
  }
  for (int i : {0, 3, 11, k})
    if (!finite3(s, i)) return EclStatus::Numeric;
  return EclStatus::Ok;
}


bool eclipseMoonPert(State& s) { return MoonPert(s); }

bool eclipsePlanetPert(State& s, int i) {
  if (!SphFrom(s, 0, i)) return false;
  s.Lk[i] = s.Dolg[i];
  s.Bk[i] = s.Shir;
  const double R = s.Rast;
  const double x0 = s.X[0], y0 = s.Y[0], z0 = s.Z[0];
  if (!PlanetPert(s, i, PlanOverride::Off)) return false;
  XYZfromSph(s, i, s.Lk[i], s.Bk[i], R);
  s.X[i] += x0;
  s.Y[i] += y0;
  s.Z[i] += z0;
  return true;
}

bool eclipseTableDate(State& s, const EclipseSettings& set, double JDE) {
  const int16 calType = s.CalType, dateError = s.DateError;
  const double hour0 = s.Hour0;
  s.CalType = static_cast<int16>(set.tabCalType);
  s.Hour0 = set.tabHour0;
  const bool ok = DateFromJD(s, JDE + set.tabMeridian / 15 / 24);
  s.CalType = calType;
  s.Hour0 = hour0;
  s.DateError = dateError;
  return ok;
}

void eclipseTablePrefetch(State& s, const EclipseSettings& set, const std::vector<double>& JDEs) {
  const int entry = set.table >= 1 && set.table <= 8 ? kEclTableCatalogue[set.table] : 0;
  if (entry == 0 || entry == 9 || JDEs.empty()) return;
  // The dates are formed on a copy, so that the state of the run stays as it is.
  auto scratch = std::make_unique<State>(s);
  scratch->sink = nullptr;
  std::vector<TabDate> dates;
  dates.reserve(JDEs.size());
  for (double JDE : JDEs) {
    if (!eclipseTableDate(*scratch, set, JDE)) break;
    const double day = scratch->Day;
    dates.push_back(TabDate{scratch->Year, scratch->Month, day, (day - std::trunc(day)) * 24});
  }
  const int16 npl = s.Npl;
  s.Npl = static_cast<int16>(set.k);
  TabPrefetch(s, dates, std::vector<int>{0, set.k});
  s.Npl = npl;
}

EclStatus eclipseTablePlace(State& s, const EclipseSettings& set, double JDE) {
  const int k = set.k;
  // The kinematic theory's geocentric directions and distances, kept where a table says nothing.
  double dist[2];
  const int body[2] = {0, k};
  for (int j = 0; j < 2; ++j) {
    SphFrom(s, 3, body[j]);
    s.Lk[body[j]] = s.Dolg[body[j]];
    s.Bk[body[j]] = s.Shir;
    dist[j] = s.Rast;
  }
  const int entry = set.table >= 1 && set.table <= 8 ? kEclTableCatalogue[set.table] : 0;
  const bool tycho = entry == 9;
  if (entry != 0 && !tycho) {
    if (!eclipseTableDate(s, set, JDE)) return EclStatus::Numeric;
    s.YearNab = s.Year;
    s.MonthNab = s.Month;
    s.DayNab = s.Day;
    s.HourNab = (s.Day - std::trunc(s.Day)) * 24;
    s.Npl = k;
    const double jd = s.JD;
    s.JD = JDE;
    const bool ok = TabEvalObjects(s, std::vector<int>{0, k}, set.precTab);
    s.JD = jd;
    if (!ok) return EclStatus::Table;
  }
  // The Earth at the origin; the Moon (when not object k) geocentric from the theory.
  if (k != 11) {
    s.X[11] -= s.X[3];
    s.Y[11] -= s.Y[3];
    s.Z[11] -= s.Z[3];
  }
  for (int j = 0; j < 2; ++j) XYZfromSph(s, body[j], s.Lk[body[j]], s.Bk[body[j]], dist[j]);
  s.X[3] = s.Y[3] = s.Z[3] = 0;
  return EclStatus::Ok;
}

}  // namespace orvant
