// A picture area of the window: a Canvas painted on a QImage and shown by a widget.
//
// Shapes wait in a list until the picture is next shown (a frame of the window), saved or read,
// and are painted then, through one painter: a loop that clears and redraws its picture at every
// step costs the painting of what is shown only, and a growing orbit is not painted point by
// point with a painter each. A clear empties the list. At most kMaxWaiting shapes wait (a hidden
// window is not shown); more are painted at once. The widget is asked to repaint once until it
// has repainted.
#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

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
  // Called before the image is shown (the canvas closes its painter).
  void setBeforeShow(std::function<void()> f) { beforeShow_ = std::move(f); }
  // Asks for a repaint unless one is pending.
  void changed();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  const QImage* image_ = nullptr;
  Press press_;
  std::function<void()> beforeShow_;
  bool pending_ = false;
};

class QtCanvas : public Canvas {
 public:
  QtCanvas(double widthCm, double heightCm, PictureWidget* view);
  ~QtCanvas() override;
  // The image with every shape drawn so far.
  const QImage& image() {
    finish();
    return image_;
  }

 protected:
  void paint(const Shape& shape) override;
  void erase() override;
  void resized() override;
  bool write(const std::string& path) override;

 private:
  static constexpr std::size_t kMaxWaiting = 20000;
  void allocate();
  void draw(const Shape& shape, QPainter& p);
  void finish();  // paints what waits
  QImage image_;
  PictureWidget* view_;
  QFont font_;
  std::vector<Shape> waiting_;
  bool cleared_ = false;  // the image is to be filled white before the waiting shapes
};

}  // namespace orvant::ui
