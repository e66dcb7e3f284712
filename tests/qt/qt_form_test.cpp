// The Qt window of a screen, on the offscreen platform (or a real display when one is given).
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>
#include <memory>

#include "../ui/demo_screen.h"
#include "ui/qt/qt_canvas.h"
#include "ui/qt/qt_form.h"

namespace orvant::ui {
namespace {

using test::DemoScreen;
using test::kDemoScreen;

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && !qEnvironmentVariableIsSet("DISPLAY"))
      qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "test_qt";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QApplication>(argc, argv);
  }
  void TearDown() override { app_.reset(); }

 private:
  std::unique_ptr<QApplication> app_;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

struct Bench {
  State state;
  Workbench wb{state, qtForms()};
  bool quitCalled = false;
  Bench() {
    wb.add<DemoScreen>(kDemoScreen);
    wb.setQuitHandler([this] { quitCalled = true; });
  }
  DemoScreen& demo() { return wb.screen<DemoScreen>(kDemoScreen); }
  // The window, shown the first time.
  QtForm& form() {
    if (!wb.created(kDemoScreen)) wb.show(kDemoScreen);
    return dynamic_cast<QtForm&>(wb.screen(kDemoScreen).form());
  }
  template <class W>
  W* find(const char* id) {
    return form().window()->findChild<W*>(id);
  }
};

// Answers the next modal message box from inside its own event loop: keeps its title and text and
// presses `button`. The box is a real QMessageBox::exec(); nothing in the form is bypassed.
struct BoxWatch {
  QString title, text;
  int seen = 0;
  std::unique_ptr<QTimer> timer = std::make_unique<QTimer>();
  explicit BoxWatch(QMessageBox::StandardButton button) {
    timer->setInterval(5);
    QObject::connect(timer.get(), &QTimer::timeout, [this, button] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      title = box->windowTitle();
      text = box->text();
      ++seen;
      timer->stop();
      box->button(button)->click();
    });
    timer->start();
  }
};

QPoint origin(QWidget* w) { return w->mapTo(w->window(), QPoint(0, 0)); }

TEST(QtForm, WindowIsBuiltFromTheDeclaration) {
  Bench b;
  QtForm& f = b.form();
  QWidget* window = f.window();
  ASSERT_TRUE(window->isVisible());
  QApplication::processEvents();
  EXPECT_EQ(window->windowTitle(), "Третий закон Кеплера");

  auto* a = b.find<QLineEdit>("a");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->text(), "1");
  EXPECT_TRUE(b.find<QLineEdit>("T")->isReadOnly());
  auto* orbit = b.find<QGroupBox>("orbit");
  ASSERT_NE(orbit, nullptr);
  EXPECT_EQ(orbit->title(), "Орбита");
  EXPECT_TRUE(orbit->isAncestorOf(a));
  EXPECT_EQ(b.find<QPushButton>("calc")->text(), "Рассчитать период");
  EXPECT_EQ(b.find<QRadioButton>("unit_1")->text(), "дни");
  EXPECT_TRUE(b.find<QRadioButton>("unit_0")->isChecked());
  EXPECT_EQ(b.find<QCheckBox>("trace")->text(), "Траектории ");
  auto* tab = b.find<QTableWidget>("tab");
  ASSERT_NE(tab, nullptr);
  EXPECT_EQ(tab->rowCount(), 3);
  EXPECT_EQ(tab->columnCount(), 2);
  EXPECT_EQ(tab->horizontalHeaderItem(1)->text(), "T, лет");
  EXPECT_EQ(b.find<QScrollBar>("scale")->value(), 30);
  EXPECT_EQ(f.widget("next"), nullptr);  // hidden fields have no widget
  // 10 x 8 cm at 96 dots per inch.
  EXPECT_EQ(f.widget("pic")->size(), QSize(378, 302));

  // Layout hints: the command group is in column 1, right of the orbit group; the table below it.
  auto* acts = b.find<QGroupBox>("acts");
  EXPECT_GT(origin(acts).x(), origin(orbit).x() + orbit->width() - 1);
  EXPECT_GT(origin(tab).y(), origin(orbit).y() + orbit->height() - 1);
  EXPECT_EQ(b.demo().log, (std::vector<std::string>{"opened", "activated"}));
  // Hidden by its close button and shown again: activated once more.
  window->close();
  EXPECT_FALSE(f.shown());
  b.wb.show(kDemoScreen);
  b.wb.show(kDemoScreen);
  QApplication::processEvents();
  EXPECT_EQ(b.demo().log, (std::vector<std::string>{"opened", "activated", "activated"}));
}

