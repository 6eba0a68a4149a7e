#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The window on a virtual X display over the simulated adapter, with keys
typed through the X server (XTest, by xdotool) as a keyboard types them.

With the keyboard focus where the window puts it at start, four presses of
the space key record four rows, and Return afterwards empties nothing: a fifth
space press goes on in the same log at position 5 (an emptied log would start
a new journal file at position 1)."""
import csv
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77  # ctest's SKIP_RETURN_CODE


def journal_rows(folder):
    """(file name, rows) of every journal file, rows without the header."""
    out = []
    if not os.path.isdir(folder):
        return out
    for name in sorted(n for n in os.listdir(folder) if n.endswith(".csv")):
        with open(os.path.join(folder, name), encoding="utf-8-sig", newline="") as f:
            rows = list(csv.reader(f, delimiter=";"))
        out.append((name, rows[1:]))
    return out


def wait_for(predicate, seconds, what):
    deadline = time.time() + seconds
    while time.time() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(0.05)
    raise AssertionError("timed out waiting for " + what)


def start_display():
    """Xvfb on a display number it picks itself."""
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x900x24",
                             "-nolisten", "tcp"], pass_fds=(write_end,),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    with os.fdopen(read_end, "rb") as r:
        while not number.endswith(b"\n"):
            chunk = r.read(1)
            if not chunk:
                break
            number += chunk
    if not number.strip():
        xvfb.kill()
        raise AssertionError("Xvfb did not start")
    return xvfb, ":" + number.decode().strip()


def xdotool(env, *args):
    return subprocess.run(["xdotool", *args], env=env, check=True, capture_output=True,
                          text=True).stdout


def main():
    app = sys.argv[1]
    if not shutil.which("Xvfb") or not shutil.which("xdotool"):
        print("Xvfb or xdotool missing (scripts/deps.sh installs them)")
        return SKIP
    work = tempfile.mkdtemp()
    xvfb = window = None
    try:
        # A copy of its own, so its single-copy lock never meets another run.
        shutil.copy(app, os.path.join(work, "rlc-logger"))
        shutil.copytree(os.path.join(os.path.dirname(app), "lang"), os.path.join(work, "lang"))
        xvfb, display = start_display()
        env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb",
                   XDG_DATA_HOME=os.path.join(work, "data"),
                   XDG_RUNTIME_DIR=os.path.join(work, "runtime"))
        journal = os.path.join(work, "data", "ZAZ_Aduz", "journal")
        window = subprocess.Popen([os.path.join(work, "rlc-logger"), "--demo", "--report-readings"],
                                  cwd=work, env=env, stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL, text=True)
        # Readings on the screen: the demo meter is connected and reporting.
        line = window.stdout.readline()
        assert "readings shown" in line, "no readings: %r" % line
        ids = wait_for(lambda: xdotool(env, "search", "--name", "Регистратор").split(), 10,
                       "the window")
        # No window manager: give the window the keyboard as a click would.
        xdotool(env, "windowfocus", "--sync", ids[0])
        time.sleep(1.5)  # past the wake command that pauses decoding after connecting

        def press(key, rows_expected=None):
            xdotool(env, "key", key)
            if rows_expected is not None:
                wait_for(lambda: sum(len(r) for _, r in journal_rows(journal)) >= rows_expected,
                         5, "row %d after %s" % (rows_expected, key))
            time.sleep(0.4)

        for n in range(1, 5):
            press("space", n)
        press("Return")
        press("KP_Enter")
        press("space", 5)
        # Tabbed on to the next controls (lists and the auto-connect box, not
        # text boxes), the space key still records and opens or ticks nothing.
        for n in (6, 7):
            press("Tab")
            press("space", n)
        time.sleep(0.5)

        files = journal_rows(journal)
        assert len(files) == 1, "the log was emptied: %s" % [name for name, _ in files]
        rows = files[0][1]
        positions = [row[2] for row in rows]
        assert positions == ["1", "2", "3", "4", "5", "6", "7"], positions
        assert all(row[1] == "single" for row in rows), rows
        print("7 rows by the space key in one log, also after Tab; Return emptied nothing")
        return 0
    finally:
        if window and window.poll() is None:
            window.send_signal(signal.SIGTERM)
            try:
                window.wait(10)
            except subprocess.TimeoutExpired:
                window.kill()
        if xvfb:
            xvfb.terminate()
            xvfb.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
