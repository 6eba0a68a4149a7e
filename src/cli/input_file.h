// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Files named on the command line as input. Only a regular file is taken: a
// folder, a FIFO or a device is refused at once with one line saying what it
// is, instead of blocking on it or failing halfway through.
namespace cli {

// The open file; closed with the object.
class TInputFile {
  public:
    TInputFile() = default;
    TInputFile(const TInputFile&) = delete;
    TInputFile& operator=(const TInputFile&) = delete;
    ~TInputFile();

    // False with the reason ("X is a folder, not a file", "cannot open X: ...").
    bool Open(const std::string& path, std::string& error);
    int Fd() const { return fd_; }

  private:
    int fd_ = -1;
};

// The whole content of a regular file; false with the reason.
bool ReadInputFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error);

}  // namespace cli
