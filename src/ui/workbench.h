// The workbench: the registry of numbered screens, their windows, and the command dispatcher.
//
// The application owns one Workbench, one State and a form factory (Qt windows, or MemoryForms for
// tests and scripts). Screens register a factory under their number; show(n) creates the screen on
// first use, builds its window from its declaration, runs opened() once, shows it and runs
// activated(). A screen stays alive until the program ends; "Закрыть форму" only hides it.
//
// Every command (a button, a changed value, a mouse click, a hook) runs through run(): while it runs,
// State::sink is the screen's form (library messages appear as its message boxes), and an exception
// that escapes it becomes a message box instead of ending the program. A command of a screen that
// keeps the model (Screen::keepsModel) gets the model's data back when it returns; a command of a
// screen that sets the model, pressed while such a command loops, works on the model's data.
//
// Queued calls: post() keeps a call until the outermost running command has returned, then runs
// them in order (each as a command of its screen). A command that loops with processEvents() lets
// the user press other buttons meanwhile (nested commands); calls they post still wait for the loop
// to end. This is how one screen drives another (a run's end starts the next experiment) without
// nesting the second inside the first.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/form.h"
#include "ui/screen.h"

namespace orvant {
struct State;
struct ModelData;
}

namespace orvant::ui {

class Workbench {
 public:
  using ScreenFactory = std::function<std::unique_ptr<Screen>(State&, Workbench&)>;
  using FormFactory = std::function<std::unique_ptr<Form>(Screen&)>;

  Workbench(State& state, FormFactory forms);
  ~Workbench();
  Workbench(const Workbench&) = delete;
  Workbench& operator=(const Workbench&) = delete;

  State& state() const { return state_; }

  // ---- registration ----
  void add(int number, ScreenFactory factory);
  template <class S>
  void add(int number) {
    add(number, [](State& s, Workbench& wb) { return std::make_unique<S>(s, wb); });
  }
  bool has(int number) const { return factories_.count(number) != 0; }
  std::vector<int> numbers() const;  // registered numbers, ascending

  // A fresh screen object with its declaration only (no window, no hooks): for `describe`.
  // Throws std::out_of_range when the number is not registered.
  std::unique_ptr<Screen> declaration(int number);

  // ---- screens ----
  // Creates the screen if needed (window built, opened() run) and shows it; activated() runs when
  // another screen was the active one.
  // Throws std::out_of_range (with a message for the user) when the number is not registered.
  Screen& show(int number);
  // The screen, created if needed (window built, opened() run), not shown.
  Screen& screen(int number);
  template <class S>
  S& screen(int number) {
    auto* s = dynamic_cast<S*>(&screen(number));
    if (!s) throw std::logic_error("screen " + std::to_string(number) + " is of another class");
    return *s;
  }
  // The screen if it was created already, else nullptr.
  Screen* created(int number) const;
  void close(int number);  // hides the window of a created screen

  // ---- called by the windows ----
  // The user brought the window of `screen` to the front: activated() runs when another screen
  // (or none) was active before. A message box closing does not count.
  void activate(Screen& screen);
  // The window of `screen` was hidden: showing it again activates it.
  void hidden(Screen& screen);

  // ---- commands ----
  // Runs a command of `screen` now (see the header comment); then, when no other command is
  // running, the queued calls.
  void run(Screen& screen, const Command& command);
  // Queues a call to run as a command of `screen` after the outermost running command returns;
  // when no command is running it runs at once.
  void post(Screen& screen, Command call);
  bool busy() const { return depth_ > 0; }

  // ---- end of the program ("Выход") ----
  // Sets kStop (a running loop ends at its next display point), marks the workbench as quitting
  // and calls the quit handler (the application ends its event loop there).
  void quit();
  bool quitting() const { return quitting_; }
  void setQuitHandler(std::function<void()> handler) { onQuit_ = std::move(handler); }

 private:
  struct Open {
    std::unique_ptr<Screen> screen;
    std::unique_ptr<Form> form;
  };
  struct Posted {
    Screen* screen;
    Command call;
  };
  void drain();

  State& state_;
  FormFactory forms_;
  std::map<int, ScreenFactory> factories_;
  std::map<int, Open> open_;
  std::deque<Posted> posted_;
  Screen* active_ = nullptr;
  int depth_ = 0;
  bool draining_ = false;
  bool quitting_ = false;
  std::function<void()> onQuit_;
  // The model's own data while a command of a screen that keeps it runs (Screen::keepsModel);
  // modelLive_: the State holds the model's data (no such command is running, or a command of
  // a screen that sets the model runs nested inside one and works on the model's data).
  std::unique_ptr<ModelData> model_;
  bool modelLive_ = true;
};

}  // namespace orvant::ui
