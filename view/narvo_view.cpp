#include "view/narvo_view.h"

#include <QPainter>

#include "settings/env.h"

CNarvoView* g_pView = nullptr;

CNarvoView::CNarvoView(QWidget* parent) : QWidget(parent) {
  g_pView = this;
  setAttribute(Qt::WA_OpaquePaintEvent);
}

CNarvoView::~CNarvoView() {
  if (g_pView == this) g_pView = nullptr;
}

void CNarvoView::paintEvent(QPaintEvent* e) {
  QPainter p(this);
  p.fillRect(rect(), QColor(g_rgbBackground.r, g_rgbBackground.g, g_rgbBackground.b));
}
