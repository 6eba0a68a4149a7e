#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""rlc-meter log against rlc-meter simulate on a pseudo-terminal."""
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

TOOL = sys.argv[1]
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what)


def simulate(*args):
    sim = subprocess.Popen([TOOL, "simulate", *args], stdin=subprocess.PIPE,
                           stdout=subprocess.PIPE, text=True)
    return sim, sim.stdout.readline().strip()


def columns(csv_text):
    lines = [l for l in csv_text.split("\r\n") if l]
    header = lines[0].lstrip("\ufeff").split(";")
    return header, [dict(zip(header, l.split(";"))) for l in lines[1:]]


def log(port, *args, **kw):
    return subprocess.Popen([TOOL, "log", "--port", port, "--lang", "en", "--decimal", ".", *args],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, **kw)


def read_lines(proc, count, timeout=20):
    """Reads whole lines of the tool's output until `count` are in."""
    out = b""
    end = time.time() + timeout
    while out.count(b"\r\n") < count and time.time() < end:
        out += proc.stdout.read1(4096)
    return out


def run_through_outage(sim, port, count, lost, back, pause):
    """A `log --count COUNT` run during which the simulator is told LOST after
    the first reading and BACK PAUSE seconds later: its status, output, stderr."""
    p = log(port, "--count", str(count))
    first = read_lines(p, 2)  # header and one reading
    sim.stdin.write(lost + "\n")
    sim.stdin.flush()
    time.sleep(pause)
    sim.stdin.write(back + "\n")
    sim.stdin.flush()
    rest, err = p.communicate(timeout=40)
    return p.returncode, first + rest, err


# Five readings, each a whole line with every column, read-outs as decode shows them.
sim, port = simulate("--part", "C=100n")
try:
    p = log(port, "--count", "5")
    out, err = p.communicate(timeout=30)
    check(p.returncode == 0, "count 5 ends with status 0 (%s)" % err.decode())
    text = out.decode()
    check(text.endswith("\r\n"), "the last line is whole")
    header, rows = columns(text)
    check(len(rows) == 5, "five lines, got %d" % len(rows))
    check(all(len(r) == len(header) for r in rows), "every line has every column")
    frames = "\n".join(r["frame"] for r in rows) + "\n"
    d = subprocess.run([TOOL, "decode", "--lang", "en", "--decimal", "."], input=frames.encode(),
                       capture_output=True, check=True)
    decoded = [json.loads(l) for l in d.stdout.decode().splitlines()]
    for row, dec in zip(rows, decoded):
        for control in ("L_Prim_RLC", "L_prim_n", "L_Sec_RLC", "L_sec_n"):
            check(row[control] == dec["screen"][control],
                  "%s: log %r, decode %r" % (control, row[control], dec["screen"][control]))

    # A refused setting sends nothing and names the allowed values.
    p = log(port, "--set", "freq=3k")
    out, err = p.communicate(timeout=30)
    check(p.returncode == 2, "a refused --set gives status 2")
    check(b"allowed values: auto, 100, 120, 1k" in err, "the message names the values")
    check(out == b"", "nothing is written")

    # The meter drops the link mid-run: the tool reconnects and goes on.
    status, out, err = run_through_outage(sim, port, 4, "off", "on", 0.5)
    check(status == 0, "the run goes on after a lost link (%s)" % err.decode())
    check(b"reconnecting" in err, "the loss is told on standard error")
    check(len(columns(out.decode())[1]) == 4, "four readings in all")

    # SIGTERM mid-run: status 0, the last line whole.
    p = log(port, "--quiet")
    first = read_lines(p, 2)

    # A second run on the port the first one holds is told the port is busy.
    busy = log(port, "--count", "1")
    out, err = busy.communicate(timeout=30)
    check(busy.returncode == 4, "a busy port gives status 4, got %d" % busy.returncode)
    check(b"in use by another program" in err, "the message says the port is in use")
    check(out == b"", "nothing is written on a busy port")

    p.send_signal(signal.SIGTERM)
    rest, _ = p.communicate(timeout=20)
    check(p.returncode == 0, "SIGTERM ends with status 0")
    check((first + rest).endswith(b"\r\n"), "the last line is whole after SIGTERM")
    # Without the rights to the port (tried as an unprivileged user when the
    # tests run as root): status 5 and how to get them on Linux.
    if os.geteuid() == 0 and shutil.which("setpriv"):
        denied = subprocess.run(["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups",
                                 TOOL, "log", "--port", port, "--count", "1"],
                                capture_output=True, timeout=30)
        check(denied.returncode == 5,
              "no permission gives status 5, got %d (%s)" % (denied.returncode, denied.stderr))
        check(b"dialout" in denied.stderr, "the message names the dialout group")
finally:
    sim.stdin.close()
    sim.send_signal(signal.SIGTERM)
    sim.wait(timeout=10)

# The adapter is pulled out for several watch ticks: one line says when its
# port went away, and recording goes on once it is back.
folder = tempfile.mkdtemp()
sim, port = simulate("--link", os.path.join(folder, "adapter"))
try:
    status, out, err = run_through_outage(sim, port, 3, "unplug", "plug", 6)
    check(status == 0, "the run goes on after the port came back (%s)" % err.decode())
    gone = re.findall(rb"port is gone since \d\d:\d\d:\d\d", err)
    check(len(gone) == 1, "one line for the outage, with its time: %r" % err.decode())
    check(len(columns(out.decode())[1]) == 3, "three readings in all")
finally:
    sim.stdin.close()
    sim.send_signal(signal.SIGTERM)
    sim.wait(timeout=10)
    shutil.rmtree(folder, ignore_errors=True)

sys.exit(1 if failures else 0)
