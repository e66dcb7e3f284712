// orvant: the workbench window.
//
// Usage: orvant [--dir DIR] [--script FILE] [--help]. The work directory is DIR, else $ORVANT_DIR,
// else ~/Orvant. The program opens the start screen; "Выход" on a screen, or closing the last
// window, ends it. --help prints the options and ends before any window or folder is made.
//
// --script FILE drives the windows with the lines of an `orvant-cli script` (ui/script.h) once
// the start screen is up, and ends the program after its last line: the same work as headless,
// in the real windows (for measuring the window against the command line). Every message box
// is printed as the script prints it ("MESSAGE [title] text") and closed with its default
// button; a `press ... --max-displays K` sets kStop after K display points as headless.
#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "app/screens.h"
#include "app/workdir_setup.h"
#include "model/messages.h"
#include "model/state.h"
#include "ui/memory_form.h"
#include "ui/qt/qt_form.h"
#include "ui/script.h"
#include "ui/workbench.h"

namespace {

constexpr const char* kHelp =
    "Использование: orvant [--dir КАТАЛОГ] [--script ФАЙЛ] [параметры Qt]\n"
    "Рабочее место численных экспериментов с Солнечной системой.\n"
    "  --dir КАТАЛОГ  каталог программы (по умолчанию $ORVANT_DIR, иначе ~/Orvant);\n"
    "                 при первом запуске в нем создаются Dat, JPL, Tab и другие папки\n"
    "  --script ФАЙЛ  выполнить строки сценария orvant-cli script в окнах и завершить работу\n"
    "  --help, -h     эта справка\n"
    "Без окна те же экраны доступны через orvant-cli (orvant-cli --help).\n";

// --help and a --dir without its folder are answered before Qt starts: nothing is opened or made.
// Returns the exit status, or -1 to go on.
int earlyArguments(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::fputs(kHelp, stdout);
      return 0;
    }
    if (a == "--dir" && i + 1 >= argc) {
      std::fprintf(stderr, "orvant: после --dir нет каталога\n%s", kHelp);
      return 2;
    }
    if (a == "--script" && i + 1 >= argc) {
      std::fprintf(stderr, "orvant: после --script нет файла\n%s", kHelp);
      return 2;
    }
    if (a == "--dir" || a == "--script") ++i;
  }
  return -1;
}

std::string workDirectory(const QStringList& args) {
  for (qsizetype i = 1; i + 1 < args.size(); ++i)
    if (args[i] == "--dir") return args[i + 1].toStdString();
  if (const char* env = std::getenv("ORVANT_DIR"); env && *env) return env;
  if (const char* home = std::getenv("HOME"); home && *home)
    return (std::filesystem::path(home) / "Orvant").string();
  return "Orvant";
}

std::string scriptPath(const QStringList& args) {
  for (qsizetype i = 1; i + 1 < args.size(); ++i)
    if (args[i] == "--script") return args[i + 1].toStdString();
  return {};
}

// While a script drives the windows: prints each message box as it appears and closes it with
// its default button.
void answerBoxes(QTimer& timer) {
  QObject::connect(&timer, &QTimer::timeout, [] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    std::string text = box->text().toStdString();
    std::cout << "MESSAGE [" << orvant::ui::oneLine(box->windowTitle().toStdString()) << "] "
              << orvant::ui::oneLine(text) << std::endl;
    if (QAbstractButton* b = box->defaultButton()) b->click();
    else box->accept();
  });
  timer.start(20);
}

}  // namespace

int main(int argc, char** argv) {
  if (const int status = earlyArguments(argc, argv); status >= 0) return status;
  QApplication app(argc, argv);
  QApplication::setApplicationName("Orvant");

  orvant::State state;
  state.workDir = workDirectory(QApplication::arguments());
  // First start: the DE405 blocks and the workbooks the sources need (nothing to do afterwards).
  for (const auto& line : orvant::app::prepareWorkDir(state.workDir).skipped)
    std::fprintf(stderr, "orvant: %s\n", line.c_str());

  orvant::ui::Workbench workbench(state, orvant::ui::qtForms());
  // "Выход": the windows close and the event loop ends once the running command has returned.
  workbench.setQuitHandler([] {
    QApplication::closeAllWindows();
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
  });
  // Closing the last window ends the program as "Выход" does (a running loop stops).
  QObject::connect(&app, &QGuiApplication::lastWindowClosed, [&workbench] {
    if (!workbench.quitting()) workbench.quit();
  });
  orvant::registerAllScreens(workbench);

  const QString title = QString::fromUtf8(orvant::kTitle7.data(), orvant::kTitle7.size());
  if (!workbench.has(orvant::kStartScreen)) {
    QMessageBox::critical(nullptr, title, QString("Стартовый экран %1 недоступен").arg(orvant::kStartScreen));
    return 1;
  }
  try {
    workbench.show(orvant::kStartScreen);
  } catch (const std::exception& e) {
    QMessageBox::critical(nullptr, title, QString::fromStdString(e.what()));
    return 1;
  }
  if (workbench.quitting()) return 0;
  const std::string script = scriptPath(QApplication::arguments());
  QTimer boxes;
  orvant::ui::MemoryDesk desk;  // the script's own dialogs log (the windows show theirs)
  std::unique_ptr<orvant::ui::ScriptRunner> runner;
  int scriptStatus = 0;
  if (!script.empty()) {
    answerBoxes(boxes);
    runner = std::make_unique<orvant::ui::ScriptRunner>(workbench, desk, std::cout);
    runner->setDisplayLimiter([](long limit) { orvant::ui::QtForm::limitDisplays(limit); });
    runner->setBeforePress([] { QCoreApplication::processEvents(); });
    QTimer::singleShot(0, [&] {
      std::ifstream in(script, std::ios::binary);
      if (!in) {
        std::fprintf(stderr, "orvant: не могу найти файл %s\n", script.c_str());
        scriptStatus = 2;
      } else {
        scriptStatus = runner->run(in, std::cerr);
      }
      if (!workbench.quitting()) workbench.quit();
    });
  }
  const int status = QApplication::exec();
  return script.empty() ? status : scriptStatus;
}
