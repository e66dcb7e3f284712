// The shared model state of the workbench.
//
// One State object holds the catalogue of bodies, their orbit parameters, masses, coordinates and
// velocities, the physical constants, the dates and the mode flags. The application owns exactly one
// and hands it to every screen by reference, so a change made on one screen is seen by all; a test
// makes its own. Members keep the program's own names and array bounds: `AlfaL[i]`, `X0[i]`, `kStop`.
//
// Units inside: metres, seconds, kilograms, radians. Object index i:
//   0 Sun, 1 Mercury .. 9 Pluto, 10 the tenth object ("Ксена", or the Moon in Moon mode),
//   11 the Moon's parameter slot (geocentric, not integrated), 12 the work slot of the central mass,
//   13 the Earth alone (mass only).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "model/messages.h"

namespace orvant {

class JplFile;  // the open DE405 block (ephemeris/jpl.h)
class ObsFile;             // the open observatory file (observations/sources.h)
class TabBook;             // the open table workbook (observations/sources.h)
class SpreadsheetEngine;   // the engine that evaluates the workbooks (observations/spreadsheet.h)

using int16 = std::int16_t;
using int32 = std::int32_t;

inline constexpr int kObjects = 14;   // object slots 0..13
inline constexpr int kNob = 10;       // highest object index of the integrated model
inline constexpr int kNeq = 65;       // highest index of the state vector, 6*(Nob+1)-1

template <std::size_t N>
using Darr = std::array<double, N>;

struct State {
  State();

  // ---- catalogue: orbit parameters per object (rad, m, rad/s) ----
  Darr<kObjects> AlfaL{};   // mean longitude at the epoch
  Darr<kObjects> R0sr{};    // semi-major axis, m
  Darr<kObjects> R0ae{};    // semi-major axis, AU
  Darr<kObjects> W0sr{};    // mean angular velocity, rad/s
  Darr<kObjects> Eks0{};    // eccentricity
  Darr<kObjects> Betta0{};  // inclination to the ecliptic
  Darr<kObjects> AlfaP0{};  // longitude of perihelion
  Darr<kObjects> AlfaU0{};  // longitude of the ascending node

  // ---- state (heliocentric or barycentric ecliptic axes of the epoch), m and m/s ----
  // The coordinate arrays double as scratch for other screens: X is 0..38, Y and Z 0..91.
  Darr<39> X{};
  Darr<92> Y{};
  Darr<92> Z{};
  Darr<kObjects> VX{}, VY{}, VZ{};
  // Initial state of a run; slot 11 holds the Moon's geocentric state, slot 13 the Earth's offset.
  Darr<kObjects> X0{}, Y0{}, Z0{}, VX0{}, VY0{}, VZ0{};

  // ---- two-body work values ----
  Darr<kObjects> Manom{};  // mean anomaly, rad
  Darr<kObjects> Vanom{};  // true anomaly, rad
  Darr<kObjects> Ushir{};  // argument of latitude, rad
  Darr<kObjects> Rpl{};    // distance to the centre, m
  double Ean = 0;          // eccentric anomaly, rad
  double Pfoc = 0;         // semi-latus rectum, m
  double Vrad = 0;         // radial speed, m/s
  double Vtr = 0;          // transverse speed, m/s

  // ---- masses ----
  Darr<kObjects> m{};   // kg; m[0] = mSol, m[11] the Moon, m[12] work slot, m[13] the Earth alone
  Darr<kObjects> km{};  // mSol/m[i]; km[11] is the Earth/Moon mass ratio
  double mSol = 0;
  int massSet = 0;      // the mass set last applied (1, 2, 3), 0 before any

  // ---- other catalogue data ----
  Darr<kObjects> Dpl{};   // diameters, m
  double Rsol = 0;        // solar radius, m
  Darr<12> Tsid{};        // reference sidereal periods, days ("справочно T=")

  // ---- participation ----
  std::array<int16, 13> kUch{};                    // 1 when object i takes part in the model
  std::array<std::array<int16, 13>, 13> kVz{};     // kUch[I]*kUch[J] for I, J in 0..10
  int Nsl = 1;  // the traced object of screen 1 (a participating body other than the Sun)

  // ---- constants ----
  double gamma = 66.7259e-12;  // gravitational constant, N m^2/kg^2
  double Lae = 0;              // astronomical unit, m
  double MK = 0;               // print scale of the parameter file
  double Pi = 0;               // the program's value of pi, 3.14159265359
  double kUgol = 0;            // degrees per radian, 180/Pi
  double sekG = 0;             // seconds per Julian year
  double sekD = 0;             // seconds per day
  double Vsv = 0;              // speed of light, m/s (299 792 500)
  double Vgr = 0;              // speed of gravity, m/s (set by the run screen)
  double VXsys = 0, VYsys = 0, VZsys = 0;  // absolute velocity of the system, km/s
  double Eps0 = 0;             // obliquity of the ecliptic, rad
  double JD1900 = 0;           // 1900 January 0.5
  double JD2000 = 0;           // J2000.0
  int16 Nob = kNob;
  int16 Neq = kNeq;
  double Mx1 = 0;              // drawing scale of screen 1, m per cm

