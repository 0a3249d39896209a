// Timing, memory and table rows shared by the benchmark's operations.
#pragma once

#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

// What one operation cost: the median wall time of its runs and the highest resident
// memory seen during any of them (absolute, and above what was resident just before).
struct Measured {
  double medianMs = 0;
  double peakMiB = 0;
  double growthMiB = 0;
};

// Runs prepare (untimed) and then op (timed) `runs` times.
Measured Measure(int runs, const std::function<void()> &prepare, const std::function<void()> &op);

// One line of the result table on stdout: the operation against its floor.
void PrintRow(const QString &operation, const QString &size, const Measured &measured, const QString &floorName,
              double floorMs, const QString &goal, bool met);

// A line of the notes printed below the table.
void PrintNote(const QString &text);

double MiB(double bytes);
