// A sink that takes the first limit bytes, then refuses everything, as a full disk would.
#pragma once

#include "platform/files.h"

#include <cstddef>

class FillingSink : public ByteSink {
public:
  explicit FillingSink(size_t limit) : limit(limit) {}
  bool Write(const void *, size_t size) override {
    if (size > limit - taken)
      return false;
    taken += size;
    return true;
  }
  size_t limit, taken = 0;
};
