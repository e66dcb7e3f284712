// Shared pieces of the run tests: a two-body state (the Sun and one planet taking part), the
// closed-form elements of a relative Kepler orbit, an observer for the headless run, and a
// temporary work directory.
#pragma once

#include <cmath>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "../initial/planets.h"
#include "initial/initial_data.h"
#include "initial/initial_data_screen_sources.h"
#include "model/state.h"
#include "simulation/run.h"

namespace orvant::test {

// A fresh directory under the system's temporary directory, removed at the end of the test.
struct TempDir {
  std::filesystem::path path;
  TempDir() {
    std::random_device rd;
    path = std::filesystem::temp_directory_path() /
           ("orvant_run_" + std::to_string(rd()) + "_" + std::to_string(rd()));
    std::filesystem::create_directories(path);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
};

// Elements of the relative two-body orbit of position r (m) and velocity v (m/s) about a centre
// with mu = G (m0 + m1), from the angular-momentum and eccentricity vectors (e.g. Roy, Orbital
// Motion, ch. 4): a from the vis-viva integral, i and the node from h, the perihelion from the
// eccentricity vector, the period 2 pi sqrt(a^3/mu).
struct Elements {
  double a = 0;       // m
  double e = 0;
  double i = 0;       // deg
  double node = 0;    // deg, 0..360
  double peri = 0;    // longitude of perihelion node + argument, deg, 0..360
  double period = 0;  // s
  double M = 0;       // mean anomaly, deg, 0..360
};

inline double deg360(double d) {
  d = std::fmod(d, 360.0);
  return d < 0 ? d + 360 : d;
}

inline Elements elementsOf(const double r[3], const double v[3], double mu) {
  constexpr double kDeg = 180 / 3.14159265358979323846;
  const double R = std::sqrt(r[0] * r[0] + r[1] * r[1] + r[2] * r[2]);
  const double V2 = v[0] * v[0] + v[1] * v[1] + v[2] * v[2];
  const double h[3] = {r[1] * v[2] - r[2] * v[1], r[2] * v[0] - r[0] * v[2],
                       r[0] * v[1] - r[1] * v[0]};
  const double H = std::sqrt(h[0] * h[0] + h[1] * h[1] + h[2] * h[2]);
  const double rv = r[0] * v[0] + r[1] * v[1] + r[2] * v[2];
  double ev[3];
  for (int k = 0; k < 3; ++k) ev[k] = ((V2 - mu / R) * r[k] - rv * v[k]) / mu;
  Elements el;
  el.a = 1 / (2 / R - V2 / mu);
  el.e = std::sqrt(ev[0] * ev[0] + ev[1] * ev[1] + ev[2] * ev[2]);
  el.i = std::acos(h[2] / H) * kDeg;
  const double node = std::atan2(h[0], -h[1]);
  el.node = deg360(node * kDeg);
  // Argument of perihelion: angle from the node line to the eccentricity vector in the plane.
  const double nx = std::cos(node), ny = std::sin(node);
  const double cosw = (nx * ev[0] + ny * ev[1]) / el.e;
  const double sinw = ev[2] / (el.e * std::sin(el.i / kDeg));
  el.peri = deg360(el.node + std::atan2(sinw, cosw) * kDeg);
  el.period = 2 * 3.14159265358979323846 * std::sqrt(el.a * el.a * el.a / mu);
  // Mean anomaly from the eccentric anomaly.
  const double cosE = (1 - R / el.a) / el.e;
  const double sinE = rv / (el.e * std::sqrt(mu * el.a));
  const double E = std::atan2(sinE, cosE);
  el.M = deg360((E - el.e * std::sin(E)) * kDeg);
  return el;
}

// The Sun and planet n taking part, every other body not; the planets at their J2000 elements,
// planet n at `el` (a AU, e, i, mean longitude, longitude of perihelion, node, degrees). The
// initial state by the two-body conversion with the Sun at rest at the origin, Ppar from the
// parameters, the date JD2000 (1.5 January 2000).
inline State keplerState(int n, const double el[6]) {
  State s = planetsJ2000();
  s.R0sr[n] = el[0] * s.Lae;
  s.Eks0[n] = el[1];
  s.Betta0[n] = el[2] / s.kUgol;
  s.AlfaL[n] = el[3] / s.kUgol;
  s.AlfaP0[n] = el[4] / s.kUgol;
  s.AlfaU0[n] = el[5] / s.kUgol;
  for (int i = 0; i <= 10; ++i) s.kUch[i] = (i == 0 || i == n) ? 1 : 0;
  rebuildParticipation(s);
  InitialDataInputs in;
  in.mSol = s.mSol;
  in.gamma = s.gamma;
  initialDataFromParameters(s, in);
  fillPpar(s);
  s.JD0 = s.JD = s.JD2000;
  s.Year1 = 2000;
  s.Month1 = 1;
  s.Day1 = 1.5;
  return s;
}

// The relative orbit of planet n about the Sun as the initial state holds it.
inline Elements initialElements(const State& s, int n) {
  const double r[3] = {s.X0[n] - s.X0[0], s.Y0[n] - s.Y0[0], s.Z0[n] - s.Z0[0]};
  const double v[3] = {s.VX0[n] - s.VX0[0], s.VY0[n] - s.VY0[0], s.VZ0[n] - s.VZ0[0]};
  return elementsOf(r, v, s.gamma * (s.m[0] + s.m[n]));
}

// Mercury's J2000 elements with the mean longitude chosen so that the mean anomaly is M0 (deg).
inline void mercuryWithAnomaly(double M0, double el[6]) {
  for (int k = 0; k < 6; ++k) el[k] = kJ2000[0][k];
  el[3] = kJ2000[0][4] + M0;
}

// The run's observer in a test: counts display points and events, ends the run after a number
// of display points or past a model time.
struct TestObserver : simulation::RunObserver {
  State& s;
  const simulation::ExperimentRun* run = nullptr;
  long displays = 0;
  long maxDisplays = -1;        // kStop = 1 after this many display points
  double stopAfterSeconds = -1; // kStop = 1 once |dTmod| exceeds this
  std::vector<unsigned> events;
  std::vector<double> eventTimes;  // t at each event
  std::optional<simulation::LiveInputs> live;

  explicit TestObserver(State& st) : s(st) {}
  void displayPoint(const simulation::ExperimentRun& r) override {
    run = &r;
    ++displays;
  }
  void extractionEvent(const simulation::ExperimentRun& r, unsigned ev) override {
    events.push_back(ev);
    eventTimes.push_back(r.t());
  }
  std::optional<simulation::LiveInputs> liveInputs() override { return live; }
  void processEvents() override {
    if (maxDisplays >= 0 && displays >= maxDisplays) s.kStop = 1;
    if (stopAfterSeconds >= 0 && run && std::fabs(run->dTmod()) > stopAfterSeconds) s.kStop = 1;
  }
};

// Inputs of a model run of planet n around the Sun: records on, no end year.
inline simulation::RunInputs modelInputs(int n) {
  simulation::RunInputs in;
  in.Ntr = n;
  in.findParams = true;
  in.writeRecords = true;
  in.model = true;
  in.Icen2 = simulation::kCentreSun;
  in.live.H0 = 3600;
  in.live.NC0 = 100;
  in.live.kShag = 100;
  in.source = " JPL0";
  return in;
}

}  // namespace orvant::test
