# SPDX-License-Identifier: GPL-3.0-or-later
"""End-to-end check of `rlc-meter decode`: frames file in, JSON lines out.

usage: decode_test.py RLC_METER FRAMES_FILE
"""
import json
import math
import select
import struct
import subprocess
import tempfile
import sys

NBSP = "\u00a0"


def run(tool, args, stdin=None):
    return subprocess.run([tool, "decode", *args], input=stdin, capture_output=True,
                          text=True, encoding="utf-8", check=False)


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def expect(actual, expected, what):
    check(actual == expected, f"{what}: expected {expected!r}, got {actual!r}")


def rlcd_frame(rs, x, prim, sec, series=True, status=0x01):
    """An RLCD frame at 1 kHz: the meter's Rs and signed reactance, primary and
    secondary parameter codes (R 1, C 2, L 3; R 1, Q 2, D 3)."""
    settings = bytes([0x03 | 0x20 | (0x40 if series else 0), prim | (sec << 4), 0x21, 0x01])
    body = struct.pack("<ff", rs, x) + settings + bytes([0, 0, 0, status])
    return (body + bytes([sum(body) & 0xFF, 0x0A])).hex() + "\n"


def capacitor_x(farads):
    return -1 / (2 * math.pi * 1000 * farads)


# name, options, frame, verdict, deviation1, deviation2, cells 7..9 of the row
SORTING_CASES = [
    ("R within 2 %", ["--ref", "R=100k", "--tol", "2%"], rlcd_frame(101000, 5, 1, 2),
     0, 1.0, None, ["-", "1,00", ""]),
    ("R beyond 1 %", ["--ref", "R=100k", "--tol", "1"], rlcd_frame(102000, 5, 1, 2),
     1, 2.0, None, ["+", "2,00", ""]),
    ("L 100 mH at 1 kHz", ["--ref", "L=100m", "--tol", "5%"], rlcd_frame(1, 640.88, 3, 3),
     0, 2.0, None, ["-", "2,00", ""]),
    ("C 10 nF at 1 kHz", ["--ref", "C=10n", "--tol", "1%"], rlcd_frame(1, capacitor_x(10e-9), 2, 3),
     0, 0.0, None, ["-", "0,00", ""]),
    ("C relative to the reference", ["--ref", "C=10n", "--tol", "5%"],
     rlcd_frame(1, capacitor_x(10.52e-9), 2, 3), 1, 5.2, None, ["+", "5,20", ""]),
    ("below limit passes", ["--ref", "R=100", "--tol", "<"], rlcd_frame(99, 1, 1, 2),
     0, -1.0, None, ["-", "-1,00", ""]),
    ("below limit rejects", ["--ref", "R=100", "--tol", "<"], rlcd_frame(101, 1, 1, 2),
     1, 1.0, None, ["+", "1,00", ""]),
    ("above limit rejects", ["--ref", "R=100", "--tol", ">"], rlcd_frame(99, 1, 1, 2),
     1, -1.0, None, ["+", "-1,00", ""]),
    ("Q of 50", ["--ref2", "Q=50", "--tol2", "10%"], rlcd_frame(2, 100, 1, 2),
     0, None, 0.0, ["-", "", "0,00"]),
    ("D out", ["--ref2", "D=0.01", "--tol2", "10%"], rlcd_frame(1.15, 100, 1, 3),
     2, None, 15.0, ["+", "", "15,00"]),
    ("both out", ["--ref", "R=100k", "--tol", "1%", "--ref2", "Q=50", "--tol2", "10%"],
     rlcd_frame(102000, 102000 * 60, 1, 2), 3, 2.0, 20.0, ["+", "2,00", "20,00"]),
    # No deviation can be computed against a zero reference: none is shown.
    ("zero reference", ["--ref", "R=0", "--tol", "5%"], rlcd_frame(100, 1, 1, 2),
     20, None, None, ["+", "", ""]),
    ("eight digits of the tolerance", ["--ref", "R=1", "--tol", "123456789%"],
     rlcd_frame(500001, 1, 1, 2), 1, 5e7, None, ["+", "5E07", ""]),
    ("point fraction with comma locale", ["--ref", "R=100", "--tol", "0.5%"],
     rlcd_frame(100.6, 1, 1, 2), 1, 0.6, None, ["+", "0,60", ""]),
    ("comma fraction with comma locale", ["--ref", "R=0,1k", "--tol", "0,5"],
     rlcd_frame(100.4, 1, 1, 2), 0, 0.4, None, ["-", "0,40", ""]),
    ("tolerances off", [], rlcd_frame(100, 1, 1, 2), 0, None, None, ["", "", ""]),
    ("tolerance switched off", ["--ref", "R=100", "--tol", "off"], rlcd_frame(100, 1, 1, 2),
     0, None, None, ["", "", ""]),
]


def close(actual, expected):
    if expected is None or actual is None:
        return actual is expected
    return abs(actual - expected) <= 1e-3 * max(1.0, abs(expected))


