// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/line_sink.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace cli {

TLineSink::~TLineSink() {
    if (owned_) ::close(fd_);
}

bool TLineSink::Open(const std::optional<std::string>& path, std::string header,
                     std::string& error) {
    header_ = std::move(header);
    if (!path) {
        fd_ = STDOUT_FILENO;
        return true;
    }
    fd_ = ::open(path->c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    owned_ = fd_ >= 0;
    sync_ = owned_;
    if (!owned_) {
        error = "cannot open " + *path + ": " + std::strerror(errno);
        return false;
    }
    const off_t size = ::lseek(fd_, 0, SEEK_END);
    size_ = size > 0 ? static_cast<long long>(size) : 0;
    if (size != 0)
        header_.clear();
    else if (!header_.empty())
        header_.insert(0, "\xEF\xBB\xBF");
    return true;
}

bool TLineSink::Write(std::string line, std::string& error) {
    if (!header_.empty()) line.insert(0, header_);
    std::size_t done = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(fd_, line.data() + done, line.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error =
                std::string("cannot write the output: ") + std::strerror(n < 0 ? errno : ENOSPC);
            // A file keeps whole lines only: the part that went in is cut
            // off, so a later run appends after the last whole line.
            if (owned_ && done > 0 && ::ftruncate(fd_, static_cast<off_t>(size_)) != 0)
                error +=
                    std::string("; the last line could not be cut back: ") + std::strerror(errno);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    header_.clear();
    size_ += static_cast<long long>(line.size());
    // A device such as /dev/null cannot be synced and needs no sync.
    if (sync_ && ::fdatasync(fd_) != 0 && errno != EINVAL) {
        error = std::string("cannot flush the output to the disk: ") + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace cli
