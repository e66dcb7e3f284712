#include "simulation/integrator.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "model/format.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orvant {

namespace {

// ---- two-lane arithmetic: SSE2 packed doubles, or two scalars ----
// Each operation is the IEEE operation of the scalar code applied lane by lane.
#if defined(__SSE2__)
struct V2 {
  __m128d v;
};
inline V2 load(const double* p) { return {_mm_load_pd(p)}; }
inline V2 loadu(const double* p) { return {_mm_loadu_pd(p)}; }
inline void store(double* p, V2 a) { _mm_store_pd(p, a.v); }
inline void storeu(double* p, V2 a) { _mm_storeu_pd(p, a.v); }
inline V2 pair(double a, double b) { return {_mm_set_pd(b, a)}; }
inline double lane0(V2 a) { return _mm_cvtsd_f64(a.v); }
inline double lane1(V2 a) { return _mm_cvtsd_f64(_mm_unpackhi_pd(a.v, a.v)); }
inline V2 lowLanes(V2 a, V2 b) { return {_mm_unpacklo_pd(a.v, b.v)}; }   // (a0, b0)
inline V2 highLanes(V2 a, V2 b) { return {_mm_unpackhi_pd(a.v, b.v)}; }  // (a1, b1)
inline V2 splat(double x) { return {_mm_set1_pd(x)}; }
inline V2 operator+(V2 a, V2 b) { return {_mm_add_pd(a.v, b.v)}; }
inline V2 operator-(V2 a, V2 b) { return {_mm_sub_pd(a.v, b.v)}; }
inline V2 operator*(V2 a, V2 b) { return {_mm_mul_pd(a.v, b.v)}; }
inline V2 operator/(V2 a, V2 b) { return {_mm_div_pd(a.v, b.v)}; }
inline V2 sqrt(V2 a) { return {_mm_sqrt_pd(a.v)}; }
inline V2 negate(V2 a) { return {_mm_xor_pd(a.v, _mm_set1_pd(-0.0))}; }
// Mask of the lanes where a != 0 (NaN counts as not zero, as in the scalar comparison).
inline V2 nonZero(V2 a) { return {_mm_cmpneq_pd(a.v, _mm_setzero_pd())}; }
inline V2 isZero(V2 a) { return {_mm_cmpeq_pd(a.v, _mm_setzero_pd())}; }
inline V2 both(V2 m1, V2 m2) { return {_mm_and_pd(m1.v, m2.v)}; }
inline V2 either(V2 m1, V2 m2) { return {_mm_or_pd(m1.v, m2.v)}; }
inline bool anyLane(V2 mask) { return _mm_movemask_pd(mask.v) != 0; }
inline bool allZero(V2 a) { return _mm_movemask_pd(_mm_cmpeq_pd(a.v, _mm_setzero_pd())) == 3; }
inline V2 select(V2 mask, V2 a, V2 b) {
  return {_mm_or_pd(_mm_and_pd(mask.v, a.v), _mm_andnot_pd(mask.v, b.v))};
}
#else
struct V2 {
  double a, b;
};
inline std::uint64_t bits(double x) {
  std::uint64_t u;
  std::memcpy(&u, &x, sizeof u);
  return u;
}
inline double fromBits(std::uint64_t u) {
  double x;
  std::memcpy(&x, &u, sizeof x);
  return x;
}
inline double maskOf(bool on) { return fromBits(on ? ~std::uint64_t{0} : 0); }
inline V2 load(const double* p) { return {p[0], p[1]}; }
inline V2 loadu(const double* p) { return {p[0], p[1]}; }
inline void store(double* p, V2 x) { p[0] = x.a, p[1] = x.b; }
inline void storeu(double* p, V2 x) { p[0] = x.a, p[1] = x.b; }
inline V2 pair(double a, double b) { return {a, b}; }
inline double lane0(V2 x) { return x.a; }
inline double lane1(V2 x) { return x.b; }
inline V2 lowLanes(V2 x, V2 y) { return {x.a, y.a}; }
inline V2 highLanes(V2 x, V2 y) { return {x.b, y.b}; }
inline V2 splat(double x) { return {x, x}; }
inline V2 operator+(V2 x, V2 y) { return {x.a + y.a, x.b + y.b}; }
inline V2 operator-(V2 x, V2 y) { return {x.a - y.a, x.b - y.b}; }
inline V2 operator*(V2 x, V2 y) { return {x.a * y.a, x.b * y.b}; }
inline V2 operator/(V2 x, V2 y) { return {x.a / y.a, x.b / y.b}; }
inline V2 sqrt(V2 x) { return {std::sqrt(x.a), std::sqrt(x.b)}; }
inline V2 negate(V2 x) { return {-x.a, -x.b}; }
inline V2 nonZero(V2 x) { return {maskOf(x.a != 0), maskOf(x.b != 0)}; }
inline V2 isZero(V2 x) { return {maskOf(x.a == 0), maskOf(x.b == 0)}; }
inline V2 both(V2 m1, V2 m2) {
  return {fromBits(bits(m1.a) & bits(m2.a)), fromBits(bits(m1.b) & bits(m2.b))};
}
inline V2 either(V2 m1, V2 m2) {
  return {fromBits(bits(m1.a) | bits(m2.a)), fromBits(bits(m1.b) | bits(m2.b))};
}
inline bool anyLane(V2 mask) { return bits(mask.a) != 0 || bits(mask.b) != 0; }
inline bool allZero(V2 x) { return x.a == 0 && x.b == 0; }
inline V2 select(V2 m, V2 x, V2 y) {
  return {bits(m.a) ? x.a : y.a, bits(m.b) ? x.b : y.b};
}
#endif

inline V2 powLanes(V2 x, double p) {
  alignas(16) double lanes[2];
  store(lanes, x);
  lanes[0] = std::pow(lanes[0], p);
  lanes[1] = std::pow(lanes[1], p);
  return load(lanes);
}

constexpr int kYo = kBodies;         // offsets of the blocks in S
constexpr int kZo = 2 * kBodies;
constexpr int kVXo = 3 * kBodies;
constexpr int kVYo = 4 * kBodies;
constexpr int kVZo = 5 * kBodies;

double allBits() {
  std::uint64_t u = ~std::uint64_t{0};
  double x;
  std::memcpy(&x, &u, sizeof x);
  return x;
}

// Force factor q = F/L = coef/(L^Rpow L) of a block of pairs; r2 = L*L.
template <bool kSquare>
inline V2 forceOverDistance(V2 coef, V2 r2, V2 L, double rpow) {
  if constexpr (kSquare) {
    return coef / (r2 * L);
  } else {
    return coef / (powLanes(L, rpow) * L);
  }
}

// Sums of the forces on each body, N; lanes of the padding stay zero.
struct ForceSums {
  alignas(16) double x[kLanes] = {};
  alignas(16) double y[kLanes] = {};
  alignas(16) double z[kLanes] = {};
};

// The force tables of an evaluation: the previous one (read by the careful pass) and the new one.
struct ForceTables {
  const PairTable& oldX;
  const PairTable& oldY;
  const PairTable& oldZ;
  PairTable& newX;
  PairTable& newY;
  PairTable& newZ;
};

ForceTables tables(Integrator& w) {
  const int c = w.cur, n = 1 - w.cur;
  return {w.FX[c], w.FY[c], w.FZ[c], w.FX[n], w.FY[n], w.FZ[n]};
}

// Every ordered pair: for each attracting body I (outer, increasing) and each two-lane block of
// attracted bodies J, the vector d from I to J; with the finite speed NItGr + 1 passes
// d = X(J) - X(I) - T V(I), L = |d|, T = L/Vgr, starting from the first approximation T0; then the
// force of I on J, FX = -F dX/L, FY = -F dY/L, FZ = -F dZ/L, added to the sums of the bodies J, so
// that the sums run over I in increasing order for every J.
//
// kCareful = false (the pass of every evaluation) writes every pair I != J and returns true when
// some pair has dX exactly 0; its sums are then discarded and the careful pass (kCareful = true)
// runs, in which such pairs keep their components of the previous evaluation. Both compute the
// other pairs with the same operations, so the values do not depend on which pass made them.
template <bool kFinite, bool kSquare, bool kCareful>
bool orderedPairForces(Integrator& w, ForceSums& f) {
  const double* S = w.S.data();
  const ForceTables t = tables(w);
  const V2 vgr = splat(w.Vgr);
  const int passes = w.NItGr + 1;
  const double rpow = w.Rpow;
  V2 coincident = splat(0.0);
  for (int I = 0; I < kBodies; ++I) {
    const V2 xi = splat(S[I]), yi = splat(S[kYo + I]), zi = splat(S[kZo + I]);
    const V2 vxi = splat(S[kVXo + I]), vyi = splat(S[kVYo + I]), vzi = splat(S[kVZo + I]);
    const double* coefRow = w.coef[I].data();
    const double* maskRow = w.pairMask[I].data();
    const double* t0Row = w.T0[I].data();
    for (int J = 0; J < kLanes; J += 2) {
      V2 dx = loadu(S + J) - xi;
      V2 dy = loadu(S + kYo + J) - yi;
      V2 dz = loadu(S + kZo + J) - zi;
      V2 r2 = splat(0.0), L = splat(0.0);
      if constexpr (kFinite) {
        const V2 dx0 = dx, dy0 = dy, dz0 = dz;
        V2 T = load(t0Row + J);
        for (int k = 0; k < passes; ++k) {
          if (k > 0) T = L / vgr;
          dx = dx0 - T * vxi;
          dy = dy0 - T * vyi;
          dz = dz0 - T * vzi;
          r2 = dx * dx + dy * dy + dz * dz;
          L = sqrt(r2);
        }
      } else {
        r2 = dx * dx + dy * dy + dz * dz;
        L = sqrt(r2);
      }
      const V2 nq = negate(forceOverDistance<kSquare>(load(coefRow + J), r2, L, rpow));
      const V2 pm = load(maskRow + J);
      V2 fx, fy, fz;
      if constexpr (kCareful) {
        const V2 keep = both(pm, nonZero(dx));
        fx = select(keep, dx * nq, load(t.oldX[I].data() + J));
        fy = select(keep, dy * nq, load(t.oldY[I].data() + J));
        fz = select(keep, dz * nq, load(t.oldZ[I].data() + J));
      } else {
        coincident = either(coincident, both(pm, isZero(dx)));
        fx = both(pm, dx * nq);
        fy = both(pm, dy * nq);
        fz = both(pm, dz * nq);
      }
      store(t.newX[I].data() + J, fx);
      store(t.newY[I].data() + J, fy);
      store(t.newZ[I].data() + J, fz);
      store(f.x + J, load(f.x + J) + fx);
      store(f.y + J, load(f.y + J) + fy);
      store(f.z + J, load(f.z + J) + fz);
    }
  }
  return anyLane(coincident);
}

// First approximation of the propagation time, bodies at rest: T0(I,J) = |X(J) - X(I)|/Vgr. The
// distance is symmetric to the bit (the difference J - I is minus the difference I - J), so each
// unordered pair is computed once, I < J, and written to both entries.
void firstApproximation(Integrator& w) {
  const double* S = w.S.data();
  const V2 vgr = splat(w.Vgr);
  for (int I = 0; I + 1 < kBodies; ++I) {
    const V2 xi = splat(S[I]), yi = splat(S[kYo + I]), zi = splat(S[kZo + I]);
    double* t0Row = w.T0[I].data();
    for (int J = I + 1; J < kBodies; J += 2) {
      const V2 dx = loadu(S + J) - xi;
      const V2 dy = loadu(S + kYo + J) - yi;
      const V2 dz = loadu(S + kZo + J) - zi;
      const V2 T = sqrt(dx * dx + dy * dy + dz * dz) / vgr;
      storeu(t0Row + J, T);  // lane J = 11 lands in the padding column
      w.T0[J][I] = lane0(T);
      if (J + 1 < kBodies) w.T0[J + 1][I] = lane1(T);
    }
  }
}

// The classical forces (finite speed off) when the pair coefficients are symmetric: the force of J
// on I is then minus that of I on J to the bit (same L, negated differences, same coefficient), so
// each unordered pair is computed once. The pairs are taken in tiles of two attracting rows (I, I+1)
// by two attracted columns (J, J+1), J > I + 1: the forces of the rows on the columns are added to
// the sums of J, J+1 row by row, and the transposed tile (the forces of the columns on the rows)
// to the sums of I, I+1 column by column. The pair (I, I+1) of a row tile is computed on its own
// before the columns. Every sum thus receives its terms in increasing order of the attracting
// body, and the values and their order are exactly those of the ordered evaluation
// (orderedPairForces<false, ...>), which serves as the careful pass of this mode.
template <bool kSquare>
bool symmetricTileForces(Integrator& w, ForceSums& f) {
  const double* S = w.S.data();
  const ForceTables t = tables(w);
  const double rpow = w.Rpow;
  V2 coincident = splat(0.0);
  bool coincidentPair = false;
  for (int I = 0; I + 1 < kBodies; I += 2) {
    V2 sx = load(f.x + I), sy = load(f.y + I), sz = load(f.z + I);  // sums of I, I+1
    {
      // The pair (I, I+1): d from I to I+1; force of I on I+1 is d*(-q), of I+1 on I is d*q.
      const double dx = S[I + 1] - S[I];
      const double dy = S[kYo + I + 1] - S[kYo + I];
      const double dz = S[kZo + I + 1] - S[kZo + I];
      const double r2 = dx * dx + dy * dy + dz * dz;
      const double L = std::sqrt(r2);
      const double c = w.coef[I][I + 1];
      const double q = kSquare ? c / (r2 * L) : c / (std::pow(L, rpow) * L);
      const double nq = -q;
      coincidentPair = coincidentPair || dx == 0;
      t.newX[I][I + 1] = dx * nq;
      t.newY[I][I + 1] = dy * nq;
      t.newZ[I][I + 1] = dz * nq;
      t.newX[I + 1][I] = dx * q;
      t.newY[I + 1][I] = dy * q;
      t.newZ[I + 1][I] = dz * q;
      sx = sx + pair(dx * q, dx * nq);
      sy = sy + pair(dy * q, dy * nq);
      sz = sz + pair(dz * q, dz * nq);
    }
    const V2 xa = splat(S[I]), ya = splat(S[kYo + I]), za = splat(S[kZo + I]);
    const V2 xb = splat(S[I + 1]), yb = splat(S[kYo + I + 1]), zb = splat(S[kZo + I + 1]);
    // A tile of columns J, J+1; with kPad the column J+1 is the padding (masked, its transposed
    // forces neither stored nor added).
    auto tile = [&](int J, auto padTag) {
      constexpr bool kPad = decltype(padTag)::value;
      const V2 xj = loadu(S + J), yj = loadu(S + kYo + J), zj = loadu(S + kZo + J);
      const V2 dxa = xj - xa, dya = yj - ya, dza = zj - za;  // row I
      const V2 r2a = dxa * dxa + dya * dya + dza * dza;
      const V2 nqa = negate(forceOverDistance<kSquare>(load(w.coef[I].data() + J), r2a,
                                                       sqrt(r2a), rpow));
      V2 fxa = dxa * nqa, fya = dya * nqa, fza = dza * nqa;
      const V2 dxb = xj - xb, dyb = yj - yb, dzb = zj - zb;  // row I+1
      const V2 r2b = dxb * dxb + dyb * dyb + dzb * dzb;
      const V2 nqb = negate(forceOverDistance<kSquare>(load(w.coef[I + 1].data() + J), r2b,
                                                       sqrt(r2b), rpow));
      V2 fxb = dxb * nqb, fyb = dyb * nqb, fzb = dzb * nqb;
      if constexpr (kPad) {
        const V2 pma = load(w.pairMask[I].data() + J), pmb = load(w.pairMask[I + 1].data() + J);
        fxa = both(pma, fxa), fya = both(pma, fya), fza = both(pma, fza);
        fxb = both(pmb, fxb), fyb = both(pmb, fyb), fzb = both(pmb, fzb);
        coincident = either(coincident, either(both(pma, isZero(dxa)), both(pmb, isZero(dxb))));
      } else {
        coincident = either(coincident, either(isZero(dxa), isZero(dxb)));
      }
      store(t.newX[I].data() + J, fxa);
      store(t.newY[I].data() + J, fya);
      store(t.newZ[I].data() + J, fza);
      store(t.newX[I + 1].data() + J, fxb);
      store(t.newY[I + 1].data() + J, fyb);
      store(t.newZ[I + 1].data() + J, fzb);
      store(f.x + J, load(f.x + J) + fxa + fxb);
      store(f.y + J, load(f.y + J) + fya + fyb);
      store(f.z + J, load(f.z + J) + fza + fzb);
      // The transposed tile: forces of J on (I, I+1), then of J+1.
      const V2 gxj = negate(lowLanes(fxa, fxb)), gyj = negate(lowLanes(fya, fyb));
      const V2 gzj = negate(lowLanes(fza, fzb));
      store(t.newX[J].data() + I, gxj);
      store(t.newY[J].data() + I, gyj);
      store(t.newZ[J].data() + I, gzj);
      sx = sx + gxj;
      sy = sy + gyj;
      sz = sz + gzj;
      if constexpr (!kPad) {
        const V2 gxk = negate(highLanes(fxa, fxb)), gyk = negate(highLanes(fya, fyb));
        const V2 gzk = negate(highLanes(fza, fzb));
        store(t.newX[J + 1].data() + I, gxk);
        store(t.newY[J + 1].data() + I, gyk);
        store(t.newZ[J + 1].data() + I, gzk);
        sx = sx + gxk;
        sy = sy + gyk;
        sz = sz + gzk;
      }
    };
    int J = I + 2;
    for (; J + 1 < kBodies; J += 2) tile(J, std::false_type{});
    if (J < kBodies) tile(J, std::true_type{});
    store(f.x + I, sx);
    store(f.y + I, sy);
    store(f.z + I, sz);
  }
  return coincidentPair || anyLane(coincident);
}

template <bool kSquare>
bool fastPairForces(Integrator& w, ForceSums& f) {
  if (w.kodVgr == 1) return orderedPairForces<true, kSquare, false>(w, f);
  if (w.symmetric) return symmetricTileForces<kSquare>(w, f);
  return orderedPairForces<false, kSquare, false>(w, f);
}

template <bool kSquare>
void carefulPairForces(Integrator& w, ForceSums& f) {
  if (w.kodVgr == 1) {
    orderedPairForces<true, kSquare, true>(w, f);
  } else {
    orderedPairForces<false, kSquare, true>(w, f);
  }
}

// dS: the velocities, then the sums of the forces divided by the masses (0 for a massless body,
// which feels no force).
void derivativeFromForces(Integrator& w, const ForceSums& f) {
  const double* S = w.S.data();
  double* dS = w.dS.data();
  for (int k = 0; k < kVXo; ++k) dS[k] = S[kVXo + k];
  const V2 zero = splat(0.0);
  alignas(16) double out[3][kLanes];
  for (int J = 0; J < kLanes; J += 2) {
    const V2 m = load(w.mass.data() + J);
    const V2 ok = load(w.massMask.data() + J);
    store(out[0] + J, select(ok, load(f.x + J) / m, zero));
    store(out[1] + J, select(ok, load(f.y + J) / m, zero));
    store(out[2] + J, select(ok, load(f.z + J) / m, zero));
  }
  for (int J = 0; J < kBodies; ++J) {
    dS[kVXo + J] = out[0][J];
    dS[kVYo + J] = out[1][J];
    dS[kVZo + J] = out[2][J];
  }
}

template <bool kSquare>
void evaluateWith(Integrator& w) {
  if (w.kodVgr == 1) firstApproximation(w);
  ForceSums f;
  if (fastPairForces<kSquare>(w, f)) {
    f = ForceSums{};
    carefulPairForces<kSquare>(w, f);
  }
  w.cur = 1 - w.cur;
  derivativeFromForces(w, f);
}

}  // namespace

