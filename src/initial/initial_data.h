// Initial state of a run from the orbit parameters, and the corrections of screen 1.
//
// The initial state X0..VZ0 (m, m/s) is what a run of the model starts from. It is built from the
// orbit parameters of objects 1..10 by the two-body conversion (twobody.h) with the Sun at rest at
// the origin, and may then be corrected: moved so that the centre of mass of the participating bodies
// lies at the origin, and given a Sun velocity that cancels the momentum of the planets.
//
// The centre of mass is kept in slot 14 of the coordinate arrays: Xcm = X(14), Ycm = Y(14),
// Zcm = Z(14).
#pragma once

#include "model/state.h"

namespace orvant {

inline constexpr int kCentreSlot = 14;  // slot of the centre of mass in X, Y, Z

// Inputs of "Рассчитать по параметрам орбит начальные данные" that screen 1 reads from its boxes.
struct InitialDataInputs {
  double mSol = 0;        // "mSol, кг": becomes m(0) (the other masses are not recomputed)
  double gamma = 0;       // "gamma, н*м^2/кг^2"
  bool bary = false;      // "Bary": two-body masses m(i) + m(centre)
  bool moonMode = false;  // "Земля-Луна и Ксена=Луна": object 10 is the Moon about the Earth
};

// "Рассчитать по параметрам орбит начальные данные": m(0) and gamma from the inputs; the Sun at rest
// at the origin; kodBary from "Bary"; objects 1..10 by the two-body conversion into X0..VZ0
// (kodMoon = 1 only for object 10 in Moon mode, so that the Moon turns about the Earth); slot 11 of
// the initial state receives the state of slot 10. In Moon mode, with q = m(11)/m(13):
//   without "Bary": X0(13) = -q X0(11); VX0(11) = VX0(11)/(q + 1); VX0(13) = -q VX0(11);
//   with "Bary":    X0(13) = -q X0(11); X0(11) += X0(13); VX0(13) = -q VX0(11); VX0(11) += VX0(13);
// (each axis) and object 3 becomes the Earth alone: m(3) = m(13), km(3) = m(0)/m(13).
// On a failure reports "Задайте правильно данные" (title "Orvant7") and returns false; what was
// written before the failure stays.
bool initialDataFromParameters(State& s, const InitialDataInputs& in);

// "Найти координаты ЦМ системы": X(14), Y(14), Z(14) = the mass-weighted mean of X0, Y0, Z0 over the
// participating bodies 0..Nob. Reports "Ошибка" (title "Orvant7") when it cannot be formed (no
// participating mass) and returns false.
bool centreOfMass(State& s);

// "ЦМ системы в начало координат": computes the centre of mass, subtracts it from X0, Y0, Z0 of every
// body 0..Nob (participating or not), copies them into X, Y, Z and zeroes X(14)..Z(14). Velocities
// are not changed. Reports "Ошибка" on a failure, changing nothing.
bool centreOfMassToOrigin(State& s);

// "Найти по Vpl скорость Солнца Vsol": the Sun's velocity VX0(0) = -sum(kUch m VX0)/m(0) over the
// participating bodies 1..Nob (likewise Y, Z), copied into VX(0)..VZ(0); the total momentum of the
// participating bodies becomes zero. Reports "Ошибка" on a failure (m(0) = 0), changing nothing.
bool sunVelocityFromPlanets(State& s);

// "Vpl=Vpl+Vsol": adds the Sun's velocity VX0(0)..VZ0(0) to VX0(i)..VZ0(i) of every body 1..Nob
// (participating or not) and copies them into VX..VZ. Applying it twice adds the velocity twice.
void addSunVelocityToPlanets(State& s);

}  // namespace orvant
