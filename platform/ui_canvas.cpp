// The canvas: shows the picture enlarged and reports the left mouse button.
#include "platform/colour.h"
#include "platform/events.h"
#include "platform/imagelib.h"
#include "platform/ui_widgets.h"
#include "platform/zoompaint.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>
#include <memory>

namespace {

class Canvas : public QWidget {
public:
  explicit Canvas(int id, QWidget *parent) : QWidget(parent), id(id) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_StaticContents);
  }
  std::shared_ptr<const QImage> picture; // what the canvas shows; held until the next picture
  int zoom = 1;                          // screen pixels per picture pixel
  QColor fill = Qt::black;               // shown where no picture is

protected:
  void paintEvent(QPaintEvent *event) override {
    QPainter painter(this);
    const QRect area = event->rect();
    if (!picture) {
      painter.fillRect(area, fill);
      return;
    }
    // Paint in device pixels, so that on a high-density screen every picture pixel is
    // still an exact block.
    const qreal ratio = devicePixelRatioF();
    const int scale = std::abs(ratio - std::round(ratio)) < 0.01 && ratio >= 1 ? int(std::round(ratio)) : 1;
    const QRect deviceArea(area.topLeft() * scale, area.size() * scale);
    QImage view(deviceArea.size(), QImage::Format_RGB32);
    view.fill(fill);
    PaintZoomed(*picture, zoom * scale, deviceArea, view);
    view.setDevicePixelRatio(scale);
    painter.drawImage(area.topLeft(), view);
  }
  void mousePressEvent(QMouseEvent *event) override {
    if (event->button() != Qt::LeftButton || (event->buttons() & ~Qt::LeftButton))
      return;
    leftHeld = true;
    Report(GadgetLeftPressed, event->position().toPoint());
  }
  // A double click is two presses and two releases. Qt may deliver the second press
  // as a double-click event alone, or as a press followed by a double-click event.
  void mouseDoubleClickEvent(QMouseEvent *event) override {
    if (!leftHeld)
      mousePressEvent(event);
  }
  void mouseReleaseEvent(QMouseEvent *event) override {
    if (event->button() != Qt::LeftButton)
      return;
    QPoint at = event->position().toPoint();
    if (leftHeld) // the pointer may have left the canvas while the button was held
      at = QPoint(std::clamp(at.x(), 0, width() - 1), std::clamp(at.y(), 0, height() - 1));
    leftHeld = false;
    Report(GadgetLeftReleased, at);
  }

private:
  void Report(int type, QPoint at) {
    Event gadget;
    gadget.kind = GadgetEvent;
    gadget.sourceId = id;
    gadget.type = type;
    gadget.x = at.x();
    gadget.y = at.y();
    PostEvent(gadget);
  }
  int id;
  bool leftHeld = false; // a left press on the canvas waits for its release
};

} // namespace

QWidget *NewCanvasWidget(int id, QWidget *parent) { return new Canvas(id, parent); }

void SetCanvasPicture(QWidget *canvas, int slot, int zoom) {
  auto *view = static_cast<Canvas *>(canvas);
  view->picture = ImageHandle(slot);
  view->zoom = zoom;
  view->update();
}

void SetCanvasFill(QWidget *canvas, int32_t colour) {
  auto *view = static_cast<Canvas *>(canvas);
  view->fill = QColor(RedOf(colour), GreenOf(colour), BlueOf(colour));
  view->update();
}
