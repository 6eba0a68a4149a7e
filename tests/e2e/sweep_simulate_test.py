#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""rlc-meter sweep against rlc-meter simulate on a pseudo-terminal.

A series RC and a series RL are swept over every frequency of a КС15; each
point must match the impedance the test computes from the part itself, and
the meter must end with the settings it had before.
"""
import cmath
import json
import math
import os
import signal
import subprocess
import sys
import tempfile
import time

TOOL = sys.argv[1]
failures = []

KS15_HZ = [100, 120, 1000, 10000, 20000, 30000, 40000, 50000, 60000, 70000, 80000, 90000,
           100000, 150000]
# Settings the meter starts from, unlike those the sweeps ask for.
START = "rate=0.5,freq=120,level=0.5,circuit=parallel"


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what)


def simulate(part):
    sim = subprocess.Popen([TOOL, "simulate", "--part", part], stdin=subprocess.PIPE,
                           stdout=subprocess.PIPE, text=True)
    return sim, sim.stdout.readline().strip()


def stop(sim):
    sim.stdin.close()
    sim.send_signal(signal.SIGTERM)
    sim.wait(timeout=10)


def meter_settings(port, *set_args):
    """The four settings bytes of the meter's next report, as hex."""
    out = subprocess.run([TOOL, "log", "--port", port, "--quiet", "--format", "jsonl",
                          "--count", "1", *set_args], capture_output=True, timeout=30)
    line = json.loads(out.stdout.decode().splitlines()[0])
    return line["frame"][16:24], line["screen"]["L_freq_RLC"]


def first_line_then(p, action):
    """Reads the sweep's output until its first line is in, runs `action`,
    then reads the rest: the whole output and standard error."""
    out = b""
    end = time.time() + 30
    while out.count(b"\n") < 1 and time.time() < end:
        out += p.stdout.read1(4096)
    action()
    rest, err = p.communicate(timeout=60)
    return out + rest, err


def tell(sim, line):
    sim.stdin.write(line + "\n")
    sim.stdin.flush()


def sweep(port, *args, **kw):
    return subprocess.Popen([TOOL, "sweep", "--port", port, *args], stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, **kw)


def expected(r, x_of_w, hz):
    w = 2 * math.pi * hz
    z = complex(r, x_of_w(w))
    return abs(z), math.degrees(cmath.phase(z)), w


def near(got, want, what):
    ok = got is not None and abs(got - want) <= 0.01 * abs(want)
    check(ok, "%s: %r, computed %r" % (what, got, want))


def check_points(points, name, r, x_of_w, reactive_key, reactive_value, other_key):
    check([p["frequency_hz"] for p in points] == KS15_HZ,
          "%s: every КС15 frequency once, rising: %r" % (name, [p["frequency_hz"] for p in points]))
    for p in points:
        hz = p["frequency_hz"]
        z, theta, _ = expected(r, x_of_w, hz)
        where = "%s at %d Hz" % (name, hz)
        check(p["settled"] is True and p["readings"] == 3, where + ": settled on 3 readings")
        near(p["z_ohm"], z, where + " |Z|")
        near(p["theta_deg"], theta, where + " theta")
        near(p[reactive_key], reactive_value, where + " " + reactive_key)
        check(p[other_key] is None, where + ": " + other_key + " is null")
        near(p["esr_ohm"], r, where + " ESR")


def csv_points(text):
    lines = text.lstrip("\ufeff").split("\r\n")
    check(lines[-1] == "", "the file ends with a whole line")
    header = lines[0].split(";")
    points = []
    for line in lines[1:-1]:
        cells = line.split(";")
        check(len(cells) == len(header), "every CSV line has every column")
        p = {}
        for key, cell in zip(header, cells):
            p[key] = None if cell == "" else float(cell)
        p["frequency_hz"] = int(p["frequency_hz"])
        p["readings"] = int(p["readings"])
        p["settled"] = p["settled"] == 1
        points.append(p)
    return points


