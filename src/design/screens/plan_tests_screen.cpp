#include "design/screens/plan_tests_screen.h"

#include <array>
#include <string>
#include <vector>

#include "model/format.h"
#include "ui/form.h"

namespace orvant::design {

PlanTestsScreen::PlanTestsScreen(State& s, ui::Workbench& wb) : Screen(s, wb, "Тесты формы планов") {
  label("about", "Функции отклика для проверки планов многофакторного планирования").at(0, 0);
  std::vector<std::string> entries;
  for (int k = 0; k < kPlanTests; ++k) entries.emplace_back(planTestCaption(k));
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
