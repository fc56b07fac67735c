// F2 to the shown settings sheet: the pages built and filled, the start page
// (動作, which reads the full history of saved names) initialised and the
// sheet painted once.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>

#include "bench/qt_bench_main.h"
#include "record/history.h"
#include "settings/env.h"
#include "settings/folders.h"
#include "settings/pro_sheet_qt.h"
#include "settings/settings_sheet_qt.h"

static void BM_SettingsSheetShown(benchmark::State& state) {
  QTemporaryDir dir;
  ResetEnvDefaults();
  g_szDataFolder = dir.path().toStdU16String() + u"/";
  g_hisSaveName.count = 0;
  for (int i = 0; i < kHistoryMaxEntries; ++i)
    AddHistoryItem(u"%G%b4%w4_" + std::u16string(1, char16_t(u'A' + i)) + std::u16string(200, u'x'),
                   g_hisSaveName);
  SaveHistory(g_hisSaveName);
  SetSheetRunner([](CProSheet& sheet) {
    sheet.show();
    QApplication::processEvents();
    sheet.repaint();
    sheet.ClickCancel();
    return sheet.result();
  });
  for (auto _ : state) {
    g_nSettingsPage = 7;
    DoSettingsSheet(nullptr);
  }
  SetSheetRunner(nullptr);
}
BENCHMARK(BM_SettingsSheetShown)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return RunQtBenchmarks(argc, argv); }