folder = tempfile.mkdtemp()
rc_sim, rc_port = simulate("RC=100,1u")
rl_sim, rl_port = simulate("RL=10,10m")
try:
    rc_start = meter_settings(rc_port, "--set", START)
    rc_start = meter_settings(rc_port)
    rl_start = meter_settings(rl_port, "--set", START)
    rl_start = meter_settings(rl_port)
    check(rc_start[1].strip().startswith("120"), "the meter starts at 120 Hz: %r" % (rc_start,))

    # Both sweeps at once, at another level and circuit than the meter's.
    csv_path = os.path.join(folder, "rl.csv")
    rc = sweep(rc_port, "--format", "jsonl", "--level", "1.0", "--circuit", "series")
    rl = sweep(rl_port, "--out", csv_path, "--level", "1.0", "--circuit", "series")
    rc_out, rc_err = rc.communicate(timeout=120)
    rl_out, rl_err = rl.communicate(timeout=120)
    check(rc.returncode == 0, "the RC sweep ends with status 0 (%s)" % rc_err.decode())
    check(rl.returncode == 0, "the RL sweep ends with status 0 (%s)" % rl_err.decode())
    check(b"14 of 14 points" in rc_err, "the summary is told on standard error: %r" % rc_err)

    rc_points = [json.loads(l) for l in rc_out.decode().splitlines()]
    check_points(rc_points, "RC", 100, lambda w: -1 / (w * 1e-6), "c_farad", 1e-6, "l_henry")
    with open(csv_path, encoding="utf-8", newline="") as f:
        rl_points = csv_points(f.read())
    check_points(rl_points, "RL", 10, lambda w: w * 10e-3, "l_henry", 10e-3, "c_farad")

    check(meter_settings(rc_port) == rc_start, "the RC meter is put back as it was")
    check(meter_settings(rl_port) == rl_start, "the RL meter is put back as it was")

    # A frequency some model offers but this one does not: refused once the
    # meter has named its model, with the list it offers; nothing is written
    # and nothing changes on the meter.
    p = sweep(rc_port, "--freq", "1k,250k")
    out, err = p.communicate(timeout=30)
    check(p.returncode == 2, "a frequency the КС15 lacks gives status 2, got %d" % p.returncode)
    check(b"does not offer 250k; it offers 100, 120, 1k, 10k" in err, "the message: %r" % err)
    check(out == b"", "nothing is written for a refused frequency")
    check(meter_settings(rc_port) == rc_start, "a refused sweep leaves the meter alone")

    # SIGTERM mid-sweep: status 0, the points so far as whole lines, and the
    # meter still put back.
    p = sweep(rc_port, "--format", "jsonl", "--freq", "100,1k,10k,100k")
    out, err = first_line_then(p, lambda: p.send_signal(signal.SIGTERM))
    check(p.returncode == 0, "SIGTERM ends the sweep with status 0 (%s)" % err.decode())
    lines = out.decode().splitlines()
    check(out.endswith(b"\n") and 1 <= len(lines) < 4, "whole lines, the sweep cut short: %r" % out)
    check(all(json.loads(l)["settled"] for l in lines), "the points so far are settled")
    check(meter_settings(rc_port) == rc_start, "a stopped sweep puts the meter back as well")

    # The meter goes off and on again mid-sweep: the sweep reconnects, goes on
    # where it was and still puts the meter back.
    def outage():
        tell(rl_sim, "off")
        time.sleep(1)
        tell(rl_sim, "on")

    p = sweep(rl_port, "--format", "jsonl", "--freq", "100,1k,10k,100k")
    out, err = first_line_then(p, outage)
    check(p.returncode == 0, "the sweep goes on after a lost link (%s)" % err.decode())
    check(b"reconnecting" in err, "the loss is told on standard error")
    points = [json.loads(l) for l in out.decode().splitlines()]
    check([q["frequency_hz"] for q in points] == [100, 1000, 10000, 100000],
          "every frequency once after the outage: %r" % out)
    check(all(q["settled"] for q in points), "the points after the outage settle too")
    for q in points:
        near(q["l_henry"], 10e-3, "RL at %d Hz after the outage: L" % q["frequency_hz"])
    check(meter_settings(rl_port) == rl_start, "the meter is put back after the outage")

    # Without reconnecting, a lost link ends the sweep with status 7 and says
    # the meter could not be put back.
    p = sweep(rl_port, "--format", "jsonl", "--freq", "100,1k,10k,100k", "--no-reconnect")
    out, err = first_line_then(p, lambda: tell(rl_sim, "off"))
    tell(rl_sim, "on")
    check(p.returncode == 7, "a lost link with --no-reconnect gives status 7, got %d" % p.returncode)
    check(b"keeps the sweep's settings" in err, "the message says the meter was not put back")
    check(out.endswith(b"\n"), "the points before the loss are whole lines")
finally:
    stop(rc_sim)
    stop(rl_sim)

sys.exit(1 if failures else 0)
