// The help screens: the button reference built from the screens' own declarations, the file
// system from the catalogue of paths (checked against every reader's and writer's own path
// function), the picture of the notation.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "ephemeris/jpl.h"
#include "help/button_reference_screen.h"
#include "help/files_screen.h"
#include "help/notation_screen.h"
#include "help_bench.h"
#include "initial/param_file.h"
#include "model/paths.h"
#include "observations/reduction.h"
#include "observations/residual_classes.h"
#include "observations/sources.h"
#include "simulation/extraction.h"
#include "statistics/records.h"
#include "statistics/shifts.h"

// Families whose readers are still being built elsewhere are checked once their headers exist.
#if __has_include("statistics/plan_file.h")
#include "statistics/plan_file.h"
#define ORVANT_HAVE_PLAN_FILE 1
#endif
#if __has_include("ephemeris/perturbations.h")
#include "ephemeris/perturbations.h"
#define ORVANT_HAVE_PERTURBATIONS 1
#endif

namespace orvant {
namespace {

using test::WorkbenchBench;

TEST(ButtonReference, ListsEveryButtonOfEveryRegisteredScreenWithItsDescription) {
  WorkbenchBench b;
  const auto lines = help::buttonReference(b.wb);
  // Every button of every registered screen appears once, in the order of the screens.
  std::size_t buttons = 0;
  for (int n : b.wb.numbers()) {
    const auto screen = b.wb.declaration(n);
    for (const auto& c : screen->controls()) {
      if (c.kind != ui::Kind::Button) continue;
      ++buttons;
      const auto it = std::find_if(lines.begin(), lines.end(), [&](const help::ReferenceLine& l) {
        return l.screen == n && l.button && l.help == c.help && c.caption.rfind(l.caption, 0) == 0;
      });
      EXPECT_NE(it, lines.end()) << n << " " << c.caption;
    }
  }
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const auto& l) { return l.button; }),
            static_cast<long>(buttons));
  EXPECT_TRUE(std::is_sorted(lines.begin(), lines.end(),
                             [](const auto& a, const auto& c) { return a.screen < c.screen; }));
  // Every screen describes every one of its buttons.
  for (const auto& l : lines) {
    if (l.button) {
      EXPECT_FALSE(l.help.empty()) << "экран " << l.screen << ": [" << l.caption << "] без описания";
    }
  }

  // The screen shows the same text, with a heading per screen.
  ui::Form& f = b.wb.show(help::kButtonReferenceScreen).form();
  const std::string text = f.text("text");
  EXPECT_EQ(text, help::referenceText(lines));
  EXPECT_NE(text.find("Экран 1. Параметры объектов и начальные данные\n"), std::string::npos);
  EXPECT_NE(text.find("  [Проверить параметры орбиты и ошибку их определения программой] — "),
            std::string::npos);
  EXPECT_NE(text.find("Экран 20. Рассчет начальных данных для Луны\n"), std::string::npos);
  EXPECT_TRUE(b.messages().empty());
}

TEST(ButtonReference, AScreenAddedLaterBringsItsOwnLines) {
  WorkbenchBench b;
  struct Extra : ui::Screen {
    Extra(State& s, ui::Workbench& wb) : Screen(s, wb, "Дополнительный") {
      button("go", "Пуск ", [] {}).tip("Запустить пример");
      button("bare", "Без описания", [] {});
      check("flag", "Флажок").tip("Пример флажка");
    }
  };
  b.wb.add<Extra>(77);
  const std::string text = help::referenceText(help::buttonReference(b.wb));
  EXPECT_NE(text.find("Экран 77. Дополнительный\n  [Пуск] — Запустить пример\n  [Без описания] — "
                      "описание не задано\n  (Флажок) — Пример флажка\n"),
            std::string::npos);
}

// The catalogue gives the very paths the readers and writers use.
TEST(FilesScreen, CatalogueAgreesWithEveryReaderAndWriter) {
  State s;
  s.workDir = "/w";
  EXPECT_EQ(paths::paramFile(7), "Dat/Orvant7.dat");
  EXPECT_EQ(paramFilePath(s, 7), (std::filesystem::path("/w") / paths::paramFile(7)).string());
  EXPECT_EQ(JPLpath(s, 1800), "/w/" + paths::jplBlock(1800));
  EXPECT_EQ(statistics::recordPath(statistics::Source::New, 3, 1, 1), paths::recordNew(3));
  EXPECT_EQ(statistics::recordPath(statistics::Source::JPL, 4, 1, 1), paths::recordJpl(4));
  EXPECT_EQ(statistics::recordPath(statistics::Source::Kin, 5, 2, 1), paths::recordKin(2, 5));
  EXPECT_EQ(statistics::recordPath(statistics::Source::Model, 6, 3, 9), paths::recordModel(3, 6, 9));
  EXPECT_EQ(simulation::coordinatePath(3, 2), paths::coordinateFile(3, 2));
  EXPECT_EQ(statistics::calculatedShiftPath(2, 4), paths::calculatedShift(2, 4));
  EXPECT_EQ(statistics::observedShiftPath(statistics::ShiftSource::New), paths::observedShiftNew());
  EXPECT_EQ(statistics::observedShiftPath(statistics::ShiftSource::JPL), paths::observedShiftJpl());
  EXPECT_EQ(statistics::observedShiftPath(statistics::ShiftSource::Kin), paths::observedShiftKin());
#ifdef ORVANT_HAVE_PLAN_FILE
  EXPECT_EQ(statistics::planFilePath(3), paths::planFile(3));
#endif
#ifdef ORVANT_HAVE_PERTURBATIONS
  EXPECT_EQ(PertFileName(5), paths::perturbationFile(5));
#endif
  s.ObsName = "GREN";
  s.Npl = 4;
  s.FileNo = "100";
  EXPECT_EQ(obsFilePath(s), paths::obsFile("GREN", "4", "100"));
  EXPECT_EQ(goodInputPath(s, ObsCriterion::dR), paths::goodObsFile("GREN", "4", "100", true));
  EXPECT_EQ(goodInputPath(s, ObsCriterion::AbsdL), paths::goodObsFile("GREN", "4", "100", false));
  EXPECT_EQ(tabFilePath("Ptolemy"), paths::tabWorkbook("Ptolemy"));
  EXPECT_EQ(tracePath(s), paths::reductionTrace("GREN", "4", "100"));
  EXPECT_EQ(badDataPath(s), paths::badData("GREN", "4", "100"));
  EXPECT_EQ(statReportPath(s), paths::statReport("GREN", "4", "100"));
}

