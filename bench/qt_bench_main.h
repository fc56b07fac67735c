// The main() of a benchmark that draws or opens windows: the runs happen
// inside a QApplication, offscreen unless a platform is chosen.
#pragma once
#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>

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
