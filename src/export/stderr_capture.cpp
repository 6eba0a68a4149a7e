// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/stderr_capture.h"

#include <cstdio>
#include <cstdlib>
#include <regex>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace exporter {

#ifdef _WIN32
TStderrCapture::TStderrCapture() = default;
TStderrCapture::~TStderrCapture() = default;
std::string TStderrCapture::Finish() {
    return {};
}
#else
TStderrCapture::TStderrCapture() {
    std::fflush(stderr);
    char name[] = "/tmp/rlc-stderr-XXXXXX";
    file_ = ::mkstemp(name);
    if (file_ < 0) return;
    ::unlink(name);
    saved_ = ::dup(STDERR_FILENO);
    if (saved_ < 0 || ::dup2(file_, STDERR_FILENO) < 0) {
        ::close(file_);
        file_ = -1;
        if (saved_ >= 0) ::close(saved_);
        saved_ = -1;
    }
}

TStderrCapture::~TStderrCapture() {
    Finish();
}

std::string TStderrCapture::Finish() {
    if (file_ < 0) return {};
    std::fflush(stderr);
    ::dup2(saved_, STDERR_FILENO);
    ::close(saved_);
    std::string text;
    char chunk[4096];
    ::lseek(file_, 0, SEEK_SET);
    for (ssize_t n; (n = ::read(file_, chunk, sizeof chunk)) > 0;) text.append(chunk, static_cast<std::size_t>(n));
    ::close(file_);
    file_ = -1;
    saved_ = -1;
    // "[ERROR][packager.c:123]: text" and "[ERROR] text" become "text".
    static const std::regex marker(R"(\[(ERROR|WARNING)\](\[[^\]]*\])?:?\s*)");
    text = std::regex_replace(text, marker, "");
    std::string line;
    for (char c : text) {
        if (c == '\n' || c == '\r') {
            if (!line.empty() && line.back() != ' ') line += "; ";
        } else {
            line += c;
        }
    }
    while (!line.empty() && (line.back() == ' ' || line.back() == ';')) line.pop_back();
    return line;
}
#endif

}  // namespace exporter