TEST(FilesScreen, ShowsTheTreeFromTheCatalogue) {
  WorkbenchBench b;
  std::filesystem::create_directories(b.dir / "Dat");
  ui::Form& f = b.wb.show(help::kFilesScreen).form();
  const std::string text = f.text("text");
  EXPECT_EQ(text, help::filesText(b.state.workDir));
  EXPECT_NE(text.find("Каталог программы: " + b.state.workDir), std::string::npos);
  for (const auto& family : paths::fileFamilies()) {
    EXPECT_NE(text.find("  " + family.pattern + " — " + family.title + ".\n      " + family.text),
              std::string::npos)
        << family.pattern;
    // Every family sits in a folder of the tree, and its names start with that folder.
    EXPECT_EQ(family.pattern.rfind(family.folder + "/", 0), 0u) << family.pattern;
  }
  EXPECT_NE(text.find("\nDat/ — "), std::string::npos);
  EXPECT_NE(text.find(" (есть)\n"), std::string::npos);      // Dat was made
  EXPECT_NE(text.find(" (пока нет)\n"), std::string::npos);  // JPL was not
  EXPECT_NE(text.find("Dat/Orvant<N>.dat — Параметры и начальные данные."), std::string::npos);
  EXPECT_NE(text.find("Plan<k>/Txt<N>/Orvant<N>Ras<e>.txt"), std::string::npos);
  // What two logs and tables of screens 16 and 22 hold, as those screens write them.
  EXPECT_NE(text.find("Dat/TimeYer_data.txt — Журнал Солнца у равноденствий и солнцестояний."),
            std::string::npos);
  EXPECT_EQ(text.find("поправки ET-UT по годам"), std::string::npos);
  EXPECT_NE(text.find("Dat/dL<N>.dat — Таблица возмущений планет экрана 22."), std::string::npos);
  EXPECT_NE(text.find("под номером файла N"), std::string::npos);
  // The tree follows the files the program writes: a folder made later shows as present.
  std::filesystem::create_directories(b.dir / "JPL");
  f.press("refresh");
  EXPECT_NE(f.text("text").find("JPL/ — " + paths::folders()[1].text + " (есть)"), std::string::npos);
}

TEST(NotationScreen, DrawsTheOrbitWithEveryNotation) {
  WorkbenchBench b;
  auto& f = static_cast<ui::MemoryForm&>(b.wb.show(help::kNotationScreen).form());
  const auto& shapes = f.memoryCanvas("pic").shapes();
  std::string texts;
  int lines = 0, circles = 0;
  for (const auto& s : shapes) {
    if (s.type == ui::Shape::Type::Text) texts += s.text + "|";
    if (s.type == ui::Shape::Type::Line) ++lines;
    if (s.type == ui::Shape::Type::Circle) ++circles;
    // Everything lies inside the picture.
    EXPECT_GE(s.cx1, -0.01);
    EXPECT_LE(s.cx1, f.memoryCanvas("pic").widthCm() + 0.01);
    EXPECT_GE(s.cy1, -0.01);
    EXPECT_LE(s.cy1, f.memoryCanvas("pic").heightCm() + 0.01);
  }
  for (const char* word : {"AlfaU", "Betta", "AlfaP", "R0sr", "Eks*R0sr", "AlfaL", "перигелий", "афелий",
                           "восходящий узел", "Солнце (фокус)", "X (точка весны)"})
    EXPECT_NE(texts.find(word), std::string::npos) << word;
  EXPECT_GT(lines, 500);   // the ecliptic, the orbit and the arcs are drawn
  EXPECT_GE(circles, 3);   // the Sun, the planet, the centre of the ellipse
  const std::string captions = f.text("captions");
  for (const char* word : {"AlfaU", "Betta", "AlfaP", "R0sr", "Eks", "AlfaL", "W0sr"})
    EXPECT_NE(captions.find(word), std::string::npos) << word;
}

}  // namespace
}  // namespace orvant