TEST(QtForm, WidgetsRunTheScreensCommands) {
  Bench b;
  QtForm& f = b.form();
  b.find<QLineEdit>("a")->setText("1,5");
  b.find<QPushButton>("calc")->click();
  EXPECT_EQ(b.find<QLineEdit>("T")->text(), "1,837117");
  b.find<QRadioButton>("unit_1")->click();  // the change command recomputes in days
  EXPECT_EQ(f.option("unit"), 1);
  EXPECT_EQ(b.find<QLineEdit>("T")->text(), "671,007096");
  f.setOption("unit", -1);  // no entry chosen
  EXPECT_FALSE(b.find<QRadioButton>("unit_0")->isChecked());
  EXPECT_FALSE(b.find<QRadioButton>("unit_1")->isChecked());
  EXPECT_EQ(f.option("unit"), -1);

  b.find<QCheckBox>("trace")->click();
  EXPECT_TRUE(f.checked("trace"));

  b.find<QTableWidget>("tab")->setItem(1, 0, new QTableWidgetItem("4"));
  b.find<QPushButton>("fill")->click();
  EXPECT_EQ(f.cell("tab", 1, 1), "8");
  EXPECT_EQ(b.find<QTableWidget>("tab")->item(1, 1)->text(), "8");

  b.find<QScrollBar>("scale")->setValue(15);  // as when the user drags it
  EXPECT_EQ(b.find<QLabel>("scaleText")->text(), "масштаб = 1,5");
  f.setPosition("scale", 50);  // code changes do not run the command
  EXPECT_EQ(b.find<QLabel>("scaleText")->text(), "масштаб = 1,5");
  EXPECT_EQ(b.find<QScrollBar>("scale")->value(), 50);

  f.setEnabled("calc", false);
  EXPECT_FALSE(b.find<QPushButton>("calc")->isEnabled());
  f.setVisible("orbit", false);
  EXPECT_FALSE(b.find<QGroupBox>("orbit")->isVisible());
  f.setCaption("fill", "Заполнить");
  EXPECT_EQ(b.find<QPushButton>("fill")->text(), "Заполнить");

  b.find<QPushButton>("exit")->click();
  EXPECT_TRUE(b.quitCalled);
  EXPECT_EQ(b.state.kStop, 1);
}

TEST(QtForm, MessageBoxesAndQuestionsAreModalBoxesWithTheTitle) {
  Bench b;
  QtForm& f = b.form();
  {
    BoxWatch watch(QMessageBox::Ok);
    b.find<QPushButton>("lib")->click();  // State::report during the command
    EXPECT_EQ(watch.seen, 1);
    EXPECT_EQ(watch.title, "Orvant7");
    EXPECT_EQ(watch.text, "Ошибка чтения данных из файла\nDat\\Orvant1.dat");
  }
  f.setCell("tab", 0, 0, "1");
  {
    BoxWatch watch(QMessageBox::No);
    b.find<QPushButton>("clear")->click();
    EXPECT_EQ(watch.seen, 1);
    EXPECT_EQ(watch.text, "Очистить таблицу?");
    EXPECT_EQ(f.cell("tab", 0, 0), "1");
  }
  {
    BoxWatch watch(QMessageBox::Yes);
    b.find<QPushButton>("clear")->click();
    EXPECT_EQ(watch.seen, 1);
    EXPECT_EQ(f.cell("tab", 0, 0), "");
  }
  {
    BoxWatch watch(QMessageBox::Ok);
    b.find<QPushButton>("boom")->click();  // an exception becomes a message box
    EXPECT_EQ(watch.text, "сбой вычислений");
  }
}

