#include "output/sheet_preview.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

#include "output/score_sheet.h"
#include "app/narvo_app.h"

namespace {

constexpr double kPaperWidthMm = 210, kPaperHeightMm = 297;  // A4, as printed
constexpr int kMargin = 8, kGap = 8;

}  // namespace

// The pages as shown: grey around them, white paper with a thin edge.
class SheetPreviewPages : public QWidget {
public:
  explicit SheetPreviewPages(SheetPreviewDialog* dialog) : m_dialog(dialog) {
    setAutoFillBackground(false);
  }

  // Screen pixels per millimetre at the dialog's zoom for this widget's size.
  double Scale(QSize area) const {
    const int n = m_dialog->ShownPages();
    if (m_dialog->Zoom() > 0) return g_nDpiX / 25.4 * m_dialog->Zoom();
    const double across = (area.width() - 2 * kMargin - (n - 1) * kGap) / (n * kPaperWidthMm);
    const double down = (area.height() - 2 * kMargin) / kPaperHeightMm;
    return std::max(0.1, std::min(across, down));
  }
  QSize PaperSize(double scale) const {
    return QSize(std::max(1, int(kPaperWidthMm * scale)), std::max(1, int(kPaperHeightMm * scale)));
  }
  // The size a zoomed page takes, scroll bars then showing the rest.
  QSize ZoomedSize() const {
    const QSize paper = PaperSize(Scale(QSize()));
    return QSize(paper.width() + 2 * kMargin, paper.height() + 2 * kMargin);
  }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), QColor(128, 128, 128));
    const int n = m_dialog->ShownPages();
    const QSize paper = PaperSize(Scale(size()));
    const int total = n * paper.width() + (n - 1) * kGap;
    int x = std::max(kMargin, (width() - total) / 2);
    const int y = std::max(kMargin, (height() - paper.height()) / 2);
    for (int k = 0; k < n; ++k) {
      const int page = m_dialog->FirstShownPage() + k;
      if (page > m_dialog->Pages()) break;
      const QRect r(QPoint(x, y), paper);
      p.fillRect(r.translated(3, 3), QColor(64, 64, 64));
      p.drawImage(r.topLeft(), m_dialog->PageImage(page, paper));
      p.setPen(Qt::black);
      p.drawRect(r.adjusted(0, 0, -1, -1));
      x += paper.width() + kGap;
    }
  }
  void wheelEvent(QWheelEvent* e) override {
    // Fitted, the wheel turns the pages; zoomed, it scrolls.
    if (m_dialog->Zoom() > 0 || e->angleDelta().y() == 0) {
      e->ignore();
      return;
    }
    if (e->angleDelta().y() < 0)
      m_dialog->NextPage();
    else
      m_dialog->PreviousPage();
  }

private:
  SheetPreviewDialog* m_dialog;
};

SheetPreviewDialog::SheetPreviewDialog(int pages, QWidget* owner) : QDialog(owner), m_pages(std::max(1, pages)) {
  setWindowTitle(QString::fromUtf16(u"棋譜用紙印刷プレビュー"));
  auto* column = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  auto button = [&](const char16_t* text) {
    auto* b = new QPushButton(QString::fromUtf16(text), this);
    b->setAutoDefault(false);
    row->addWidget(b);
    return b;
  };
  m_printButton = button(u"印刷(&P)...");
  m_next = button(u"次ページ(&N)");
  m_previous = button(u"前ページ(&V)");
  m_twoButton = button(u"2 ページ(&T)");
  m_zoomIn = button(u"拡大(&I)");
  m_zoomOut = button(u"縮小(&O)");
  m_close = button(u"閉じる(&C)");
  row->addStretch(1);
  column->addLayout(row);
  m_view = new SheetPreviewPages(this);
  m_scroll = new QScrollArea(this);
  m_scroll->setWidget(m_view);
  m_scroll->setAlignment(Qt::AlignCenter);
  column->addWidget(m_scroll, 1);
  m_status = new QLabel(this);
  column->addWidget(m_status);

  connect(m_printButton, &QPushButton::clicked, this, [this] {
    m_print = true;
    accept();
  });
  connect(m_next, &QPushButton::clicked, this, [this] { NextPage(); });
  connect(m_previous, &QPushButton::clicked, this, [this] { PreviousPage(); });
  connect(m_twoButton, &QPushButton::clicked, this, [this] { ToggleTwoPages(); });
  connect(m_zoomIn, &QPushButton::clicked, this, [this] { ZoomIn(); });
  connect(m_zoomOut, &QPushButton::clicked, this, [this] { ZoomOut(); });
  connect(m_close, &QPushButton::clicked, this, &QDialog::reject);

  // A page's height of the screen, a little less.
  QSize size(620, 860);
  if (const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen())
    size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
  resize(size);
  Refresh();
}