  // ---- dates ----
  int32 Year1 = 1801, Month1 = 1;  // the date typed on screen 1
  double Day1 = 1.5;
  int32 YearD = 0, MonthD = 0;     // the date of the data (parameter file, JDfromDate arguments)
  double DayD = 0;
  int32 Year = 0, Month = 0;       // results of DateFromJD
  double Day = 0;
  float Hh = 0, Mm = 0, Ss = 0;    // results of DayToHMS (single precision)
  std::array<std::array<int32, 4>, 14> DayMonth{};  // month lengths [month][calendar]
  int16 CalType = 0;               // 0 Gregorian/Julian, 1 Julian, 2 Egyptian
  double Hour0 = 0;                // hour at which the day begins: 0 or 12
  int16 DateError = 0;             // 1 after a failed conversion

  double JD = 0;     // current instant
  double JD0 = 0;    // instant at which the initial data were loaded
  double JDep = 0;   // epoch of the parameters
  double ETUT = 0;   // ET-UT for the date, s
  double JDE = 0;    // JD + ETUT/86400
  double JDUT = 0;   // UT Julian date

  // ---- earth rotation: ET-UT settings of screens 16 and 17 (astro/etut.h) ----
  // Two corrections n = 1 (ET1-UT, the planets' ephemeris time) and n = 2 (ET2-UT, the Earth's
  // rotation); index 0 unused. S: +-1 quadratic a0 + a1*tau + a2*tau^2 (s, s/cy, s/cy^2,
  // tau = (JD - T0)/36525), +-2 piecewise model, 0 none; the sign of S multiplies the result.
  // The UT date of the time chain is JDUT (the program writes it JDut).
  struct ETcoefSet {
    Darr<3> a0{}, a1{}, a2{};
    Darr<3> S{};
    Darr<3> T0{};  // Julian date of the model's origin, 1.5 January of the year T01 (T02)
  };
  ETcoefSet ETcoef{};
  double JDet2 = 0;  // JDUT + (ET2-UT)/86400: the time of the Earth's rotation

  // ---- mode flags ----
  int16 kodMoon = 0;  // 1: object 10 is the Moon, object 3 the Earth alone
  int16 kodBary = 0;  // 1: two-body formulas use the sum of the object's and the centre's masses
  int32 Icen = 0;     // central mass of the two-body formulas: 0, or 13 in Moon mode
  int16 kStop = 0;    // 1 when a stop command was given

  // ---- coordinates: the shared object index, inputs and results of the transformations ----
  // Angles in degrees. The pair tables are [from-body 0..15][to-body 0..38], metres.
  int I = 0;                   // shared object index: the object EquToEcl, EclToEqu, ApplyPrec act on
  Darr<40> Dolg{};             // longitude of object b seen from body a (last SphFrom(a, b)), 0..360
  double Shir = 0;             // latitude from the last SphFrom, -90..90
  double Rast = 0;             // distance from the last SphFrom, m
  std::array<Darr<39>, 16> dXij{}, dYij{}, dZij{};  // differences to - from, m
  std::array<Darr<39>, 16> RHOij{};                 // projected distance sqrt(dX^2 + dY^2), m
  Darr<39> Lk{}, Bk{};         // per-object longitude/right ascension and latitude/declination
  double ObsL = 0, ObsB = 0;   // observer's geographic longitude (east positive) and latitude
  double Tau = 0;              // hour angle
  double Hgor = 0, Agor = 0;   // altitude and azimuth (azimuth from the south, toward the west)
  // Precession matrix of PrecEcl / PrecEqu: Pmat[j][i] is the coefficient of input component j
  // (0 x, 1 y, 2 z) in output component i.
  std::array<Darr<3>, 3> Pmat{};

  // ---- ephemeris theories: results of MoonPos ----
  // Pair distance table [from-body 0..15][to-body 0..16], m (the pair lengths of the integrator);
  // MoonPos leaves the Moon's geocentric distance in Rij[3][11].
  std::array<Darr<17>, 16> Rij{};

