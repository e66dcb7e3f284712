// New0 and the J2000 theory of the planets' mean elements.
//
// New0: classical mean elements of the date (Newcomb's theories of Mercury..Mars; Jupiter..Neptune
// as tabulated in the Explanatory Supplement to the Astronomical Ephemeris, 1961), T in Julian
// centuries from 1900 January 0.5. J2000 theory: E. M. Standish, "Keplerian Elements for
// Approximate Positions of the Major Planets" (JPL), table 1, valid 1800 AD - 2050 AD; stated errors
// there are 15..600" in right ascension and 1..25" in declination.
#include "ephemeris/theory_planets.h"

#include "ephemeris/theory_moon.h"
#include "ephemeris/theory_poly.h"

namespace orvant {

namespace {

using Poly = ThPoly;

// ---------------------------------------------------------------------------------------------
// New0, Mercury..Neptune. An angle is deg° + min' + (polynomial in T)"; the eccentricity is a
// polynomial in T. The mean motion of Mercury..Mars is its own polynomial in "/day; that of
// Jupiter..Neptune is the rate of the mean longitude (its T coefficient, "/century).
struct New0Angle {
  double deg = 0, min = 0;  // degrees, arc-minutes
  Poly sec;                 // arc-seconds
};

struct New0Planet {
  double a;              // semi-major axis, AU
  New0Angle L;           // mean longitude
  New0Angle peri;        // longitude of perihelion
  New0Angle node;        // longitude of the ascending node
  New0Angle incl;        // inclination
  Poly e;                // eccentricity
  bool nFromL;           // mean motion = T coefficient of L ("/century)
  Poly nDay;             // otherwise: mean motion, "/day
};

constexpr New0Planet kNew0[8] = {
    // Mercury
    {0.3870986,
     {178, 10, {44.68, 538106654.8, 1.084}},
     {75, 53, {58.91, 5599.76, 1.061}},
     {47, 8, {45, 4266.75, 0.626}},
     {7, 0, {10.37, 6.699, -0.066}},
     {0.20561421, 0.00002046, -0.00000003},
     false,
     {14732.419738, -0.000001355}},
    // Venus
    {0.72333162,
     {342, 46, {1.39, 210669162.88, 1.1148}},
     {130, 9, {49.8, 5068.99, -3.515}},
     {75, 46, {46.73, 3239.46, 1.476}},
     {3, 23, {37.07, 3.621, -0.0035}},
     {0.00682069, -0.00004774, 0.000000091},
     false,
     {5767.6697692, 0.0000002628}},
    // Earth (node and inclination 0: the ecliptic of the date is the Earth's orbit plane)
    {1.00000023,
     {99, 41, {48.04, 129602768.13, 1.089}},
     {101, 13, {15, 6189.03, 1.63, 0.012}},
     {},
     {},
     {0.01675104, -0.0000418, -0.000000126},
     false,
     {3548.1928323, -0.000001103}},
    // Mars
    {1.5236884,
     {293, 44, {51.46, 68910103.83, 1.1184}},
     {334, 13, {5.53, 6626.73, 0.4675, -0.0043}},
     {48, 47, {11.19, 2775.57, -0.005, -0.0192}},
     {1, 51, {1.2, -2.43, 0.0454}},
     {0.0933129, 0.000092064, -0.000000077},
     false,
     {1886.5186207, 0.000000463}},
    // Jupiter
    {5.202561,
     {238, 2, {57.32, 10930687.148, 1.20486, -0.005936}},
     {12, 43, {15.34, 5795.862, 3.80258, -0.91236}},
     {99, 26, {36.19, 3637.908, 1.268, -0.03064}},
     {1, 18, {31.45, -20.506, 0.014}},
     {0.04833475, 0.00016418, -0.0000004676, -0.0000000017},
     true,
     {}},
    // Saturn
    {9.554747,
     {266, 33, {51.76, 4404635.581, 1.16835, -0.021}},
     {91, 5, {53.38, 7050.297, 2.9749, 0.0166}},
     {112, 47, {25.4, 3143.5025, -0.54785, -0.0191}},
     {2, 29, {33.07, -14.108, -0.05576, 0.00016}},
     {0.05589232, -0.0003455, -0.000000728, 0.00000000074},
     true,
     {}},
    // Uranus
    {19.21814,
     {244, 11, {50.89, 1547508.765, 1.13774, -0.002176}},
     {171, 32, {55.14, 5343.958, 0.8539, -0.00218}},
     {73, 28, {37.55, 1795.204, 4.722}},
     {0, 46, {20.87, 2.251, 0.1422}},
     {0.0463444, -0.00002658, 0.000000077},
     true,
     {}},
    // Neptune
    {30.10957,
     {84, 27, {28.78, 791589.291, 1.15374, -0.2176}},
     {46, 43, {38.37, 5128.468, 1.40694, -0.002176}},
     {130, 40, {52.89, 3956.166, 0.89952, -0.016984}},
     {1, 46, {45.27, -34.357, -0.0328}},
     {0.00899704, 0.00000633, -0.000000002},
     true,
     {}},
};

// New0, Pluto: linear elements in degrees; the mean motion is the rate of L (degrees/century).
struct New0Pluto {
  double a;                        // AU
  Poly L;                          // degrees
  double peri, node, incl;         // degrees
  double e;
};
constexpr New0Pluto kNew0Pluto = {39.517738, {90.9046, 146.605}, 222.476, 108.954, 17.147, 0.2488273};

// ---------------------------------------------------------------------------------------------
// J2000 theory (Standish, table 1): every element x0 + x1*T; a in AU, angles in degrees, rates per
// century. The mean motion is the rate of L rounded as JPL's table rounds it (degrees/century).
struct J2000Planet {
  Poly a, e, incl, L, peri, node;
  double rate;  // degrees/century, for W0sr
};

constexpr J2000Planet kJ2000[9] = {
    {{0.38709927, 0.00000037}, {0.20563593, 0.00001906}, {7.00497902, -0.00594749},
     {252.2503235, 149472.67411175}, {77.45779628, 0.16047689}, {48.33076593, -0.12534081},
     149472.674112},  // Mercury
    {{0.72333566, 0.0000039}, {0.00677672, -0.00004107}, {3.39467605, -0.0007889},
     {181.9790995, 58517.81538729}, {131.60246718, 0.00268329}, {76.67984255, -0.27769418},
     58517.815387},  // Venus
    // Earth-Moon barycentre. JPL tabulates the node as 0; this theory keeps a nominal node (the
    // inclination is a few 1e-5 degrees, so the node does not move the position).
    {{1.00000261, 0.00000562}, {0.01671123, -0.00004392}, {-0.00001531, -0.01294668},
     {100.46457166, 35999.37244981}, {102.93768193, 0.32327364}, {-5.11260389, -0.24123856},
     35999.37245},  // Earth
    {{1.52371034, 0.00001847}, {0.0933941, 0.00007882}, {1.84969142, -0.00813131},
     {-4.55343205, 19140.30268499}, {336.05637041, 0.44441088}, {49.55953891, -0.29257343},
     19140.302685},  // Mars
    {{5.202887, -0.00011607}, {0.04838624, -0.00013253}, {1.30439695, -0.00183714},
     {34.39644051, 3034.74612775}, {14.72847983, 0.21252668}, {100.47390909, 0.20469106},
     3034.746128},  // Jupiter
    {{9.53667594, -0.0012506}, {0.05386179, -0.00050991}, {2.48599187, 0.00193609},
     {49.95424423, 1222.49362201}, {92.59887831, -0.41897216}, {113.66242448, -0.28867794},
     1222.493622},  // Saturn
    {{19.18916464, -0.00196176}, {0.04725744, -0.00004397}, {0.77263783, -0.00242939},
     {313.23810451, 428.48202785}, {170.9542763, 0.40805281}, {74.01692503, 0.04240589},
     428.482028},  // Uranus
    {{30.06992276, 0.00026291}, {0.00859048, 0.00005105}, {1.77004347, 0.00035372},
     {-55.12002969, 218.45945325}, {44.96476227, -0.32241464}, {131.78422574, -0.00508664},
     218.459453},  // Neptune
    {{39.48211675, -0.00031596}, {0.2488273, 0.0000517}, {17.14001206, 0.00004818},
     {238.92903833, 145.20780515}, {224.06891629, -0.04062942}, {110.30393684, -0.01183482},
     145.207805},  // Pluto
};

// deg° + min' + sec" in radians.
double angleOf(const State& s, const New0Angle& a, double T) {
  return (a.deg + a.min / 60 + a.sec.at(T) / 3600) / s.kUgol;
}

void new0Planet(State& s, int I, double T) {
  const New0Planet& p = kNew0[I - 1];
  s.AlfaL[I] = angleOf(s, p.L, T);
  s.AlfaP0[I] = angleOf(s, p.peri, T);
  s.AlfaU0[I] = angleOf(s, p.node, T);
  s.Betta0[I] = angleOf(s, p.incl, T);
  s.Eks0[I] = p.e.at(T);
  if (p.nFromL)
    s.W0sr[I] = p.L.sec.c1 / 3600 / s.kUgol / 100 / s.sekG;  // "/century -> rad/s
  else
    s.W0sr[I] = p.nDay.at(T) / 3600 / s.kUgol / s.sekD;  // "/day -> rad/s
  s.R0ae[I] = p.a;
  s.R0sr[I] = s.R0ae[I] * s.Lae;
}

void new0Pluto(State& s, double T) {
  const New0Pluto& p = kNew0Pluto;
  s.AlfaL[9] = p.L.at(T) / s.kUgol;
  s.AlfaP0[9] = p.peri / s.kUgol;
  s.AlfaU0[9] = p.node / s.kUgol;
  s.Betta0[9] = p.incl / s.kUgol;
  s.Eks0[9] = p.e;
  s.W0sr[9] = p.L.c1 / s.kUgol / 100 / s.sekG;  // degrees/century -> rad/s
  s.R0ae[9] = p.a;
  s.R0sr[9] = s.R0ae[9] * s.Lae;
}

}  // namespace

bool theoryServes(int I) { return (I >= 1 && I <= 9) || I == 11; }

void ThNew0(State& s, int I) {
  if (!theoryServes(I)) return;
  s.Lae = kTheoryLae;
  const double T = (s.JD - s.JD1900) / 36525;
  if (I == 11)
    moonNew0(s, T);
  else if (I == 9)
    new0Pluto(s, T);
  else
    new0Planet(s, I, T);
}

void ThJ2000(State& s, int I) {
  if (!theoryServes(I)) return;
  s.Lae = kTheoryLae;
  const double T = (s.JD - s.JD2000) / 36525;
  if (I == 11) {
    moonJ2000(s, T);
    return;
  }
  const J2000Planet& p = kJ2000[I - 1];
  s.AlfaL[I] = p.L.at(T) / s.kUgol;
  s.AlfaP0[I] = p.peri.at(T) / s.kUgol;
  s.AlfaU0[I] = p.node.at(T) / s.kUgol;
  s.Betta0[I] = p.incl.at(T) / s.kUgol;
  s.Eks0[I] = p.e.at(T);
  s.W0sr[I] = p.rate / s.kUgol / 100 / s.sekG;  // degrees/century -> rad/s
  s.R0ae[I] = p.a.at(T);
  s.R0sr[I] = s.R0ae[I] * s.Lae;
}

}  // namespace orvant
