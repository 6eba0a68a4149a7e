// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/output_check.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace cli {

std::optional<std::string> StandardOutputFailure() {
    std::cout.flush();  // shares the C stream's buffer, whose error flag covers both
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    const int error = errno;
    if (flushed && !std::ferror(stdout) && !std::cout.bad()) return std::nullopt;
    // An earlier flush may have failed and left nothing to retry: no reason then.
    return !flushed && error != 0 ? std::string(std::strerror(error))
                                  : std::string("some of it was lost");
}

int FinishWithOutputChecked(int status) {
    const std::optional<std::string> failure = StandardOutputFailure();
    if (!failure) return status;
    std::fprintf(stderr, "rlc-meter: cannot write the output: %s\n", failure->c_str());
    return status == 0 ? 1 : status;
}

}  // namespace cli
