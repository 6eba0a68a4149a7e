#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"

namespace {

void PrintUsage() {
    std::fputs(
        "usage: rlc-meter decode [--lang ru|en] [--decimal C] [--group C] [--model N]\n"
        "                        [--ref R|L|C=VALUE --tol TOL] [--ref2 R|Q|D=VALUE --tol2 TOL]\n"
        "                        [FILE|-]\n"
        "       rlc-meter simulate [--model N] [--mode rlcd|rd|u] [--part PART]\n",
        stderr);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        PrintUsage();
        return 2;
    }
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "decode") return cli::RunDecode(args);
    if (command == "simulate") return cli::RunSimulate(args);
    PrintUsage();
    return 2;
}
