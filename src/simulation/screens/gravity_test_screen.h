// Screen 7, "Тестирование алгоритма учета скорости гравитации": the forces between two bodies
// when gravity spreads with a finite speed Vgr and the whole system moves.
//
// Two marked bodies are placed on their orbits (two-body position from a chosen mean longitude,
// velocity about m(d) + m(0)); the first approximation takes them at rest: L = |X(J) - X(I)|,
// T = L/Vgr, F = gamma m(I) m(J)/L^2. Each iteration then moves the source of each body's
// gravity to its trace, the point where the body was one propagation time ago,
//   Xsl(I) = X(I) - T(I,J) V(I),    L(I,J) = |X(J) - Xsl(I)|,    T(I,J) = L(I,J)/Vgr,
// with V(I) the body's velocity plus the system velocity; repeated clicks converge to the
// retarded distance, the fixed point T = |X(J) - X(I) + T V(I)|/Vgr (the contraction factor is
// |V|/Vgr). The force on J points to the trace of I. The model integrator displaces the attracting
// body the other way, forward along its velocity; this screen shows the retarded picture.
// An iteration also sets NItGr, the number of extra refinement passes of the model integrator,
// from "К-во итераций для формы эксперимента" (State::NItGr, read by prepareIntegrator at the
// start of every run of screen 2 and at its display points).
// Messages: "Orvant7"; the failure of an iteration "Orvant5".
#pragma once

#include <array>

#include "ui/screen.h"

namespace orvant::simulation {

inline constexpr int kGravityTestScreen = 7;

class GravityTestScreen : public ui::Screen {
 public:
  GravityTestScreen(State& s, ui::Workbench& wb);
  void opened() override;
  bool keepsModel() const override { return false; }  // this screen sets the model
  void activated() override;

  void placeBodies();       // "Задать положение 2-х планет"
  void firstApproximation();  // "Первое приближение для покоящейся системы"
  void iterate();           // "Сделать 1 итерацию для движущейся системы"
  void showComponents();    // "F12" / "F21"

  int Np1() const { return Np1_; }
  int Np2() const { return Np2_; }
  int Nit() const { return Nit_; }

  // The pair tables of the screen, [I attracting][J attracted], objects 0..10.
  using Table = std::array<std::array<double, 11>, 11>;
  const Table& Lgr() const { return Lgr_; }
  const Table& Tgr() const { return Tgr_; }
  const Table& Fgr() const { return Fgr_; }
  const Table& FX() const { return FX_; }
  const Table& FY() const { return FY_; }
  const Table& FZ() const { return FZ_; }
  // The scale bar: position 0..kScaleSteps to the value (0.1 million km per cm units, 1 to
  // 100 000) and back (the first position whose value is not below `value`).
  static constexpr int kScaleSteps = 1000;
  static double scaleValue(int position);
  static int scalePosition(double value);

  double Xsl(int i) const { return Xsl_[i]; }
  double Ysl(int i) const { return Ysl_[i]; }
  double Zsl(int i) const { return Zsl_[i]; }

 private:
  struct PairResult {
    double dX, dY, dZ, RHO, L, T, F, FX, FY, FZ;
  };
  // The pair of the trace of I and the body J; false when it cannot be computed.
  bool pair(int I, int J, double Vgr, PairResult& r) const;
  void store(int I, int J, const PairResult& r);
  void drawGrid();
  void drawBodies(bool traces);
  void scaleChanged();

  int Np1_ = -1, Np2_ = -1;
  int Nit_ = 0;
  double Vgr_ = 0;   // of the first approximation
  double MF_ = 0;    // N per cm
  bool haveFirst_ = false;
  std::array<double, 11> Xsl_{}, Ysl_{}, Zsl_{};
  Table dXij_{}, dYij_{}, dZij_{}, Lgr_{}, Tgr_{}, Fgr_{}, FX_{}, FY_{}, FZ_{};
};

}  // namespace orvant::simulation
