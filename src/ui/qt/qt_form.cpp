#include "ui/qt/qt_form.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QGuiApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QEvent>
#include <QElapsedTimer>
#include <algorithm>

#include "model/state.h"
#include "ui/qt/qt_canvas.h"
#include "ui/screen.h"

namespace orvant::ui {

namespace {

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
std::string ss(const QString& s) { return s.toStdString(); }

// A widget with an optional caption label above its content.
QWidget* captioned(QWidget* content, const std::string& caption, QLabel*& label) {
  auto* box = new QWidget;
  auto* v = new QVBoxLayout(box);
  v->setContentsMargins(0, 0, 0, 0);
  v->setSpacing(2);
  label = new QLabel(qs(caption));
  label->setVisible(!caption.empty());
  v->addWidget(label);
  v->addWidget(content, 1);
  return box;
}

// Tells the workbench when the user activates or hides a screen's window.
class WindowWatch : public QObject {
 public:
  explicit WindowWatch(Screen& screen) : screen_(screen) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::WindowActivate)
      screen_.workbench().activate(screen_);
    else if (event->type() == QEvent::Close)
      screen_.close();  // the window's own close button: as "Закрыть форму" (a running loop stops)
    else if (event->type() == QEvent::Hide)
      screen_.workbench().hidden(screen_);
    return false;
  }

 private:
  Screen& screen_;
};

// The display points of all windows: the clock of the last frame and the scripted limit.
struct Displays {
  QElapsedTimer sinceFrame;
  long count = 0;
  long limit = -1;
  QElapsedTimer loopClock;  // since the running loop began
  qint64 framesMs = 0;      // the time its frames took
  qint64 lastFrameMs = 0;   // the time the last frame took
  bool inFrame = false;
  // True between the display points of a running loop: until the event loop runs again (at the
  // next frame, or once the command has returned), values written wait for it.
  bool looping = false;
};
Displays& displays() {
  static Displays d;
  return d;
}

// Largest picture frame before it scrolls, cm.
constexpr double kFrameWidthCm = 26, kFrameHeightCm = 18;
// Room kept on the display beside a window for its frame, and above it for the title bar, pixels.
constexpr int kFrameRoomPx = 16, kTitleRoomPx = 48;

}  // namespace

Workbench::FormFactory qtForms() {
  return [](Screen& screen) { return std::make_unique<QtForm>(screen); };
}

QtForm::QtForm(Screen& screen)
    : Form(screen), watch_(std::make_unique<WindowWatch>(screen)), window_(std::make_unique<QWidget>()) {
  window_->installEventFilter(watch_.get());
  window_->setWindowTitle(qs(screen.title()));
  window_->setObjectName(QString("screen%1").arg(screen.number()));
  // Every control sits on one content widget inside a scroll area: a screen larger than the
  // display scrolls instead of reaching beyond it, so every control stays reachable.
  auto* outer = new QVBoxLayout(window_.get());
  outer->setContentsMargins(0, 0, 0, 0);
  scroll_ = new QScrollArea;
  scroll_->setObjectName("content_scroll");
  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setWidgetResizable(true);
  outer->addWidget(scroll_);
  content_ = new QWidget;
  content_->setObjectName("content");
  rootGrid_ = new QGridLayout(content_);
  for (const Control& c : screen.controls()) build(c, items_[c.id]);
  place();
  scroll_->setWidget(content_);
}

QSize QtForm::initialSize() const {
  // The whole content when it fits; else as much of it as the available part of the display
  // holds (room left for the window frame and the title bar).
  const QSize want = content_->sizeHint().expandedTo(content_->minimumSizeHint()) + QSize(2, 2);
  const QScreen* screen = window_->screen() ? window_->screen() : QGuiApplication::primaryScreen();
  if (!screen) return want;
  const QRect avail = screen->availableGeometry();
  const int bar = scroll_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  QSize size = want;
  if (size.width() > avail.width() - kFrameRoomPx) size.setHeight(size.height() + bar);
  if (size.height() > avail.height() - kTitleRoomPx) size.setWidth(size.width() + bar);
  return size.boundedTo(QSize(std::max(200, avail.width() - kFrameRoomPx),
                              std::max(150, avail.height() - kTitleRoomPx)));
}

