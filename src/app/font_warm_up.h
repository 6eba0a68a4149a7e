#pragma once

#include <thread>

// Reads the system's font configuration on a worker thread while the program
// parses its options, starts Qt and builds the window's first widgets.
// Reading it takes several milliseconds, and otherwise the first text the
// window measures waits for all of it. Should Qt ask first, it reads the
// configuration itself alongside and the first one stored is kept, so the
// start is never slower than without. Only where Qt takes its fonts from
// fontconfig; elsewhere this does nothing.
class FontWarmUp {
  public:
    FontWarmUp();
    ~FontWarmUp();  // waits for the worker
    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;

  private:
    std::thread worker_;
};
