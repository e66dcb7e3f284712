// The model integrator: N-body motion with a finite speed of gravity, classical Runge-Kutta.
//
// Bodies 0..Nob (Nob = 10: the Sun, nine planets and the tenth object) attract each other by
// Newton's law F = gamma m(I) m(J) / L^Rpow, with the attracting body I taken not at its present
// position but displaced forward along its own velocity by the time gravity needs to cross the
// distance, T = L/Vgr. T is found by fixed-point refinement: a first approximation from the bodies
// at rest, then NItGr + 1 passes d = X(J) - X(I) - T V(I), L = |d|, T = L/Vgr. With the finite speed
// off (kodVgr = 0) this is the classical N-body problem. Because of the displacement the force of
// I on J is not minus that of J on I, so every ordered pair is evaluated and the forces on each body
// are summed over I in increasing order.
//
// State vector S(0..65), blocks of 11: X(0..10), Y, Z (m), VX, VY, VZ (m/s). The system velocity
// VXsys.. is part of the velocities (a run adds it when it fills S).
//
// Usage (like REBOUND's gravity context, prepared once and stepped millions of times):
//   Integrator w;                      // fixed arrays, allocated with the object
//   loadState(s, w);                   // S from X..VZ of bodies 0..Nob
//   prepareIntegrator(s, w);           // masses, participation, gamma, Vgr, kodVgr, Rpow, NItGr, kodOTO
//   while (...) rungeKuttaStep(s, w, h, n);
// prepareIntegrator must be called again whenever any of the prepared inputs changes in State
// (the run screen calls it at its start and after re-reading its fields at each display). An
// unprepared context has Vgr = 0, so its steps fail rather than move the bodies wrongly.
//
// The context keeps of the pair tables only what later evaluations need: the force components
// (for the rule below) and the first approximation of the propagation time. The evaluation works on
// S alone; State receives the coordinates and velocities in the copy-back of a step.
//
// Numerical notes:
// - The direction of a force is computed from the difference vector (F dX/L, ...), which is the
//   direction of the angle form cos A cos B, sin A cos B, sin B with A = |atan(dY/dX)|,
//   B = atan(|dZ|/RHO) and the signs of the differences; it avoids three transcendental calls.
// - A pair whose dXij is exactly 0 keeps the force components of the previous evaluation (FX, FY,
//   FZ persist in the context between steps and runs); coincident bodies therefore give no NaN.
// - Rpow = 2 uses L*L, never pow.
// - Each evaluation first computes every pair without that rule and notes whether some dXij is
//   exactly 0; only then (in practice never) it computes again keeping those pairs' forces. Both
//   passes give the other pairs the same values in the same order of summation.
// - With the finite speed off and symmetric participation each unordered pair is computed once
//   (the force of J on I is then minus that of I on J to the bit); the result is the same as from
//   the ordered evaluation, bit for bit. Four lanes take the pairs in 4x4 blocks above the
//   diagonal, transposed in registers, and the 15 pairs within the groups of four bodies packed in
//   four vectors (kGroupPairs); two lanes take them in 2x2 tiles. The first approximation of the
//   propagation time is symmetric too and is computed the same way.
// - The square roots and divisions bound the evaluation (one unit of the processor does both, at
//   the same cost for one, two or four lanes): the passes issue them early and side by side (the
//   finite-speed rows four at a time when refined), never replace one by a reciprocal or a
//   product, and so keep the results of the scalar code.
// - The force passes and the stages run on one of three paths, chosen at run time (ForcePath):
//   scalar (the reference), two-lane SSE2 (the x86-64 baseline) and four-lane AVX2 (where the
//   processor has it). Every lane performs the IEEE operation of the scalar code, every sum
//   receives its terms in the same order, and no path contracts a product and a sum into a fused
//   multiply-add: the states, and so the record files of a run, are the same to the bit whichever
//   path ran (a plan split over machines of different kinds gives the same files).
#pragma once

#include <array>

#include "model/state.h"

namespace orvant {

inline constexpr int kBodies = kNob + 1;   // bodies of the model, 0..Nob
inline constexpr int kLanes = 12;          // bodies padded to a multiple of four lanes
inline constexpr int kStateLen = kNeq + 1; // S(0..Neq)
inline constexpr int kWorkLen = 68;        // S and the work vectors, padded for two-lane access

using PairTable = std::array<std::array<double, kLanes>, kBodies>;  // [I attracting][J attracted]

// The instruction sets of the force passes, in increasing order of width.
enum class ForcePath { Scalar = 0, SSE2 = 1, AVX2 = 2 };

// The widest path this binary and this processor can run.
ForcePath bestForcePath();
// `wanted` if this processor can run it, else the best it can.
ForcePath supportedForcePath(ForcePath wanted);
// The path that prepareIntegrator gives a context: the best one, or ORVANT_FORCE_PATH (scalar, sse2,
// avx2) from the environment at start, or what setForcePath chose last.
ForcePath forcePath();
// Chooses the path of later prepareIntegrator calls (for tests, benchmarks and orvant-cli
// --force-path); returns the path actually chosen (a path the processor lacks falls back).
ForcePath setForcePath(ForcePath path);
const char* forcePathName(ForcePath path);  // "scalar", "sse2", "avx2"

// The unordered pairs whose bodies share a group of four lanes (0-3, 4-7, 8-10), as the four-lane
// kernels pack them in four vectors; {11, 11} is the padding.
inline constexpr int kGroupPairs[16][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0},  {4, 5},  {5, 6},  {6, 7},   {7, 4},
                                           {0, 2}, {1, 3}, {4, 6}, {5, 7},  {8, 9},  {9, 10}, {10, 8}, {11, 11}};

