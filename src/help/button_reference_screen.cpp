#include "help/button_reference_screen.h"

#include <exception>

#include "ui/form.h"
#include "ui/workbench.h"

namespace orvant::help {

namespace {

std::string trimmed(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

}  // namespace

std::vector<ReferenceLine> buttonReference(ui::Workbench& wb) {
  std::vector<ReferenceLine> out;
  for (int n : wb.numbers()) {
    std::unique_ptr<ui::Screen> screen;
    try {
      screen = wb.declaration(n);
    } catch (const std::exception&) {
      continue;  // a screen whose declaration cannot be built has no reference
    }
    for (const ui::Control& c : screen->controls())
      if (c.kind == ui::Kind::Button) out.push_back({n, screen->title(), trimmed(c.caption), c.help, true});
    for (const ui::Control& c : screen->controls())
      if (c.kind != ui::Kind::Button && !c.help.empty())
        out.push_back({n, screen->title(), trimmed(c.caption), c.help, false});
  }
  return out;
}

std::string referenceText(const std::vector<ReferenceLine>& lines) {
  std::string text;
  int current = -1;
  for (const ReferenceLine& l : lines) {
    if (l.screen != current) {
      if (!text.empty()) text += "\n";
      text += "Экран " + std::to_string(l.screen) + ". " + l.title + "\n";
      current = l.screen;
    }
    text += (l.button ? "  [" + l.caption + "]" : "  (" + l.caption + ")") + " — " +
            (l.help.empty() ? "описание не задано" : l.help) + "\n";
  }
  return text;
}

ButtonReferenceScreen::ButtonReferenceScreen(State& s, ui::Workbench& wb)
    : Screen(s, wb, "Справка по кнопкам") {
  label("intro",
        "Кнопки всех экранов программы с кратким описанием (то же описание показывается "
        "подсказкой при наведении на кнопку); в круглых скобках — флажки и переключатели.")
      .at(0, 0)
      .span(1, 2);
  textArea("text", "", "").at(1, 0).span(1, 2).locked().chars(100).lines(30);
  button("refresh", "Обновить", [this] { fill(); })
      .at(2, 0)
      .tip("Собрать справку заново по всем экранам программы");
  button("close", "Закрыть форму", [this] { close(); }).at(2, 1).tip("Закрыть справку по кнопкам");
}

void ButtonReferenceScreen::opened() { fill(); }
void ButtonReferenceScreen::activated() { fill(); }

void ButtonReferenceScreen::fill() { form().setText("text", referenceText(buttonReference(workbench()))); }

}  // namespace orvant::help