QtForm::~QtForm() { window_->removeEventFilter(watch_.get()); }

QtForm::Item& QtForm::item(const Control& c) const { return items_.find(c.id)->second; }

QWidget* QtForm::widget(std::string_view id) const {
  const Control& c = screen().control(id);
  return item(c).main;
}

void QtForm::buildText(const Control& c, Item& it) {
  it.area = new QPlainTextEdit(qs(c.text));
  it.area->setReadOnly(c.readOnly);
  // A text that is the screen's content (a reference, a listing) opens at the size its
  // declaration asks for, within the display (the window scrolls beyond it).
  const QFontMetrics fm = it.area->fontMetrics();
  const int w = c.width > 0 ? fm.horizontalAdvance(QLatin1Char('0')) * (c.width + 2) : 320;
  const int h = c.rows > 0 ? fm.lineSpacing() * c.rows + 12 : 120;
  it.area->setMinimumSize(std::max(320, std::min(w, 1200)), std::max(120, std::min(h, 640)));
  QObject::connect(it.area, &QPlainTextEdit::textChanged, [this, &c] { userChanged(c); });
  it.main = it.area;
  it.outer = captioned(it.area, c.caption, it.caption);
}

void QtForm::buildOptions(const Control& c, Item& it) {
  const QString name = qs(c.id);
  it.frame = new QGroupBox(qs(c.caption));
  auto* grid = new QGridLayout(it.frame);
  grid->setContentsMargins(6, c.caption.empty() ? 4 : 6, 6, 4);
  auto* group = new QButtonGroup(it.frame);
  const int across = std::max(1, c.across);
  for (std::size_t k = 0; k < c.entries.size(); ++k) {
    auto* radio = new QRadioButton(qs(c.entries[k]));
    radio->setObjectName(name + QString("_%1").arg(k));
    group->addButton(radio, static_cast<int>(k));
    grid->addWidget(radio, static_cast<int>(k) / across, static_cast<int>(k) % across);
    QObject::connect(radio, &QRadioButton::toggled, [this, &c](bool on) {
      if (on) userChanged(c);
    });
    it.radios.push_back(radio);
  }
  if (c.entry >= 0) {
    const QSignalBlocker quiet(it.radios[static_cast<std::size_t>(c.entry)]);
    it.radios[static_cast<std::size_t>(c.entry)]->setChecked(true);
  }
  it.main = it.frame;
}

void QtForm::buildTable(const Control& c, Item& it) {
  it.table = new QTableWidget(c.rows, static_cast<int>(c.columns.size()));
  QStringList headers;
  for (const auto& h : c.columns) headers << qs(h);
  it.table->setHorizontalHeaderLabels(headers);
  QStringList rows;
  for (int r = 0; r < c.rows; ++r)
    rows << (r < static_cast<int>(c.rowCaptions.size()) ? qs(c.rowCaptions[static_cast<std::size_t>(r)])
                                                         : QString::number(r));
  it.table->setVerticalHeaderLabels(rows);
  if (c.readOnly) it.table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  it.table->resizeColumnsToContents();
  // Columns at least 90 pixels, or as wide as `chars` digits when the screen asks for it.
  const int least = c.width > 0
                        ? it.table->fontMetrics().horizontalAdvance(QLatin1Char('0')) * (c.width + 2)
                        : 90;
  for (int col = 0; col < it.table->columnCount(); ++col)
    it.table->setColumnWidth(col, std::max(it.table->columnWidth(col), least));
  int w = it.table->verticalHeader()->sizeHint().width() + 4;
  for (int col = 0; col < it.table->columnCount(); ++col) w += it.table->columnWidth(col);
  const int h = it.table->horizontalHeader()->sizeHint().height() + 4 +
                c.rows * it.table->verticalHeader()->defaultSectionSize();
  it.table->setMinimumSize(std::min(w, 1100), std::min(h, 420));
  QObject::connect(it.table, &QTableWidget::cellChanged, [this, &c] { userChanged(c); });
  it.main = it.table;
  it.outer = captioned(it.table, c.caption, it.caption);
}

