#include "ui/workbench.h"

#include <optional>

#include "model/model_data.h"
#include "model/state.h"

namespace orvant::ui {

Workbench::Workbench(State& state, FormFactory forms) : state_(state), forms_(std::move(forms)) {}

Workbench::~Workbench() {
  // Windows go before their screens; the library must not report into a destroyed window.
  for (auto& [number, open] : open_) {
    if (state_.sink == open.form.get()) state_.sink = nullptr;
    open.screen->form_ = nullptr;
    open.form.reset();
  }
  open_.clear();
}

void Workbench::add(int number, ScreenFactory factory) { factories_[number] = std::move(factory); }

std::vector<int> Workbench::numbers() const {
  std::vector<int> out;
  for (const auto& [number, factory] : factories_) out.push_back(number);
  return out;
}

namespace {
std::out_of_range unavailable(int number) {
  return std::out_of_range("Экран " + std::to_string(number) + " недоступен");
}
}  // namespace

std::unique_ptr<Screen> Workbench::declaration(int number) {
  const auto f = factories_.find(number);
  if (f == factories_.end()) throw unavailable(number);
  auto screen = f->second(state_, *this);
  screen->number_ = number;
  return screen;
}

Screen& Workbench::screen(int number) {
  if (const auto it = open_.find(number); it != open_.end()) return *it->second.screen;
  auto screen = declaration(number);
  auto form = forms_(*screen);
  screen->form_ = form.get();
  Screen& ref = *screen;
  open_.emplace(number, Open{std::move(screen), std::move(form)});
  run(ref, [&ref] { ref.opened(); });
  return ref;
}

Screen& Workbench::show(int number) {
  Screen& s = screen(number);
  s.form().show();
  activate(s);
  return s;
}

void Workbench::activate(Screen& screen) {
  if (active_ == &screen) return;
  active_ = &screen;
  run(screen, [&screen] { screen.activated(); });
}

void Workbench::hidden(Screen& screen) {
  if (active_ == &screen) active_ = nullptr;
}

Screen* Workbench::created(int number) const {
  const auto it = open_.find(number);
  return it == open_.end() ? nullptr : it->second.screen.get();
}

void Workbench::close(int number) {
  if (Screen* s = created(number)) s->close();
}

void Workbench::run(Screen& screen, const Command& command) {
  if (!command || quitting_) return;
  const bool keeps = screen.keepsModel();
  const bool keeping = keeps && modelLive_;   // the outermost command that keeps the model
  const bool nestedSetter = !keeps && !modelLive_;
  std::optional<ModelData> working;            // the keeping command's values, set aside
  if (keeping) {
    model_ = std::make_unique<ModelData>(keepModel(state_));
    modelLive_ = false;
  } else if (nestedSetter) {
    working = keepModel(state_);
    restoreModel(state_, *model_);
    modelLive_ = true;
  }
  ++depth_;
  MessageSink* const previous = state_.sink;
  if (screen.hasForm()) state_.sink = &screen.form();
  try {
    command();
  } catch (const std::exception& e) {
    if (screen.hasForm() && !quitting_) screen.form().message(e.what(), kTitle7);
  }
  state_.sink = previous;
  if (keeping) {
    restoreModel(state_, *model_);
    modelLive_ = true;
  } else if (nestedSetter) {
    *model_ = keepModel(state_);
    restoreModel(state_, *working);
    modelLive_ = false;
  }
  --depth_;
  if (depth_ == 0) drain();
}

void Workbench::post(Screen& screen, Command call) {
  if (!call || quitting_) return;
  if (depth_ == 0) {
    run(screen, call);
    return;
  }
  posted_.push_back(Posted{&screen, std::move(call)});
}

void Workbench::drain() {
  if (draining_) return;
  draining_ = true;
  while (!posted_.empty() && !quitting_) {
    Posted next = std::move(posted_.front());
    posted_.pop_front();
    run(*next.screen, next.call);
  }
  posted_.clear();
  draining_ = false;
}

void Workbench::quit() {
  quitting_ = true;
  state_.kStop = 1;
  posted_.clear();
  if (onQuit_) onQuit_();
}

}  // namespace orvant::ui
