"""End-to-end check of `rlc-meter decode`: frames file in, JSON lines out.

usage: decode_test.py RLC_METER FRAMES_FILE
"""
import json
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


def main():
    tool, frames = sys.argv[1], sys.argv[2]

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
    print("decode end-to-end: ok")


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
