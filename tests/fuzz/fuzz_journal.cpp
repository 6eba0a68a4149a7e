// SPDX-License-Identifier: GPL-3.0-or-later
// A journal file of any content through the journal reader, and each row it
// accepts written out and read back again.

#include <string>

#include "fuzz_support.h"
#include "i18n/lexicon.h"
#include "log/journal.h"

namespace {

const std::string& Header() {
    static const std::string header = std::string(logcore::kJournalHeader) + "\r\n";
    return header;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const i18n::TLexicons lexicons;
    const std::string_view bytes = fuzz::AsText(data, size);
    const logcore::TJournalContents contents = logcore::ReadJournal(bytes);

    long lines = 0;
    for (char c : bytes) lines += c == '\n';
    for (const logcore::TJournalProblem& p : contents.problems) {
        fuzz::Check(p.line >= 0 && p.line <= lines + 1, "a problem names a line of the file");
        fuzz::Check(fuzz::IsValidUtf8(logcore::JournalProblemText(p, lexicons)),
                    "problem texts are UTF-8");
    }

    for (const logcore::TJournalRow& row : contents.rows) {
        fuzz::Check(fuzz::IsValidUtf8(row.name), "names are UTF-8");
        for (const std::string& cell : row.cells) fuzz::Check(fuzz::IsValidUtf8(cell), "cells");
        // A row read is written as a line that reads back as the same row.
        const std::string line = logcore::JournalLine(row);
        const logcore::TJournalContents again = logcore::ReadJournal(Header() + line);
        fuzz::Check(again.problems.empty() && again.rows.size() == 1, "a written row reads back");
        fuzz::Check(logcore::JournalLine(again.rows[0]) == line, "the same row");
    }

    if (const auto time = logcore::ParseIsoTime(bytes))
        fuzz::Check(logcore::ParseIsoTime(logcore::IsoTimeText(*time)) == time, "time round trip");
    return 0;
}
