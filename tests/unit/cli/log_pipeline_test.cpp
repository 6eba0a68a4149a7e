// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/log_pipeline.h"

#include <gtest/gtest.h>

#include "cli/options.h"
#include "log/journal.h"
#include "sim/meter.h"
#include "support/english.h"

namespace {

struct Fixture {
    i18n::TLexicons lexicons;
    Fixture() { lexicons.SetLanguage(testing_support::English()); }
};

protocol::TMeasurementFrame FrameOf(const char* part) {
    sim::TSimConfig c;
    c.part = *sim::ParsePart(part);
    c.noise = 0;
    sim::TSimMeter meter(c);
    return meter.BuildFrame();
}

cli::TLogPipelineConfig Sorting(const char* ref, const char* tol, cli::TLogFormat format) {
    cli::TLogPipelineConfig config;
    config.format = format;
    std::string error;
    EXPECT_TRUE(cli::BuildReference({ref, tol}, {}, ".", config.reference, error)) << error;
    return config;
}

std::size_t Fields(const std::string& line) {
    return static_cast<std::size_t>(std::count(line.begin(), line.end(), ';')) + 1;
}

TEST(LogPipeline, CsvLinesReadBackAsJournalRowsWithEveryColumn) {
    Fixture f;
    cli::TLogPipeline pipeline(Sorting("C=100n", "5%", cli::TLogFormat::Csv), f.lexicons);
    const std::string header = pipeline.Header();
    std::string csv = header;
    for (const char* part : {"C=100n", "C=120n"}) {
        const auto frame = FrameOf(part);
        const auto fed = pipeline.Feed(frame, logcore::TLocalTime{}, true);
        ASSERT_TRUE(fed.line);
        EXPECT_EQ(Fields(*fed.line), Fields(header));
        csv += *fed.line;
    }
    const logcore::TJournalContents read = logcore::ReadJournal(csv);
    EXPECT_TRUE(read.problems.empty());
    ASSERT_EQ(read.rows.size(), 2u);
    EXPECT_EQ(read.rows[0].verdict, protocol::verdict::Pass);
    EXPECT_EQ(read.rows[1].verdict, protocol::verdict::PrimaryOut);
    EXPECT_EQ(read.rows[1].position, 2);
    ASSERT_TRUE(read.rows[1].primary);
    EXPECT_NEAR(*read.rows[1].primary, 120e-9, 1e-10);
    // The deviation column of the second reading: about +20 %, the secondary's empty.
    std::vector<std::string> fields;
    std::string last = csv.substr(header.size());
    last = last.substr(last.find("\r\n") + 2);
    for (std::size_t at = 0;;) {
        const std::size_t semi = last.find(';', at);
        fields.push_back(last.substr(at, semi - at));
        if (semi == std::string::npos) break;
        at = semi + 1;
    }
    ASSERT_EQ(fields.size(), Fields(header));
    EXPECT_NEAR(std::stod(fields[fields.size() - 3]), 20.0, 1.0);
    EXPECT_EQ(fields[fields.size() - 2], "");
}

// A read-out holding the separator is quoted, so the columns stay in place.
TEST(LogPipeline, SeparatorInATextIsQuoted) {
    Fixture f;
    cli::TLogPipelineConfig config;
    config.separators.decimal = ";";
    cli::TLogPipeline pipeline(config, f.lexicons);
    const auto fed = pipeline.Feed(FrameOf("R=1k"), logcore::TLocalTime{}, true);
    ASSERT_TRUE(fed.line);
    const std::string csv = pipeline.Header() + *fed.line;
    const logcore::TJournalContents read = logcore::ReadJournal(csv);
    EXPECT_TRUE(read.problems.empty());
    ASSERT_EQ(read.rows.size(), 1u);
    EXPECT_NE(read.rows[0].cells[2].find("1;0000"), std::string::npos) << read.rows[0].cells[2];
}

TEST(LogPipeline, RejectedOrUnrecordedFramesMakeNoLine) {
    Fixture f;
    cli::TLogPipeline pipeline({}, f.lexicons);
    auto frame = FrameOf("R=1k");
    frame[16] ^= 0x55;  // the checksum no longer fits
    const auto bad = pipeline.Feed(frame, {}, true);
    EXPECT_FALSE(bad.accepted);
    EXPECT_FALSE(bad.line);
    const auto quiet = pipeline.Feed(FrameOf("R=1k"), {}, false);
    EXPECT_TRUE(quiet.accepted);
    EXPECT_FALSE(quiet.line);
    EXPECT_EQ(pipeline.LinesMade(), 0);
}

TEST(LogPipeline, JsonLineHasTheNumbersAndTheScreen) {
    Fixture f;
    cli::TLogPipeline pipeline(Sorting("C=100n", "5%", cli::TLogFormat::Jsonl), f.lexicons);
    EXPECT_EQ(pipeline.Header(), "");
    const auto fed = pipeline.Feed(FrameOf("C=100n"), {}, true);
    ASSERT_TRUE(fed.line);
    const std::string& j = *fed.line;
    EXPECT_EQ(j.front(), '{');
    EXPECT_EQ(j.substr(j.size() - 2), "}\n");
    EXPECT_NE(j.find("\"verdict\":0"), std::string::npos) << j;
    EXPECT_NE(j.find("\"deviation2\":null"), std::string::npos) << j;
    EXPECT_NE(j.find("\"L_prim_n\":"), std::string::npos) << j;
    EXPECT_EQ(j.find('\r'), std::string::npos);
}

}  // namespace

