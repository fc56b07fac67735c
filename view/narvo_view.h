// The board view: the central widget of the main frame. For now it paints
// the background colour only.
#pragma once
#include <QWidget>

class CNarvoView : public QWidget {
  Q_OBJECT
public:
  explicit CNarvoView(QWidget* parent = nullptr);
  ~CNarvoView() override;

protected:
  void paintEvent(QPaintEvent* e) override;
};

extern CNarvoView* g_pView;
