#include "earthrotation/eclipse_sources.h"

#include <cmath>
#include <memory>
#include <vector>

#include "astro/transform.h"
#include "ephemeris/perturbations.h"
#include "model/calendar.h"
#include "observations/sources.h"

namespace orvant {

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
