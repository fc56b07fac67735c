#include "output/print_job.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/main_frame.h"
#include "app/narvo_app.h"
#include "output/print_page.h"
#include "record/text.h"
#include "record/ui_port.h"
#include "view/narvo_view.h"

using namespace Qt::Literals::StringLiterals;

PrintAbortBox* g_pPrintAbortBox = nullptr;
int g_bPrintAbort = 0;

namespace {

PrintDevicePort g_defaultPort;
PrintDevicePort* g_pPort = nullptr;

QString Q(const std::u16string& s) { return QString::fromStdU16String(s); }

void PrintError(const char16_t* text) {
  ShowMessage(text, kMbOk | kMbIconError, g_szAppTitle);
}

}  // namespace

// ---- Printers ---------------------------------------------------------------------

int PrintDevicePort::RunPrintDialog(QPrinter& printer, QWidget* owner) {
  QPrintDialog dialog(&printer, owner);
  dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
  dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
  return dialog.exec();
}

bool PrintDevicePort::UseDefaultPrinter(QPrinter& printer) {
  QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (info.isNull()) return false;
  printer.setPrinterName(info.printerName());
  return true;
}

bool PrintDevicePort::DefaultPaperSize(int& widthMm, int& heightMm) {
  QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (info.isNull()) return false;
  QSizeF size = info.defaultPageSize().size(QPageSize::Millimeter);
  widthMm = int(size.width() + 0.5);
  heightMm = int(size.height() + 0.5);
  return widthMm > 0 && heightMm > 0;
}

PrintDevicePort* SetPrintDevicePort(PrintDevicePort* port) {
  PrintDevicePort* before = g_pPort;
  g_pPort = port;
  return before;
}

PrintDevicePort& PrintDevices() { return g_pPort ? *g_pPort : g_defaultPort; }

// ---- Abort box --------------------------------------------------------------------

PrintAbortBox::PrintAbortBox(QWidget* owner) : QDialog(owner) {
  setObjectName(u"PrintDlgBox"_s);
  setWindowTitle(Q(g_szAppTitle));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setModal(false);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(u"印刷の中止"_s, this), 0, Qt::AlignHCenter);
  auto* stop = new QPushButton(u"中止"_s, this);
  stop->setDefault(true);
  layout->addWidget(stop, 0, Qt::AlignHCenter);
  connect(stop, &QPushButton::clicked, this, &PrintAbortBox::Abort);
}

void PrintAbortBox::Abort() {
  g_bPrintAbort = 1;
  if (parentWidget()) parentWidget()->setEnabled(true);
  if (g_pPrintAbortBox == this) g_pPrintAbortBox = nullptr;
  hide();
  deleteLater();
}

void PrintAbortBox::closeEvent(QCloseEvent* e) { e->ignore(); }

// ---- The job ----------------------------------------------------------------------

int PrintRecordOrPosition(CNarvoView* view, bool withDialog) {
  QWidget* owner = g_pMainFrame ? static_cast<QWidget*>(g_pMainFrame) : view;
  QPrinter printer(QPrinter::HighResolution);
  printer.setFullPage(true);
  printer.setDocName(
      Q(FormatU16(g_nPrintKind == 1 ? u"%s - 棋譜" : u"%s - 盤面", g_szAppTitle)));
  if (withDialog) {
    if (PrintDevices().RunPrintDialog(printer, owner) != QDialog::Accepted) return 1;
  } else if (!PrintDevices().UseDefaultPrinter(printer)) {
    // Nothing can be printed: saying so beats closing as if it were done.
    ShowMessage(u"プリンタがインストールされていません。", kMbOk | kMbIconError, g_szAppTitle);
    return 0;
  }

  g_bPrintingInProgress = 1;
  const QRectF paper = printer.pageLayout().fullRect(QPageLayout::Millimeter);
  const int widthMm = int(paper.width() + 0.5), heightMm = int(paper.height() + 0.5);
  // A printer that makes copies itself gets the page once; otherwise (a PDF
  // file) the page is drawn once per copy.
  const int pages = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());

  if (owner) owner->setEnabled(false);
  g_bPrintAbort = 0;
  g_pPrintAbortBox = new PrintAbortBox(owner);
  g_pPrintAbortBox->show();
  QApplication::processEvents();

  int result = 1;
  QPainter painter;
  if (!painter.begin(&printer)) {
    PrintError(u"印刷エラー(StartDoc)");
    result = 0;
  } else {
    bool open = true;
    for (int page = 1; page <= pages; ++page) {
      if (page > 1 && !printer.newPage()) {
        PrintError(u"印刷エラー(StartPage)");
      }
      // The record print starts further pages of its own as it needs them.
      const std::function<bool()> nextPage = [&] {
        QApplication::processEvents();
        return !g_bPrintAbort && printer.newPage();
      };
      DrawPrintPages(painter, true, widthMm, heightMm, painter.device()->logicalDpiX(),
                     painter.device()->logicalDpiY(), &nextPage);
      if (printer.printerState() == QPrinter::Error || !painter.isActive()) {
        // A page that cannot be finished ends the job; it is never left open.
        PrintError(u"印刷エラー(EndPage)");
        printer.abort();
        painter.end();
        open = false;
        result = 0;
        break;
      }
      QApplication::processEvents();
      PrintDevices().PageDone(page);
      QApplication::processEvents();
      if (g_bPrintAbort) break;
    }
    if (open && !painter.end()) {
      PrintError(u"印刷エラー(EndPage)");
      result = 0;
    }
    if (g_bPrintAbort) result = 0;
  }
  if (!g_bPrintAbort) {
    if (owner) owner->setEnabled(true);
    if (g_pPrintAbortBox) {
      delete g_pPrintAbortBox;
      g_pPrintAbortBox = nullptr;
    }
  }
  g_bPrintingInProgress = 0;
  return result;
}

namespace {

void PreviewPaper(int& widthMm, int& heightMm) {
  if (!PrintDevices().DefaultPaperSize(widthMm, heightMm)) {
    widthMm = 210;  // Qt's PDF printer when there is no printer
    heightMm = 297;
  }
}

}  // namespace

QSize PrintPreviewExtent(const QPaintDevice* device) {
  int widthMm = 210, heightMm = 297;
  PreviewPaper(widthMm, heightMm);
  // The page's outline below the 20 units of the preview bar, and a margin.
  return QSize(int(widthMm * device->logicalDpiX() / 25.4) + 1, int(heightMm * device->logicalDpiY() / 25.4) + 21);
}

void DrawPrintPreviewPage(QPainter& p, CNarvoView* view) {
  int widthMm = 210, heightMm = 297;
  PreviewPaper(widthMm, heightMm);
  const QPaintDevice* device = view ? static_cast<QPaintDevice*>(view) : p.device();
  DrawPrintPage(p, false, widthMm, heightMm, device->logicalDpiX(), device->logicalDpiY());
}
