#include "bench/measure.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

// A "VmRSS:" or "VmHWM:" figure of this process in KiB.
double StatusKiB(const char *field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string key = field;
  while (std::getline(status, line))
    if (line.compare(0, key.size(), key) == 0)
      return std::stod(line.substr(key.size()));
  return 0;
}

// Lowers the high-water mark to what is resident now, so each run's peak stands alone.
void ResetPeak() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
}

} // namespace

double MiB(double bytes) { return bytes / (1024.0 * 1024.0); }

Measured Measure(int runs, const std::function<void()> &prepare, const std::function<void()> &op) {
  std::vector<double> times;
  Measured measured;
  for (int run = 0; run < runs; ++run) {
    if (prepare)
      prepare();
    ResetPeak();
    const double before = StatusKiB("VmRSS:");
    const auto start = std::chrono::steady_clock::now();
    op();
    const auto stop = std::chrono::steady_clock::now();
    const double peak = StatusKiB("VmHWM:");
    times.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
    measured.peakMiB = std::max(measured.peakMiB, peak / 1024.0);
    measured.growthMiB = std::max(measured.growthMiB, (peak - before) / 1024.0);
  }
  std::sort(times.begin(), times.end());
  const size_t n = times.size();
  measured.medianMs = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
  return measured;
}

// Three significant figures at least, so that microseconds still show.
QString Milliseconds(double ms) { return QString::number(ms, 'f', ms < 1 ? 4 : ms < 100 ? 2 : 0); }

void PrintRow(const QString &operation, const QString &size, const Measured &measured, const QString &floorName,
              double floorMs, const QString &goal, bool met) {
  const QString ratio = floorMs > 0 ? QString::number(measured.medianMs / floorMs, 'f', 2) + "×" : "–";
  const QString floor = floorName.isEmpty() ? QString("–") : floorName + ": " + Milliseconds(floorMs);
  const QString line = QString("| %1 | %2 | %3 | %4 | %5 | %6 (+%7) | %8 | %9 |")
                           .arg(operation, size, Milliseconds(measured.medianMs), floor, ratio,
                                QString::number(measured.peakMiB, 'f', 0), QString::number(measured.growthMiB, 'f', 0),
                                goal, met ? "met" : "MISSED");
  std::printf("%s\n", line.toUtf8().constData());
  std::fflush(stdout);
}

void PrintNote(const QString &text) {
  std::printf("NOTE %s\n", text.toUtf8().constData());
  std::fflush(stdout);
}
