# SPDX-License-Identifier: GPL-3.0-or-later
"""End-to-end check of the language-file commands of rlc-meter.

usage: lang_tools_test.py RLC_METER SOURCE_DIR
"""
import os
import struct
import subprocess
import sys
import tempfile


def run(tool, args):
    return subprocess.run([tool, *args], capture_output=True, check=False)


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def utf16(lines):
    return ("\ufeff" + "".join(line + "\r\n" for line in lines)).encode("utf-16-le")


def read_lines(data):
    check(data.startswith(b"\xff\xfe"), "written as UTF-16 LE with its mark")
    return data[2:].decode("utf-16-le").split("\r\n")


def main(tool, source):
    shipped = os.path.join(source, "lang", "eng.lng")

    r = run(tool, ["lang-check", shipped])
    check(r.returncode == 0, f"shipped eng.lng is complete: {r.stdout.decode()}")

    # The shipped file is what lang-merge writes from its UTF-8 source.
    r = run(tool, ["lang-merge", os.path.join(source, "lang", "eng.txt")])
    check(r.returncode == 0, f"eng.txt is complete: {r.stderr.decode()}")
    with open(shipped, "rb") as f:
        check(r.stdout == f.read(),
              "lang/eng.lng differs from what lang-merge writes from lang/eng.txt: "
              "run scripts/lang-eng.sh")

    with tempfile.TemporaryDirectory() as tmp:
        # The template is a complete file in Russian.
        r = run(tool, ["lang-template"])
        check(r.returncode == 0 and r.stderr == b"", f"template written quietly: {r.stderr}")
        template = os.path.join(tmp, "new.lng")
        with open(template, "wb") as f:
            f.write(r.stdout)
        lines = read_lines(r.stdout)
        check(lines[0] == "[LANGUAGE_FILE]", "signature first")
        check('1\t"Очистка"\t%COMPONENT=B5;\t%OWNER=Form1;' in lines, "a control in Russian")
        check('8\t"Пуск"' in lines, "a lexicon item in Russian")
        r = run(tool, ["lang-check", template])
        check(r.returncode == 0, f"template passes the check: {r.stdout.decode()}")

        # A file lacking one item, with a broken line and a control the window
        # does not have.
        english = read_lines(open(shipped, "rb").read())
        english = [line for line in english if line and not line.startswith("1\t\"Clear\"")]
        at = english.index("0\t%LEXICON_STRINGS")
        english.insert(at, "1\tno quotes here\t%COMPONENT=B5;\t%OWNER=Form1;")
        english.insert(at, '1\t"Gone"\t%COMPONENT=Button99;\t%OWNER=Form1;')
        broken = os.path.join(tmp, "broken.lng")
        with open(broken, "wb") as f:
            f.write(utf16(english))
        r = run(tool, ["lang-check", broken])
        out = r.stdout.decode()
        check(r.returncode == 1, "an incomplete file fails the check")
        check(f"{broken}: line {at + 2}: " in out, f"the broken line is named: {out}")
        check('lacks the caption of B5 in Form1: 1\t"Очистка"' in out, f"the gap is named: {out}")
        check("caption of Button99 in Form1, which the window no longer has" in out,
              f"the obsolete control is named: {out}")

        # Without the closing %SMART_STRINGS line the file is read to its end:
        # a warning, and still a complete file.
        unmarked = [line for line in read_lines(open(shipped, "rb").read())
                    if line and line != "0\t%SMART_STRINGS"]
        unmarked_path = os.path.join(tmp, "unmarked.lng")
        with open(unmarked_path, "wb") as f:
            f.write(utf16(unmarked))
        r = run(tool, ["lang-check", unmarked_path])
        out = r.stdout.decode()
        check(r.returncode == 0, f"a file without the end mark passes: {out}")
        check(f"{unmarked_path}: warning: " in out and "%SMART_STRINGS" in out,
              f"the missing mark is a warning: {out}")

        check(run(tool, ["lang-check", os.path.join(tmp, "none.lng")]).returncode == 2,
              "a missing file is a usage error")
        check(run(tool, ["lang-check"]).returncode == 2, "no file")

        # decode takes any language file by its code, with its superior language.
        with open(os.path.join(tmp, "us.lng"), "wb") as f:
            f.write(utf16(["[LANGUAGE_FILE]",
                           '0\t%LANGUAGE_NAME="American"\t%CODE=us;\t%SUPERIOR_LANGUAGE=English;',
                           "0\t%LEXICON_STRINGS", "0\t%LEXICON_NAME=Form1.Dlang3;",
                           '4\t"Henry"', "0\t%SMART_STRINGS"]))
        with open(os.path.join(tmp, "eng.lng"), "wb") as f:
            f.write(open(shipped, "rb").read())
        # An inductor at 1 kHz: Rs 1 ohm, reactance 640.88 ohms, L and D shown.
        body = struct.pack("<ff", 1, 640.88) + bytes([0x63, 0x33, 0x21, 0x01, 0, 0, 0, 0x01])
        frame = (body + bytes([sum(body) & 0xFF, 0x0A])).hex()
        r = subprocess.run([tool, "decode", "--lang", "us", "--lang-dir", tmp, "--decimal", "."],
                           input=frame + "\n", capture_output=True, text=True, check=False)
        check(r.returncode == 0, f"decode with a language file: {r.stderr}")
        check("mHenry" in r.stdout and "kHz" in r.stdout, f"own and superior texts: {r.stdout}")
        r = run(tool, ["decode", "--lang", "fr", "--lang-dir", tmp])
        check(r.returncode == 2 and b"no language file with the code fr" in r.stderr,
              f"unknown code: {r.stderr}")


if __name__ == "__main__":
    try:
        main(sys.argv[1], sys.argv[2])
    except AssertionError as e:
        print(f"FAIL: {e}")
        sys.exit(1)
    print("ok")
