#include <cstdio>

#include "cli/commands.h"

namespace cli {
int RunDecode(const std::vector<std::string>&) {
    std::fputs("rlc-meter decode: not available yet\n", stderr);
    return 2;
}
}  // namespace cli
