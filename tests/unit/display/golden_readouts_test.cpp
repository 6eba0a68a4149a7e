// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "display/screen_state.h"
#include "support/english.h"
#include "protocol/frame.h"
#include "sim/meter.h"

// A fixed set of meter-like and random frames for every model, and the texts
// the screens showed after each one when the set was made. Any change to a
// read-out, however small, shows up here as the first frame that differs.
//
// golden_readouts.txt, one item a line:
//   run <model> <ru|en> <decimal> <group as hex bytes>   a fresh screen started for the model
//   F <36 hex digits>                                    a frame fed
//   S <accepted> <panel> <JP5> <image> <source> <red> <mode> <settings hex>
//   T <control> <text>                                   a text that differs from the frame before
// Texts escape backslash, tab and line feed as \\, \t and \n.
//
// RLC_GOLDEN_WRITE=<path> writes the file anew from the current code instead.
namespace display {
namespace {

struct TRun {
    int model = 0;
    bool english = false;
    std::string decimal;
    std::string group;
    std::vector<protocol::TMeasurementFrame> frames;
};

std::string Hex(const std::uint8_t* bytes, std::size_t n) {
    static const char* digits = "0123456789ABCDEF";
    std::string s;
    for (std::size_t i = 0; i < n; ++i) {
        s += digits[bytes[i] >> 4];
        s += digits[bytes[i] & 15];
    }
    return s;
}

std::vector<std::uint8_t> Unhex(const std::string& s) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i + 1 < s.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoi(s.substr(i, 2), nullptr, 16)));
    return out;
}

std::string Escape(const std::string& text) {
    std::string s;
    for (char c : text) {
        if (c == '\\')
            s += "\\\\";
        else if (c == '\t')
            s += "\\t";
        else if (c == '\n')
            s += "\\n";
        else
            s += c;
    }
    return s;
}

// What the screen shows after a frame, as the lines of the file.
struct TShown {
    std::string summary;
    std::map<std::string, std::string> texts;
};

TShown Shown(const TScreenState& screen, bool accepted) {
    TShown shown;
    std::ostringstream s;
    s << "S " << (accepted ? 1 : 0) << ' ' << PanelName(screen.VisiblePanel()) << ' '
      << (screen.Jp5Visible() ? 1 : 0) << ' ' << (screen.Image() ? *screen.Image() : -1) << ' '
      << (screen.SourceVisible() ? 1 : 0) << ' ' << (screen.PanelRed() ? 1 : 0) << ' '
      << int(screen.DisplayMode()) << ' '
      << Hex(screen.Settings().bytes.data(), screen.Settings().bytes.size());
    shown.summary = s.str();
    for (const auto& [control, text] : screen.Texts()) shown.texts[control] = text;
    return shown;
}

// The lines for one frame: the summary, then each text that differs from before.
std::vector<std::string> FrameLines(const TShown& before, const TShown& now) {
    std::vector<std::string> lines{now.summary};
    for (const auto& [control, text] : now.texts) {
        auto it = before.texts.find(control);
        if (it == before.texts.end() || it->second != text)
            lines.push_back("T " + control + "\t" + Escape(text));
    }
    for (const auto& [control, text] : before.texts)
        if (!now.texts.count(control)) lines.push_back("T " + control + "\t<gone>");
    return lines;
}

std::unique_ptr<TScreenState> StartRun(const TRun& run, i18n::TLexicons& lexicons) {
    if (run.english) lexicons.SetLanguage(testing_support::English());
    auto screen = std::make_unique<TScreenState>(lexicons, TSeparators{run.decimal, run.group});
    screen->Start(static_cast<protocol::TMeterModel>(run.model));
    return screen;
}

// --- Making the set (only with RLC_GOLDEN_WRITE) ---------------------------

void PutModel(protocol::TMeasurementFrame& frame, int model) {
    frame[protocol::fb::Status] =
        static_cast<std::uint8_t>((frame[protocol::fb::Status] & 0xC7) | (model << 3));
}

