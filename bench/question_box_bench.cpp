// A question box answered each way a user answers it: the mouse, Return,
// Space, the button's letter and Alt with the letter. The time is from the
// box on the screen to the answer back in the program; every way is to be
// within 15 ms of the fastest.
#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "app/qt_ui.h"
#include "bench/qt_bench_main.h"
#include "record/ui_port.h"

namespace {

enum Way { kMouse, kReturn, kSpace, kLetter, kAltLetter };

void BM_AnswerQuestion(benchmark::State& state) {
  InstallQtUi();
  const Way way = Way(state.range(0));
  for (auto _ : state) {
    QElapsedTimer took;
    bool noBox = false;
    QTimer::singleShot(0, [&] {
      // The box, waited for a while; without one the run fails rather than
      // waiting for ever.
      QMessageBox* box = nullptr;
      QElapsedTimer waited;
      waited.start();
      while (!(box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) && waited.elapsed() < 5000)
        QTest::qWait(10);
      if (!box) {
        noBox = true;
        QApplication::closeAllWindows();
        return;
      }
      box->activateWindow();
      QTest::qWaitForWindowActive(box);
      QAbstractButton* no = box->buttons().size() > 1 ? box->buttons()[1] : nullptr;
      for (QAbstractButton* b : box->buttons())
        if (b->text().contains(u"(&N)")) no = b;
      took.start();
      switch (way) {
        case kMouse: QTest::mouseClick(no, Qt::LeftButton); break;
        case kReturn: QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Return); break;
        case kSpace: QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Space); break;
        case kLetter: QTest::keyClick(box, Qt::Key_N); break;
        case kAltLetter: QTest::keyClick(box, Qt::Key_N, Qt::AltModifier); break;
      }
    });
    // The default button answers Return and Space: make it No as well.
    const int answer = QtUi().MessageBox(u"棋譜を保存しますか？", u"棋譜保存", kMbYesNo | kMbIconQuestion | kMbDefButton2);
    if (noBox) {
      state.SkipWithError("no question box came up");
      break;
    }
    state.SetIterationTime(double(took.nsecsElapsed()) / 1e9);
    if (answer != kIdNo) state.SkipWithError("the box gave another answer");
  }
}
BENCHMARK(BM_AnswerQuestion)
    ->DenseRange(kMouse, kAltLetter)
    ->ArgName("way")
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunQtBenchmarks(argc, argv); }
