// A picture area of the window: a Canvas painted on a QImage and shown by a widget.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

#include "ui/canvas.h"
#include "ui/control.h"

namespace orvant::ui {

// Shows the image of a QtCanvas and reports mouse presses in centimetres from its top-left corner.
class PictureWidget : public QWidget {
 public:
  using Press = std::function<void(double xCm, double yCm, MouseButton button)>;
  explicit PictureWidget(QWidget* parent = nullptr) : QWidget(parent) {}
  void setImage(const QImage* image);
  void setPress(Press press) { press_ = std::move(press); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  const QImage* image_ = nullptr;
  Press press_;
};

class QtCanvas : public Canvas {
 public:
  QtCanvas(double widthCm, double heightCm, PictureWidget* view);
  const QImage& image() const { return image_; }

 protected:
  void paint(const Shape& shape) override;
  void erase() override;
  void resized() override;
  bool write(const std::string& path) override;

 private:
  void allocate();
  QImage image_;
  PictureWidget* view_;
};

}  // namespace orvant::ui
