// orvant-cli prepare: the work directory as a first start of the workbench leaves it.
#include <iostream>

#include "app/cli.h"
#include "app/workdir_setup.h"

namespace orvant::cli {
namespace {

int prepare(Context& ctx) {
  if (!ctx.args.empty()) return fail("prepare: лишние аргументы");
  const auto result = app::prepareWorkDir(ctx.workDir);
  for (const auto& f : result.made) std::cout << "записан " << f << '\n';
  for (const auto& s : result.skipped) std::cout << "пропущен " << s << '\n';
  return result.skipped.empty() ? 0 : 1;
}

const CliRegistrar kPrepare("prepare", "prepare                 (блоки DE405 и таблицы в рабочем каталоге)",
                            prepare);

}  // namespace
}  // namespace orvant::cli
