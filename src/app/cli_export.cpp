// orvant-cli export FILE: a result file as CSV on standard output.
#include <iostream>

#include "app/cli.h"
#include "app/export.h"

namespace orvant::cli {
namespace {

int exportFile(Context& ctx) {
  if (ctx.args.size() != 1) return fail("export: нужен один файл");
  const auto out = app::exportCsv(ctx.args[0]);
  if (!out.error.empty()) {
    std::cerr << out.error << '\n';
    return 1;
  }
  std::cout << out.csv;
  return 0;
}

const CliRegistrar kExport("export", "export ФАЙЛ             (файл результатов в CSV: заголовок, единицы, даты ISO)",
                           exportFile);

}  // namespace
}  // namespace orvant::cli
