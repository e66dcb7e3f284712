// Orbit parameters of a traced body found from its apparent motion during a run, and the result
// files of a run (the record file and the coordinate file).
//
// The body n is watched the way an observer would watch it: from its ecliptic longitude `Dolg(n)`,
// latitude `Shir` and distance `Rast` as seen from a chosen centre (SphFrom of the coordinate
// library). The perihelion and the aphelion are the extrema of the distance inside angular windows
// of +-dAlfa around their expected longitudes, the nodes the sign changes of Z relative to the
// centre, the inclination the largest |latitude| since the last passage, the period the time
// between two passages through longitude 0. Near these points the step shrinks to H0/kShag.
// After every registered apsidal passage the parameters are known again; from the third counted
// perihelion on each passage gives one record of the record file.
//
// Units: angles in degrees unless noted (Bmax in radians), distances in metres, times in seconds
// (Tper, TperFirst in days).
//
// Nothing here allocates: one call per step of a run, a handful of comparisons besides SphFrom.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "model/orbit_windows.h"
#include "model/state.h"

namespace orvant::simulation {

// The centres of the observed motion (the `Icen2` values): the origin of the coordinates (slot 15,
// set to 0), the Sun ("Xsol=0"), the Earth ("Xzem=0").
inline constexpr int kCentreOrigin = 15;
inline constexpr int kCentreSun = 0;
inline constexpr int kCentreEarth = 3;

// The apsis and node windows live in the model layer (model/orbit_windows.h), where the orbit
// check of screen 1 finds them too.
using orvant::aphelionWindow;
using orvant::insideWindow;
using orvant::meanLongitude;
using orvant::toOrbitPlane;
using orvant::Window;
using orvant::windowAround;

// The measured angle a (0..360) with the whole turns of the theory's angle A (degrees, not
// reduced): NP = trunc(A/360), corrected by one turn where A and a lie on both sides of 0
// (A - 360 NP > 300 with a < 60, or A - 360 NP < 60 with a > 300, and mirrored for A < 0);
// 360 NP + a for A > 0, 360 (NP - 1) + a for A < 0, and a itself for A = 0.
double wholeTurns(double A, double a);

// Events of one step, or-ed together.
enum ExtractionEvent : unsigned {
  kEvNode = 1u,         // a node passage: AlfaUt changed
  kEvAscending = 2u,    // ... and it was the ascending node (its date is due)
  kEvPeriod = 4u,       // the period was measured (passage through longitude 0 with Nrec > 0)
  kEvPassage = 8u,      // an apsidal passage was registered: AlfaPt changed
  kEvFirst = 16u,       // ... the first of the run (AlfaP0r taken, nothing else known yet)
  kEvPerihelion = 32u,  // ... counted as a perihelion (Nrec grew; its date is due)
  kEvRecord = 64u,      // ... and a record is due (Nrec > 2)
};

// The state of the extraction, with the program's names.
struct OrbitExtraction {
  int n = 1;                // the traced body
  int Icen2 = kCentreSun;   // the centre
  double dAlfa = 1;         // half-width of the windows
  int kDir = 1;             // +1 forward, -1 backward (which way longitude 0 and the nodes are passed)

