// The components of aberration of screen 11: how the apparent direction of one object seen from
// the Earth is made of the aberration of the source (the object is seen where it was one light
// time ago) and the aberration of the receiver (the motion of the Earth), when the whole solar
// system moves with the absolute velocity (VXsys, VYsys, VZsys) and the speed of light may be
// divided by a factor N to make the effects visible.
//
// place() puts the Earth and the object in the system at rest (New0 elements, mass set 1, the Sun
// at the origin at rest) and keeps that state in X0..VZ0 of slots 3 and Npl; iterate() performs
// one iteration of the back-tracing of the ray in the moving system: the source position from the
// light time of the previous iteration, then the receiver shift by the Earth's velocity times the
// new light time (first order: P + tau V_observer, the classical aberration; Explanatory Supplement
// to the Astronomical Almanac, 1992, 3.252). With "* cos(B)" the longitude components are taken
// from the velocities scaled by the cosine of the real latitude (slots 12 and 11).
#pragma once

#include <array>
#include <string_view>

#include "model/state.h"

namespace orvant {

inline constexpr std::string_view kMsgOneObject = "Должен быть отмечен только 1 объект";
inline constexpr std::string_view kMsgAberrationInputs = "Введите правильно данные ";
inline constexpr std::string_view kMsgAberrationFailed = "Ошибка при расчете";

// The object "Звезда": its position and velocity are typed.
inline constexpr int kStarObject = 10;

struct AberrationInputs {
  bool theory = true;               // "по теории New0 для" the date
  double Day = 1.5;
  int32 Month = 1, Year = 2000;
  double GelioL3 = 270, GelioLpl = 90;  // degrees, when the theory box is unchecked
  int Npl = 4;                      // the checked object 0..10
  std::array<double, 6> star{0, 0, 999888777, 0, 0, 0};  // thousand km, km/s ("Звезда")
  double N = 1000;                  // "скорость света уменьшить в … раз"
  bool cosB = false;                // "* cos(B)"
  double VXsys = 0, VYsys = 0, VZsys = 0;  // km/s
};

struct AberrationResult {
  double c = 0;            // reduced speed of light, m/s
  double JD = 0;
  double lightTime = 0;    // s (of the last placement or iteration)
  double S = 0;            // distance Earth - object, m
  double L0 = 0, B0 = 0;   // real longitude and latitude, degrees
  double L1 = 0, B1 = 0;   // after the source step
  double L2 = 0, B2 = 0;   // observed
  double dLis = 0, dBis = 0, dLpr = 0, dBpr = 0, dLs = 0, dBs = 0;  // degrees
  int iterations = 0;
};

// Brings an angle difference into -180..180 (+360 below -180, -360 above 180).
double foldAngle(double d);

// Rest-frame placement (Algorithms 1, steps 3-8). False when the date does not convert or the
// elements give no position (the caller shows kMsgAberrationInputs).
bool placeAberration(State& s, const AberrationInputs& in, AberrationResult& r);

// One iteration in the moving system (Algorithms 2, steps 1-8), using r.lightTime of the previous
// iteration or placement and leaving the new one there. False on an arithmetic failure.
bool iterateAberration(State& s, const AberrationInputs& in, AberrationResult& r);

}  // namespace orvant
