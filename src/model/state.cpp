#include "model/state.h"

#include <cmath>

namespace orvant {

namespace {

struct MassSet {
  double mSol;
  std::array<double, 12> km;  // slots 0..11
  double gamma;
};

// The three mass sets imposed by the ephemeris sources: 1 New0, 2 JPL DE405, 3 the kinematic theory.
constexpr MassSet kMassSets[3] = {
    {1.98976e30,
     {1, 6000000, 408000, 329390, 3093500, 1047.355, 3501.6, 22869, 19700, 15408856, 19412.24, 81.3},
     66.7006e-12},
    {1.98892e30,
     {1, 6023600, 408523.71, 328900.5614, 3098708, 1047.3486, 3497.898, 22902.98, 19412.24, 135200000,
      19412.24, 81.300585},
     66.7259e-12},
    {1.98976e30,
     {1, 6023600, 408523.71, 328900.5614, 3098708, 1047.3486, 3497.898, 22902.98, 19412.24, 135200000,
      19412.24, 81.3},
     66.7259e-12},
};

}  // namespace

State::State() { initCatalogue(*this); }

void State::report(std::string_view text, std::string_view title) {
  lastMessage = text;
  lastTitle = title;
  if (sink) sink->message(text, title);
}

std::string_view objectName(const State& s, int i) {
  static constexpr std::string_view names[] = {"Солнце", "Меркурий", "Венера", "Земля",
                                               "Марс",   "Юпитер",   "Сатурн", "Уран",
                                               "Нептун", "Плутон",   "Ксена",  "Луна"};
  if (i == 10 && s.kodMoon == 1) return "Луна";
  if (i < 0 || i > 11) return "";
  return names[i];
}

void initCatalogue(State& s) {
  s.Mx1 = 3e11;
  s.Dpl.fill(0);
  s.Dpl[0] = 1392000000;
  s.Dpl[1] = 4879000;
  s.Dpl[2] = 12104000;
  s.Dpl[3] = 12756000;
  s.Dpl[4] = 6794000;
  s.Dpl[11] = 3475000;
  s.Rsol = s.Dpl[0] / 2;
  s.Tsid = {4444,    87.96926, 224.7008, 365.2564, 686.9796, 4332.82,
            10755.7, 30687.15, 60190.03, 90553.02, 99999,    27.32265};

  s.Pi = 3.14159265359;
  s.kUgol = 180 / s.Pi;
  s.Eps0 = 23.439280808 / s.kUgol;
  s.JD1900 = 2415020.0;
  s.JD2000 = 2451545.0;
  s.Lae = 149597870691.0;
  s.MK = 1000000;
  s.sekD = 86400;
  s.sekG = 31557600;
  s.Vsv = 299792500;
  s.VXsys = s.VYsys = s.VZsys = 0;
  s.Nob = kNob;
  s.Neq = kNeq;

  // Month lengths: Gregorian and Julian columns, and the Egyptian one (twelve months of 30 days,
  // the five epagomenal days counted as days 31..35 of month 12).
  for (auto& row : s.DayMonth) row.fill(0);
  constexpr int lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (int month = 1; month <= 12; ++month) {
    s.DayMonth[month][0] = lengths[month - 1];
    s.DayMonth[month][1] = lengths[month - 1];
    s.DayMonth[month][2] = month < 12 ? 30 : 35;
  }
}

double gammaOfMassSet(int k) { return kMassSets[k - 1].gamma; }

void setMassSet(State& s, int k) {
  const MassSet& set = kMassSets[k - 1];
  s.massSet = k;
  s.mSol = set.mSol;
  for (int i = 0; i <= 11; ++i) s.km[i] = set.km[i];
  s.m[0] = s.mSol;
  for (int i = 1; i <= 10; ++i) s.m[i] = s.mSol / s.km[i];
  s.m[13] = s.m[3] / (1 / s.km[11] + 1);
  s.m[11] = s.m[13] / s.km[11];
}

void rebuildParticipation(State& s) {
  for (int i = 0; i <= 10; ++i)
    for (int j = 0; j <= 10; ++j) s.kVz[i][j] = static_cast<int16>(s.kUch[i] * s.kUch[j]);
}

void copyMoonSlot(State& s) {
  s.AlfaL[11] = reduceAngle(s, s.AlfaL[11]);
  s.AlfaP0[11] = reduceAngle(s, s.AlfaP0[11]);
  s.AlfaU0[11] = reduceAngle(s, s.AlfaU0[11]);
  s.km[10] = s.km[11];
  s.m[10] = s.m[11];
  s.AlfaL[10] = s.AlfaL[11];
  s.AlfaU0[10] = s.AlfaU0[11];
  s.AlfaP0[10] = s.AlfaP0[11];
  s.Eks0[10] = s.Eks0[11];
  s.R0sr[10] = s.R0sr[11];
  s.Betta0[10] = s.Betta0[11];
  s.W0sr[10] = s.W0sr[11];
}

void makeEarthAlone(State& s) {
  s.m[3] = s.m[13];
  s.km[3] = s.mSol / s.m[13];
}

double frac(double x) {
  double f = x - std::trunc(x);
  return f < 0 ? f + 1 : f;
}

double reduceAngle(const State& s, double a) { return 2 * s.Pi * frac(a / (2 * s.Pi)); }

}  // namespace orvant
