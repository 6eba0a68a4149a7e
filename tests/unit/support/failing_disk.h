// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

// A folder whose writes can be made to fail, so tests show what a full disk
// does to a writer.
//
//   FullTmpfs      a small tmpfs mounted on the folder and filled to the last
//                  page: a real full disk (needs root; unavailable otherwise)
//   FileSizeLimit  no file of this process may grow past a few bytes
//                  (RLIMIT_FSIZE, with SIGXFSZ ignored): writes fail with
//                  EFBIG, anywhere and without root
//
// Between Break() and Mend() nothing new can be stored; keep checks that may
// print (EXPECT_*) after Mend(), since a log file would not take them either.
namespace testing_support {

enum class TDiskFault { FullTmpfs, FileSizeLimit };

inline std::string DiskFaultName(TDiskFault fault) {
    return fault == TDiskFault::FullTmpfs ? "FullTmpfs" : "FileSizeLimit";
}

class FailingDisk {
  public:
    static constexpr rlim_t kSizeLimit = 64;

    explicit FailingDisk(TDiskFault fault) : fault_(fault) {
        char pattern[] = "/tmp/failing-disk-XXXXXX";
        if (!::mkdtemp(pattern)) {
            why_ = std::string("mkdtemp: ") + std::strerror(errno);
            return;
        }
        folder_ = pattern;
        if (fault_ == TDiskFault::FullTmpfs) {
            if (::mount("tmpfs", folder_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV,
                        "size=256k,mode=0700") != 0) {
                why_ = std::string("cannot mount a tmpfs (needs root): ") + std::strerror(errno);
                return;
            }
            mounted_ = true;
        }
        available_ = true;
    }
    ~FailingDisk() {
        Mend();
        if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
        std::error_code ec;
        if (!folder_.empty()) std::filesystem::remove_all(folder_, ec);
    }
    FailingDisk(const FailingDisk&) = delete;
    FailingDisk& operator=(const FailingDisk&) = delete;

    bool Available() const { return available_; }
    const std::string& WhyNot() const { return why_; }
    const std::string& Folder() const { return folder_; }

    // From now on nothing new can be written.
    void Break() {
        if (broken_) return;
        broken_ = true;
        if (fault_ == TDiskFault::FullTmpfs) {
            Fill();
            return;
        }
        ::getrlimit(RLIMIT_FSIZE, &savedLimit_);
        savedSignal_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = savedLimit_;
        limit.rlim_cur = kSizeLimit;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    // Writes work again.
    void Mend() {
        if (!broken_) return;
        broken_ = false;
        if (fault_ == TDiskFault::FullTmpfs) {
            std::error_code ec;
            std::filesystem::remove(Filler(), ec);
            return;
        }
        ::setrlimit(RLIMIT_FSIZE, &savedLimit_);
        ::signal(SIGXFSZ, savedSignal_);
    }

  private:
    std::string Filler() const { return folder_ + "/.filler"; }
    void Fill() {
        const int fd = ::open(Filler().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0) return;
        const std::vector<char> block(4096, 'f');
        while (::write(fd, block.data(), block.size()) > 0) {
        }
        while (::write(fd, block.data(), 1) > 0) {
        }
        ::close(fd);
    }

    TDiskFault fault_;
    std::string folder_;
    std::string why_;
    bool available_ = false;
    bool mounted_ = false;
    bool broken_ = false;
    rlimit savedLimit_{};
    sighandler_t savedSignal_ = SIG_DFL;
};

}  // namespace testing_support
