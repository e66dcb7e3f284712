#include "design/plan_tests.h"

#include <array>
#include <string>
#include <vector>

namespace orvant::design {

namespace {

constexpr std::array<std::string_view, kPlanTests> kCaptions = {
    "Y(u)=u",
    "Y(u)=X1+X1^2",
    "Y(u) = X1 + X2 + X3 + X4 ",
    "Y(u) = X1 * X2 * X3 * X4",
    "Y(u) = X1* X2 * X3 / X4^2",
    "Y(u) = X1*X2 + X1*X3 + X1*X4 + X2*X3 + X2*X4 + X3*X4",
    "Y(u)= X1^2 * X2^2",
    "Y(u)= X1^2 + X2^2 + X3^2 + X4^2",
    "Y(u)= X1 + X2 + X3 + X4 + X1*X4 + X2*X4 + X3*X4 + X4^2",
};

constexpr std::array<double, kPlanTests> kYopt = {10, 2, 4, 1, 1, 6, 1, 4, 8};

}  // namespace

std::string_view planTestCaption(int k) {
  return (k >= 0 && k < kPlanTests) ? kCaptions[static_cast<std::size_t>(k)] : std::string_view{};
}

double planTestValue(int k, int e, const Levels& X) {
  const double X1 = X[1], X2 = X[2], X3 = X[3], X4 = X[4];
  switch (k) {
    case 0: return e;
    case 1: return X1 + X1 * X1;
    case 2: return X1 + X2 + X3 + X4;
    case 3: return X1 * X2 * X3 * X4;
    case 4: return X1 * X2 * X3 / (X4 * X4);
    case 5: return X1 * X2 + X1 * X3 + X1 * X4 + X2 * X3 + X2 * X4 + X3 * X4;
    case 6: return X1 * X1 * X2 * X2;
    case 7: return X1 * X1 + X2 * X2 + X3 * X3 + X4 * X4;
    case 8: return X1 + X2 + X3 + X4 + X1 * X4 + X2 * X4 + X3 * X4 + X4 * X4;
    default: return 0;
  }
}

double planTestYopt(int k) { return (k >= 0 && k < kPlanTests) ? kYopt[static_cast<std::size_t>(k)] : 0; }

}  // namespace orvant::design
