// A disk that fills up, for tests: lowers this process's file-size limit and ignores
// SIGXFSZ, so that a write beyond the limit fails with EFBIG instead of ending the
// process. Both are restored when the object goes out of scope.
#pragma once

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

class FileSizeLimit {
public:
  explicit FileSizeLimit(rlim_t bytes) {
    EXPECT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit lowered = saved;
    lowered.rlim_cur = bytes;
    EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &lowered), 0);
    savedHandler = std::signal(SIGXFSZ, SIG_IGN);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedHandler);
  }
  FileSizeLimit(const FileSizeLimit &) = delete;
  FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
  rlimit saved{};
  void (*savedHandler)(int) = nullptr;
};
