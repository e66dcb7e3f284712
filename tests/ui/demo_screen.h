// A small real screen for the toolkit tests (not part of the program): Kepler's third law for a
// body around the Sun, T = a^1.5 years for a semi-major axis a in AU, with a table, a picture, a
// loop with display points and the screen-coupling hidden field.
#pragma once

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/format.h"
#include "model/messages.h"
#include "model/state.h"
#include "ui/form.h"
#include "ui/screen.h"
#include "ui/workbench.h"

namespace orvant::test {

inline constexpr int kDemoScreen = 99;

class DemoScreen : public ui::Screen {
 public:
  DemoScreen(State& s, ui::Workbench& wb) : Screen(s, wb, "Третий закон Кеплера") {
    group("orbit", "Орбита").at(0, 0);
    field("a", "Полуось, а.е.", "1").in("orbit");
    field("T", "Период", "").in("orbit").locked();
    options("unit", "Единицы", {"годы", "дни"}, 0).in("orbit").onChange([this] { calc(); });
    check("trace", "Траектории ").in("orbit");
    button("calc", "Рассчитать период", [this] { calc(); }).in("orbit");
    table("tab", "Объекты", 3, {"a, а.е.", "T, лет"}).at(1, 0);
    group("acts", "Команды").at(0, 1);
    button("fill", "Заполнить таблицу", [this] { fill(); }).in("acts");
    button("clear", "Очистить", [this] { clearTable(); }).in("acts");
    button("run", "Начать", [this] { run(); }).in("acts");
    button("stop", "Остановить", [this] { state().kStop = 1; }).in("acts");
    button("chain", "Цепочка", [this] { chain(); }).in("acts");
    button("lib", "Библиотека", [this] {
      state().report("Ошибка чтения данных из файла\nDat\\Orvant1.dat", kTitle7);
    }).in("acts");
    button("boom", "Сбой", [] { throw std::runtime_error("сбой вычислений"); }).in("acts");
    button("exit", "Выход", [this] { workbench().quit(); }).in("acts");
    scroll("scale", "Масштаб", 1, 100, 30).at(2, 0).onChange([this] { scaleChanged(); });
    label("scaleText", "масштаб = 3").at(3, 0);
    picture("pic", "Орбита", 10, 8).at(1, 1).span(3, 1).onMouse(
        [this](double x, double y, ui::MouseButton b) { clicks.push_back({x, y, b}); });
    hidden("next", [this] { log.push_back("next"); });
  }

  void opened() override { log.push_back("opened"); }
  void activated() override { log.push_back("activated"); }

  struct Click {
    double x, y;
    ui::MouseButton button;
  };
  std::vector<Click> clicks;
  std::vector<std::string> log;
  int steps = 0;
  int length = 100000;  // steps of `run` when nothing stops it

 private:
  void calc() {
    const auto a = form().number("a");
    if (!a || *a <= 0) return form().message("Задайте правильно данные", kTitle7);
    const double years = std::pow(*a, 1.5);
    form().setNumber("T", form().option("unit") == 1 ? years * 365.25 : years, 6);
  }
  void fill() {
    for (int r = 0; r < 3; ++r) {
      const auto a = form().cellNumber("tab", r, 0);
      form().setCell("tab", r, 1, a ? screenNumber(std::pow(*a, 1.5), 6) : "");
    }
  }
  void clearTable() {
    if (!form().ask("Очистить таблицу?", kTitle7)) return;
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 2; ++c) form().setCell("tab", r, c, "");
  }
  // A long loop: one step per pass, a display point every 10 steps, ends on kStop.
  void run() {
    state().kStop = 0;
    steps = 0;
    ui::Canvas& pic = form().canvas("pic");
    pic.clear();
    pic.setOrigin(5, 4);
    for (int i = 0; i < length; ++i) {
      ++steps;
      if (steps % 10 == 0) {
        pic.point(std::cos(steps * 1e-3) * 3, std::sin(steps * 1e-3) * 3, ui::kBlue);
        form().processEvents();
        if (state().kStop == 1) break;
      }
    }
    log.push_back("run-end");
  }
  void chain() {
    log.push_back("chain-begin");
    form().setText("next", "12:00:01");
    log.push_back("chain-end");
  }
  void scaleChanged() { form().setText("scaleText", "масштаб = " + screenNumber(form().position("scale") / 10.0)); }
};

}  // namespace orvant::test
