#pragma once

#include "i18n/lexicon.h"

// English for the lexicon items the read-outs and the journal use, as
// lang/eng.lng has them: for tools that show them without reading language
// files.
namespace i18n {

inline Translations EnglishReadoutTexts() {
    Translations t;
    const char* units[] = {"Hz", "Vrms", "V", "Ohm", "H", "F", "rms", "p-p", "max", "min"};
    for (int i = 0; i < 10; ++i) t.Set("Form1.Dlang3", i, units[i]);
    const char* prefixes[] = {"M", "k", "m", "u", "n", "p"};
    for (int i = 0; i < 6; ++i) t.Set("Form1.Dlang1", i, prefixes[i]);
    const char* signs[] = {"f", "r", "FV", "+", "-", "s"};
    for (int i = 0; i < 6; ++i) t.Set("Form1.D3", i, signs[i]);
    t.Set("Form1.Dlang_connect", 7, "Eco.");
    t.Set("Form1.Dlang_connect", 8, "Sleep");
    const char* journal[] = {"Journal not written: ",
                             "cannot create the folder",
                             "cannot create the file",
                             "cannot write to the file",
                             "cannot flush the file to disk",
                             "line ",
                             "the first line is not a journal header",
                             "missing column ",
                             "wrong number of fields",
                             "bad value in column ",
                             "text is not UTF-8",
                             "incomplete last line ignored",
                             "cannot read the file: "};
    for (int i = 0; i < 13; ++i) t.Set("Form1.Dlog", i, journal[i]);
    const char* statistics[] = {"Statistics",
                                "Rows",
                                "Passed",
                                "Rejected",
                                "primary out",
                                "secondary out",
                                "both out",
                                "Invalid input",
                                "Yield, %",
                                "Primary",
                                "Secondary",
                                "mean",
                                "std. deviation",
                                "minimum",
                                "maximum",
                                "Cp",
                                "Cpk",
                                "—",
                                "All",
                                "Row",
                                "Reference",
                                "Tolerance limits",
                                "Primary deviation, %",
                                "Rows",
                                "Value",
                                "No percentage tolerance"};
    for (int i = 0; i < 26; ++i) t.Set("Form1.Dstat", i, statistics[i]);
    return t;
}

// The read-out texts plus those of the profile view and its messages.
inline Translations EnglishProfileTexts() {
    Translations t = EnglishReadoutTexts();
    const char* circuit[] = {"Series", "Parallel", "S", "P"};
    for (int i = 0; i < 4; ++i) t.Set("Form1.Dlang2", i, circuit[i]);
    const char* headers[] = {"Position",       "Time",       "Primary", "Secondary",
                             "Circuit",        "Frequency",  "Level",   "Reject",
                             "Prim.% dev.",    "Sec.% dev.", "Name",    "Prim. reference",
                             "Sec. reference", "Start pos.", "Interval"};
    for (int i = 1; i <= 15; ++i) t.Set("Form1.D2", i, headers[i - 1]);
    const char* messages[] = {"Damaged profile: ",
                              "the file is shorter than 4 bytes",
                              "negative entry count",
                              "the header counts more entries than the file holds",
                              "No entry numbered ",
                              "The profile is empty, nothing to delete",
                              "No profile is open",
                              "Profile not written: ",
                              "Table written to: ",
                              "Table not written: ",
                              "Profile cannot be read: ",
                              "Error",
                              ", entries in the profile: "};
    for (int i = 0; i < 13; ++i) t.Set("Form1.Dprof", i, messages[i]);
    return t;
}

}  // namespace i18n