  // ---- ephemeris: the JPL DE405 reader (JPLopen, JPLstate, JPLnext) ----
  // The open block stays open across the steps of a run; the reader's context holds the current
  // 32-day record and the coefficients of the body being evaluated.
  double JDjpl = 0;                  // Julian date at which the bodies are evaluated
  int32 JPLyear = 0;                 // first year of the open block
  int16 JPLlast = 0;                 // number of the last record of the open block (229 or 230)
  int16 JPLnr = 0;                   // number of the record held in the context, 0 when none
  int16 JPLisOpen = 0;               // 10 while a block is open, 0 otherwise
  double JDrec0 = 0, JDrec1 = 0;     // begin and end of the current record
  struct JplReaderContext {
    std::shared_ptr<JplFile> file;   // the open block file
    Darr<1021> coef{};               // numbers 1..1020 of the current record
    // Coefficients of the body being evaluated: [sub-interval 1..8][degree 1..15][component 1..3].
    std::array<std::array<Darr<4>, 16>, 9> cheb{};
    Darr<9> t0{};                    // begin of each sub-interval 1..8 of that body
  };
  JplReaderContext jpl;              // only the reader (ephemeris/jpl.cpp) uses it

  // ---- ephemeris: periodic perturbations (screens 21, 22; ephemeris/perturbations.h) ----
  // dLdB: the Moon's coefficients, degrees, entries 0..29 (1..16 and 25..28 used, the rest 0).
  // PertDL[k][n]: the planets' coefficients, degrees, perturber k = 1, 2 (index 0 unused),
  // n = 0..48: entry 10*I + j is term j (1..8) of planet I (1 Mercury .. 4 Mars); entries 1..8 are
  // the working row that PlanetPert fills for the planet it computes.
  // Ipl21[I], Ipl22[I]: object numbers of the first and second perturbing planet of planet I.
  // All zero at start; screens 21 and 22 fill them when they open and by their commands.
  Darr<30> dLdB{};
  std::array<Darr<49>, 3> PertDL{};
  std::array<int32, 5> Ipl21{}, Ipl22{};
  // The plan override of PlanetPert on screen 10: while a series of plan experiments runs, the
  // coefficients of one perturber come from the current experiment row of the perturbation plan.
  // Npl: the object observed on screen 10; k: the perturber whose row is replaced (1, or 2 when
  // the plan screen's "№2" is chosen); par[j], j = 1..8: parameter j + 1 of the current
  // experiment row (index 0 unused). The reduction sets PertPlan for each pass from its plan link
  // (observations/reduction.h PlanLink); while it is empty the stored coefficients are used (see
  // PlanetPert).
  struct PertPlanRow {
    int32 Npl = 0;
    int k = 1;
    Darr<9> par{};
  };
  std::optional<PertPlanRow> PertPlan;

  // ---- statistics: secular shifts per century (screens 6, 15, 19) ----
  // NabShift[N][c]: observed shifts of object N (1..11) from a source's OrvantNab.dat;
  // RasShift[N][c][e]: calculated shifts of object N in experiment e (1..NE) of a plan.
  // c: 1 AlfaP, 2 AlfaU, 3 Betta (arc seconds), 4 Eks (x 10^6), 5 Rsr (km), 6 W (rad).
  // ShiftKind: 0 nothing loaded, 1 observed, 2 calculated: the table a replace may write back.
  // The file each table came from is kept so that a replace writes to that file and no other.
  std::array<std::array<double, 7>, 12> NabShift{};
  std::array<std::array<std::array<double, 92>, 7>, 12> RasShift{};
  int16 ShiftKind = 0;
  int16 NabSource = 0;             // observed file loaded last: 1 NEW, 2 JPL, 3 Kin; 0 none
  int32 RasPlan = 0, RasObj = 0;   // plan and object of the calculated file loaded last
  int32 NE = 0;                    // experiments in that file

  // ---- simulation: switches of the model integrator, set by screens 2 and 7 ----
  // The integrator copies them into its context when it is prepared (simulation/integrator.h).
  int16 kodVgr = 0;   // 1: gravity propagates with the finite speed Vgr
  int16 kodOTO = 0;   // 1: mode "ОТО" (no force evaluation), 0: "Классика"
  int16 NItGr = 0;    // extra refinement passes of the propagation time (screen 7 sets it)
  double Rpow = 2;    // exponent of the force law F = G*m*M/R^Rpow
  double Vpl = 0;     // speed of the traced body after the last step, m/s

  // ---- simulation: the experiment run of screen 2 (simulation/run.h keeps the rest) ----
  // NPlan: number k of the plan whose experiment is running (screen 15 sets it before a start,
  // the run clears it at its end or stop); 0 outside a plan. Model record files go to Plan<k>.
  int32 NPlan = 0;