void QtForm::buildPicture(const Control& c, Item& it) {
  const QString name = qs(c.id);
  auto* view = new PictureWidget;
  view->setObjectName(name);
  it.canvas = std::make_unique<QtCanvas>(c.widthCm, c.heightCm, view);
  view->setPress([this, &c](double x, double y, MouseButton b) { userClicked(c, x, y, b); });
  auto* area = new QScrollArea;
  area->setWidget(view);
  area->setWidgetResizable(false);
  area->setMinimumSize(
      static_cast<int>(std::min(c.widthCm, kFrameWidthCm) * Canvas::kPixelsPerCm) + 4,
      static_cast<int>(std::min(c.heightCm, kFrameHeightCm) * Canvas::kPixelsPerCm) + 4);
  // The frame holds the picture and no more: a column wider than the picture leaves its room
  // beside the frame, not as an empty band inside it.
  area->setMaximumSize(static_cast<int>(c.widthCm * Canvas::kPixelsPerCm) + 4,
                       static_cast<int>(c.heightCm * Canvas::kPixelsPerCm) + 4);
  it.frame = new QGroupBox(qs(c.caption));
  it.frame->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Maximum);
  auto* v = new QVBoxLayout(it.frame);
  v->setContentsMargins(2, 2, 2, 2);
  v->addWidget(area);
  it.main = view;
  it.outer = it.frame;
}

void QtForm::build(const Control& c, Item& it) {
  const QString name = qs(c.id);
  switch (c.kind) {
    case Kind::Field: {
      it.caption = new QLabel(qs(c.caption));
      it.edit = new QLineEdit(qs(c.text));
      it.edit->setReadOnly(c.readOnly);
      const int chars = c.width > 0 ? c.width : 12;
      it.edit->setFixedWidth(it.edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * (chars + 2));
      QObject::connect(it.edit, &QLineEdit::textEdited, [this, &c] { userChanged(c); });
      it.main = it.edit;
      break;
    }
    case Kind::Text:
      buildText(c, it);
      break;
    case Kind::Label:
      it.label = new QLabel(qs(c.caption));
      if (c.width > 0) {
        // A label of a given width (a text that changes while a loop runs): its size stays, so
        // that the window does not move as the text grows; a longer text wraps to a second line.
        const QFontMetrics fm = it.label->fontMetrics();
        it.label->setFixedSize(fm.horizontalAdvance(QLatin1Char('0')) * c.width,
                               fm.lineSpacing() * 2 + 2);
        it.label->setWordWrap(true);
        it.label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      }
      it.main = it.label;
      break;
    case Kind::Check:
      it.check = new QCheckBox(qs(c.caption));
      it.check->setChecked(c.on);
      QObject::connect(it.check, &QCheckBox::clicked, [this, &c] { userChanged(c); });
      it.main = it.check;
      break;
    case Kind::Options:
      buildOptions(c, it);
      break;
    case Kind::Button:
      it.button = new QPushButton(qs(c.caption));
      QObject::connect(it.button, &QPushButton::clicked, [this, &c] { press(c.id); });
      it.main = it.button;
      break;
    case Kind::Table:
      buildTable(c, it);
      break;
    case Kind::Picture:
      buildPicture(c, it);
      return;  // the picture widget keeps the id as its object name
    case Kind::Scroll:
      it.caption = new QLabel(qs(c.caption));
      it.bar = new QScrollBar(Qt::Horizontal);
      it.bar->setRange(c.min, c.max);
      it.bar->setValue(c.position);
      it.bar->setPageStep(std::max(1, (c.max - c.min) / 10));
      it.bar->setMinimumWidth(160);
      QObject::connect(it.bar, &QScrollBar::valueChanged, [this, &c] { userChanged(c); });
      it.main = it.bar;
      break;
    case Kind::Group:
      it.frame = new QGroupBox(qs(c.caption));
      it.grid = new QGridLayout(it.frame);
      it.main = it.frame;
      break;
    case Kind::Hidden:
      return;
  }
  it.main->setObjectName(name);
  if (!c.help.empty()) it.main->setToolTip(qs(c.help));
  if (!it.outer) it.outer = it.main;
}