void prepareIntegrator(const State& s, Integrator& w) {
  const double on = allBits();
  for (int I = 0; I < kBodies; ++I) {
    for (int J = 0; J < kLanes; ++J) {
      const bool pair = J < kBodies && J != I;
      w.coef[I][J] = pair ? s.kVz[I][J] * s.m[I] * s.m[J] * s.gamma : 0.0;
      w.pairMask[I][J] = pair ? on : 0.0;
    }
  }
  w.symmetric = true;
  for (int I = 0; I < kBodies; ++I)
    for (int J = 0; J < kBodies; ++J)
      if (std::memcmp(&w.coef[I][J], &w.coef[J][I], sizeof(double)) != 0) w.symmetric = false;
  for (int J = 0; J < kLanes; ++J) {
    const bool ok = J < kBodies && s.m[J] != 0;
    w.mass[J] = ok ? s.m[J] : 1.0;
    w.massMask[J] = ok ? on : 0.0;
  }
  w.Vgr = s.Vgr;
  w.Rpow = s.Rpow;
  w.kodVgr = s.kodVgr == 1 ? 1 : 0;
  w.NItGr = s.NItGr > 0 ? s.NItGr : 0;
  w.kodOTO = s.kodOTO == 1 ? 1 : 0;
}

void loadState(const State& s, Integrator& w) {
  for (int i = 0; i < kBodies; ++i) {
    w.S[i] = s.X[i];
    w.S[kYo + i] = s.Y[i];
    w.S[kZo + i] = s.Z[i];
    w.S[kVXo + i] = s.VX[i];
    w.S[kVYo + i] = s.VY[i];
    w.S[kVZo + i] = s.VZ[i];
  }
}

