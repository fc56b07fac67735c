// The print preview of the score sheet: one or two A4 pages at a time, each
// drawn only when it is shown, so that a sheet of hundreds of pages opens as
// quickly as one of a few.
#pragma once
#include <QDialog>
#include <QImage>

class QLabel;
class QPushButton;
class QScrollArea;
class SheetPreviewPages;

class SheetPreviewDialog : public QDialog {
  Q_OBJECT

public:
  // pages: the sheet's page count (at least 1).
  SheetPreviewDialog(int pages, QWidget* owner);

  int Pages() const { return m_pages; }
  int FirstShownPage() const { return m_page; }
  int ShownPages() const { return m_two ? 2 : 1; }
  // 0 the page fits the window; 1 and 2 larger, with scroll bars.
  int Zoom() const { return m_zoom; }
  // Closed with 印刷: the sheet is to be printed.
  bool PrintAsked() const { return m_print; }

  void GoToPage(int page);
  void NextPage() { GoToPage(m_page + ShownPages()); }
  void PreviousPage() { GoToPage(m_page - ShownPages()); }
  void ToggleTwoPages();
  void ZoomIn();
  void ZoomOut();

  // The button with that text, for the keys and for tests.
  QPushButton* Button(const QString& text) const;
  QString StatusText() const;

protected:
  void keyPressEvent(QKeyEvent* e) override;

private:
  friend class SheetPreviewPages;
  void Refresh();
  // A page at the preview's scale, drawn on first need.
  const QImage& PageImage(int page, QSize size);

  int m_pages;
  int m_page = 1;
  bool m_two = false;
  int m_zoom = 0;
  bool m_print = false;
  SheetPreviewPages* m_view = nullptr;
  QScrollArea* m_scroll = nullptr;
  QLabel* m_status = nullptr;
  QPushButton *m_printButton, *m_next, *m_previous, *m_twoButton, *m_zoomIn, *m_zoomOut, *m_close;
  // The pages last drawn, with the size they were drawn at.
  struct Drawn {
    int page = 0;
    QImage image;
  };
  Drawn m_drawn[2];
};
