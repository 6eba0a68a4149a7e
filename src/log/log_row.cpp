// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/log_row.h"

#include <cmath>

#include "log/tolerance.h"

namespace logcore {
namespace {

constexpr double kTwoPi = 6.283185307179586477;

// Lexicon items the row uses.
constexpr int kSeriesLetter = 2;  // Dlang2 "S"
constexpr int kParallelLetter = 3;
constexpr int kRejectMark = 3;  // D3 "+"
constexpr int kPassMark = 4;    // D3 "-"

// Parameter codes of the record (PrimIndex, SecIndex).
namespace prim {
enum : int { R = 1, C = 2, L = 3, Z = 4 };
}
namespace sec {
enum : int { R = 1, Q = 2, D = 3, Phase = 4 };
}

std::optional<double> Finite(double v) {
    if (!std::isfinite(v)) return std::nullopt;
    return v;
}

}  // namespace

TLogRowCells BuildLogRowCells(const TLogRowInput& in, const i18n::TLexicons& lexicons) {
    TLogRowCells row;
    auto& c = row.cells;
    c[0] = std::to_string(in.position);
    if (in.mode == TLogMode::Single) c[1] = in.timeText;
    c[2] = in.shown.L_Prim_RLC + " " + in.shown.L_prim_n;
    c[3] = in.shown.L_Sec_RLC + " " + in.shown.L_sec_n;
    c[4] = lexicons.Dlang2.GetItem(in.settings.Series() == 1 ? kSeriesLetter : kParallelLetter);
    c[5] = in.settings.FreqIndex() == 0 ? std::string("A") : in.memory.FrequencyText;
    c[6] = in.memory.LevelText;
    const std::string mark =
        lexicons.D3.GetItem(in.verdict != protocol::verdict::Pass ? kRejectMark : kPassMark);
    if (in.primaryOn || in.secondaryOn) c[7] = mark;
    c[8] = in.primaryOn && in.primaryDeviation
               ? DeviationText(*in.primaryDeviation, in.decimalSeparator)
               : "";
    c[9] = in.secondaryOn && in.secondaryDeviation
               ? DeviationText(*in.secondaryDeviation, in.decimalSeparator)
               : "";
    return row;
}

TRowPaint RowPaint(std::string_view column7, std::int32_t rowVerdict,
                   const i18n::TLexicons& lexicons) {
    TRowPaint paint;
    if (column7 == lexicons.D3.GetItem(kRejectMark)) {
        paint.column7 = TRowPaint::TFill::Red;
        paint.column8Red = MarksPrimaryDeviation(rowVerdict);
        paint.column9Red = MarksSecondaryDeviation(rowVerdict);
    } else if (column7 == lexicons.D3.GetItem(kPassMark)) {
        paint.column7 = TRowPaint::TFill::Green;
    }
    return paint;
}

TShownValues ShownSiValues(const protocol::TMeterState& st, const protocol::TMeterSettings& set) {
    const bool series = set.Series() == 1;
    const double r = series ? st.Rs : st.Rp;
    const double x = series ? st.Xs : st.Xp;
    const double omega = kTwoPi * st.FrequencyHz;
    const double sign = set.Negative() == 1 ? -1.0 : 1.0;
    TShownValues v;
    switch (set.PrimIndex()) {
        case prim::R:
            v.primary = Finite(r);
            break;
        case prim::C:
            if (omega != 0 && x != 0) v.primary = Finite(sign / (omega * x));
            break;
        case prim::L:
            if (omega != 0) v.primary = Finite(sign * x / omega);
            break;
        case prim::Z:
            if (!st.DcMode) v.primary = Finite(st.Z);
            break;
        default:
            break;
    }
    switch (set.SecIndex()) {
        case sec::R:
            v.secondary = Finite(r);
            break;
        case sec::Q:
            if (!st.DcMode && st.Rs != 0) v.secondary = Finite(std::fabs(st.Xs / st.Rs));
            break;
        case sec::D:
            if (!st.DcMode && st.Xs != 0) v.secondary = Finite(std::fabs(st.Rs / st.Xs));
            break;
        case sec::Phase:
            if (!st.DcMode) v.secondary = Finite(st.PhaseDeg);
            break;
        default:
            break;
    }
    return v;
}

}  // namespace logcore
