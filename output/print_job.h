// The print job of the shown position or the record: the printer from the
// print dialog (or the default printer), the abort box, one page per copy;
// and the preview page the board view draws in print preview.
#pragma once
#include <QSize>
#include <QDialog>

class CNarvoView;
class QPainter;
class QPrinter;
class QWidget;

// Where a job gets its printer from. The program's port shows the print
// dialog and asks for the system's default printer; tests put a PDF file in
// their place and act between pages.
class PrintDevicePort {
public:
  virtual ~PrintDevicePort() = default;
  // QDialog::Accepted once the printer is chosen, QDialog::Rejected on cancel.
  virtual int RunPrintDialog(QPrinter& printer, QWidget* owner);
  // Sets the printer up as the default printer; false when there is none.
  virtual bool UseDefaultPrinter(QPrinter& printer);
  // The paper of the default printer in millimetres; false when there is none.
  virtual bool DefaultPaperSize(int& widthMm, int& heightMm);
  // Called after each page was drawn (1-based), before the abort flag is read.
  virtual void PageDone(int page) {}
};
// Installs a port (nullptr: the program's own); returns the previous one.
PrintDevicePort* SetPrintDevicePort(PrintDevicePort* port);
PrintDevicePort& PrintDevices();

// The abort box "PrintDlgBox" of the running job (nullptr when none runs).
class PrintAbortBox : public QDialog {
  Q_OBJECT
public:
  explicit PrintAbortBox(QWidget* owner);
  void Abort();

protected:
  void reject() override { Abort(); }
  void closeEvent(QCloseEvent* e) override;
};
extern PrintAbortBox* g_pPrintAbortBox;
extern int g_bPrintAbort;

// The whole job for g_nPrintKind: 1 done, cancelled or no page was asked
// for; 0 when the document could not be started or finished, the user
// aborted, or a print without a dialog found no printer.
int PrintRecordOrPosition(CNarvoView* view, bool withDialog);

// The preview page at the default printer's paper (A4 without a printer).
void DrawPrintPreviewPage(QPainter& p, CNarvoView* view);
// The size the preview page takes on the device, its bar's 20 units included.
QSize PrintPreviewExtent(const QPaintDevice* device);
