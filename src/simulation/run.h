// A computational experiment run: the model (or an ephemeris simulator) advanced step by step from
// the initial data, with the energy check, the orbit parameters of a traced body, and the result
// files.
//
// The run is headless: screen 2 reads its boxes into RunInputs, starts the run and hands itself to
// the loop as the RunObserver, which shows the values at each display point, lets the window
// process its events and gives the boxes that may change during a run (LiveInputs). Tests and
// benchmarks drive the same class with an observer of their own.
//
//   ExperimentRun run(state);
//   if (run.start(inputs)) run.loop(observer);   // until the end year, a stop or a failure
//   run.requestStop();                           // "Остановить" (kStop = 1, seen at a display point)
//   if (run.resume(kDir, live)) run.loop(observer);      // "Продолжить"
//   if (run.prepareSteps(live)) run.loop(observer);      // "NC0 шагов"
//
// One pass of the loop: advance the bodies by h (a Runge-Kutta step of the model, or the simulator
// at the date), the extraction of the orbit parameters (extraction.h), which chooses the next h
// (H0 or H0/kShag), then the time: t += h, dTmod += kDir h, JD = JD0 + dTmod/86400, the calendar
// date; the end year; every NC0 steps a display point. Nothing in the pass allocates or writes a
// file except at display points (the coordinate file) and at registered passages (the record file).
//
// Failures report their message through State::report (the screen's message box) and end the run
// with its state as it was at the failure; "Продолжить" resumes from there.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "model/state.h"
#include "simulation/extraction.h"
#include "simulation/integrator.h"

namespace orvant::simulation {

enum class Simulator { New0 = 0, JPL0 = 1, JPL2 = 2 };

// The boxes marked * on screen 2: read at the start and again at every display point.
struct LiveInputs {
  double H0 = 3600;        // main step, s (> 0)
  int NC0 = 1000;          // steps between display points, 1..32767
  int kShag = 100;         // step reduction near the watched points, 1..32767
  bool kodVgr = false;     // finite speed of gravity
  double VgrFactor = 1;    // Vgr = factor * Vsv
  double Rpow = 2;         // exponent of the force law
  int NExp = 1;            // experiment number e (the run keeps the files it opened at its start)
};

// The boxes of screen 2 read at "Начать".
struct RunInputs {
  int32 Ntr = 1;                 // traced body n, 0..10
  bool findParams = true;        // "Найти показатели планеты №"
  bool writeRecords = false;     // "Записать параметры орбиты в файл"
  bool writeXYZ = false;         // "Записать координаты  X, Y, Z"
  bool energy = false;           // "dEsys, dMsys, %"
  bool model = true;             // "модель" (else "имитатор")
  bool oto = false;              // "ОТО" (else "Классика")
  Simulator simulator = Simulator::New0;
  int kDir = 1;                  // +1 "Вперед", -1 "Назад"
  int Icen2 = kCentreSun;        // centre of the observed motion (extraction.h)
  double dAlfa = 1;              // half-width of the windows, degrees (> 0, < 90)
  double kPgr = 1;               // the plan's coefficient; the motion does not use it
  bool stopYear = false;         // "эксперимент закончить в"
  int32 YearStop = 2000;
  std::string source = " KIN0";  // the source of screen 1, written after the model's mode
  LiveInputs live;
};

// Validity of the live inputs (H0 > 0 and finite, NC0 and kShag 1..32767, NExp 0..32767, finite
// factor and exponent).
bool validLive(const LiveInputs& live);

// Why a loop ended.
enum class RunEnd {
  Stopped,      // kStop = 1 at a display point ("Остановить", "NC0 шагов", the program's end)
  YearReached,  // the date passed the end year
  Failed,       // a failure was reported
};

class ExperimentRun;

// What the loop asks of the screen. Every call happens at a display point or at a registered
// event of the extraction, never at other steps.
class RunObserver {
 public:
  virtual ~RunObserver() = default;
  // A display point: show the run's values (the energy check is already updated).
  virtual void displayPoint(const ExperimentRun& run) = 0;
  // Events of the extraction (ExtractionEvent bits) right after the step that found them.
  virtual void extractionEvent(const ExperimentRun& run, unsigned events) = 0;
  // The boxes marked *, or nullopt to keep the values in use.
  virtual std::optional<LiveInputs> liveInputs() = 0;
  // Lets the window process pending input ("Остановить" sets kStop there).
  virtual void processEvents() = 0;
};

// Reads / Writes (State) of a run (start, loop, resume together; the integrator keeps its own
// arrays in Integrator, the theories and the DE405 reader document theirs):
//   Reads:  X0, Y0, Z0, VX0, VY0, VZ0 and JD0 (the initial data), VXsys, VYsys, VZsys, Vsv,
//           NPlan, Tsid, Year, Year1, kodMoon, the DE405 reader's JPLisOpen, JPLnr, JPLyear,
//           JDrec0, JDrec1, Rast; report.
//   Writes: X, Y, Z, VX, VY, VZ of the bodies, JD, JDjpl, m, gamma, Rpow, Vgr, Vpl, kodVgr, kodOTO,
//           DateError, kStop; lastMessage, lastTitle and sink (a message of the run, restored).
class ExperimentRun {
 public:
  explicit ExperimentRun(State& s);
  ExperimentRun(const ExperimentRun&) = delete;
  ExperimentRun& operator=(const ExperimentRun&) = delete;

