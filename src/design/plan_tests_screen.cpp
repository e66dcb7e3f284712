#include "design/plan_tests_screen.h"

#include <array>
#include <string>
#include <vector>

#include "model/format.h"
#include "ui/form.h"

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

PlanTestsScreen::PlanTestsScreen(State& s, ui::Workbench& wb) : Screen(s, wb, "Тесты формы планов") {
  label("about", "Функции отклика для проверки планов многофакторного планирования").at(0, 0);
  std::vector<std::string> entries;
  for (std::string_view c : kCaptions) entries.emplace_back(c);
  options("func", "Функция отклика в опыте u", std::move(entries), 0).at(1, 0).onChange([this] { showYopt(); });
  field("Yopt", "Yopt=", "").at(2, 0).chars(8).locked();
  label("note1", "Xi = X0(i) + Xpl(u, i)*dX(i) - натуральное значение фактора i в опыте u").at(3, 0);
  label("note2", "Yopt - значение функции при всех Xi = 1 (для Y(u)=u  Yopt = 10)").at(4, 0);
  button("close", "Закрыть форму", [this] { close(); }).at(5, 0)
      .tip("Закрыть экран тестовых функций планов");
}

void PlanTestsScreen::opened() { showYopt(); }

int PlanTestsScreen::chosen() const {
  if (!hasForm()) return control("func").entry;
  const int k = form().option("func");
  return (k >= 0 && k < kPlanTests) ? k : 0;
}

void PlanTestsScreen::showYopt() { form().setNumber("Yopt", planTestYopt(chosen())); }

}  // namespace orvant::design
