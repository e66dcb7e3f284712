// The two-body orbit check: one body and its centre (the Sun, or the Earth for the Moon)
// integrated alone under Newton's law, and the orbit parameters measured per revolution the way a
// run measures them.
//
// Screen 1 checks how well the initial data of one body reproduce its orbit parameters, and how
// precisely the program finds those parameters again; the Moon screen checks the Earth-Moon pair
// with the same engine. The state is the twelve-element vector S: the centre's position, the
// body's position, the centre's velocity, the body's velocity (m, m/s), advanced by the classical
// fourth-order Runge-Kutta scheme. The centre lives in slot 0 of X..VZ of State, the body in its
// own slot n (SphFrom(0, n) then gives its longitude, latitude and distance from the centre).
//
// Per revolution: the period (between perihelion passages), the extreme distances Lmin, Lmax and
// speeds Vmin, Vmax, the semi-major axis (Lmax + Lmin)/2, the eccentricity 1 - Lmin/Rpl, the mean
// speed and angular velocity, the longitudes of the perihelion and of the ascending node. The
// perihelion is registered in the apsis window of the run's extraction (model/orbit_windows.h);
// the step shrinks to H0/kShag inside the perihelion, aphelion and node windows.
//
// Precision: the extrema of the distance and the node crossings are not taken from the nearest
// step but from the cubic Hermite interpolant of the motion between the two steps that bracket
// them (positions and velocities at both ends: error of order h^4), so the measured figures show
// the integration's error, not the sampling's. The speed at an apsis is the angular momentum
// divided by the apsidal distance (the velocity is perpendicular to the radius there).
#pragma once

#include <array>

#include "model/orbit_windows.h"
#include "model/state.h"

namespace orvant {

// What a check is given.
struct OrbitCheckSetup {
  int n = 1;   // the body: its slot in X..VZ and its parameter slot (AlfaP0, AlfaU0, Betta0), m(n)
  int c = 0;   // the mass of the centre is m(c) (0 the Sun, 13 the Earth alone)
  std::array<double, 6> centre{};  // the centre's X, Y, Z, VX, VY, VZ at the start
  std::array<double, 6> body{};    // the body's
  double H0 = 3600;  // main step, s
  int kShag = 100;   // step reduction inside the windows
  double dAlfa = 1;  // half-width of the windows, degrees
  long NC0 = 1000;   // steps between displays
  int kSun = 1;      // 0: the centre keeps its velocity ("при Vsol=const")
};

// Events of one step, or-ed together.
enum OrbitCheckEvent : unsigned {
  kChkNode = 1u,        // an ascending node was passed: AlfaUt changed
  kChkPerihelion = 2u,  // a perihelion passage was registered: the revolution's figures are new
  kChkDisplay = 4u,     // NC0 steps since the last display: E, dEsys are new
  kChkFailed = 8u,      // the state is no longer finite: the check must end
};

// The state of a check, with the program's names. Angles in degrees unless noted.
struct OrbitCheck {
  int n = 1, c = 0;
  double mn = 0, mc = 0;          // masses, kg
  double H0 = 3600, h = 3600;     // main step and the step of the next motion step, s
  int kShag = 100;
  double dAlfa = 1;
  long NC0 = 1000;
  long counter = 0;               // steps since the last display
  long steps = 0;                 // steps since the start
  int kSun = 1;
  std::array<double, 12> S{};     // centre position, body position, centre velocity, body velocity
  double t = 0;                   // model time since the start, s
  double tWrap = 0;               // time of the last registered perihelion, s
  double Dolg = 0, DolgPrev = 0;  // longitude of the body seen from the centre, this and last step
  double ZPrev = 0;               // Z of the body relative to the centre at the last step, m
  double Bmax = 0;                // largest |latitude| since the last perihelion, rad
  double Betta = 0;               // Bmax at the last registered perihelion, rad
  double Lmin = 0, Lmax = 0;      // extreme distances of the revolution, m
  double Vmin = 0, Vmax = 0;      // extreme speeds of the body, m/s
  double RPrev = 0;               // distance at the last step inside the perihelion window, m
  double AlfaPt = 0, AlfaUt = 0;  // measured longitudes of the perihelion and of the node
  double AlfaP0r = 0, AlfaU0r = 0;  // the values under test
  Window per, aph, nodA;          // perihelion, aphelion, ascending-node windows
  int kWin = 0;                   // 2 passage just registered, 1 approaching, 0 otherwise
  long Nper = 0;                  // perihelion passages registered
  double Tper = 0;                // period, days
  double Rpl = 0, Eks = 0;        // semi-major axis (m) and eccentricity of the last revolution
  double Vsr = 0, Wsr = 0;        // (Vmax + Vmin)/2, m/s, and Vsr/Rpl, rad/s
  double LminR = 0, LmaxR = 0, VminR = 0, VmaxR = 0;  // the extremes of the last revolution
  double R0 = 0;                  // distance at the start, m
  double E0 = 0, E = 0;           // energy at the start and at the last display, J
  double V = 0, Vpl = 0;          // speeds of the centre and of the body, m/s
  double Rast = 0;                // distance, m

  // ---- interpolation between steps ----
  std::array<double, 6> rel{};    // body minus centre, position and velocity, at the last step
  double rdot = 0;                // radial velocity (times the distance) at the last step
  bool perFound = false;          // a perihelion was found by interpolation since the registration
  double perT = 0, perL = 0;      // its time (s) and ecliptic longitude
};

// Sets the check up: the masses m(n), m(c) of State, the states of the two bodies into S and into
// slots 0 and n of X..VZ, the values under test AlfaP0r = kUgol AlfaP0(n), AlfaU0r = kUgol
// AlfaU0(n), Bmax = Betta0(n), the windows, E0, R0 and the trackers. False when the setup cannot
// make a check (a mass not positive, the two bodies at one place, a value not finite, H0 or
// kShag or NC0 not positive); the message is the caller's.
bool beginOrbitCheck(State& s, OrbitCheck& k, const OrbitCheckSetup& u);

// One step: the Runge-Kutta step, the measurements, the windows and the step of the next step.
// Returns the events (OrbitCheckEvent).
unsigned orbitCheckStep(State& s, OrbitCheck& k);

// beginOrbitCheck and the steps move the body n and its centre through slots 0 and n of the
// model's X..VZ (for the drawing), and a screen may take Icen for the pair. A screen holds one of
// these over each command of the check: the model's state of the two slots and Icen are put back
// when the command ends (the check goes on from its own copy, OrbitCheck::S).
class OrbitCheckSlots {
 public:
  OrbitCheckSlots(State& s, int n);
  ~OrbitCheckSlots();
  OrbitCheckSlots(const OrbitCheckSlots&) = delete;
  OrbitCheckSlots& operator=(const OrbitCheckSlots&) = delete;

 private:
  State& s_;
  int slot_[2];
  double kept_[2][6];
  int32 Icen_;
};

// The two-body derivative of S: velocities, then the Newtonian accelerations of the centre
// (times kSun) and of the body. The distance is returned in R.
void twoBodyDerivative(const State& s, const OrbitCheck& k, const std::array<double, 12>& S,
                       std::array<double, 12>& dS, double& R);

// The energy of the pair relative to the potential at the start distance R0:
// gamma mc mn (1/R0 - 1/R) + mn Vpl^2/2 + mc V^2/2.
double orbitCheckEnergy(const State& s, const OrbitCheck& k);

// Relative change in per cent, 100 (value - start)/start.
double percentChange(double value, double start);

}  // namespace orvant