namespace {

// Bins around the reference fill the journal's bin column and the JSON's
// "bin"; a reading on another panel than RLCD is not sorted.
TEST(LogPipeline, BinOfEachReading) {
    Fixture f;
    for (const cli::TLogFormat format : {cli::TLogFormat::Csv, cli::TLogFormat::Jsonl}) {
        cli::TLogPipelineConfig config = Sorting("C=100n", "off", format);
        std::string error;
        ASSERT_TRUE(cli::BuildBins("1%,5%", {"C=100n", {}}, config.bins, error)) << error;
        cli::TLogPipeline pipeline(config, f.lexicons);
        std::string csv = pipeline.Header();
        std::vector<std::string> jsons;
        for (const char* part : {"C=100n", "C=103n", "C=120n"}) {
            const auto fed = pipeline.Feed(FrameOf(part), logcore::TLocalTime{}, true);
            ASSERT_TRUE(fed.line);
            csv += *fed.line;
            jsons.push_back(*fed.line);
        }
        if (format == cli::TLogFormat::Jsonl) {
            EXPECT_NE(jsons[0].find("\"bin\":1,"), std::string::npos) << jsons[0];
            EXPECT_NE(jsons[1].find("\"bin\":2,"), std::string::npos) << jsons[1];
            EXPECT_NE(jsons[2].find("\"bin\":0,"), std::string::npos) << jsons[2];
            continue;
        }
        const logcore::TJournalContents read = logcore::ReadJournal(csv);
        EXPECT_TRUE(read.problems.empty());
        ASSERT_EQ(read.rows.size(), 3u);
        EXPECT_EQ(read.rows[0].bin, 1);
        EXPECT_EQ(read.rows[1].bin, 2);
        EXPECT_EQ(read.rows[2].bin, logcore::kBinOut);
    }
}

TEST(LogPipeline, NoBinsNoBin) {
    Fixture f;
    cli::TLogPipeline csv(Sorting("C=100n", "5%", cli::TLogFormat::Csv), f.lexicons);
    const auto fed = csv.Feed(FrameOf("C=100n"), {}, true);
    ASSERT_TRUE(fed.line);
    const logcore::TJournalContents read = logcore::ReadJournal(csv.Header() + *fed.line);
    ASSERT_EQ(read.rows.size(), 1u);
    EXPECT_EQ(read.rows[0].bin, std::nullopt);
    cli::TLogPipeline json(Sorting("C=100n", "5%", cli::TLogFormat::Jsonl), f.lexicons);
    EXPECT_NE(json.Feed(FrameOf("C=100n"), {}, true).line->find("\"bin\":null"), std::string::npos);
}

TEST(BinsOption, NeedsAReferenceAndAGoodList) {
    logcore::TBins bins;
    std::string error;
    EXPECT_TRUE(cli::BuildBins(std::nullopt, {}, bins, error));
    EXPECT_TRUE(bins.Empty());
    EXPECT_FALSE(cli::BuildBins("1%", {}, bins, error));
    EXPECT_NE(error.find("--bins needs --ref"), std::string::npos) << error;
    EXPECT_FALSE(cli::BuildBins("5%,1%", {"R=1k", {}}, bins, error));
    EXPECT_NE(error.find("--bins: band 2"), std::string::npos) << error;
}

}  // namespace

namespace {

// Hands-free: parts put on and taken off give one line each, with their bin.
TEST(LogPipeline, CaptureMakesOneLinePerPart) {
    Fixture f;
    cli::TLogPipelineConfig config = Sorting("R=1k", "off", cli::TLogFormat::Csv);
    std::string error;
    ASSERT_TRUE(cli::BuildBins("1%,5%", {"R=1k", {}}, config.bins, error)) << error;
    config.capture = logcore::TCaptureSettings{};
    cli::TLogPipeline pipeline(config, f.lexicons);
    std::string csv = pipeline.Header();
    int lines = 0;
    for (const char* part : {"none", "R=1k", "none", "R=1.03k", "R=2k", "none"}) {
        for (int report = 0; report < 5; ++report) {
            const auto fed = pipeline.Feed(FrameOf(part), {}, true);
            ASSERT_TRUE(fed.accepted);
            if (!fed.line) continue;
            csv += *fed.line;
            ++lines;
        }
    }
    EXPECT_EQ(lines, 3);
    const logcore::TJournalContents read = logcore::ReadJournal(csv);
    ASSERT_EQ(read.rows.size(), 3u);
    EXPECT_EQ(read.rows[0].bin, 1);
    EXPECT_EQ(read.rows[1].bin, 2);
    EXPECT_EQ(read.rows[2].bin, logcore::kBinOut);
    EXPECT_EQ(read.rows[2].position, 3);
}

}  // namespace
