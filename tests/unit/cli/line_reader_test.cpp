// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/line_reader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

namespace cli {
namespace {

struct TReadLine {
    std::string text;
    bool cut = false;
    bool operator==(const TReadLine&) const = default;
};

// Every line the reader gives for `input`, written into a pipe in pieces of
// `piece` bytes by a second thread, so lines arrive split as from a live pipe.
std::vector<TReadLine> ReadAll(const std::string& input, std::size_t maxLine,
                               std::size_t piece = 4096) {
    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    std::thread writer([&] {
        for (std::size_t at = 0; at < input.size(); at += piece) {
            const std::string_view part = std::string_view(input).substr(at, piece);
            EXPECT_EQ(::write(fds[1], part.data(), part.size()), static_cast<ssize_t>(part.size()));
        }
        ::close(fds[1]);
    });
    std::vector<TReadLine> lines;
    TLineReader reader(fds[0], maxLine);
    std::string_view line;
    bool cut = false;
    while (reader.Next(line, cut)) lines.push_back({std::string(line), cut});
    writer.join();
    ::close(fds[0]);
    EXPECT_TRUE(reader.Error().empty());
    return lines;
}

TEST(LineReader, SplitsLinesWhateverPiecesTheyArriveIn) {
    const std::string input = "one\ntwo\n\nthree without end";
    const std::vector<TReadLine> expected{{"one"}, {"two"}, {""}, {"three without end"}};
    for (const std::size_t piece : {1u, 2u, 5u, 4096u}) {
        EXPECT_EQ(ReadAll(input, 64, piece), expected) << "pieces of " << piece;
    }
}

TEST(LineReader, CutsOverlongLinesAndGoesOnAfterThem) {
    const std::string longLine(100000, 'x');
    const std::vector<TReadLine> lines = ReadAll("a\n" + longLine + "\nb\n" + longLine, 1000, 777);
    const std::vector<TReadLine> expected{
        {"a"}, {std::string(1000, 'x'), true}, {"b"}, {std::string(1000, 'x'), true}};
    EXPECT_EQ(lines, expected);
}

TEST(LineReader, KnowsWhenTheNextLineMustBeWaitedFor) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ASSERT_EQ(::write(fds[1], "a\nb\nc", 5), 5);
    TLineReader reader(fds[0]);
    std::string_view line;
    bool cut = false;
    ASSERT_TRUE(reader.Next(line, cut));
    EXPECT_EQ(line, "a");
    EXPECT_FALSE(reader.WillWait());  // "b" is already here
    ASSERT_TRUE(reader.Next(line, cut));
    EXPECT_EQ(line, "b");
    EXPECT_TRUE(reader.WillWait());  // "c" has no end yet
    ::close(fds[1]);
    ASSERT_TRUE(reader.Next(line, cut));
    EXPECT_EQ(line, "c");
    EXPECT_FALSE(reader.Next(line, cut));
    ::close(fds[0]);
}

}  // namespace
}  // namespace cli
