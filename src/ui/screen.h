// A screen: its declared controls and its commands.
//
// Every numbered screen of the workbench is a class derived from Screen, one file per screen in
// the folder of its subsystem. The constructor declares the controls, in the order a reader meets
// them on the window; the commands are member functions working on the shared State and on the
// screen's Form (the window, or its headless stand-in). A screen never includes a toolkit header.
//
//   class RunScreen : public ui::Screen {
//    public:
//     RunScreen(State& s, ui::Workbench& wb) : Screen(s, wb, "Моделирование и имитирование движения планет") {
//       group("step", "Шаг").at(0, 0);
//       field("H0", "Шаг решения, с", "3600").in("step");
//       check("kodVgr", "Vgr = Vsv *").in("step");
//       options("kodMod", "", {"модель", "имитатор"}, 0).at(0, 1);
//       button("start", "Начать", [this] { start(); }).at(1, 0);
//       picture("pic", "", 20, 12).at(2, 0).span(1, 2);
//       hidden("startHidden", [this] { start(); });
//     }
//     void opened() override { ... }      // once, when the window is first built
//    private:
//     void start() {
//       const auto h = form().number("H0");
//       if (!h) return form().message("Задайте правильно данные", kTitle7);
//       ...
//       for (;;) { ...; if (display) { form().processEvents(); if (state().kStop == 1) break; } }
//     }
//   };
//
// Registration (src/app/screens.cpp): `wb.add<RunScreen>(2);`.
//
// Rules for commands:
// - Read inputs with form().text / number / checked / option / cell; show results with setText /
//   setNumber (decimal comma, truncation to n decimals) / setCell / setCellNumber.
// - Messages: form().message(text, title); questions: form().ask(text, title) (true for Yes). Library
//   operations that call State::report reach the same message box while a command runs.
// - Pictures: form().canvas("pic") draws in centimetres or in the screen's own coordinates
//   (canvas.h); a picture's mouse handler gets clicks in those coordinates.
// - Long loops call form().processEvents() at each display point and end when kStop == 1.
//   The clock in seconds since midnight is ui::clockSeconds() (clock.h).
// - Another screen: workbench().show(n) opens it, workbench().screen(n) gives it without showing;
//   commands of another screen are run after the current command through a hidden field
//   (other.form().setText("startHidden", ...)) or workbench().post(other, [&] { ... }).
// - "Выход": workbench().quit(); "Закрыть форму": close().
//
// Tests drive a screen headless through MemoryDesk and MemoryForm (memory_form.h); scripts through
// `orvant-cli script` (script.h). tests/ui/demo_screen.h is a complete small screen.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "ui/control.h"

namespace orvant {
struct State;
}

namespace orvant::ui {

class Form;
class Workbench;

class Screen {
 public:
  Screen(State& state, Workbench& workbench, std::string title);
  virtual ~Screen();
  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;

  int number() const { return number_; }          // set by the workbench when it creates the screen
  const std::string& title() const { return title_; }  // the window title
  State& state() const { return state_; }
  Workbench& workbench() const { return workbench_; }

  // The screen's window. Throws std::logic_error when called from the constructor (the window is
  // built from the finished declaration).
  Form& form() const;
  bool hasForm() const { return form_ != nullptr; }

  // Hides the window ("Закрыть форму"); the screen keeps its values and is shown again by show(n).
  // A loop of the screen that is running (waiting in processEvents) is stopped first (stopLoop).
  void close();

  // ---- the declaration ----
  const std::deque<Control>& controls() const { return controls_; }
  const Control* find(std::string_view id) const;   // by id; nullptr when there is none
  const Control& control(std::string_view id) const;  // by id; throws std::out_of_range

  // ---- hooks ----
  // Runs once after the window was built, before it is first shown (the screen's start actions).
  virtual void opened() {}
  // Runs when the screen becomes the active one: shown by show(n) (also the first time, after
  // opened()) or brought to the front by the user while another screen was active.
  virtual void activated() {}
  // True for a screen whose commands compute with masses, constants or body states of their own
  // in the shared State: the workbench gives the model its own data back when such a command
  // returns (model/model_data.h). The screens that exist to set the model return false.
  virtual bool keepsModel() const { return true; }
  // Stops the screen's running loop as its stop command does; close() calls it when the window
  // closes during a loop. The default sets kStop = 1 (the loop ends at its next display point).
  virtual void stopLoop();

 protected:
  // Builders. Ids are unique within the screen (a repeated id throws std::logic_error).
  // Captions are shown exactly as given. See control.h for the chained layout hints.
  Control& group(std::string id, std::string caption);
  Control& field(std::string id, std::string caption, std::string text = {});
  Control& textArea(std::string id, std::string caption, std::string text = {});
  Control& label(std::string id, std::string text);
  Control& check(std::string id, std::string caption, bool on = false);
  Control& options(std::string id, std::string caption, std::vector<std::string> entries,
                   int entry = 0);
  Control& button(std::string id, std::string caption, Command command);
  Control& table(std::string id, std::string caption, int rows, std::vector<std::string> columns);
  Control& picture(std::string id, std::string caption, double widthCm, double heightCm);
  Control& scroll(std::string id, std::string caption, int min, int max, int position);
  Control& hidden(std::string id, Command command);

 private:
  friend class Workbench;
  Control& add(Kind kind, std::string id, std::string caption);

  State& state_;
  Workbench& workbench_;
  std::string title_;
  int number_ = 0;
  Form* form_ = nullptr;
  std::deque<Control> controls_;  // a deque: references returned by the builders stay valid
};

}  // namespace orvant::ui
