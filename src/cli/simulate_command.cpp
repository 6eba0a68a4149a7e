#include <cstdio>

#include "cli/commands.h"

namespace cli {
int RunSimulate(const std::vector<std::string>&) {
    std::fputs("rlc-meter simulate: not available yet\n", stderr);
    return 2;
}
}  // namespace cli
