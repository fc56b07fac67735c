#include "settings/reg_page_qt.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/file_types.h"

CRegPage::CRegPage() {
  auto* layout = new QVBoxLayout(this);
  auto add = [&](const char16_t* text, const char16_t* button) {
    auto* label = new QLabel(QString::fromUtf16(text), this);
    label->setWordWrap(true);
    layout->addWidget(label);
    auto* row = new QHBoxLayout;
    auto* b = new QPushButton(QString::fromUtf16(button), this);
    b->setAutoDefault(false);
    row->addWidget(b);
    row->addStretch();
    layout->addLayout(row);
    return b;
  };
  register_ = add(u"ボタンを押すと、棋譜(ZRF/ZR2/CSA)、局面(BOD)ファイルを本プログラムと対応付けします。",
                  u"実行(&E)");
  shortcut_ = add(u"ボタンを押すと、本プログラムのショートカットをデスクトップに作成します。", u"作成(&C)");
  layout->addStretch();
  connect(register_, &QPushButton::clicked, this, [] { RegisterFileTypes(); });
  connect(shortcut_, &QPushButton::clicked, this, [] { CreateDesktopShortcut(); });
}
