#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""What a user would script instead of `rlc-meter stats` with pandas.
usage: stats_pandas.py JOURNAL.csv"""
import sys

import pandas

frame = pandas.read_csv(sys.argv[1], sep=";", encoding="utf-8-sig",
                        usecols=["verdict", "primary", "secondary"])
print(frame["verdict"].value_counts())
print(frame[["primary", "secondary"]].agg(["count", "mean", "std", "min", "max"]))
