// The benchmark: without arguments runs every operation, each in a fresh process of its
// own, and prints one table. "--op NAME" runs one operation; "--startup" and
// "--startup-floor" start a program and end as soon as its window is shown.
#include "app/startup.h"
#include "bench/measure.h"
#include "bench/operations.h"
#include "platform/events.h"
#include "platform/ui.h"

#include <QApplication>
#include <QMainWindow>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

const char *const operations[] = {"wheel", "swap", "grid", "restore", "open", "bmp", "map", "png-noise", "png-sheet"};

// Runs self with one argument, passing its table rows through and keeping its notes.
void RunChild(const char *self, const char *name, std::vector<std::string> &notes) {
  const std::string command = std::string(self) + " --op " + name;
  FILE *child = popen(command.c_str(), "r");
  if (!child) {
    notes.push_back(std::string("could not run ") + name);
    return;
  }
  char line[4096];
  while (std::fgets(line, sizeof line, child)) {
    if (std::strncmp(line, "NOTE ", 5) == 0)
      notes.push_back(std::string(line + 5));
    else
      std::fputs(line, stdout);
    std::fflush(stdout);
  }
  if (pclose(child) != 0)
    notes.push_back(std::string(name) + " ended with an error\n");
}

// Wall time from spawning self with flag until it ended, and its peak memory.
Measured TimeStarts(const char *self, const char *flag, int runs) {
  std::vector<double> times;
  Measured measured;
  for (int run = 0; run < runs; ++run) {
    char *argv[] = {const_cast<char *>(self), const_cast<char *>(flag), nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, self, nullptr, nullptr, argv, environ) != 0)
      return measured;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    measured.peakMiB = measured.growthMiB = std::max(measured.peakMiB, double(usage.ru_maxrss) / 1024.0);
  }
  std::sort(times.begin(), times.end());
  measured.medianMs = times[times.size() / 2];
  return measured;
}

int RunAll(const char *self) {
  std::printf("| operation | picture | median ms | floor: ms | ratio | peak MiB (+ during the operation) | goal | "
              "result |\n|---|---|---|---|---|---|---|---|\n");
  std::fflush(stdout);
  std::vector<std::string> notes;
  const Measured bare = TimeStarts(self, "--startup-floor", 7);
  const Measured started = TimeStarts(self, "--startup", 7);
  PrintRow("start-up to the first shown window (offscreen)", "–", started, "bare QApplication + shown QMainWindow",
           bare.medianMs, "< 150 ms", started.medianMs < 150);
  for (const char *name : operations)
    RunChild(self, name, notes);
  std::printf("\n");
  for (const std::string &note : notes)
    std::printf("- %s", note.c_str());
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  const std::string self = argv[0];
  if (argc == 2 && std::strcmp(argv[1], "--startup-floor") == 0) {
    QApplication application(argc, argv);
    QMainWindow window;
    window.resize(800, 600);
    window.show();
    QApplication::processEvents();
    std::_Exit(window.isVisible() ? 0 : 1);
  }
  if (argc == 2 && std::strcmp(argv[1], "--startup") == 0) {
    if (!InitPlatform(argc, argv))
      return 2;
    StartProgram();
    PumpToolkit();
    std::_Exit(0);
  }
  if (argc == 3 && std::strcmp(argv[1], "--op") == 0) {
    if (!InitPlatform(argc, argv))
      return 2;
    StartProgram();
    PumpToolkit();
    return RunOperation(argv[2]) ? 0 : 1;
  }
  if (argc == 1)
    return RunAll(self.c_str());
  std::fprintf(stderr, "usage: %s [--op NAME]\n", argv[0]);
  return 1;
}
