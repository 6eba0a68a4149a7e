// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Lines of a file or pipe read in large blocks, so a tool that reads a million
// short lines pays no per-line cost for reading them; from a pipe, each line
// is given as soon as it has come. A line is what precedes '\n'
// (a last line without one counts too); longer lines than `maxLine` are cut
// there and the rest of them skipped, so a file that is no text cannot make
// the reader hold all of it.
namespace cli {

class TLineReader {
  public:
    explicit TLineReader(int fd, std::size_t maxLine = std::size_t{1} << 20);

    // The next line, valid until the next call; false at the end. `cut` tells
    // whether the line was longer than `maxLine`.
    bool Next(std::string_view& line, bool& cut);

    // Whether the next Next() may wait for input: no whole line is buffered.
    bool WillWait() const;

    // The reason reading stopped early (an I/O error), empty when it did not.
    const std::string& Error() const { return error_; }

  private:
    bool Fill();  // more bytes after the unread ones; false when none came
    std::size_t ReadSome(char* to, std::size_t room);  // 0 at the end or on an error

    int fd_;
    std::string error_;
    std::size_t maxLine_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;  // first unread byte
    std::size_t end_ = 0;    // end of the bytes read
};

}  // namespace cli
