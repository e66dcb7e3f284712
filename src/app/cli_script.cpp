// orvant-cli script FILE|-   drives the screens headless, line by line (ui/script.h).
// orvant-cli describe N      lists the ids, captions and defaults of screen N.
#include <fstream>
#include <iostream>

#include "app/cli.h"
#include "app/screens.h"
#include "model/state.h"
#include "ui/memory_form.h"
#include "ui/script.h"
#include "ui/workbench.h"

namespace orvant::cli {

namespace {

int script(Context& ctx) {
  if (ctx.args.size() != 1) return fail("Использование: orvant-cli [--dir КАТАЛОГ] script ФАЙЛ|-");
  State state;
  state.workDir = ctx.workDir.string();
  ui::MemoryDesk desk;
  ui::Workbench workbench(state, desk.factory());
  registerAllScreens(workbench);
  ui::ScriptRunner runner(workbench, desk, std::cout);
  if (ctx.args[0] == "-") return runner.run(std::cin, std::cerr);
  std::ifstream in(ctx.args[0], std::ios::binary);
  if (!in) return fail("Не могу найти файл " + ctx.args[0]);
  return runner.run(in, std::cerr);
}

int describe(Context& ctx) {
  long n = 0;
  if (ctx.args.size() != 1 || !argInteger(ctx.args[0], n))
    return fail("Использование: orvant-cli describe N");
  State state;
  state.workDir = ctx.workDir.string();
  ui::MemoryDesk desk;
  ui::Workbench workbench(state, desk.factory());
  registerAllScreens(workbench);
  if (!workbench.has(static_cast<int>(n)))
    return fail("Экран " + ctx.args[0] + " не зарегистрирован");
  try {
    ui::describe(*workbench.declaration(static_cast<int>(n)), std::cout);
  } catch (const std::exception& e) {
    return fail(e.what());
  }
  return 0;
}

const CliRegistrar scriptCommand(
    "script",
    "script ФАЙЛ|-     строки: open N, set N ПОЛЕ ЗНАЧЕНИЕ, check N ФЛАЖОК on|off, choose N ВАРИАНТ,\n"
    "                               table N ТАБЛИЦА СТРОКА СТОЛБЕЦ ЗНАЧЕНИЕ, press N КНОПКА [--max-displays K],\n"
    "                               click N РИСУНОК X Y [left|right], answer yes|no, show N ПОЛЕ, state ИМЯ[ИНДЕКС]",
    script);
const CliRegistrar describeCommand("describe", "describe N        элементы экрана N", describe);

}  // namespace

}  // namespace orvant::cli