  double DolgPrev = 0;      // Dolg(n) of the previous step
  double ZPrev = 0;         // Z of n relative to the centre at the previous step, m
  double AlfaPt = 0;        // longitude of perihelion
  double AlfaUt = 0;        // longitude of the ascending node
  double Bmax = 0;          // largest |latitude| since the last registered passage, rad
  double Betta = 0;         // Bmax at the last registered passage (shown and recorded), rad
  double Eks = 0;           // eccentricity
  double Rpl = 0;           // semi-major axis, m
  double Rmin = 0, Rmax = 0, RPrev = 0;  // perihelion, aphelion, previous distance, m
  Window per, aph, nodA, nodD;           // perihelion, aphelion, ascending, descending node
  int16 kPer = 1;           // 1 inside the perihelion window, 0 inside the aphelion window
  int16 kWin = 2;           // 2 passage just registered, 0 outside / just entered, 1 approaching
  int16 kNode = 0;          // 1: a node was registered since the last apsidal window
  int32 Nrec = 0;           // perihelion passages counted
  double Tper = 0;          // period, days (reference Tsid, then measured)
  double TperFirst = 0;     // the first measured period, days
  double tWrap = 0;         // model time of the last passage through longitude 0, s
  // tWrap is a passage seen between two measured longitudes (not the start of the run, nor the
  // first step, which compares with the reference mean longitude): only from such a mark is a
  // period measured. Obvious fault fixed: a period counted from the start of the run is a part
  // of a turn, and it went into the mean motion of the first records.
  bool wrapSeen = false;
  bool stepped = false;     // a step has been made since the start
  double AlfaP0r = 0, AlfaU0r = 0, Betta0r = 0, Eks0r = 0, Rsr0r = 0;  // first revolutions
};

// Start of a run: the reference values of body n from Ppar (AlfaPt, AlfaUt, Bmax, Eks, Rpl,
// Rmin, Rmax, Dolg(n)), the windows, kWin = 2, kNode = 0, Nrec = 0, tWrap = 0, Tper = the
// reference period (days). The reference angles are reduced to 0..360 (a theory may hand over
// angles with whole turns, which the windows cannot hold). ZPrev is Z of n relative to the centre
// in the coordinates X, Y, Z of State, which must hold the run's initial positions. The values
// from which changes are shown start equal to the reference values (changes shown as 0).
void beginExtraction(State& s, OrbitExtraction& x, int n, int Icen2, double dAlfa, double Tper,
                     int kDir);

// One step, after the bodies have moved (X, Y, Z of State at the new positions): SphFrom of n
// from the centre, inclination, period, node, apsidal windows and passages. t is the model time
// (s) before the step's time is added. Leaves in h the step of the next motion step, H0 or
// H0/kShag. Returns the events (ExtractionEvent).
unsigned extractionStep(State& s, OrbitExtraction& x, double t, double H0, int kShag, double& h);

// ---- the record file ----

// One record of the record file (the short record): Nrec; days x 100 since JD0; AlfaP and AlfaU
// with whole turns, Betta, Eks (x 100 MK); the semi-major axis in m/10; the mean motion in rad
// per Julian century (x 100 MK); each truncated toward zero. The whole turns come from ThJ2000 of
// object I at JD = JD0 + trunc(dTmod 100/86400)/100 (State::JD is left at that date); the
// parameter slots of I that the theory writes are restored afterwards, so that the run does not
// change the orbit parameters screen 1 holds.
// nullopt when a value is not finite or beyond the file's 64-bit integers (a run gone wrong: a
// zero period, a NaN orbit): such a record is never written.
using RecordValues = std::array<std::int64_t, 8>;
std::optional<RecordValues> recordValues(State& s, const OrbitExtraction& x, double JD0, double dTmod,
                                         int I);

// What the header lines of the result files tell about a run.
struct RunDescription {
  int e = 1;               // experiment number NExp
  int N = 1;               // file object NtrF
  std::string now;         // the date and time of the start, "dd.mm.yyyy hh:mm:ss"
  std::string ModeStr;     // mode text
  double H0 = 3600;        // main step, s
  int kShag = 100;         // step reduction
  double dAlfa = 1;        // window half-width, degrees
  int kodVgr = 0;          // finite speed of gravity on
  double Vgr = 0;          // speed of gravity, m/s
};

// Lines 1-4 of the record file (line 5, NP1max and JD0, is written by createRecordFile).
std::array<std::string, 4> recordHeader(const State& s, const RunDescription& d);

// Expected number of records: trunc((YearStop - Year1) 2.5 365.25 / Tper).
std::int64_t expectedRecords(int32 YearStop, int32 Year1, double Tper);

// ---- the coordinate file ----

// The header of Dat/Orvant<N>XYZ<e>.txt as its lines: an empty line, four text lines, two empty
// lines.
std::array<std::string, 7> coordinateHeader(const State& s, const RunDescription& d);

// One line of the coordinate file for body n at the date Year, Month, Day of State: model time,
// X, Y, Z (absolute, thousand km), the distance Rast from the centre, VX, VY, VZ, Vpl (m/s) and
// the energy Esys/10^18. nullopt when one of them is not finite: no such line is written.
std::optional<std::string> coordinateLine(const State& s, int n, double dTmod, double Rast, double Esys);

// Relative paths of the result files.
std::string coordinatePath(int N, int e);

}  // namespace orvant::simulation
