#include "initial/initial_data_screen_sources.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "astro/etut.h"
#include "ephemeris/jpl.h"
#include "ephemeris/theory_kin.h"
#include "ephemeris/theory_moon.h"
#include "ephemeris/theory_planets.h"
#include "initial/param_file.h"
#include "model/calendar.h"
#include "model/format.h"
#include "model/messages.h"

namespace orvant {

namespace {

bool failData(State& s) {
  s.report(kMsgBadData, kTitle7);
  return false;
}

// True when the parameters of the objects that a theory wrote are all finite numbers.
bool parametersFinite(const State& s) {
  for (int i = 0; i <= 11; ++i)
    for (double v : {s.AlfaL[i], s.R0sr[i], s.W0sr[i], s.Eks0[i], s.Betta0[i], s.AlfaP0[i],
                     s.AlfaU0[i]})
      if (!std::isfinite(v)) return false;
  return true;
}

void copyStateToInitial(State& s, int k) {
  s.X0[k] = s.X[k];
  s.Y0[k] = s.Y[k];
  s.Z0[k] = s.Z[k];
  s.VX0[k] = s.VX[k];
  s.VY0[k] = s.VY[k];
  s.VZ0[k] = s.VZ[k];
}

std::string blockName(const State& s) {
  return "\\JPL\\ascp" + std::to_string(s.JPLyear) + ".405";
}

// The DE405 part of JPL2: the Sun and the planets, in Moon mode also the Moon.
bool loadFromDE405(State& s, bool moonMode, bool bary) {
  if (s.JPLisOpen == 10) JPLclose(s);
  switch (JPLopen(s)) {
    case JplStatus::Ok:
      break;
    case JplStatus::NoDate:  // the reader has shown "В файлах DE405 нет такой даты"
      JPLclose(s);
      return false;
    case JplStatus::NoFile:
      JPLclose(s);
      s.report(std::string(kMsgNoFile) + blockName(s), kTitle7);
      return false;
    case JplStatus::ReadError:
      JPLclose(s);
      s.report(std::string(kMsgReadError) + blockName(s), kTitle7);
      return false;
  }
  for (int k = 0; k <= 9; ++k) {
    if (!JPLstate(s, k)) {  // the reader has shown "Ошибка чтения файлов JPL"
      JPLclose(s);
      return false;
    }
    copyStateToInitial(s, k);
  }
  if (moonMode) {
    s.report(kMsgMoonJPL2, kTitle7);
    // The Moon's mean elements of the kinematic theory, which takes universal time.
    s.JD = s.JDUT;
    ThKin0(s, 11);
    s.JD = s.JDE;
    copyMoonSlot(s);
    if (!JPLstate(s, 11)) {
      JPLclose(s);
      return false;
    }
    copyStateToInitial(s, 11);
    s.kodBary = bary ? 1 : 0;
    splitEarthMoon(s, bary);
  }
  JPLclose(s);
  if (!moonMode) {
    s.X[10] = s.X0[10] = kXenaX;
    s.Y[10] = s.Y0[10] = 0;
    s.Z[10] = s.Z0[10] = 0;
    s.VX[10] = s.VX0[10] = 0;
    s.VY[10] = s.VY0[10] = kXenaVY;
    s.VZ[10] = s.VZ0[10] = 0;
  }
  return true;
}

}  // namespace

bool setLoadDate(State& s, DataSource source, double Day1, int32 Month1, int32 Year1, bool moonMode) {
  s.R0sr[0] = s.W0sr[0] = s.Eks0[0] = s.AlfaU0[0] = s.AlfaP0[0] = s.Betta0[0] = 0;
  s.Year1 = Year1;
  s.Month1 = Month1;
  s.Day1 = Day1;
  s.DateError = 0;
  const double jd = JDfromDate(s, Day1, Month1, Year1);
  if (s.DateError != 0) return false;
  s.JD = jd;
  s.JD0 = s.JD;
  s.JDep = s.JD0;
  s.ETUT = ETUT1939(s, s.JD);
  s.JDUT = s.JD;
  s.JDE = s.JD + s.ETUT / 86400;
  s.JD = source == DataSource::Kin0 ? s.JDUT : s.JDE;
  s.kodMoon = moonMode ? 1 : 0;
  return true;
}

bool loadTheorySource(State& s, DataSource source, bool moonMode, bool bary) {
  switch (source) {
    case DataSource::JPL0:
    case DataSource::JPL2:
      setMassSet(s, 2);
      s.gamma = gammaOfMassSet(2);
      s.JDep = s.JD2000;
      for (int i = 1; i <= 9; ++i) ThJ2000(s, i);
      if (source == DataSource::JPL0 && moonMode) {
        ThJ2000(s, 11);
        MoonToJ2000(s);
        copyMoonSlot(s);
        s.report(kMsgMoonJPL0, kTitle7);
      }
      break;
    case DataSource::Kin0:
      setMassSet(s, 3);
      s.gamma = gammaOfMassSet(3);
      s.JDep = s.JD2000;
      for (int i = 1; i <= 9; ++i) ThKin0(s, i);
      if (moonMode) {
        ThKin0(s, 11);
        copyMoonSlot(s);
      }
      break;
    case DataSource::New0:
      setMassSet(s, 1);
      s.gamma = gammaOfMassSet(1);
      for (int i = 1; i <= 9; ++i) ThNew0(s, i);
      if (moonMode) {
        ThNew0(s, 11);
        copyMoonSlot(s);
        s.report(kMsgMoonNew0, kTitle7);
      }
      break;
    case DataSource::File:
    case DataSource::Screen:
      return failData(s);  // not theory sources: the screen loads them
  }
  if (!parametersFinite(s)) return failData(s);
  if (source == DataSource::JPL2 && !loadFromDE405(s, moonMode, bary)) return false;
  if (!moonMode) setXenaDefaults(s);
  return true;
}

void setXenaDefaults(State& s) {
  s.AlfaL[10] = 0.01;
  s.W0sr[10] = 0.00001 / 86400;
  s.km[10] = 9888777;
  s.Eks0[10] = 0.001;
  s.Betta0[10] = 0.01;
  s.AlfaU0[10] = 0.01;
  s.AlfaP0[10] = s.Pi / 2;
  s.R0ae[10] = 50.01;
  s.R0sr[10] = s.Lae * 50.01;
}

void splitEarthMoon(State& s, bool bary) {
  const double q = s.m[11] / s.m[13];
  Darr<kObjects>* pos[3] = {&s.X0, &s.Y0, &s.Z0};
  Darr<kObjects>* vel[3] = {&s.VX0, &s.VY0, &s.VZ0};
  for (int axis = 0; axis < 3; ++axis) {
    Darr<kObjects>& p = *pos[axis];
    Darr<kObjects>& v = *vel[axis];
    p[13] = -q * p[11];
    if (bary) {
      p[11] = p[11] + p[13];
      v[13] = -q * v[11];
      v[11] = v[11] + v[13];
    } else {
      v[11] = v[11] / (q + 1);
      v[13] = -v[11] * q;
    }
  }
  s.m[3] = s.m[13];
  s.km[3] = s.m[0] / s.m[13];
}

void finishLoad(State& s) {
  for (int i = 1; i <= 10; ++i) s.V0sr[i] = s.W0sr[i] * s.R0sr[i];
}

std::string fullNumber(double x) {
  char buf[64];
  for (int digits : {15, 16, 17}) {
    std::snprintf(buf, sizeof buf, "%.*G", digits, x);
    const auto back = parseNumber(buf);
    if (back && *back == x) break;
  }
  std::string s = buf;
  for (char& c : s)
    if (c == '.') c = ',';
  return s;
}

void fillPpar(State& s) {
  for (auto& row : s.Ppar) row.fill(0);
  for (int i = 1; i <= 10; ++i) {
    s.Ppar[i][1] = s.AlfaP0[i];
    s.Ppar[i][2] = s.AlfaU0[i];
    s.Ppar[i][3] = s.Betta0[i];
    s.Ppar[i][4] = s.Eks0[i];
    s.Ppar[i][5] = s.R0sr[i];
    s.Ppar[i][6] = s.W0sr[i];
    s.Ppar[i][7] = s.AlfaL[i];
  }
}

}  // namespace orvant
