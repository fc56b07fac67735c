// The command to the shown dialog for 対局情報 and 対局者名変更 with long name
// lists (5000 lines per item) and full input histories: histories read, lists
// filled, the dialog shown and painted once.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDialog>
#include <QTemporaryDir>

#include <string>

#include "bench/qt_bench_main.h"
#include "record/history.h"
#include "record/record.h"
#include "record/text.h"
#include "settings/dialog_runner_qt.h"
#include "settings/env.h"
#include "settings/folders.h"
#include "settings/info_dialogs_qt.h"
#include "settings/small_dialogs_qt.h"

namespace {

constexpr int kListLines = 5000;

void WriteListFile(const std::u16string& name) {
  std::u16string text = u"# " + name + u"\r\n";
  for (int i = 0; i < kListLines; ++i) text += name + u"の項目" + IntToU16(i) + u"\r\n";
  WriteFileBytes(g_szProgramFolder + name + u".txt", Utf16ToUtf8(text, true));
}

void WriteFullHistory(HistoryList& list) {
  list.count = 0;
  list.maxCount = kHistoryMaxEntries;
  for (int i = 0; i < kHistoryMaxEntries; ++i) AddHistoryItem(list.name + u"の項目" + IntToU16(i * 7), list);
  SaveHistory(list);
  list.count = 0;  // read back by the dialog
}

struct Fixture {
  QTemporaryDir dir;
  Fixture() {
    ResetEnvDefaults();
    g_szProgramFolder = dir.path().toStdU16String() + u"/";
    g_szDataFolder = g_szProgramFolder;
    g_nHistorySize = kHistoryMaxEntries;
    for (int* mode : {&g_nHistoryModeEvent, &g_nHistoryModeOpening, &g_nHistoryModeTimeLimit,
                      &g_nHistoryModePlace, &g_nHistoryModePublication, &g_nHistoryModeUser,
                      &g_nHistoryModeUser2, &g_nHistoryModeUser3, &g_nHistoryModeUser4,
                      &g_nHistoryModeUser5})
      *mode = 2;  // the slowest filling: every line looked up in the history
    for (int i = 0; i < kUserItemCount; ++i) g_szUserInfoName[i] = u"項目" + IntToU16(i + 1);
    for (const char16_t* name : {u"表題", u"棋戦", u"戦型", u"持ち時間", u"消費時間", u"場所", u"掲載",
                                 u"ユーザ1", u"ユーザ2", u"ユーザ3", u"ユーザ4", u"ユーザ5", u"対局者"})
      WriteListFile(name);
    for (HistoryList* h : {&g_hisStartDate, &g_hisTitle, &g_hisEvent, &g_hisOpening, &g_hisTimeLimit,
                           &g_hisPlace, &g_hisPublication, &g_hisUser1, &g_hisUser2, &g_hisUser3,
                           &g_hisUser4, &g_hisUser5, &g_hisPlayers})
      WriteFullHistory(*h);
    InitRecordPool(g_Record, 100);
    SetDialogScript([](QDialog& d) {
      QApplication::processEvents();
      d.repaint();
      d.reject();
      return d.result();
    });
  }
  ~Fixture() {
    SetDialogScript(nullptr);
    FreeRecordPool(g_Record);
  }
};

void BM_GameInfoDialogShown(benchmark::State& state) {
  Fixture f;
  for (auto _ : state) EditGameInfo(nullptr);
}
BENCHMARK(BM_GameInfoDialogShown)->Unit(benchmark::kMillisecond);

void BM_PlayerNamesDialogShown(benchmark::State& state) {
  Fixture f;
  for (auto _ : state) EditPlayerNames(nullptr);
}
BENCHMARK(BM_PlayerNamesDialogShown)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunQtBenchmarks(argc, argv); }