TEST(QtForm, LoopSeesTheStopButtonAtItsFirstDisplayPoint) {
  Bench b;
  b.form();
  QPushButton* stop = b.find<QPushButton>("stop");
  QTimer::singleShot(0, stop, [stop] { stop->click(); });
  b.find<QPushButton>("run")->click();
  // processEvents at the display point after 10 steps delivers the click; the loop ends there.
  EXPECT_EQ(b.demo().steps, 10);
  EXPECT_EQ(b.demo().log.back(), "run-end");
}

TEST(QtForm, PictureDrawsSavesAndReportsClicksInItsCoordinates) {
  Bench b;
  QtForm& f = b.form();
  Canvas& pic = f.canvas("pic");
  pic.line(1, 4, 9, 4, kRed);
  pic.circle(2, 2, 0.5, kBlue, true);
  pic.print("Орбита Марса");
  const QImage& image = static_cast<QtCanvas&>(pic).image();
  EXPECT_EQ(image.pixelColor(189, 151), QColor(255, 0, 0));  // (5 cm, 4 cm)
  EXPECT_EQ(image.pixelColor(76, 76), QColor(0, 0, 255));    // the disc's centre (2 cm, 2 cm)
  EXPECT_EQ(image.pixelColor(189, 250), QColor(255, 255, 255));

  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  for (const char* name : {"pic.bmp", "pic.png"}) {
    const QString path = dir.filePath(name);
    ASSERT_TRUE(pic.save(path.toStdString())) << name;
    const QImage back(path);
    ASSERT_EQ(back.size(), QSize(378, 302)) << name;
    EXPECT_EQ(back.pixelColor(189, 151), QColor(255, 0, 0)) << name;
  }
  EXPECT_FALSE(pic.save(dir.filePath("missing/pic.bmp").toStdString()));

  // A right click 6 cm right and 3 cm down is (1, 1) with the origin at (5 cm, 4 cm), y upward.
  pic.setOrigin(5, 4);
  const double k = Canvas::kPixelsPerCm;
  QWidget* view = f.widget("pic");
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(6 * k, 3 * k), view->mapToGlobal(QPointF(6 * k, 3 * k)),
                    Qt::RightButton, Qt::RightButton, Qt::NoModifier);
  QApplication::sendEvent(view, &press);
  ASSERT_EQ(b.demo().clicks.size(), 1u);
  EXPECT_NEAR(b.demo().clicks[0].x, 1, 1e-9);
  EXPECT_NEAR(b.demo().clicks[0].y, 1, 1e-9);
  EXPECT_EQ(b.demo().clicks[0].button, MouseButton::Right);
}

TEST(QtForm, WindowGrabShowsTheScreen) {
  Bench b;
  QtForm& f = b.form();
  f.setText("a", "1,523679");
  f.press("calc");
  f.setCell("tab", 0, 0, "0,387098");
  f.setCell("tab", 1, 0, "0,723332");
  f.setCell("tab", 2, 0, "1");
  f.press("fill");
  Canvas& pic = f.canvas("pic");
  pic.setOrigin(5, 4);
  for (int deg = 0; deg < 360; deg += 2)
    pic.line(3 * std::cos(deg * M_PI / 180), 2.5 * std::sin(deg * M_PI / 180),
             3 * std::cos((deg + 2) * M_PI / 180), 2.5 * std::sin((deg + 2) * M_PI / 180), kBlue);
  pic.circle(0, 0, 0.25, kRed, true);
  pic.text(-4.8, 3.8, "Орбита, масштаб 1 а.е./см");
  QApplication::processEvents();
  const QImage shot = f.window()->grab().toImage();
  ASSERT_FALSE(shot.isNull());
  EXPECT_GT(shot.width(), 600);
  EXPECT_GT(shot.height(), 300);
  if (const QByteArray out = qgetenv("ORVANT_SCREENSHOT"); !out.isEmpty()) {
    EXPECT_TRUE(shot.save(QString::fromLocal8Bit(out)));
  }
}

}  // namespace
}  // namespace orvant::ui
