// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstring>
#include <span>
#include <string>

#include "display/screen_state.h"
#include "fuzz_support.h"
#include "support/english.h"
#include "i18n/lexicon.h"

// Frames through the decoder and the screens as the window keeps them, with
// the properties that must hold for any bytes the meter may send.
namespace fuzz {

// Both languages, built once: building them is the costly part of a run.
inline const i18n::TLexicons& Lexicons(bool english) {
    static const i18n::TLexicons russian;
    static const i18n::TLexicons& englishLexicons = []() -> const i18n::TLexicons& {
        static i18n::TLexicons l;
        l.SetLanguage(testing_support::English());
        return l;
    }();
    return english ? englishLexicons : russian;
}

inline display::TSeparators Separators(bool english) {
    return english ? display::TSeparators{".", ","} : display::TSeparators{};
}

inline bool SameState(const protocol::TMeterState& a, const protocol::TMeterState& b) {
    auto same = [](double x, double y) { return std::memcmp(&x, &y, sizeof x) == 0; };
    return a.DisplayMode == b.DisplayMode && a.Model == b.Model && a.PowerSave == b.PowerSave &&
           a.FrequencyHz == b.FrequencyHz && a.DcMode == b.DcMode && same(a.Rs, b.Rs) &&
           same(a.Xs, b.Xs) && same(a.Rp, b.Rp) && same(a.Xp, b.Xp) && same(a.Z, b.Z) &&
           same(a.PhaseDeg, b.PhaseDeg) && same(a.TestLevel, b.TestLevel) &&
           a.ToleranceVerdict == b.ToleranceVerdict;
}

inline void CheckTexts(const display::TScreenState& screen) {
    for (const auto& [control, text] : screen.Texts())
        Check(IsValidUtf8(text), "every read-out is UTF-8");
}

// One frame; a rejected frame must leave the screen exactly as it was.
inline display::TFrameOutcome FeedChecked(display::TScreenState& screen,
                                          std::span<const std::uint8_t> bytes) {
    const auto textsBefore = screen.Texts();
    const protocol::TMeterState stateBefore = screen.State();
    const auto settingsBefore = screen.Settings().bytes;
    display::TFrameOutcome outcome = screen.Feed(bytes);
    if (!outcome.decode.accepted) {
        Check(screen.Texts() == textsBefore, "a rejected frame changes no text");
        Check(SameState(screen.State(), stateBefore), "a rejected frame changes no state");
        Check(screen.Settings().bytes == settingsBefore, "a rejected frame changes no setting");
        Check(outcome.changedTexts.empty(), "a rejected frame writes nothing");
    } else {
        Check(bytes.size() >= protocol::kFrameSize, "only whole frames are accepted");
        Check(static_cast<int>(screen.State().Model) < protocol::kModelCount, "a known model");
        for (const display::TControl control : outcome.changedTexts)
            Check(screen.Text(control).has_value(), "a written control has a text");
    }
    CheckTexts(screen);
    return outcome;
}

}  // namespace fuzz
