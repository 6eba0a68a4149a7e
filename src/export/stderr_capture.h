// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// The spreadsheet library prints its own "[ERROR]" lines to the standard
// error; a capture holds them while the library works, so the user gets one
// line of ours with the library's reason inside it.
namespace exporter {

class TStderrCapture {
  public:
    TStderrCapture();
    ~TStderrCapture();
    TStderrCapture(const TStderrCapture&) = delete;
    TStderrCapture& operator=(const TStderrCapture&) = delete;

    // Ends the capture; what was printed meanwhile, as one line without the
    // library's markers ("[ERROR]", source places).
    std::string Finish();

  private:
    int saved_ = -1;
    int file_ = -1;
};

}  // namespace exporter