void QtForm::place() {
  // Each logical column is two grid columns: caption and widget.
  std::map<std::string, int> nextRow;
  for (const Control& c : screen().controls()) {
    if (c.kind == Kind::Hidden) continue;
    Item& it = item(c);
    QGridLayout* grid = c.group.empty() ? rootGrid_ : items_.find(c.group)->second.grid;
    int& next = nextRow[c.group];
    const int row = c.row >= 0 ? c.row : next;
    const int col = c.row >= 0 ? c.col : 0;
    next = std::max(next, row + std::max(1, c.rowSpan));
    const int rs = std::max(1, c.rowSpan), cs = std::max(1, c.colSpan);
    if (c.kind == Kind::Field || c.kind == Kind::Scroll) {
      grid->addWidget(it.caption, row, 2 * col, rs, 1, Qt::AlignRight | Qt::AlignVCenter);
      grid->addWidget(it.outer, row, 2 * col + 1, rs, 2 * cs - 1, Qt::AlignLeft | Qt::AlignVCenter);
    } else if (c.kind == Kind::Check || c.kind == Kind::Label || c.kind == Kind::Button) {
      grid->addWidget(it.outer, row, 2 * col, rs, 2 * cs, Qt::AlignLeft | Qt::AlignVCenter);
    } else {
      grid->addWidget(it.outer, row, 2 * col, rs, 2 * cs);
    }
  }
  // A group without a caption only arranges its groups in a column: they keep their own heights
  // at the top, and the space a taller neighbouring column leaves goes below them, so that the
  // column stays as short as its contents on a small display.
  for (const Control& c : screen().controls())
    if (c.kind == Kind::Group && c.caption.empty())
      items_.find(c.id)->second.grid->setRowStretch(nextRow[c.id], 1);
}

// ---- writes that wait for the next frame ----

QtForm::Pending& QtForm::pending(const Control& c) {
  if (!flushPosted_) {
    // When the running command returns to the event loop, or at the next frame of its loop.
    flushPosted_ = true;
    QTimer::singleShot(0, window_.get(), [this] {
      flushPosted_ = false;
      applyAll();
    });
  }
  return pending_[&c];
}

void QtForm::apply(const Control& c) const {
  auto found = pending_.find(&c);
  if (found == pending_.end()) return;
  Pending p = std::move(found->second);
  pending_.erase(found);
  Item& it = item(c);
  const QSignalBlocker quiet(it.main);
  if (p.hasText) {
    if (it.edit) {
      it.edit->setText(qs(p.text));
      it.edit->setCursorPosition(0);
    } else {
      it.area->setPlainText(qs(p.text));
    }
  }
  if (!p.lines.empty()) {
    QString joined;
    for (std::size_t k = 0; k < p.lines.size(); ++k) {
      if (k > 0) joined += QLatin1Char('\n');
      joined += qs(p.lines[k]);
    }
    it.area->appendPlainText(joined);
  }
  if (p.hasCaption) it.label->setText(qs(p.caption));
  for (const auto& [at, text] : p.cells) {
    if (QTableWidgetItem* cell = it.table->item(at.first, at.second))
      cell->setText(qs(text));
    else
      it.table->setItem(at.first, at.second, new QTableWidgetItem(qs(text)));
  }
}

void QtForm::applyAll() const {
  while (!pending_.empty()) apply(*pending_.begin()->first);
}

// ---- values ----

std::string QtForm::readText(const Control& c) const {
  apply(c);
  const Item& it = item(c);
  return it.edit ? ss(it.edit->text()) : ss(it.area->toPlainText());
}

void QtForm::writeText(const Control& c, std::string_view text) {
  if (!displays().looping) return applyText(c, text);
  Pending& p = pending(c);
  p.hasText = true;
  p.text = text;
  p.lines.clear();
}

