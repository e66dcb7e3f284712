#include "initial/initial_data.h"

#include <cmath>

#include "astro/twobody.h"

namespace orvant {

namespace {

constexpr std::string_view kBadData = "Задайте правильно данные";
constexpr std::string_view kError = "Ошибка";
constexpr std::string_view kTitle = "Orvant7";

bool failConversion(State& s) {
  s.report(kBadData, kTitle);
  return false;
}

// Mass-weighted mean of the initial coordinates over the participating bodies 0..Nob.
bool computeCentre(const State& s, double& xcm, double& ycm, double& zcm) {
  double mass = 0, sx = 0, sy = 0, sz = 0;
  for (int i = 0; i <= s.Nob; ++i) {
    mass += s.kUch[i] * s.m[i];
    sx += s.kUch[i] * s.X0[i] * s.m[i];
    sy += s.kUch[i] * s.Y0[i] * s.m[i];
    sz += s.kUch[i] * s.Z0[i] * s.m[i];
  }
  if (mass == 0) return false;
  xcm = sx / mass;
  ycm = sy / mass;
  zcm = sz / mass;
  return std::isfinite(xcm) && std::isfinite(ycm) && std::isfinite(zcm);
}

}  // namespace

bool initialDataFromParameters(State& s, const InitialDataInputs& in) {
  if (!std::isfinite(in.mSol) || !std::isfinite(in.gamma)) return failConversion(s);
  s.m[0] = in.mSol;
  s.gamma = in.gamma;

  s.X0[0] = s.Y0[0] = s.Z0[0] = s.VX0[0] = s.VY0[0] = s.VZ0[0] = 0;
  s.X[0] = s.Y[0] = s.Z[0] = s.VX[0] = s.VY[0] = s.VZ[0] = 0;
  s.kodBary = in.bary ? 1 : 0;

  for (int i = 1; i <= 10; ++i) {
    if (!positionFromParameters(s, i)) return failConversion(s);
    s.X0[i] = s.X[i];
    s.Y0[i] = s.Y[i];
    s.Z0[i] = s.Z[i];
    s.kodMoon = (i == 10 && in.moonMode) ? 1 : 0;
    if (!velocityFromParameters(s, i)) return failConversion(s);
    s.VX0[i] = s.VX[i];
    s.VY0[i] = s.VY[i];
    s.VZ0[i] = s.VZ[i];
  }

  // Slot 11 receives the state of slot 10: in Moon mode the Moon relative to the Earth.
  s.X0[11] = s.X[10];
  s.Y0[11] = s.Y[10];
  s.Z0[11] = s.Z[10];
  s.VX0[11] = s.VX[10];
  s.VY0[11] = s.VY[10];
  s.VZ0[11] = s.VZ[10];

  if (s.kodMoon == 1) {
    // Split the Earth-Moon pair about its barycentre: slot 13 holds the Earth's offset, slot 11 the
    // Moon's state in the pair. Without "Bary" the geocentric Moon velocity is reduced by 1/(1 + q).
    if (s.m[13] == 0) return failConversion(s);
    const double q = s.m[11] / s.m[13];
    Darr<kObjects>* pos[3] = {&s.X0, &s.Y0, &s.Z0};
    Darr<kObjects>* vel[3] = {&s.VX0, &s.VY0, &s.VZ0};
    for (int axis = 0; axis < 3; ++axis) {
      Darr<kObjects>& p = *pos[axis];
      Darr<kObjects>& v = *vel[axis];
      if (s.kodBary == 0) {
        p[13] = -q * p[11];
        v[11] = v[11] / (q + 1);
        v[13] = -v[11] * q;
      } else {
        p[13] = -q * p[11];
        p[11] = p[11] + p[13];
        v[13] = -q * v[11];
        v[11] = v[11] + v[13];
      }
    }
    s.m[3] = s.m[13];
    s.km[3] = s.m[0] / s.m[13];
  }
  return true;
}

bool centreOfMass(State& s) {
  double xcm = 0, ycm = 0, zcm = 0;
  if (!computeCentre(s, xcm, ycm, zcm)) {
    s.report(kError, kTitle);
    return false;
  }
  s.X[kCentreSlot] = xcm;
  s.Y[kCentreSlot] = ycm;
  s.Z[kCentreSlot] = zcm;
  return true;
}

bool centreOfMassToOrigin(State& s) {
  double xcm = 0, ycm = 0, zcm = 0;
  if (!computeCentre(s, xcm, ycm, zcm)) {
    s.report(kError, kTitle);
    return false;
  }
  for (int i = 0; i <= s.Nob; ++i) {
    s.X0[i] -= xcm;
    s.Y0[i] -= ycm;
    s.Z0[i] -= zcm;
    s.X[i] = s.X0[i];
    s.Y[i] = s.Y0[i];
    s.Z[i] = s.Z0[i];
  }
  s.X[kCentreSlot] = s.Y[kCentreSlot] = s.Z[kCentreSlot] = 0;
  return true;
}

bool sunVelocityFromPlanets(State& s) {
  double px = 0, py = 0, pz = 0;
  for (int i = 1; i <= s.Nob; ++i) {
    px += s.kUch[i] * s.VX0[i] * s.m[i];
    py += s.kUch[i] * s.VY0[i] * s.m[i];
    pz += s.kUch[i] * s.VZ0[i] * s.m[i];
  }
  const double vx = -px / s.m[0], vy = -py / s.m[0], vz = -pz / s.m[0];
  if (s.m[0] == 0 || !std::isfinite(vx) || !std::isfinite(vy) || !std::isfinite(vz)) {
    s.report(kError, kTitle);
    return false;
  }
  s.VX0[0] = s.VX[0] = vx;
  s.VY0[0] = s.VY[0] = vy;
  s.VZ0[0] = s.VZ[0] = vz;
  return true;
}

void addSunVelocityToPlanets(State& s) {
  for (int i = 1; i <= s.Nob; ++i) {
    s.VX0[i] += s.VX0[0];
    s.VY0[i] += s.VY0[0];
    s.VZ0[i] += s.VZ0[0];
    s.VX[i] = s.VX0[i];
    s.VY[i] = s.VY0[i];
    s.VZ[i] = s.VZ0[i];
  }
}

}  // namespace orvant
