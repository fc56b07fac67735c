// The main() of a benchmark that draws or opens windows: the runs happen
// inside a QApplication, offscreen unless a platform is chosen.
#pragma once
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdlib>

#include "settings/env.h"
#include "settings/folders.h"

// A folder of its own for what a main frame writes (the settings file,
// ftp.env, the histories, the profile), so that a run leaves the user's alone.
struct BenchFolder {
  BenchFolder() {
    g_szEnvFolder = dir.path().toStdU16String() + u"/";
    g_szDataFolder = g_szEnvFolder;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
  }
  QTemporaryDir dir;
};

// afterRuns frees what the runs left behind while the application still lives.
inline int RunQtBenchmarks(int argc, char** argv, void (*afterRuns)() = nullptr) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (afterRuns) afterRuns();
  return 0;
}
