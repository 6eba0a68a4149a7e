#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Makes the inputs the tool benchmarks read: a journal of ROWS rows as the
window writes it, or a file of frame lines as `rlc-meter decode` reads it.

usage: make_inputs.py journal ROWS OUT.csv [--old-header]
       make_inputs.py frames LINES OUT.txt
"""
import struct
import sys

HEADER = ("time;mode;position;name;grid_position;grid_time;grid_primary;grid_secondary;"
          "grid_circuit;grid_frequency;grid_level;grid_reject;grid_primary_deviation;"
          "grid_secondary_deviation;Rs;Xs;Rp;Xp;frequency_hz;primary;secondary;verdict")
OLD_HEADER = ("time;mode;position;name;col0;col1;col2;col3;col4;col5;col6;col7;col8;col9;"
              "Rs;Xs;Rp;Xp;frequency_hz;primary;secondary;verdict")


def journal(rows, path, header):
    """Single-part rows at positions 1..rows, one a second, a 1 kΩ resistor
    sorted at 1 % with a reject every seventh row."""
    with open(path, "wb") as f:
        f.write(b"\xef\xbb\xbf" + header.encode() + b"\r\n")
        batch = []
        for i in range(1, rows + 1):
            s = i % 86400
            hh, mm, ss = s // 3600, s // 60 % 60, s % 60
            ohms = 1000.0 + (i % 97) * 0.25 - 12.0
            reactance = 0.5 + (i % 13) * 0.01
            q = reactance / ohms
            deviation = (ohms - 1000.0) / 10.0
            reject = i % 7 == 0
            verdict = 1 if reject else 0
            fields = [
                f"2026-12-10T{hh:02d}:{mm:02d}:{ss:02d}.{i % 1000:03d}+01:00", "single", str(i), "",
                str(i), f"10.12.26 {hh:02d}:{mm:02d}:{ss:02d}", f"R  {ohms / 1000:.4f} кОм".replace(".", ","),
                f"Q {q:.4f}".replace(".", ","), "S", "1кГц", "1.0Вскз", "+" if reject else "-",
                f"{deviation:.2f}".replace(".", ","), "",
                repr(ohms), repr(reactance), repr(ohms + reactance * reactance / ohms),
                repr(reactance + ohms * ohms / reactance), "1000", repr(ohms), repr(q), str(verdict)]
            batch.append(";".join(fields))
            if len(batch) == 10000:
                f.write(("\r\n".join(batch) + "\r\n").encode())
                batch = []
        if batch:
            f.write(("\r\n".join(batch) + "\r\n").encode())


def frames(lines, path):
    """RLCD frames of a series 1 kΩ part at 1 kHz with varying readings."""
    tail = bytes([0x63, 0x33, 0x21, 0x01, 0x00, 0x00, 0x00, 0x01])
    distinct = []
    for i in range(1000):
        body = struct.pack("<ff", 1000.0 + i % 97, -150.0 - i % 13) + tail
        frame = body + bytes([sum(body) & 0xFF, 0x0A])
        distinct.append(frame.hex().upper())
    with open(path, "w") as f:
        for start in range(0, lines, 1000):
            f.write("\n".join(distinct[: min(1000, lines - start)]) + "\n")


def main():
    if len(sys.argv) < 4 or sys.argv[1] not in ("journal", "frames"):
        sys.exit(__doc__)
    count, out = int(sys.argv[2]), sys.argv[3]
    if sys.argv[1] == "journal":
        journal(count, out, OLD_HEADER if "--old-header" in sys.argv[4:] else HEADER)
    else:
        frames(count, out)


if __name__ == "__main__":
    main()
