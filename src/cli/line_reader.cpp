// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/line_reader.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace cli {
namespace {
constexpr std::size_t kBlock = std::size_t{1} << 16;
}

TLineReader::TLineReader(int fd, std::size_t maxLine)
    : fd_(fd), maxLine_(std::max<std::size_t>(maxLine, 1)), buffer_(maxLine_ + kBlock) {}

std::size_t TLineReader::ReadSome(char* to, std::size_t room) {
    if (!error_.empty()) return 0;
    for (;;) {
        const ssize_t n = ::read(fd_, to, room);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno == EINTR) continue;
        error_ = std::strerror(errno);
        return 0;
    }
}

bool TLineReader::WillWait() const {
    return std::memchr(buffer_.data() + begin_, '\n', end_ - begin_) == nullptr;
}

bool TLineReader::Fill() {
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == buffer_.size()) return false;
    const std::size_t got = ReadSome(buffer_.data() + end_, buffer_.size() - end_);
    end_ += got;
    return got > 0;
}

bool TLineReader::Next(std::string_view& line, bool& cut) {
    cut = false;
    std::size_t scanned = begin_;  // no '\n' before this
    for (;;) {
        const char* const data = buffer_.data();
        const void* nl = std::memchr(data + scanned, '\n', end_ - scanned);
        if (nl) {
            const auto at = static_cast<std::size_t>(static_cast<const char*>(nl) - data);
            line = std::string_view(data + begin_, at - begin_);
            begin_ = at + 1;
            return true;
        }
        if (end_ - begin_ > maxLine_) break;
        scanned = end_ - begin_;  // Fill moves the unread bytes to the front
        if (!Fill()) {
            if (begin_ == end_) return false;
            line = std::string_view(buffer_.data() + begin_, end_ - begin_);  // no final '\n'
            begin_ = end_;
            return true;
        }
        scanned += begin_;
    }
    // Too long: keep its start, drop the rest up to and with its '\n'.
    cut = true;
    std::memmove(buffer_.data(), buffer_.data() + begin_, maxLine_);
    const std::size_t kept = maxLine_;
    begin_ = end_ = kept;
    for (;;) {
        const std::size_t got = ReadSome(buffer_.data() + kept, buffer_.size() - kept);
        if (got == 0) break;
        const void* nl = std::memchr(buffer_.data() + kept, '\n', got);
        if (nl) {
            begin_ = static_cast<std::size_t>(static_cast<const char*>(nl) - buffer_.data()) + 1;
            end_ = kept + got;
            break;
        }
    }
    line = std::string_view(buffer_.data(), kept);  // the unread bytes lie after it
    return true;
}

}  // namespace cli