def sorting(tool):
    for name, options, frame, verdict, dev1, dev2, cells in SORTING_CASES:
        r = run(tool, ["--decimal", ",", *options], frame)
        expect(r.returncode, 0, f"{name}: exit status ({r.stderr})")
        j = json.loads(r.stdout)
        expect(j["verdict"], verdict, f"{name}: verdict")
        check(close(j["deviation1"], dev1), f"{name}: deviation1 {j['deviation1']!r}, not {dev1!r}")
        check(close(j["deviation2"], dev2), f"{name}: deviation2 {j['deviation2']!r}, not {dev2!r}")
        expect(len(j["row"]), 10, f"{name}: ten cells")
        expect(j["row"][:2], ["1", ""], f"{name}: position 1 and no time")
        expect(j["row"][7:], cells, f"{name}: reject mark and deviations")

    r = run(tool, ["--decimal", ",", "--ref", "L=100m", "--tol", "5%"],
            rlcd_frame(1, 640.88, 3, 3, series=False))
    row = json.loads(r.stdout)["row"]
    expect(row[4], "P", "circuit cell")
    expect(row[5], "1кГц", "frequency cell")
    check(row[2].startswith("L") and "мГн" in row[2], f"primary cell {row[2]!r}")

    # A power-save frame is not sorted.
    r = run(tool, ["--ref", "R=100", "--tol", "5%"], rlcd_frame(0, 0, 1, 2, status=0x81))
    check("verdict" not in json.loads(r.stdout), "power-save frame has no verdict")

    # Invalid options are refused, naming the accepted forms.
    refused = [
        (["--ref", "C=10m", "--tol", "5%"], "C=VALUE"),
        (["--ref", "R=abc", "--tol", "5%"], "R=VALUE"),
        (["--ref", "R=-5", "--tol", "5%"], "non-negative"),
        (["--ref", "Z=5", "--tol", "5%"], "L=VALUE"),
        (["--ref", "R=5", "--tol", "5x"], "percentage"),
        (["--ref", "R=5", "--tol", "0,5"], "percentage"),  # point locale: the comma is no point
        (["--ref2", "Q=5k", "--tol2", "5%"], "Q=VALUE"),
        (["--ref2", "L=5", "--tol2", "5%"], "D=VALUE"),
        (["--tol2", "5%"], "--ref2"),
        (["--ref"], "needs a value"),
    ]
    for options, named in refused:
        r = run(tool, ["--decimal", ".", *options], "")
        expect(r.returncode, 2, f"{options}: exit status")
        check(named in r.stderr, f"{options}: message names {named!r}: {r.stderr!r}")


