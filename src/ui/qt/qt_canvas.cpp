#include "ui/qt/qt_canvas.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QSaveFile>
#include <algorithm>
#include <cmath>

namespace orvant::ui {

namespace {

int pixels(double cm) {
  return std::clamp(static_cast<int>(std::lround(cm * Canvas::kPixelsPerCm)), 1, 20000);
}

QColor qcolor(Color c) { return QColor(c.r, c.g, c.b); }

// Text height of pictures: a line of `print` is Canvas::kLineCm high.
QFont pictureFont() {
  QFont f;
  f.setPixelSize(static_cast<int>(std::lround(0.34 * Canvas::kPixelsPerCm)));
  return f;
}

}  // namespace

void PictureWidget::setImage(const QImage* image) {
  image_ = image;
  if (image_) setFixedSize(image_->size());
  changed();
}

void PictureWidget::changed() {
  if (pending_) return;
  pending_ = true;
  update();
}

void PictureWidget::paintEvent(QPaintEvent*) {
  pending_ = false;
  if (beforeShow_) beforeShow_();
  if (!image_) return;
  QPainter p(this);
  p.drawImage(0, 0, *image_);
}

void PictureWidget::mousePressEvent(QMouseEvent* event) {
  MouseButton button;
  if (event->button() == Qt::LeftButton)
    button = MouseButton::Left;
  else if (event->button() == Qt::RightButton)
    button = MouseButton::Right;
  else
    return;
  const QPointF at = event->position();
  if (press_) press_(at.x() / Canvas::kPixelsPerCm, at.y() / Canvas::kPixelsPerCm, button);
}

QtCanvas::QtCanvas(double widthCm, double heightCm, PictureWidget* view)
    : Canvas(widthCm, heightCm), view_(view), font_(pictureFont()) {
  view_->setBeforeShow([this] { finish(); });
  allocate();
}

QtCanvas::~QtCanvas() {
  finish();
  view_->setBeforeShow(nullptr);
}

void QtCanvas::finish() {
  if (cleared_) image_.fill(Qt::white);
  cleared_ = false;
  if (waiting_.empty()) return;
  QPainter p(&image_);
  p.setFont(font_);
  for (const Shape& s : waiting_) draw(s, p);
  waiting_.clear();
}

void QtCanvas::allocate() {
  waiting_.clear();
  cleared_ = false;
  image_ = QImage(pixels(widthCm()), pixels(heightCm()), QImage::Format_RGB32);
  image_.fill(Qt::white);
  view_->setImage(&image_);
}

namespace {

// Clips the segment a-b to the rectangle r (Liang-Barsky); false when nothing of it is inside.
// Keeps the painter away from coordinates far beyond the image (a plot of an absurd scale).
bool clipped(QPointF& a, QPointF& b, const QRectF& r) {
  double t0 = 0, t1 = 1;
  const double dx = b.x() - a.x(), dy = b.y() - a.y();
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.x() - r.left(), r.right() - a.x(), a.y() - r.top(), r.bottom() - a.y()};
  for (int i = 0; i < 4; ++i) {
    if (!std::isfinite(p[i]) || !std::isfinite(q[i])) return false;
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0)
      t0 = std::max(t0, t);
    else
      t1 = std::min(t1, t);
    if (t0 > t1) return false;
  }
  const QPointF from = a;
  a = from + QPointF(dx * t0, dy * t0);
  b = from + QPointF(dx * t1, dy * t1);
  return true;
}

}  // namespace

void QtCanvas::paint(const Shape& s) {
  waiting_.push_back(s);
  if (waiting_.size() >= kMaxWaiting) finish();
  view_->changed();
}

void QtCanvas::draw(const Shape& s, QPainter& p) {
  const double k = kPixelsPerCm;
  // Shapes are painted only where they can touch the image.
  const QRectF near = QRectF(image_.rect()).adjusted(-100, -100, 100, 100);
  if (s.type != Shape::Type::Line) {
    const QPointF at(s.cx1 * k, s.cy1 * k);
    if (!std::isfinite(at.x()) || !std::isfinite(at.y())) return;
    const double reach = s.type == Shape::Type::Text ? 4000 : std::fabs(s.cr * k);
    if (!(reach < 1e6) || !near.adjusted(-reach, -reach, reach, reach).contains(at)) return;
  }
  QPen pen(qcolor(s.color));
  pen.setWidth(s.pen);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  switch (s.type) {
    case Shape::Type::Point: {
      const double half = (s.pen - 1) / 2.0;
      p.fillRect(QRectF(std::floor(s.cx1 * k - half), std::floor(s.cy1 * k - half), s.pen, s.pen),
                 qcolor(s.color));
      break;
    }
    case Shape::Type::Line:  // aliased, as the colours were asked for: no blended pixels
    {
      QPointF a(s.cx1 * k, s.cy1 * k), b(s.cx2 * k, s.cy2 * k);
      if (clipped(a, b, near)) p.drawLine(a, b);
      break;
    }
    case Shape::Type::Circle:
      if (s.filled) p.setBrush(qcolor(s.color));
      p.drawEllipse(QPointF(s.cx1 * k, s.cy1 * k), s.cr * k, s.cr * k);
      break;
    case Shape::Type::Text: {
      p.setRenderHint(QPainter::TextAntialiasing);
      p.drawText(QPointF(s.cx1 * k, s.cy1 * k + QFontMetricsF(font_).ascent()),
                 QString::fromStdString(s.text));
      break;
    }
  }
}

void QtCanvas::erase() {
  waiting_.clear();
  cleared_ = true;
  view_->changed();
}

void QtCanvas::resized() { allocate(); }

bool QtCanvas::write(const std::string& path) {
  finish();
  const std::string ext = extensionOf(path);
  if (ext.size() < 2) return false;
  const QByteArray format = QByteArray::fromStdString(ext.substr(1)).toUpper();
  QSaveFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (!image_.save(&file, format.constData())) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

}  // namespace orvant::ui
