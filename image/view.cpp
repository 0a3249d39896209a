#include "image/view.h"

#include "app/ids.h"
#include "app/state.h"
#include "platform/imagelib.h"
#include "platform/ui.h"

#include <algorithm>

constexpr int minZoom = 1;
constexpr int maxZoom = 10;

QString ZoomText(int factor) { return QString("Zoom: %1x%1").arg(factor); }

void RefreshView() {
  zoom = std::clamp(zoom, minZoom, maxZoom);
  if (!ImageExists(workImage))
    return;
  const int viewWidth = ImageWidth(workImage) * zoom, viewHeight = ImageHeight(workImage) * zoom;
  if (ScrollerInnerWidth(ViewScroller) != viewWidth)
    SetScrollerInnerWidth(ViewScroller, viewWidth);
  if (ScrollerInnerHeight(ViewScroller) != viewHeight)
    SetScrollerInnerHeight(ViewScroller, viewHeight);
  ShowPicture(ViewCanvas, workImage, zoom);
  SetStatusText(1, ZoomText(zoom));
}

void WheelStep(int rotation) {
  if (rotation == 0)
    return;
  zoom += rotation > 0 ? 1 : -1;
  RefreshView();
}