  // "Начать": validates the inputs (messages of the screen, nothing changed on a refusal), sets up
  // the run from X0..VZ0 and JD0, creates the files. False when the run cannot start.
  bool start(const RunInputs& in);

  // The loop, from the kept state, until it ends.
  RunEnd loop(RunObserver& observer);

  // "Остановить": kStop = 1 (a running loop ends at its next display point).
  void requestStop();
  // "Продолжить": kStop = 0, Ncnt = 0; a direction different from the run's negates the
  // velocities of the model (S(33..65)) and M0sys; the live inputs are taken. False when no run
  // was started.
  bool resume(int kDirOption, const LiveInputs& live);
  // "NC0 шагов": kStop = 1, Ncnt = 0 and the live inputs (NC0 among them): the loop makes NC0
  // steps, displays and ends; given while the loop waits at a display point, the loop goes on for
  // NC0 more steps. False when no run was started.
  bool prepareSteps(const LiveInputs& live);
  // Takes the live inputs (invalid ones are ignored); prepares the integrator again.
  void setLive(const LiveInputs& live);

  // ---- the run state ----
  bool started() const { return started_; }
  bool running() const { return running_; }
  const RunInputs& inputs() const { return in_; }
  const LiveInputs& live() const { return live_; }
  double t() const { return t_; }           // model time, s, always increasing
  double dTmod() const { return dTmod_; }   // signed elapsed model time, s
  double h() const { return h_; }           // step of the next motion step, s
  int Ncnt() const { return Ncnt_; }
  int kDir() const { return kDir_; }
  int n() const { return in_.Ntr; }
  int NtrF() const { return NtrF_; }        // the file object: n, or 11 for the Moon
  int M() const { return M_; }              // highest body of the energy check
  double JD0() const { return JD0_; }
  double JDstop() const { return JDstop_; } // start of the year after YearStop (0 without it)
  const std::string& ModeStr() const { return ModeStr_; }
  const std::string& recordFile() const { return recordPath_; }  // "" when none is written
  const std::string& coordinateFile() const { return xyzPath_; }
  std::int64_t NP1max() const { return NP1max_; }
  long recordsWritten() const { return records_; }
  long long steps() const { return steps_; }                      // motion steps since the start
  double realSeconds() const;                                     // since the start (Timer0)
  const EnergyCheck& energy() const { return energy_; }
  const OrbitExtraction& extraction() const { return x_; }
  const Integrator& integrator() const { return w_; }
  State& state() const { return s_; }

 private:
  bool validate(const RunInputs& in);
  bool setUpMode();
  bool setUpFiles();
  bool advanceBodies();
  bool advanceTheory();
  bool advanceJpl2();
  bool jplFailed(int status);
  bool passage(unsigned events, RunObserver& observer);
  bool displayPoint(RunObserver& observer);
  void applyModelInputs();
  void computeVpl();
  RunEnd finish(RunEnd how);
  void fixRecordCount();

  State& s_;
  RunInputs in_;
  LiveInputs live_;
  Integrator w_;
  EnergyCheck energy_;
  OrbitExtraction x_;
  bool started_ = false;
  bool running_ = false;
  bool stepsArmed_ = false;  // "NC0 шагов" given at a display point of the running loop
  double t_ = 0, dTmod_ = 0, h_ = 3600;
  int Ncnt_ = 0;
  int kDir_ = 1;
  int NtrF_ = 1;
  int M_ = 10;
  double JD0_ = 0;
  double JDstop_ = 0;
  std::string ModeStr_;
  std::string recordPath_, xyzPath_;
  std::int64_t NP1max_ = 0;
  long records_ = 0;
  long long steps_ = 0;
  std::chrono::steady_clock::time_point Timer0_{};
};

// "dd.mm.yyyy hh:mm:ss" of the local time now (the headers of the result files).
std::string nowText();

// The relative path of the record file of a run: NEW/Orvant<N>Nab.txt (New0),
// JPL/Orvant<N>Nab.txt (JPL0, JPL2) or Plan<k>/Txt<N>/Orvant<N>Ras<e>.txt (the model).
std::string runRecordPath(bool model, Simulator sim, int N, int k, int e);

}  // namespace orvant::simulation