struct Integrator {
  // State vector, its derivative, the state at the start of a step and the third Runge-Kutta
  // increment (0..Neq used, the rest zero; K1, K2 and K4 exist only inside the step).
  alignas(32) std::array<double, kWorkLen> S{};
  alignas(32) std::array<double, kWorkLen> dS{};
  alignas(32) std::array<double, kWorkLen> S0{};
  alignas(32) std::array<double, kWorkLen> K3{};

  // Force of I on J, N: FX[cur] from the last evaluation, FX[1 - cur] the table the next one writes.
  // A pair whose dXij is exactly 0 keeps its components of the previous evaluation.
  alignas(32) std::array<PairTable, 2> FX{}, FY{}, FZ{};
  int cur = 0;
  // First approximation of the propagation time (bodies at rest), s; finite speed only.
  alignas(32) PairTable T0{};
  // ---- prepared inputs (prepareIntegrator) ----
  alignas(32) PairTable coef{};       // kVz(I,J) m(I) m(J) gamma, N m^Rpow; 0 on I = J and padding
  alignas(32) PairTable pairMask{};   // all bits set where I != J and J <= Nob, else 0
  // coef of the pairs within the groups of four bodies, in the order of kGroupPairs (0 for the
  // padding pair).
  alignas(32) std::array<double, 16> groupCoef{};
  alignas(32) std::array<double, kLanes> mass{};      // m(J), 1 where m(J) = 0 or padding
  alignas(32) std::array<double, kLanes> massMask{};  // all bits set where m(J) != 0 and J <= Nob
  double Vgr = 0;      // speed of gravity, m/s
  double Rpow = 2;     // exponent of the force law
  int kodVgr = 0;      // 1: finite speed of gravity
  int NItGr = 0;       // extra refinement passes
  int kodOTO = 0;      // 1: "ОТО", the step reuses dS and evaluates nothing
  bool symmetric = true;   // coef(I,J) = coef(J,I) for all pairs (participation is symmetric)
  ForcePath path = ForcePath::Scalar;  // the kernels of the steps (forcePath() when prepared)
};

// Copies the model inputs of State into the context: the pair coefficients from kVz, m and gamma,
// the per-body masses, Vgr, kodVgr (any value other than 1 is off), Rpow, NItGr (negative as 0),
// kodOTO; and the force path, forcePath().
void prepareIntegrator(const State& s, Integrator& w);

// S(i) = X(i), S(i+11) = Y(i), ..., S(i+55) = VZ(i) for bodies 0..Nob of State.
void loadState(const State& s, Integrator& w);

// Evaluates the derivative dS of the current S with the prepared inputs (the forces, FX..FZ).
// The time of the stage does not enter: the forces do not depend on it.
void evaluateDerivative(Integrator& w);

// One classical Runge-Kutta step of size h > 0 (s):
//   K1 = h f(S0), K2 = h f(S0 + K1/2), K3 = h f(S0 + K2/2), K4 = h f(S0 + K3),
//   S = S0 + (K1 + 2 K2 + 2 K3 + K4)/6.
// In "ОТО" no evaluation is made: every stage uses the dS of the last evaluation (zero if none).
// Then copies into State the coordinates of all bodies, the velocities of all bodies as the last
// evaluation saw them (S0 + K3) and the velocity of the traced body n (0..Nob; any other n: none)
// at the end of the step, and sets Vpl = |V(n)|.
// Returns false on a floating-point failure (a zero Vgr, an overflow, a non-finite value); S is then
// restored to the state before the step and State is not touched.
bool rungeKuttaStep(State& s, Integrator& w, double h, int n);

// ---- energy and angular momentum of the system (the "dEsys, dMsys, %" check) ----
// Bodies 0..M, M = Nob for the model and 9 for the ephemeris simulators. Velocities include the
// system velocity. Only the Sun-body potential terms enter, measured from the start configuration:
//   E0sys = sum kUch m V^2/2,
//   Esys  = kUch(0) m(0) V(0)^2/2 + sum_{i>=1} [(1/R0(i) - 1/R(i)) kUch gamma m(0) m(i) + kUch m V^2/2],
//   Msys  = sum_{i>=1} ((VY(i)-VY(0))(X(i)-X(0)) - (VX(i)-VX(0))(Y(i)-Y(0))) kUch m(i)
// (the Z component of the angular momentum about the Sun). A non-participating body contributes
// nothing (its distance is not divided by, so a body parked at the Sun does no harm).
struct EnergyCheck {
  Darr<kBodies> R0{};  // distance of body i from the Sun at the start, m
  double E0sys = 0;    // J
  double M0sys = 0;    // kg m^2/s
  double Esys = 0;
  double Msys = 0;
};

// VX(i), VY(i), VZ(i) = S(33+i), S(44+i), S(55+i) for i = 0..M (the energy check reads State).
void unpackVelocities(State& s, const Integrator& w, int M);

// Start of a run: R0, E0sys and M0sys from X..VZ of State. False when a value is not finite.
bool startEnergyCheck(const State& s, EnergyCheck& e, int M);

// During a run: Esys and Msys from X..VZ of State. False when a value is not finite.
bool updateEnergyCheck(const State& s, EnergyCheck& e, int M);

// dEsys = (Esys - E0sys) 100/E0sys and dMsys = (Msys - M0sys) 100/M0sys, per cent, truncated toward
// zero at 8 decimals as the check shows them.
double dEsysPercent(const EnergyCheck& e);
double dMsysPercent(const EnergyCheck& e);

}  // namespace orvant