void QtForm::addLine(const Control& c, std::string_view line) {
  if (!displays().looping) {
    apply(c);
    Item& it = item(c);
    const QSignalBlocker quiet(it.area);
    it.area->appendPlainText(qs(line));
    return;
  }
  pending(c).lines.emplace_back(line);
}

void QtForm::applyText(const Control& c, std::string_view text) {
  pending_.erase(&c);
  Item& it = item(c);
  const QSignalBlocker quiet(it.main);
  if (it.edit) {
    it.edit->setText(qs(text));
    it.edit->setCursorPosition(0);
  } else {
    it.area->setPlainText(qs(text));
  }
}

bool QtForm::readCheck(const Control& c) const { return item(c).check->isChecked(); }

void QtForm::writeCheck(const Control& c, bool on) { item(c).check->setChecked(on); }

int QtForm::readOption(const Control& c) const {
  const Item& it = item(c);
  for (std::size_t k = 0; k < it.radios.size(); ++k)
    if (it.radios[k]->isChecked()) return static_cast<int>(k);
  return -1;
}

void QtForm::writeOption(const Control& c, int entry) {
  Item& it = item(c);
  std::vector<std::unique_ptr<QSignalBlocker>> quiet;
  for (QRadioButton* r : it.radios) quiet.push_back(std::make_unique<QSignalBlocker>(r));
  if (entry >= 0) {
    it.radios[static_cast<std::size_t>(entry)]->setChecked(true);
    return;
  }
  // No entry chosen: an exclusive group does not let its last checked button go.
  QButtonGroup* group = it.radios.empty() ? nullptr : it.radios.front()->group();
  if (group) group->setExclusive(false);
  for (QRadioButton* r : it.radios) r->setChecked(false);
  if (group) group->setExclusive(true);
}

int QtForm::readPosition(const Control& c) const { return item(c).bar->value(); }

void QtForm::writePosition(const Control& c, int position) {
  Item& it = item(c);
  const QSignalBlocker quiet(it.bar);
  it.bar->setValue(position);
}

std::string QtForm::readCell(const Control& c, int row, int col) const {
  apply(c);
  const QTableWidgetItem* cell = item(c).table->item(row, col);
  return cell ? ss(cell->text()) : std::string();
}

void QtForm::writeCell(const Control& c, int row, int col, std::string_view text) {
  pending(c).cells[{row, col}] = text;
  if (!displays().looping) apply(c);
}

// ---- appearance ----

void QtForm::writeCaption(const Control& c, std::string_view caption) {
  Item& it = item(c);
  switch (c.kind) {
    case Kind::Label: {
      Pending& p = pending(c);
      p.hasCaption = true;
      p.caption = caption;
      if (!displays().looping) apply(c);
      break;
    }
    case Kind::Check: it.check->setText(qs(caption)); break;
    case Kind::Button: it.button->setText(qs(caption)); break;
    case Kind::Options:
    case Kind::Group:
    case Kind::Picture: it.frame->setTitle(qs(caption)); break;
    default:
      if (it.caption) {
        it.caption->setText(qs(caption));
        if (c.kind == Kind::Table || c.kind == Kind::Text) it.caption->setVisible(!caption.empty());
      }
  }
}

void QtForm::writeColumnCaption(const Control& c, int col, std::string_view caption) {
  item(c).table->setHorizontalHeaderItem(col, new QTableWidgetItem(qs(caption)));
}

void QtForm::writeEnabled(const Control& c, bool enabled) {
  Item& it = item(c);
  it.outer->setEnabled(enabled);
  if (it.caption && c.kind != Kind::Table && c.kind != Kind::Text) it.caption->setEnabled(enabled);
}

void QtForm::writeVisible(const Control& c, bool visible) {
  Item& it = item(c);
  it.outer->setVisible(visible);
  if (it.caption && c.kind != Kind::Table && c.kind != Kind::Text) it.caption->setVisible(visible);
}

void QtForm::writeEntryEnabled(const Control& c, int entry, bool enabled) {
  item(c).radios[static_cast<std::size_t>(entry)]->setEnabled(enabled);
}

void QtForm::writeEntryVisible(const Control& c, int entry, bool visible) {
  item(c).radios[static_cast<std::size_t>(entry)]->setVisible(visible);
}