void SheetPreviewDialog::GoToPage(int page) {
  page = std::clamp(page, 1, m_pages);
  if (page == m_page) return;
  m_page = page;
  Refresh();
}

void SheetPreviewDialog::ToggleTwoPages() {
  if (m_zoom > 0 || (m_pages < 2 && !m_two)) return;
  m_two = !m_two;
  Refresh();
}

void SheetPreviewDialog::ZoomIn() {
  if (m_zoom >= 2) return;
  ++m_zoom;
  m_two = false;  // a larger page is shown alone
  Refresh();
}

void SheetPreviewDialog::ZoomOut() {
  if (m_zoom <= 0) return;
  --m_zoom;
  Refresh();
}

QPushButton* SheetPreviewDialog::Button(const QString& text) const {
  for (QPushButton* b : {m_printButton, m_next, m_previous, m_twoButton, m_zoomIn, m_zoomOut, m_close})
    if (b->text() == text) return b;
  return nullptr;
}

QString SheetPreviewDialog::StatusText() const { return m_status->text(); }

void SheetPreviewDialog::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_PageDown: NextPage(); return;
    case Qt::Key_PageUp: PreviousPage(); return;
    case Qt::Key_Home: GoToPage(1); return;
    case Qt::Key_End: GoToPage(m_pages); return;
    default: QDialog::keyPressEvent(e);
  }
}

void SheetPreviewDialog::Refresh() {
  const int last = std::min(m_pages, m_page + ShownPages() - 1);
  m_next->setEnabled(last < m_pages);
  m_previous->setEnabled(m_page > 1);
  m_twoButton->setText(QString::fromUtf16(m_two ? u"1 ページ(&O)" : u"2 ページ(&T)"));
  m_twoButton->setEnabled(m_zoom == 0 && (m_pages > 1 || m_two));
  m_zoomIn->setEnabled(m_zoom < 2);
  m_zoomOut->setEnabled(m_zoom > 0);
  m_status->setText(last > m_page ? QStringLiteral("ページ %1-%2").arg(m_page).arg(last)
                                  : QStringLiteral("ページ %1").arg(m_page));
  m_scroll->setWidgetResizable(m_zoom == 0);
  if (m_zoom > 0) m_view->resize(m_view->ZoomedSize());
  m_view->update();
}

const QImage& SheetPreviewDialog::PageImage(int page, QSize size) {
  for (Drawn& d : m_drawn)
    if (d.page == page && d.image.size() == size) return d.image;
  // At most two pages are shown: the slot that does not hold the other one.
  auto shown = [&](const Drawn& d) {
    return d.page >= m_page && d.page < m_page + ShownPages() && d.image.size() == size;
  };
  Drawn* slot = shown(m_drawn[0]) ? &m_drawn[1] : &m_drawn[0];
  slot->page = page;
  slot->image = QImage(size, QImage::Format_RGB32);
  slot->image.fill(Qt::white);
  // The page's resolution is the preview's, so that it is laid out as on paper.
  const double perMm = size.width() / kPaperWidthMm;
  slot->image.setDotsPerMeterX(qRound(perMm * 1000));
  slot->image.setDotsPerMeterY(qRound(size.height() / kPaperHeightMm * 1000));
  QPainter p(&slot->image);
  p.setRenderHint(QPainter::TextAntialiasing);
  PrintRecordSheet(p, page, g_nDpiX);
  return slot->image;
}
