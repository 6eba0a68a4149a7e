# SPDX-License-Identifier: GPL-3.0-or-later
"""End-to-end check of `rlc-meter profile`: .hex1 files in, JSON out.

usage: profile_test.py RLC_METER WORK_DIR
"""
import json
import os
import struct
import subprocess
import sys


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def expect(actual, expected, what):
    check(actual == expected, f"{what}: expected {expected!r}, got {actual!r}")


def short_text(text, capacity):
    data = text.encode("cp1251")[:capacity]
    return bytes([len(data)]) + data + bytes(capacity - len(data))


def entry(name, tol1, ref1, tol2, ref2, param1=0, unit1=0, param2=0, unit2=0, start=1,
          settings=None):
    settings = settings or [1, 3, 1, 2, 1, 1, 0, 1, 0, 1, 3, 0, 0, 1, 0, 0, 0, 0]
    e = (short_text(name, 10) + b"\0" + struct.pack("<i", start) + short_text(tol1, 5)
         + bytes([param1, unit1]) + short_text(ref1, 10) + short_text(tol2, 5)
         + bytes([param2, unit2]) + short_text(ref2, 10) + bytes(settings))
    assert len(e) == 72
    return e


def profile(entries, count=None):
    count = len(entries) if count is None else count
    return struct.pack("<i", count) + bytes(96) + b"".join(entries)


def run(tool, path, *args):
    return subprocess.run([tool, "profile", path, *args], capture_output=True, text=True,
                          encoding="utf-8", check=False)


def main():
    tool, work = sys.argv[1], sys.argv[2]
    os.makedirs(work, exist_ok=True)

    good = os.path.join(work, "good.hex1")
    with open(good, "wb") as f:
        f.write(profile([
            entry("Резистор", "1%", "100", "OFF", "10000", unit1=1, start=40),
            entry("Катушка", "OFF", "10", "10%", "50", param1=1, param2=1),
        ]))

    r = run(tool, good)
    expect(r.returncode, 0, f"exit status ({r.stderr})")
    p = json.loads(r.stdout)
    expect(p["count"], 2, "count")
    first = p["entries"][0]
    expect(first["name"], "Резистор", "Windows-1251 name")
    expect(first["startPosition"], 40, "start position")
    expect(first["primary"], {"tolerance": "1%", "off": False, "parameter": 0, "unit": 1,
                              "reference": "100"}, "primary reference")
    expect(first["secondary"]["off"], True, "secondary off")
    expect(len(first["settings"]), 18, "settings bytes")
    expect(first["view"], ["1", "Резистор", "R 1% 100кОм", "", "S", "A1кГц", "1.0Вскз",
                           "0.5сек", "40", ""], "Russian view row")
    expect(p["entries"][1]["view"][3], "Q 10% 50", "secondary Q cell")
    expect(p["header"][1], "Наименование", "profile header")
    expect(p["header"][0], None, "column 0 keeps the measurement header")

    r = run(tool, good, "--lang", "en", "--model", "2")
    expect(r.returncode, 0, "exit status in English")
    row = json.loads(r.stdout)["entries"][0]["view"]
    expect(row[2], "R 1% 100kΩ", "English reference cell")
    expect(row[6], "0.7Vrms", "КС17 level")
    expect(row[7], "0.5s", "English interval")

    empty = os.path.join(work, "empty.hex1")
    with open(empty, "wb") as f:
        f.write(struct.pack("<i", 0))
    r = run(tool, empty)
    expect(r.returncode, 0, "an empty profile is fine")
    expect(json.loads(r.stdout)["entries"], [], "no entries")

    # name: file, reason named, names of the whole entries shown in front of a cut
    damaged = {
        "short": (b"\1\0\0", "shorter", None),
        "negative": (profile([entry("a", "OFF", "1", "OFF", "1")], count=-1), "negative", None),
        "past_end": (profile([entry("a", "OFF", "1", "OFF", "1")], count=2), "past the end",
                     ["a"]),
        "cut_in_second": (profile([entry("a", "OFF", "1", "OFF", "1"),
                                   entry("b", "OFF", "1", "OFF", "1")])[:-7],
                          "past the end", ["a"]),
    }
    for name, (data, reason, whole) in damaged.items():
        path = os.path.join(work, name + ".hex1")
        with open(path, "wb") as f:
            f.write(data)
        r = run(tool, path)
        expect(r.returncode, 1, f"{name}: exit status")
        if whole is None:
            expect(r.stdout, "", f"{name}: no JSON")
        else:
            expect([e["name"] for e in json.loads(r.stdout)["entries"]], whole,
                   f"{name}: the whole entries")
        check("damaged profile" in r.stderr and reason in r.stderr,
              f"{name}: message names the damage: {r.stderr!r}")

    r = run(tool, os.path.join(work, "missing.hex1"))
    expect(r.returncode, 2, "missing file")
    check("cannot open" in r.stderr, "missing file message")


if __name__ == "__main__":
    main()
