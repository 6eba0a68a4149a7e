#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The window records from the simulated meter and is killed with SIGKILL:
every journal line written before the kill is still there, whole."""
import csv
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HEADER = ("time;mode;position;name;grid_position;grid_time;grid_primary;grid_secondary;"
          "grid_circuit;grid_frequency;grid_level;grid_reject;grid_primary_deviation;"
          "grid_secondary_deviation;"
          "Rs;Xs;Rp;Xp;frequency_hz;primary;secondary;verdict;bin")


def journal_files(folder):
    if not os.path.isdir(folder):
        return []
    return sorted(os.path.join(folder, n) for n in os.listdir(folder) if n.endswith(".csv"))


def whole_lines(data):
    """The complete CRLF-ended lines of a journal, without the byte-order mark."""
    assert data.startswith(b"\xef\xbb\xbf"), "no byte-order mark"
    text = data[3:].decode("utf-8")
    lines = text.split("\r\n")
    return lines[:-1], lines[-1]


def main():
    app = sys.argv[1]
    work = tempfile.mkdtemp()
    try:
        # A copy of its own, so its single-copy lock never meets another run.
        shutil.copy(app, os.path.join(work, "rlc-logger"))
        shutil.copytree(os.path.join(os.path.dirname(app), "lang"), os.path.join(work, "lang"))
        env = dict(os.environ, XDG_DATA_HOME=os.path.join(work, "data"),
                   QT_QPA_PLATFORM="offscreen")
        journal = os.path.join(work, "data", "ZAZ_Aduz", "journal")
        proc = subprocess.Popen([os.path.join(work, "rlc-logger"), "--demo", "--record"],
                                cwd=work, env=env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        seen = []
        deadline = time.time() + 60
        while time.time() < deadline and len(seen) < 4:
            files = journal_files(journal)
            if files:
                with open(files[0], "rb") as f:
                    seen, _ = whole_lines(f.read())
            time.sleep(0.05)
        assert proc.poll() is None, "the window ended by itself"
        proc.send_signal(signal.SIGKILL)
        proc.wait()
        assert len(seen) >= 4, "fewer than three rows were recorded in 60 s"

        files = journal_files(journal)
        assert len(files) == 1, files
        with open(files[0], "rb") as f:
            lines, rest = whole_lines(f.read())
        assert rest == "", "partial last line: %r" % rest
        assert lines[0] == HEADER, lines[0]
        assert lines[:len(seen)] == seen, "lines seen before the kill changed or went missing"
        for number, line in enumerate(lines[1:], start=1):
            fields = next(csv.reader([line], delimiter=";"))
            assert len(fields) == 23, "line %d has %d fields" % (number, len(fields))
            assert fields[1] == "single", line
            assert fields[2] == str(number), "position %s on line %d" % (fields[2], number)
            assert fields[4] == str(number), line
        print("%d rows, all whole; %d were seen before the kill" % (len(lines) - 1, len(seen) - 1))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
