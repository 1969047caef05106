// Timing helpers of the Windows benchmarks: a body run a number of times, and the best and the
// middle of a set of ratios to a baseline measured in the same run.
#pragma once

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

template <class F>
double Seconds(int Count, F&& Body) {
  auto Start = std::chrono::steady_clock::now();
  for (int i = 0; i < Count; ++i)
    Body();
  GdiFlush();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
}

inline void Report(const char* What, std::vector<double>& Ratios, const char* Baseline) {
  std::sort(Ratios.begin(), Ratios.end());
  std::printf("%s: best %.2f, middle %.2f (skinned / %s)\n", What, Ratios.front(),
              Ratios[Ratios.size() / 2], Baseline);
}