std::vector<protocol::TMeasurementFrame> MakeFrames(int model, std::uint32_t seed, int count) {
    std::mt19937 rng(seed);  // raw output only: the same on every platform
    auto unit = [&] { return static_cast<double>(rng()) / 4294967296.0; };
    auto logUniform = [&](double lo, double hi) { return lo * std::pow(hi / lo, unit()); };
    std::vector<protocol::TMeasurementFrame> frames;
    while (static_cast<int>(frames.size()) < count) {
        const std::uint32_t kind = rng() % 10;
        if (kind < 6) {
            // A meter on a part, as the simulator reports it, in one of its modes.
            sim::TSimConfig cfg;
            cfg.model = static_cast<protocol::TMeterModel>(model);
            cfg.mode = static_cast<protocol::TDisplayMode>(1 + rng() % 3);
            cfg.noiseSeed = rng();
            cfg.part.kind = static_cast<sim::TPartKind>(rng() % 5);
            cfg.part.ohms = logUniform(1e-3, 1e9);
            cfg.part.farads = logUniform(1e-13, 1e-1);
            cfg.part.henries = logUniform(1e-8, 1e3);
            sim::TSimMeter meter(cfg);
            if (rng() % 12 == 0) meter.SetPowerSave(rng() % 2 == 0);
            meter.Advance(static_cast<int>(rng() % 400000));
            const int burst = 1 + static_cast<int>(rng() % 4);
            for (int i = 0; i < burst; ++i) {
                protocol::TMeasurementFrame f = meter.BuildFrame();
                // Settings the simulator would not choose by itself.
                if (cfg.mode == protocol::TDisplayMode::Rlcd && rng() % 3 == 0) {
                    for (int b = 8; b < 12; ++b) f[b] = static_cast<std::uint8_t>(rng());
                    protocol::SealFrame(f, false);
                }
                frames.push_back(f);
            }
        } else {
            // Whatever a damaged link delivers.
            protocol::TMeasurementFrame f;
            for (auto& b : f) b = static_cast<std::uint8_t>(rng());
            PutModel(f, model);
            if (rng() % 4 != 0) f[protocol::fb::Status] &= 0x7F;  // mostly measurements
            if (rng() % 8 != 0) protocol::SealFrame(f, false);    // a few are rejected
            frames.push_back(f);
        }
    }
    return frames;
}

std::vector<TRun> MakeRuns() {
    std::vector<TRun> runs;
    for (int model = 0; model < 4; ++model)
        runs.push_back({model, false, ",", "\u00A0",
                        MakeFrames(model, 1000u + static_cast<std::uint32_t>(model), 800)});
    runs.push_back({0, true, ".", ",", MakeFrames(0, 2000u, 500)});
    runs.push_back({2, true, ".", ",", MakeFrames(2, 2001u, 300)});
    return runs;
}

void Write(const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    out << "# Read-outs of the screens, frame by frame; see golden_readouts_test.cpp.\n";
    for (const TRun& run : MakeRuns()) {
        i18n::TLexicons lexicons;
        auto screen = StartRun(run, lexicons);
        out << "run " << run.model << ' ' << (run.english ? "en" : "ru") << ' ' << run.decimal
            << ' ' << Hex(reinterpret_cast<const std::uint8_t*>(run.group.data()), run.group.size())
            << '\n';
        TShown before = Shown(*screen, true);
        for (const auto& frame : run.frames) {
            const bool accepted = screen->Feed(frame).decode.accepted;
            const TShown now = Shown(*screen, accepted);
            out << "F " << Hex(frame.data(), frame.size()) << '\n';
            for (const std::string& line : FrameLines(before, now)) out << line << '\n';
            before = now;
        }
    }
}

// --- The check ---------------------------------------------------------------

std::string GoldenPath() {
    const char* dir = std::getenv("RLC_SOURCE_DIR");
    return std::string(dir ? dir : RLC_SOURCE_DIR) + "/tests/unit/display/golden_readouts.txt";
}

TEST(GoldenReadouts, EveryTextOfEveryFrameIsAsRecorded) {
    if (const char* path = std::getenv("RLC_GOLDEN_WRITE")) {
        Write(path);
        GTEST_SKIP() << "written to " << path;
    }
    std::ifstream in(GoldenPath(), std::ios::binary);
    ASSERT_TRUE(in) << "cannot read " << GoldenPath();

    std::unique_ptr<i18n::TLexicons> lexicons;
    std::unique_ptr<TScreenState> screen;
    TShown before;
    std::vector<std::string> expected;  // lines of the frame being read
    std::string frameHex;
    int frames = 0;
    int mismatches = 0;
    auto check = [&] {
        if (frameHex.empty() || !screen) return;
        const bool accepted = screen->Feed(Unhex(frameHex)).decode.accepted;
        const TShown now = Shown(*screen, accepted);
        const std::vector<std::string> got = FrameLines(before, now);
        if (got != expected && ++mismatches <= 5) {
            std::string want, have;
            for (const auto& l : expected) want += "  " + l + "\n";
            for (const auto& l : got) have += "  " + l + "\n";
            ADD_FAILURE() << "frame " << frameHex << "\nexpected:\n" << want << "got:\n" << have;
        }
        before = now;
        ++frames;
    };

    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (line.rfind("run ", 0) == 0) {
            check();
            frameHex.clear();
            std::istringstream fields(line.substr(4));
            TRun run;
            std::string lang, groupHex;
            fields >> run.model >> lang >> run.decimal >> groupHex;
            run.english = lang == "en";
            const auto group = Unhex(groupHex);
            run.group.assign(group.begin(), group.end());
            screen.reset();
            lexicons = std::make_unique<i18n::TLexicons>();
            screen = StartRun(run, *lexicons);
            before = Shown(*screen, true);
        } else if (line.rfind("F ", 0) == 0) {
            check();
            frameHex = line.substr(2);
            expected.clear();
        } else {
            expected.push_back(line);
        }
    }
    check();
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(frames, 2000);  // the file was read through
}

}  // namespace
}  // namespace display
