// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace cli {

TInputFile::~TInputFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool TInputFile::Open(const std::string& path, std::string& error) {
    // Not blocking: opening a FIFO would otherwise wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = S_ISDIR(st.st_mode)                          ? path + " is a folder, not a file"
                : S_ISFIFO(st.st_mode)                       ? path + " is a FIFO, not a file"
                : S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode) ? path + " is a device, not a file"
                                                             : path + " is not a regular file";
        ::close(fd);
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    fd_ = fd;
    return true;
}

bool ReadInputFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error) {
    TInputFile file;
    if (!file.Open(path, error)) return false;
    bytes.clear();
    std::uint8_t chunk[1 << 16];
    for (;;) {
        const ssize_t n = ::read(file.Fd(), chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = "cannot read " + path + ": " + std::strerror(errno);
            return false;
        }
        if (n == 0) return true;
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
}

}  // namespace cli