void evaluateDerivative(Integrator& w) {
  if (w.Rpow == 2) {
    evaluateWith<true>(w);
  } else {
    evaluateWith<false>(w);
  }
}

bool rungeKuttaStep(State& s, Integrator& w, double h, int n) {
  const bool forces = w.kodOTO != 1;
  // The first approximation of the propagation time divides by Vgr in every evaluation, with the
  // finite speed on or off: a zero speed of gravity is a failure of the step.
  if (forces && w.Vgr == 0) return false;

  // The weighted sum K1 + 2 K2 + 2 K3 + K4 is built stage by stage, in that order of additions.
  // K1, K2, K4 live only in it; K3 is kept for the copy-back of the velocities.
  double* S = w.S.data();
  const double* S0 = w.S0.data();
  const double* dS = w.dS.data();
  double* K3 = w.K3.data();
  alignas(16) double sum[kStateLen];
  const V2 vh = splat(h), half = splat(0.5), two = splat(2.0), six = splat(6.0);
  w.S0 = w.S;

  if (forces) evaluateDerivative(w);
  for (int k = 0; k < kStateLen; k += 2) {
    const V2 K = vh * load(dS + k);
    store(sum + k, K);
    store(S + k, load(S0 + k) + K * half);
  }
  if (forces) evaluateDerivative(w);
  for (int k = 0; k < kStateLen; k += 2) {
    const V2 K = vh * load(dS + k);
    store(sum + k, load(sum + k) + two * K);
    store(S + k, load(S0 + k) + K * half);
  }
  if (forces) evaluateDerivative(w);
  for (int k = 0; k < kStateLen; k += 2) {
    const V2 K = vh * load(dS + k);
    store(K3 + k, K);
    store(sum + k, load(sum + k) + two * K);
    store(S + k, load(S0 + k) + K);
  }
  if (forces) evaluateDerivative(w);
  // x*0 is 0 for every finite x and NaN for an infinity or a NaN: the check costs one product.
  V2 check = splat(0.0);
  const V2 zero = splat(0.0);
  for (int k = 0; k < kStateLen; k += 2) {
    const V2 next = load(S0 + k) + (load(sum + k) + vh * load(dS + k)) / six;
    store(S + k, next);
    check = check + next * zero;
  }
  if (!allZero(check)) {
    w.S = w.S0;
    return false;
  }

  // Copy-back: coordinates of all bodies; velocities as the last evaluation unpacked them
  // (S0 + K3), the traced body's at the end of the step.
  for (int i = 0; i < kBodies; ++i) {
    s.X[i] = S[i];
    s.Y[i] = S[kYo + i];
    s.Z[i] = S[kZo + i];
  }
  if (forces) {
    for (int i = 0; i < kBodies; ++i) {
      s.VX[i] = S0[kVXo + i] + w.K3[kVXo + i];
      s.VY[i] = S0[kVYo + i] + w.K3[kVYo + i];
      s.VZ[i] = S0[kVZo + i] + w.K3[kVZo + i];
    }
  }
  if (n >= 0 && n < kBodies) {
    s.VX[n] = S[kVXo + n];
    s.VY[n] = S[kVYo + n];
    s.VZ[n] = S[kVZo + n];
    s.Vpl = std::sqrt(s.VX[n] * s.VX[n] + s.VY[n] * s.VY[n] + s.VZ[n] * s.VZ[n]);
  }
  return true;
}