  // ---- observations: the source of screens 10, 13 and 16 (observations/sources.h) ----
  // SrcKind "Tab" (an ancient table, a workbook Tab/<ObsName>.xls) or "Obs" (an observatory file
  // Obs/<ObsName><Npl>_G_<FileNo>.txt). Npl: the observed object (0 Sun, 1, 2, 4..9, 11 Moon).
  // The current record or table date: YearNab, MonthNab, DayNab (day with fraction), HourNab
  // (hours of the day); the observed values go to Lk[Npl], Bk[Npl] (degrees).
  std::string SrcKind = "Tab";
  std::string ObsName;              // observatory code or table name; empty: no source chosen
  int32 Npl = 11;                   // "объект №"
  std::string FileNo = "100";       // "файл Obs №"
  std::string GoodNo = "41";        // number of the Good file
  std::string ObsHeader;            // lines 1-4 of the open observatory file
  int32 YearBeg = 0, YearEnd = 0;   // year range of the processing
  int32 YearNab = 0, MonthNab = 0;  // year and month of the current record
  double DayNab = 0;                // day of the month with its fraction
  double HourNab = 0;               // time of day, hours
  int16 kEnd = 0;                   // 1 when the observatory file has no further usable record
  int16 kObsOpen = 0;               // 9 while an observatory file is open
  std::string ObsLine;              // the whole text of the last record line read
  std::string ObsPath;              // relative path of the open (or last chosen) observatory file
  std::shared_ptr<ObsFile> ObsFileOpen;  // the open observatory file
  int16 NSheet = 0;                 // worksheets attached of the open workbook (at most 11)
  std::shared_ptr<TabBook> TabBookOpen;  // the open workbook and its worksheets
  // The engine that evaluates the workbooks; empty: the program's LibreOffice engine, started on
  // first use and shared by the whole session. A test puts a fake here.
  std::shared_ptr<SpreadsheetEngine> TabEngine;
  double CorrTab = 0;               // the table's own longitude correction at the date, degrees
  double CorrTab0 = 0;              // CorrTab at the start date, degrees
  double PrecShift = 0;             // precession since the start date at 5025"/cy, degrees
  double Prec = 5030;               // "Прецессия, сек": arc seconds per 100 years

  // ---- initial data: screen 1 (initial/initial_data_screen.h) ----
  // V0sr: mean orbital speed W0sr*R0sr of objects 1..10, m/s, refreshed after every load.
  // Ppar: reference parameters handed to the run screen by "К моделированию", objects 1..10,
  // columns 1 AlfaP0, 2 AlfaU0, 3 Betta0, 4 Eks0, 5 R0sr, 6 W0sr, 7 AlfaL (rad, m, rad/s).
  Darr<kObjects> V0sr{};
  std::array<Darr<8>, 11> Ppar{};

  // ---- design: gravity-speed optimisation (screens 15 and 19) ----
  // Wt[N][c]: weight of the secular shift of parameter c (1..6, the shift columns) of planet N
  // (1..10) in the criterion of the plan; a term is multiplied by Wt/100, so 100 is the full
  // weight. Read from and written to the plan file Plan<k>/OrvantPlan<k>.dat.
  std::array<std::array<double, 7>, 12> Wt = [] {
    std::array<std::array<double, 7>, 12> w{};
    for (auto& row : w) row.fill(100);
    return w;
  }();

  // ---- files ----
  // The program's directory: every file path is relative to it (Dat, JPL, NEW, Kin, Plan<k>, ...).
  std::string workDir = ".";

  // ---- messages ----
  // Library operations that fail report a fixed Russian text with a title. The text is kept here
  // and handed to the sink (a screen's message box, the command line's stderr) when one is set.
  MessageSink* sink = nullptr;
  std::string lastMessage;
  std::string lastTitle;
  void report(std::string_view text, std::string_view title);
};

// Name of object i as the screens show it ("Ксена" or "Луна" for slot 10 by the Moon mode).
std::string_view objectName(const State& s, int i);

// Sets the constants, the catalogue tables and the month lengths; zeroes the system velocity.
void initCatalogue(State& s);

// Mass set k (1 New0, 2 JPL, 3 Kin): fills mSol and km[0..11] and derives m[1..11] and m[13].
// gamma is not touched: the caller sets it (gammaOfMassSet gives the matching value).
void setMassSet(State& s, int k);
double gammaOfMassSet(int k);

// kVz[I][J] = kUch[I]*kUch[J] for I, J in 0..10, the diagonal included.
void rebuildParticipation(State& s);

// Moon mode: reduces AlfaL, AlfaP0, AlfaU0 of slot 11 to 0..2pi and copies slot 11 into slot 10.
void copyMoonSlot(State& s);

// After the initial state is computed in Moon mode object 3 becomes the Earth alone.
void makeEarthAlone(State& s);

// Fractional part in [0, 1): x - trunc(x), plus 1 when negative.
double frac(double x);

// Angle reduced to 0..2pi as 2*Pi*frac(a/(2*Pi)) with the program's Pi.
double reduceAngle(const State& s, double a);

}  // namespace orvant