def main():
    tool, frames = sys.argv[1], sys.argv[2]
    sorting(tool)

    # Russian texts, comma locale
    r = run(tool, ["--decimal", ",", "--group", NBSP, frames])
    expect(r.returncode, 1, "exit status with a malformed line")
    check("line 12" in r.stderr, f"stderr names the malformed line: {r.stderr!r}")
    rows = [json.loads(line) for line in r.stdout.splitlines()]
    expect(len(rows), 6, "one JSON object per frame")

    series = rows[0]
    expect(series["accepted"], True, "frame 1 accepted")
    expect(series["panel"], "Panel_RLCD", "frame 1 panel")
    expect(series["mode"], 1, "frame 1 mode")
    s = series["screen"]
    expect(s["L_prim_n"], " 15,915 мГн", "series L")
    expect(s["L_righ1"], "Z 141,42 Ом", "series Z")
    expect(s["L_righ4"], "\u019f 45,0000°", "series phase")
    expect(s["L_freq_RLC"], "A1кГц", "frequency indicator")
    expect(s["JP5"], None, "JP5 hidden")
    st = series["state"]
    check(abs(st["PhaseDeg"] - 45) < 1e-9, "phase 45°")
    check(abs(st["Z"] - 141.4213562) < 1e-6, "impedance")
    expect(st["FrequencyHz"], 1000, "frequency")
    expect(st["DcMode"], False, "not DC")
    expect(len(st["settings"]), 18, "settings bytes")
    expect(st["settings"][3], 3, "primary index L")

    huge = rows[1]["screen"]
    expect(huge["L_sec_n"], "3E9", "D of 3·10^9 is shown")
    expect(huge["L_righ3"], "Q 0,0000", "the rest of the frame is shown too")

    rd = rows[2]
    expect(rd["panel"], "Panel_RD", "frame 3 panel")
    expect(rd["screen"]["RD_Prim"], "1,2345 кОм", "RD reading")
    expect(rd["screen"]["Im_Diod"], 2, "RD picture")

    sleep = rows[3]
    expect(sleep["powerSave"], True, "power save")
    expect(sleep["screen"]["JP5"], "Сон 300сек", "JP5 text")
    expect(sleep["screen"]["RD_Prim"], "", "RD reading blanked")
    expect(sleep["screen"]["RD_V"], "A1.3В", "RD voltage kept from the previous frame")

    u = rows[4]
    expect(u["panel"], "Panel_U", "frame 6 panel")
    expect(u["screen"]["U_vrm"], "Vскз=123,4мВ", "U rms")
    expect(u["screen"]["JP5"], None, "JP5 hidden again")

    bad = rows[5]
    expect(bad["accepted"], False, "bad checksum rejected")
    expect(bad["screen"], u["screen"], "a rejected frame changes nothing")

    # English texts, point locale, frames from standard input
    with open(frames, encoding="utf-8") as f:
        text = f.read()
    r = run(tool, ["--lang", "en", "--decimal", ".", "--group", ",", "--model", "2", "-"], text)
    expect(r.returncode, 1, "exit status from stdin")
    rows = [json.loads(line) for line in r.stdout.splitlines()]
    expect(rows[0]["model"], 0, "the frame's model wins over --model")
    expect(rows[0]["screen"]["L_prim_n"], " 15.915 mH", "English inductance")
    expect(rows[0]["screen"]["L_righ1"], "Z 141.42 \u03a9", "English ohm symbol")
    expect(rows[2]["screen"]["RD_J"], "=5.000 \u03bcA", "English micro symbol")

    # A clean file exits 0; bad options exit 2.
    r = run(tool, ["--decimal", ","], "# nothing\n\n" + text.splitlines()[2] + "\n")
    expect(r.returncode, 0, "exit status without malformed lines")
    expect(len(r.stdout.splitlines()), 1, "one frame")
    expect(run(tool, ["--model", "7"]).returncode, 2, "bad model")
    expect(run(tool, ["--lang", "de"]).returncode, 2, "bad language")
    expect(run(tool, ["/nonexistent/frames.txt"]).returncode, 2, "missing file")

    # Before any frame: the start-up texts of the chosen model.
    r = run(tool, ["--model", "2", "--decimal", ","], text.splitlines()[2] + "\n")
    expect(json.loads(r.stdout)["screen"]["L_Level_RLC"], " 1.0Вскз",
           "the frame's report replaces the start-up level")
    check_bad_inputs(tool)
    check_live_pipe(tool, rlcd_frame(1000, 5, 1, 2))
    print("decode end-to-end: ok")


def check_live_pipe(tool, frame_line):
    """Frames from a live pipe are answered one by one, not when the input ends."""
    with subprocess.Popen([tool, "decode"], stdin=subprocess.PIPE,
                          stdout=subprocess.PIPE) as p:
        try:
            for n in range(2):
                p.stdin.write(frame_line.encode())
                p.stdin.flush()
                ready, _, _ = select.select([p.stdout], [], [], 20)
                check(ready, f"frame {n + 1}: no answer while the pipe stays open")
                check(json.loads(p.stdout.readline())["accepted"], f"frame {n + 1} accepted")
        finally:
            p.stdin.close()
            p.wait(timeout=20)


def run_bytes(tool, args, stdin=b""):
    return subprocess.run([tool, "decode", *args], input=stdin, capture_output=True, check=False)


def check_bad_inputs(tool):
    """Bad input gets a clear answer: the right reason, printable, a failing status."""
    with tempfile.TemporaryDirectory() as folder:
        cases = [
            # name, arguments, standard input, exit status, text expected on stderr
            ("words", [], b"hello world\n", 1, b"'hello' is not hexadecimal"),
            ("odd digits", [], b"abc\n", 1, b"'abc' splits a byte"),
            ("binary bytes are escaped", [], b"\x1b[2J\xff\x00zz\n", 1,
             b"'\\x1b[2J\\xff\\x00zz' is not hexadecimal"),
            ("folder", [folder], b"", 2, b"is a folder"),
            ("a line of megabytes", [], b"0" * (3 << 20) + b"\n", 1,
             b"line 1: longer than any frame line"),
            ("empty decimal separator", ["--decimal", ""], b"", 2,
             b"--decimal must be exactly one character"),
            ("two-character decimal separator", ["--decimal", ",,"], b"", 2,
             b"--decimal must be exactly one character"),
        ]
        for name, args, stdin, status, message in cases:
            r = run_bytes(tool, args, stdin)
            expect(r.returncode, status, f"{name}: exit status")
            check(message in r.stderr, f"{name}: stderr {r.stderr!r} lacks {message!r}")
            check(all(b >= 0x20 or b in b"\n" for b in r.stderr),
                  f"{name}: raw control bytes on stderr: {r.stderr!r}")
        r = run_bytes(tool, ["--decimal", "\u066b"], b"")
        expect(r.returncode, 0, "one non-ASCII character is a separator")


if __name__ == "__main__":
    try:
        main()
    except AssertionError as e:
        print(f"FAIL: {e}", file=sys.stderr)
        sys.exit(1)