// ---- energy and angular momentum ----

void unpackVelocities(State& s, const Integrator& w, int M) {
  for (int i = 0; i <= M && i < kBodies; ++i) {
    s.VX[i] = w.S[kVXo + i];
    s.VY[i] = w.S[kVYo + i];
    s.VZ[i] = w.S[kVZo + i];
  }
}

namespace {

double speedSquared(const State& s, int i) {
  return s.VX[i] * s.VX[i] + s.VY[i] * s.VY[i] + s.VZ[i] * s.VZ[i];
}

double distanceFromSun(const State& s, int i) {
  const double dx = s.X[i] - s.X[0], dy = s.Y[i] - s.Y[0], dz = s.Z[i] - s.Z[0];
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

double angularMomentumZ(const State& s, int M) {
  double sum = 0;
  for (int i = 1; i <= M; ++i) {
    sum += ((s.VY[i] - s.VY[0]) * (s.X[i] - s.X[0]) - (s.VX[i] - s.VX[0]) * (s.Y[i] - s.Y[0])) *
           s.kUch[i] * s.m[i];
  }
  return sum;
}

}  // namespace

bool startEnergyCheck(const State& s, EnergyCheck& e, int M) {
  if (M > kNob) M = kNob;
  e.E0sys = 0;
  for (int i = 0; i <= M; ++i) {
    e.R0[i] = distanceFromSun(s, i);
    e.E0sys += s.kUch[i] * s.m[i] * speedSquared(s, i) / 2;
  }
  e.M0sys = angularMomentumZ(s, M);
  e.Esys = e.E0sys;
  e.Msys = e.M0sys;
  return std::isfinite(e.E0sys) && std::isfinite(e.M0sys);
}

bool updateEnergyCheck(const State& s, EnergyCheck& e, int M) {
  if (M > kNob) M = kNob;
  double E = s.kUch[0] * s.m[0] * speedSquared(s, 0) / 2;
  for (int i = 1; i <= M; ++i) {
    if (s.kUch[i] == 0) continue;
    const double R = distanceFromSun(s, i);
    E += (1 / e.R0[i] - 1 / R) * s.kUch[i] * s.gamma * s.m[0] * s.m[i] +
         speedSquared(s, i) * s.kUch[i] * s.m[i] / 2;
  }
  e.Esys = E;
  e.Msys = angularMomentumZ(s, M);
  return std::isfinite(e.Esys) && std::isfinite(e.Msys);
}

double dEsysPercent(const EnergyCheck& e) {
  return truncDecimals((e.Esys - e.E0sys) * 100 / e.E0sys, 8);
}

double dMsysPercent(const EnergyCheck& e) {
  return truncDecimals((e.Msys - e.M0sys) * 100 / e.M0sys, 8);
}

}  // namespace orvant