Canvas& QtForm::canvasOf(const Control& c) { return *item(c).canvas; }

// ---- window and dialogs ----

void QtForm::showWindow() {
  if (!sized_) {
    sized_ = true;
    window_->resize(initialSize());
  }
  window_->show();
  window_->raise();
  window_->activateWindow();
}

void QtForm::hideWindow() { window_->hide(); }

bool QtForm::windowShown() const { return window_->isVisible(); }

void QtForm::showMessage(std::string_view text, std::string_view title) {
  applyAll();
  QMessageBox box(QMessageBox::NoIcon, qs(title), qs(text), QMessageBox::Ok,
                  window_->isVisible() ? window_.get() : nullptr);
  box.setAttribute(Qt::WA_QuitOnClose, false);  // a box shown before any window must not end the program
  box.exec();
}

bool QtForm::askQuestion(std::string_view text, std::string_view title) {
  applyAll();
  QMessageBox box(QMessageBox::Question, qs(title), qs(text), QMessageBox::Yes | QMessageBox::No,
                  window_->isVisible() ? window_.get() : nullptr);
  box.button(QMessageBox::Yes)->setText("Да");
  box.button(QMessageBox::No)->setText("Нет");
  box.setDefaultButton(QMessageBox::Yes);
  box.setAttribute(Qt::WA_QuitOnClose, false);
  return box.exec() == QMessageBox::Yes;
}

void QtForm::limitDisplays(long limit) {
  displays().count = 0;
  displays().limit = limit;
}

void QtForm::pumpEvents() {
  Displays& d = displays();
  ++d.count;
  if (d.limit >= 0 && d.count >= d.limit) screen().state().kStop = 1;
  // Marks the loop as running until the event loop runs again: at the next frame (the loop's
  // next display point marks it again), or once the command has returned (the loop has ended).
  const auto armLoop = [&d] {
    d.looping = true;
    QTimer::singleShot(0, [] {
      Displays& e = displays();
      e.looping = false;
      if (!e.inFrame) e.loopClock.invalidate();
    });
  };
  bool begins = false;
  if (!d.looping) {
    if (!d.loopClock.isValid()) {  // a loop begins: the window is up to date
      d.loopClock.start();
      d.sinceFrame.start();
      d.framesMs = 0;
      begins = true;
    } else {
      armLoop();
    }
  }
  // The first display point of a loop handles the input that is pending at once (a
  // "Остановить" pressed as the loop started is seen there) but paints nothing: what the command
  // changed before its loop is painted at the next frame. After it, at most kFramesPerSecond
  // frames a second, and frames take at most a third of the loop's time (a frame is expected to
  // cost what the last one did).
  if (!begins && (d.sinceFrame.elapsed() < 1000 / kFramesPerSecond ||
                  3 * (d.framesMs + d.lastFrameMs) > d.loopClock.elapsed()))
    return;
  QElapsedTimer frame;
  frame.start();
  d.inFrame = true;
  applyAll();
  if (begins) {
    std::vector<QWidget*> held;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->isVisible() && w->updatesEnabled()) {
        w->setUpdatesEnabled(false);
        held.push_back(w);
      }
    QCoreApplication::processEvents();
    for (QWidget* w : held) w->setUpdatesEnabled(true);  // repainted at the next frame
  } else {
    QCoreApplication::processEvents();
  }
  d.inFrame = false;
  // The first frame ran before the loop was marked: mark it now, so that what the loop writes
  // after its first display point waits for the next frame.
  if (begins) armLoop();
  d.lastFrameMs = frame.elapsed();
  if (d.lastFrameMs > kUserPauseMs) {
    // The frame waited for the user (a message box a command raised, a dialog): that time was
    // neither the loop's nor the frame's, and counted as frame time it would hold the next frames
    // back for three times as long. The loop's accounts start again.
    d.loopClock.start();
    d.framesMs = 0;
    d.lastFrameMs = 0;
  } else {
    d.framesMs += d.lastFrameMs;
  }
  d.sinceFrame.start();
}

}  // namespace orvant::ui
