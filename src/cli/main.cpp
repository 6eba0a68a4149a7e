// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "build_info.h"
#include "cli/commands.h"
#include "cli/lang_commands.h"
#include "cli/output_check.h"

namespace {

constexpr const char* kUsage =
    "usage: rlc-meter decode [--lang CODE] [--lang-dir DIR] [--decimal C] [--group C]\n"
    "                        [--model N] [--ref R|L|C=VALUE --tol TOL]\n"
    "                        [--ref2 R|Q|D=VALUE --tol2 TOL] [--bins LIST] [FILE|-]\n"
    "       rlc-meter simulate [--model N] [--mode rlcd|rd|u] [--part PART]\n"
    "                          [--noise F] [--late-connf] [--run-together] [--link PATH]\n"
    "       rlc-meter profile FILE.hex1 [--lang ru|en] [--model N]\n"
    "       rlc-meter export JOURNAL.csv OUT.xlsx [--lang ru|en] [--decimal C]\n"
    "       rlc-meter log [--port PATH | --demo] [--out FILE] [--format csv|jsonl]\n"
    "                     [--count N] [--duration SECONDS] [--set NAME=VALUE,...]\n"
    "                     [--mode rlcd|rd|u] [--ref ... --tol ...] [--bins LIST]\n"
    "                     [--quiet] [--no-reconnect]\n"
    "       rlc-meter sweep [--port PATH | --demo] [--freq LIST] [--readings N]\n"
    "                       [--level VOLTS] [--circuit series|parallel]\n"
    "                       [--format csv|jsonl] [--out FILE]\n"
    "       rlc-meter stats [--format text|json] [--lang ru|en] [--decimal C]\n"
    "                       [--ref R|L|C=VALUE --tol TOL] [--ref2 R|Q|D=VALUE --tol2 TOL]\n"
    "                       [--bins LIST] JOURNAL.csv\n"
    "       rlc-meter match JOURNAL.csv --size K --within P% [--within2 P%]\n"
    "                       [--format text|csv|json] [--lang ru|en]\n"
    "       rlc-meter lang-template [--utf8] > NEW.lng\n"
    "       rlc-meter lang-check FILE.lng\n"
    "       rlc-meter lang-merge [--utf8] FILE... > OUT.lng\n"
    "       rlc-meter --help | --version\n";

constexpr const char* kHelp =
    "Command-line tool for the КС RLC meters.\n"
    "\n"
    "  decode     turn frames (36 hex digits a line) into the texts the screen\n"
    "             would show, one JSON object a frame\n"
    "  simulate   run a simulated adapter and meter on a pseudo-terminal and\n"
    "             print its path; lines on standard input (sleep, eco, wake,\n"
    "             on, off, part PART) work the meter's buttons\n"
    "  profile    print a .hex1 profile as JSON: every stored field and the\n"
    "             texts of its row in the profile view\n"
    "  export     turn a journal file into a spreadsheet (.xlsx) laid out\n"
    "             like the window's export\n"
    "  log        record the meter without a window, one CSV or JSON line per\n"
    "             reading, optionally setting it first; `rlc-meter log --help`\n"
    "             tells every option\n"
    "  sweep      measure the part at every test frequency (or those of --freq),\n"
    "             one CSV or JSON line per frequency: |Z|, phase, R, X, L or C, D,\n"
    "             Q, ESR; the meter is put back as it was; `rlc-meter sweep --help`\n"
    "             tells every option\n"
    "  stats      the figures of a journal file: rows, passed, rejected and why,\n"
    "             yield, mean, spread, range, and Cp/Cpk against the band given\n"
    "             with --ref/--tol\n"
    "  match      group a journal's parts into as many sets of K as possible whose\n"
    "             values lie within P % of the set's mean, and name those left over\n"
    "  lang-template  write a language file holding every text of the window\n"
    "             and every lexicon item in Russian, a translator's starting point\n"
    "  lang-check     list what a language file lacks, what it holds that the\n"
    "             window no longer has, and lines it cannot read; exit status 0\n"
    "             only for a complete, clean file\n"
    "  lang-merge     write a complete language file from FILEs (the first one\n"
    "             that has a text gives it), in the window's order; name what\n"
    "             none of them has\n"
    "\n"
    "Examples:\n"
    "  rlc-meter decode --lang en frames.txt\n"
    "  rlc-meter simulate --part C=100n\n"
    "  rlc-meter log --count 100 --set primary=C,freq=1k --out caps.csv\n"
    "\n"
    "Exit status: 0 on success, 1 when some input was bad or the output could not\n"
    "be written, 2 on wrong usage\n"
    "(log and sweep have more: see their --help).\n"
    "See rlc-meter(1) for the options.\n";

int Dispatch(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    // log and sweep have a help of their own.
    if (command == "log") return cli::RunLog(args);
    if (command == "sweep") return cli::RunSweep(args);
    const bool helpAsked = command == "--help" || command == "-h" || command == "help" ||
                           std::find(args.begin(), args.end(), "--help") != args.end();
    if (helpAsked) {
        std::fputs(kUsage, stdout);
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (command == "decode") return cli::RunDecode(args);
    if (command == "simulate") return cli::RunSimulate(args);
    if (command == "profile") return cli::RunProfile(args);
    if (command == "export") return cli::RunExport(args);
    if (command == "stats") return cli::RunStats(args);
    if (command == "match") return cli::RunMatch(args);
    if (command == "lang-template") return cli::RunLangTemplate(args);
    if (command == "lang-check") return cli::RunLangCheck(args);
    if (command == "lang-merge") return cli::RunLangMerge(args);
    if (command == "--version" || command == "-V") {
        std::fputs("rlc-meter " RLC_VERSION "\n" RLC_VERSION_NOTICE, stdout);
        return 0;
    }
    std::fputs(kUsage, stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    return cli::FinishWithOutputChecked(Dispatch(argc, argv));
}
