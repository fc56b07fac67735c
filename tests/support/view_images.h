// What the board view shows, for view tests: a fresh paint of the whole view
// into an image of its own, and the view's image once its pending paint ran.
#pragma once
#include <QImage>
#include <QPainter>

#include "view/narvo_view.h"

inline QImage FreshViewPaint(CNarvoView& view) {
  QImage image(view.size(), QImage::Format_RGB32);
  QPainter p(&image);
  view.OnDraw(p);
  return image;
}

inline QImage ShownViewImage(CNarvoView& view) {
  view.grab();
  return view.Image();
}
