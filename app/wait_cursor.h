// The wait cursor over the whole application while a long command runs.
#pragma once
#include <QApplication>

class WaitCursor {
 public:
  WaitCursor() {
    if (qApp) QApplication::setOverrideCursor(Qt::WaitCursor);
  }
  ~WaitCursor() {
    if (qApp) QApplication::restoreOverrideCursor();
  }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};
