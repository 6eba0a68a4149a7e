#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The man pages tell everything the programs' --help lists.

rlc-meter(1) has a section for every subcommand that `rlc-meter --help` names,
and that section names every option the subcommand's usage (and its own
--help, where it has one) shows. rlc-logger(1) names every option of
`rlc-logger --help`. The lists are read from the programs, so an option added
later is checked without touching this test.

usage: man_pages_test.py RLC_METER RLC_METER_1 RLC_LOGGER RLC_LOGGER_1
"""
import os
import re
import subprocess
import sys

OPTION = re.compile(r"(?<![\w-])--?[a-zA-Z][a-zA-Z0-9-]*")


def run(*args):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    return subprocess.run(args, capture_output=True, text=True, env=env, timeout=20).stdout


def plain_troff(text):
    """The page's text without escapes, so options read as typed."""
    text = text.replace("\\-", "-").replace("\\(aq", "'")
    text = re.sub(r"\\f[BIRP]", "", text)
    return text


def man_sections(page):
    """{subsection name: its text} for the .SS parts, and the SYNOPSIS text."""
    sections, name, synopsis = {}, None, []
    in_synopsis = False
    for line in page.splitlines():
        if line.startswith(".SH"):
            in_synopsis = line.split(None, 1)[1:] == ["SYNOPSIS"]
            name = None
            continue
        if line.startswith(".SS"):
            name = line.split(None, 1)[1].strip().strip('"')
            sections[name] = []
            continue
        if in_synopsis:
            synopsis.append(line)
        if name is not None:
            sections[name].append(line)
    return {k: "\n".join(v) for k, v in sections.items()}, "\n".join(synopsis)


def usage_blocks(help_text):
    """{subcommand: its usage lines} from the usage part of `rlc-meter --help`."""
    blocks, current = {}, None
    for line in help_text.splitlines():
        if not line.strip():
            break  # the usage ends at the first empty line
        m = re.match(r"\s*(?:usage:\s*)?rlc-meter\s+(\S+)", line)
        if m:
            current = None if m.group(1).startswith("-") else m.group(1)
            if current:
                blocks[current] = line[m.end():]
        elif current:
            blocks[current] += "\n" + line
    return blocks


def options_in(text):
    found = set(OPTION.findall(text))
    return {o for o in found if o not in ("-", "--")}


def main():
    meter, meter_page, logger, logger_page = sys.argv[1:5]
    failures = []

    general = run(meter, "--help")
    blocks = usage_blocks(general)
    if len(blocks) < 2:
        failures.append(f"could not read the subcommands from rlc-meter --help:\n{general}")
    with open(meter_page, encoding="utf-8") as f:
        sections, synopsis = man_sections(plain_troff(f.read()))
    for command, usage in sorted(blocks.items()):
        wanted = options_in(usage)
        own = run(meter, command, "--help")
        if own.strip() and own != general:  # a subcommand with a help of its own
            wanted |= {o for o in options_in(own) if o != "--help"}
        section = sections.get(command)
        if section is None:
            failures.append(f"rlc-meter(1) has no section for '{command}'")
            continue
        if not re.search(rf"^\.B rlc-meter {re.escape(command)}\b", synopsis, re.M):
            failures.append(f"rlc-meter(1) SYNOPSIS lacks '{command}'")
        for option in sorted(wanted):
            if not re.search(rf"(?<![\w-]){re.escape(option)}(?![\w-])", section):
                failures.append(f"rlc-meter(1) section '{command}' lacks {option}")

    logger_help = run(logger, "--help")
    with open(logger_page, encoding="utf-8") as f:
        page = plain_troff(f.read())
    listed = {o for o in options_in(logger_help) if not o.startswith("--help")} | {"--help"}
    if "--version" not in listed:
        failures.append(f"could not read the options from rlc-logger --help:\n{logger_help}")
    for option in sorted(listed):
        if not re.search(rf"(?<![\w-]){re.escape(option)}(?![\w-])", page):
            failures.append(f"rlc-logger(1) lacks {option}")

    for f in failures:
        print("FAIL:", f)
    print(f"{len(blocks)} subcommands and {len(listed)} window options checked")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
