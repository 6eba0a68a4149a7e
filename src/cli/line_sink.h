// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

namespace cli {

// Where output lines go: standard output or a file appended to. Each line is
// one write; a file is also flushed to the disk, so a line once written
// survives a crash or a power cut, and a line that could not be written whole
// (a full disk) is cut off again.
class TLineSink {
  public:
    TLineSink() = default;
    TLineSink(const TLineSink&) = delete;
    TLineSink& operator=(const TLineSink&) = delete;
    ~TLineSink();

    // No path: standard output. The header goes out with the first line (with
    // a byte-order mark into a new file), so a run that records nothing leaves
    // nothing behind, and a file that already holds lines gets no second header.
    bool Open(const std::optional<std::string>& path, std::string header, std::string& error);
    bool Write(std::string line, std::string& error);

  private:
    std::string header_;
    int fd_ = -1;
    bool owned_ = false;
    bool sync_ = false;
    long long size_ = 0;  // of a file: its whole lines
};

}  // namespace cli
