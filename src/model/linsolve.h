// The small linear-equation solver of the optimum search (design) and of the parabola fit
// (statistics); it sits below both.
//
// A system of size n lives in layer n of `Asys`: equation r (1..n) reads
//   Asys[n][r][0] + sum_{c=1..n} Asys[n][r][c] * x_c = 0.
// Elimination takes the last equation of each layer as the pivot, without row exchange, and writes
// layer n-1 from layer n; back substitution takes the same pivot equation of every layer. A zero pivot
// fails, even where a row exchange would have solved the system: the optimum of a degenerate
// regression surface is reported as a failure, not guessed.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace orvant {

struct LinearSystem {
  double Asys[7][7][7] = {};     // [layer n][equation r][column c], all 0..6
  int NsysTop = 0;               // size of the whole system
  int Nsys = 0;                  // the layer being processed
  std::array<double, 7> Xopt{};  // solution x_1..x_n (index 0 unused)
  // Records of the elimination steps, one per equation of every reduced layer: nine blanks, the
  // factor K, then three blanks and each new coefficient, all truncated to two decimals and written
  // with the screen's decimal comma.
  std::vector<std::string> steps;
};

// The failure message of the solver (title "Orvant7").
inline constexpr const char* kSolveFailed = "Ошибка при решение системы линейных уравнений";

// Solves the system written into layer n (1..6). Returns false on a zero pivot or a non-finite
// value; Xopt is then left as it was.
bool Solve(LinearSystem& sys, int n);

}  // namespace orvant
