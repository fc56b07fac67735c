// "棋譜変化図の出力": the layout of the variation-tree diagram (the settings
// 棋譜ツリー), asked each time the diagram is copied.
#pragma once
#include "settings/data_exchange_qt.h"

class QButtonGroup;

class CDovuTreeDg : public CDataDialog {
  Q_OBJECT
public:
  explicit CDovuTreeDg(QWidget* parent);
  int m_nDepthLimit = 8;
  int m_nMoveForm = 0;      // 0 full width, 1 half width
  int m_nFullWidthColumn = 10;
  int m_nHalfWidthColumn = 8;

  SpinEdit* DepthEdit() const { return depth_; }
  QButtonGroup* FormGroup() const { return form_; }
  SpinEdit* FullWidthEdit() const { return fullWidth_; }
  SpinEdit* HalfWidthEdit() const { return halfWidth_; }

protected:
  void DoDataExchange(DataExchange& dx) override;

private:
  SpinEdit* depth_;
  QButtonGroup* form_;
  SpinEdit* fullWidth_;
  SpinEdit* halfWidth_;
};

// Runs the dialog on the four 棋譜ツリー settings and stores them back on OK.
// false on Cancel (the settings stay as they were).
bool AskVariationTreeLayout();
