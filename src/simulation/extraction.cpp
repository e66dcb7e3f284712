#include "simulation/extraction.h"

#include <cmath>

#include "astro/transform.h"
#include "ephemeris/theory_planets.h"
#include "model/format.h"
#include "model/paths.h"

namespace orvant::simulation {

namespace {

int sign(double v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

// An angle in degrees reduced to [0, 360).
double degrees360(double a) {
  if (!std::isfinite(a)) return a;
  a = std::fmod(a, 360.0);
  return a < 0 ? a + 360 : a;
}

// Numbers inside the header texts: the shortest plain form with the decimal comma.
std::string num(double v) { return screenNumber(v); }

// The parameter slots of an object that ThJ2000 writes, and the astronomical unit.
struct TheorySlots {
  double AlfaL, AlfaP0, AlfaU0, Betta0, Eks0, W0sr, R0ae, R0sr, Lae;
  static TheorySlots of(const State& s, int I) {
    return {s.AlfaL[I], s.AlfaP0[I], s.AlfaU0[I], s.Betta0[I], s.Eks0[I],
            s.W0sr[I],  s.R0ae[I],   s.R0sr[I],   s.Lae};
  }
  void restore(State& s, int I) const {
    s.AlfaL[I] = AlfaL;
    s.AlfaP0[I] = AlfaP0;
    s.AlfaU0[I] = AlfaU0;
    s.Betta0[I] = Betta0;
    s.Eks0[I] = Eks0;
    s.W0sr[I] = W0sr;
    s.R0ae[I] = R0ae;
    s.R0sr[I] = R0sr;
    s.Lae = Lae;
  }
};

// The registered apsidal passage (the extremum of the distance was passed at the previous step).
unsigned registerPassage(const State& s, OrbitExtraction& x, double L) {
  unsigned ev = kEvPassage;
  x.kWin = 2;
  double a = meanLongitude(x.DolgPrev, L);
  if (x.kPer == 0) {
    a += 180;
    if (a > 360) a -= 360;
  }
  x.AlfaPt = toOrbitPlane(s, a, x.AlfaUt, x.Bmax);
  x.Betta = x.Bmax;
  const bool first = x.Nrec < 1;
  if (first) {
    x.AlfaP0r = x.AlfaPt;
    ev |= kEvFirst;
  } else {
    x.Rpl = (x.Rmax + x.Rmin) / 2;
    x.Eks = 1 - x.Rmin / x.Rpl;
    if (x.Nrec == 1) {
      x.AlfaU0r = x.AlfaUt;
      x.Betta0r = x.Bmax;
      x.Eks0r = x.Eks;
      x.Rsr0r = x.Rpl;
    }
  }
  if (first || x.kPer == 1) {
    ++x.Nrec;
    x.per = windowAround(x.AlfaPt, x.dAlfa);
    ev |= kEvPerihelion;
  } else {
    x.aph = aphelionWindow(x.AlfaPt, x.dAlfa);
  }
  if (x.Nrec > 2) ev |= kEvRecord;
  x.Bmax = 0;
  return ev;
}

}  // namespace

double wholeTurns(double A, double a) {
  double NP = fix(A / 360);
  if (A > 0) {
    if (A - 360 * NP > 300 && a < 60) NP += 1;
    if (A - 360 * NP < 60 && a > 300) NP -= 1;
    return 360 * NP + a;
  }
  if (A < 0) {
    if (A - 360 * NP < -300 && a > 300) NP -= 1;
    if (A - 360 * NP > -60 && a < 60) NP += 1;
    return 360 * (NP - 1) + a;
  }
  return a;
}

void beginExtraction(State& s, OrbitExtraction& x, int n, int Icen2, double dAlfa, double Tper,
                     int kDir) {
  x = OrbitExtraction{};
  x.n = n;
  x.Icen2 = Icen2;
  x.dAlfa = dAlfa;
  x.kDir = kDir < 0 ? -1 : 1;
  x.AlfaPt = degrees360(s.kUgol * s.Ppar[n][1]);
  x.AlfaUt = degrees360(s.kUgol * s.Ppar[n][2]);
  x.Bmax = s.Ppar[n][3];
  x.Betta = x.Bmax;
  x.Eks = s.Ppar[n][4];
  x.Rpl = s.Ppar[n][5];
  x.Rmin = (1 - x.Eks) * x.Rpl;
  x.Rmax = (1 + x.Eks) * x.Rpl;
  s.Dolg[n] = degrees360(s.kUgol * s.Ppar[n][7]);
  s.X[kCentreOrigin] = s.Y[kCentreOrigin] = s.Z[kCentreOrigin] = 0;
  x.ZPrev = s.Z[n] - s.Z[Icen2];
  x.per = windowAround(x.AlfaPt, dAlfa);
  x.nodA = windowAround(x.AlfaUt, dAlfa);
  x.aph = aphelionWindow(x.AlfaPt, dAlfa);
  x.nodD = aphelionWindow(x.AlfaUt, dAlfa);
  x.kWin = 2;
  x.kNode = 0;
  x.Nrec = 0;
  x.tWrap = 0;
  x.Tper = Tper;
  x.TperFirst = Tper;
  x.AlfaP0r = x.AlfaPt;
  x.AlfaU0r = x.AlfaUt;
  x.Betta0r = x.Bmax;
  x.Eks0r = x.Eks;
  x.Rsr0r = x.Rpl;
}

unsigned extractionStep(State& s, OrbitExtraction& x, double t, double H0, int kShag, double& h) {
  const int n = x.n;
  const double hSmall = H0 / kShag;
  unsigned ev = 0;

  // 1. Longitude, latitude and distance of n from the centre.
  x.DolgPrev = s.Dolg[n];
  if (x.Icen2 == kCentreOrigin) s.X[kCentreOrigin] = s.Y[kCentreOrigin] = s.Z[kCentreOrigin] = 0;
  SphFrom(s, x.Icen2, n);
  const double L = s.Dolg[n];
  const double dZ = s.dZij[x.Icen2][n];

  // 2. Inclination: the largest |latitude|.
  const double b = std::fabs(s.Shir) / s.kUgol;
  if (x.Bmax < b) x.Bmax = b;

  // 3. Period: a passage through longitude 0 (360 -> 0 forward, 0 -> 360 backward).
  if (x.kDir > 0 ? L <= x.DolgPrev : L >= x.DolgPrev) {
    if (x.Nrec > 0 && x.wrapSeen) {
      x.Tper = (t - x.tWrap) / 86400;
      if (x.Nrec == 2) x.TperFirst = x.Tper;
      ev |= kEvPeriod;
    }
    x.tWrap = t;
    x.wrapSeen = x.stepped;
  }
  x.stepped = true;

  // 4. Node: Z relative to the centre changed sign.
  if (sign(dZ) != sign(x.ZPrev) && x.kNode != 1) {
    x.AlfaUt = meanLongitude(x.DolgPrev, L);
    // The ascending node is where Z rises in time: in a backward run (velocities negated) Z falls
    // there as the run proceeds. Obvious fault fixed: taking Z rising in the run's own sense put
    // the node of a backward run 180 degrees away from the orbit's ascending node.
    const bool ascending = x.kDir > 0 ? sign(x.ZPrev) < 1 : sign(x.ZPrev) > -1;
    if (ascending) {
      x.nodA = windowAround(x.AlfaUt, x.dAlfa);
      ev |= kEvAscending;
    } else {
      x.nodD = windowAround(x.AlfaUt, x.dAlfa);
      x.AlfaUt += 180;
      if (x.AlfaUt > 360) x.AlfaUt -= 360;
    }
    x.kNode = 1;
    ev |= kEvNode;
  }
  // 5.
  x.ZPrev = dZ;

  // 6. Apsidal windows.
  bool apsidal = true;
  if (insideWindow(L, x.per, x.dAlfa)) {
    x.kPer = 1;
  } else if (insideWindow(L, x.aph, x.dAlfa)) {
    x.kPer = 0;
  } else {
    x.kWin = 0;
    apsidal = false;
  }
  if (apsidal && x.kWin != 2) {
    h = hSmall;
    x.kWin = 0;
    const double R = s.Rast;
    if (x.kPer == 1) {
      if (x.RPrev >= R) {
        x.RPrev = R;
        x.Rmin = R;
        x.kWin = 1;
      }
    } else if (x.RPrev <= R) {
      x.RPrev = R;
      x.Rmax = R;
      x.kWin = 1;
    }
    if (x.kWin != 1) ev |= registerPassage(s, x, L);  // 7.
    x.kNode = 0;
  } else {
    // 8. Outside the apsidal windows, or still inside the one just passed.
    h = H0;
    x.RPrev = s.Rast;
    if (x.kNode != 1 &&
        (insideWindow(L, x.nodA, x.dAlfa) || insideWindow(L, x.nodD, x.dAlfa)))
      h = hSmall;
  }
  // 9. Approaching longitude 0 (the period's mark).
  if (L > 359) h = hSmall;
  return ev;
}

std::optional<RecordValues> recordValues(State& s, const OrbitExtraction& x, double JD0, double dTmod,
                                         int I) {
  s.JD = JD0 + fix(dTmod * 100 / 86400) / 100;
  const TheorySlots kept = TheorySlots::of(s, I);
  ThJ2000(s, I);
  const double A = s.kUgol * s.AlfaP0[I];
  const double U = s.kUgol * s.AlfaU0[I];
  kept.restore(s, I);
  const double AlfaPturn = wholeTurns(A, x.AlfaPt);
  const double AlfaUturn = wholeTurns(U, x.AlfaUt);
  const double scale = 100 * s.MK;
  const std::optional<std::int64_t> v[] = {
      checkedScaledInt(dTmod * 100 / 86400, 1), checkedScaledInt(AlfaPturn, scale),
      checkedScaledInt(AlfaUturn, scale),       checkedScaledInt(x.Betta * s.kUgol, scale),
      checkedScaledInt(x.Eks, scale),           checkedScaledInt(x.Rpl / 10, 1),
      checkedScaledInt(2 * s.Pi * 36525 / x.Tper, scale)};
  RecordValues out{x.Nrec};
  for (std::size_t i = 0; i < std::size(v); ++i) {
    if (!v[i]) return std::nullopt;
    out[i + 1] = *v[i];
  }
  return out;
}

std::array<std::string, 4> recordHeader(const State& s, const RunDescription& d) {
  return {
      "эксперимент № " + std::to_string(d.e) + " для объекта № " + std::to_string(d.N) + " от  " +
          d.now + " плоскость эклиптики в эпоху J2000 начало " + formatMask(s.Day1, "00.00") +
          "." + formatMask(s.Month1, "00") + "." + formatMask(s.Year1, "0000"),
      "основной шаг решения " + num(d.H0) + " сек    шаг вблизи перигелия уменьшен в " +
          num(d.kShag) + " раз  " + "   dAlfa=  " + num(d.dAlfa) + "   kodBary=  " +
          num(s.kodBary) + "   kodMoon=  " + num(s.kodMoon),
      d.ModeStr + "          VXsys=  " + num(s.VXsys) + "   VYsys= " + num(s.VYsys) +
          "   VZsys= " + num(s.VZsys) + "   Vgr= " + num(d.kodVgr * 100 * d.Vgr / s.Vsv) +
          " Vsv / 100 ",
      " № замера     прошло дней   перигелий     восхождение     наклон   эксцентриситет    "
      "полуось   угл.скорость",
  };
}

std::int64_t expectedRecords(int32 YearStop, int32 Year1, double Tper) {
  return static_cast<std::int64_t>(
      fix(static_cast<double>(YearStop - Year1) * 2.5 * 365.25 / Tper));
}

std::array<std::string, 7> coordinateHeader(const State& s, const RunDescription& d) {
  return {
      "",
      "эксперимент для объекта № " + std::to_string(d.N) + " выполнен  " + d.now +
          " плоскость эклиптики в эпоху J2000    начало " + formatMask(s.DayD, "00") + "." +
          formatMask(s.MonthD, "00") + "." + formatMask(s.YearD, "0000"),
      "основной шаг решения " + num(d.H0) +
          " сек    шаг вблизи перигелия и угла восхождения уменьшен в " + num(d.kShag) +
          " раз  " + "   kodMoon=  " + num(s.kodMoon),
      d.ModeStr + "        VXsys=  " + num(s.VXsys) + "   VYsys= " + num(s.VYsys) +
          "   VZsys= " + num(s.VZsys) + "    скорость гравитаци Vgr= " +
          num(d.kodVgr * 100 * d.Vgr / s.Vsv) + " Vsv / 100 ",
      "время в секундах/1000000     X, Y, Z и Rpl в тыс. км     VX, VY, VZ и Vpl в м/с    "
      "энергия системы/10^18",
      "",
      "",
  };
}

std::optional<std::string> coordinateLine(const State& s, int n, double dTmod, double Rast, double Esys) {
  constexpr const char* kLong = "000000000.000";
  constexpr const char* kSpeed = "0000000.000";
  const double MK = s.MK;
  for (double v : {s.Day, dTmod, s.X[n], s.Y[n], s.Z[n], Rast, s.VX[n], s.VY[n], s.VZ[n], s.Vpl, Esys})
    if (!std::isfinite(v)) return std::nullopt;
  return formatMask(s.Day, "00.000") + "." + formatMask(s.Month, "00") + "." +
         formatMask(s.Year, "0000") + "____T= " + formatMask(dTmod / MK, kLong) +
         "____X= " + formatMask(s.X[n] / MK, kLong) + "____Y= " + formatMask(s.Y[n] / MK, kLong) +
         "____Z= " + formatMask(s.Z[n] / MK, kLong) + "____Rpl= " + formatMask(Rast / MK, kLong) +
         "____VX= " + formatMask(s.VX[n], kSpeed) + "____VY= " + formatMask(s.VY[n], kSpeed) +
         "____VZ= " + formatMask(s.VZ[n], kSpeed) + "____Vpl= " + formatMask(s.Vpl, kSpeed) +
         "____Esys= " + formatMask(Esys / (MK * MK * MK), kLong);
}

std::string coordinatePath(int N, int e) {
  return paths::coordinateFile(N, e);
}

}  // namespace orvant::simulation
