// Kinematic theory Kin0 and its variant Kin0+ (mean elements of Mercury..Mars; the outer planets
// are those of the J2000 theory, the Moon's branch lives with the other lunar theories).
#include "ephemeris/theory_kin.h"

#include "ephemeris/theory_moon.h"
#include "ephemeris/theory_planets.h"
#include "ephemeris/theory_poly.h"

namespace orvant {

namespace {

using Poly = ThPoly;

struct KinPlanet {
  Poly a;       // semi-major axis, thousand km
  Poly e;       // eccentricity
  Poly incl;    // inclination, degrees
  Poly L;       // mean longitude, degrees
  Poly peri;    // longitude of perihelion, degrees
  Poly node;    // longitude of the ascending node, degrees
  Poly motion;  // mean motion, rad/century
};

// Kin0, Mercury..Mars.
constexpr KinPlanet kKin0[4] = {
    {{57917.285, -0.00596439}, {0.205636, 0.0000201028}, {7.005067, -0.00551068},
     {252.253944, 149472.674747}, {77.457563, 0.160566}, {48.335022, -0.12032},
     {2608.790628, 0.000408236}},  // Mercury
    {{108224.113, -0.0029976}, {0.00677596, -0.0000453236}, {3.394406, -0.00078576},
     {181.979394, 58517.814964}, {131.519558, 0.00843485}, {76.682467, -0.276804},
     {1021.328625, 0.0000425817}},  // Venus
    {{149618.177, 0.00523493}, {0.0167091, -0.000041566}, {-0.000142718, -0.01318},
     {100.464217, 35999.371246, -0.0010632}, {102.932543, 0.317106}, {354.88747, -0.24111},
     {628.307602, -0.0000328691}},  // Earth-Moon barycentre
    {{227973.143, 0.142379}, {0.093408, 0.0000955278}, {1.849726, -0.00816419},
     {-4.55342, 19140.305921}, {336.045866, 0.43965}, {49.563453, -0.285561},
     {334.061253, -0.000290187}},  // Mars
};

// Kin0+, the Earth's row (the other rows are Kin0's). The semi-major axis and the node are Kin0's.
constexpr KinPlanet kKin0pEarth = {
    kKin0[2].a,
    {0.0167144, -0.0000265732, 0.00000868624},
    {-0.000143778, -0.0131812},
    {100.46501957, 35999.37325813},
    {102.930604, 0.31131, -0.00349204},
    kKin0[2].node,
    {628.307603, -0.0000312939}};

void writeInner(State& s, int I, const KinPlanet& p, double T) {
  s.AlfaL[I] = p.L.at(T) / s.kUgol;
  s.AlfaP0[I] = p.peri.at(T) / s.kUgol;
  s.AlfaU0[I] = p.node.at(T) / s.kUgol;
  s.Betta0[I] = p.incl.at(T) / s.kUgol;
  s.Eks0[I] = p.e.at(T);
  s.W0sr[I] = p.motion.at(T) / 100 / s.sekG;  // rad/century -> rad/s
  s.R0sr[I] = p.a.at(T) * s.MK;               // thousand km -> m
}

void kin(State& s, int I, bool plus) {
  if (!theoryServes(I)) return;
  if (I >= 5 && I <= 9) {
    ThJ2000(s, I);
    return;
  }
  s.Lae = kTheoryLae;
  const double T = (s.JD - s.JD2000) / 36525;
  if (I == 11)
    moonKin(s, T);
  else
    writeInner(s, I, plus && I == 3 ? kKin0pEarth : kKin0[I - 1], T);
}

}  // namespace

void ThKin0(State& s, int I) { kin(s, I, false); }

void ThKin0p(State& s, int I) { kin(s, I, true); }

}  // namespace orvant
