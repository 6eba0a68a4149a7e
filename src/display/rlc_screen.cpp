// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/rlc_screen.h"

#include <cmath>
#include <numbers>

namespace display {
namespace {

using protocol::TMeterModel;

// Texts of one frame's quantities, before they are placed on the screen.
struct TRlcTexts {
    std::string r, l, c, z, d, q, phase, v, j;
};

std::string CircuitLetter(const protocol::TMeterSettings& s) {
    return s.Series() == 1 ? "S" : "P";
}

}  // namespace

double SourceResistanceOhms(TMeterModel model, std::uint8_t sourceIndex) {
    switch (model) {
        case TMeterModel::Ks17:
            return 499;
        case TMeterModel::Ks19:
            return 200;
        default:
            return sourceIndex == 1 ? 1600 : 100;
    }
}

double TestLevelFactor(TMeterModel model, std::uint8_t levelIndex) {
    const bool ks17 = model == TMeterModel::Ks17;
    switch (levelIndex) {
        case 0:
        case 1:
            return ks17 ? 700 : 1000;
        case 2:
            return ks17 ? 100 : 500;
        case 3:
            return ks17 ? 71 : 100;
        case 4:
            return ks17 ? 1 : 71;
        default:
            return 1;
    }
}

std::string FormatRatio(double value, const TSeparators& separators) {
    // The digit count of the integer part, found without converting it to a
    // machine integer, so ratios of 2^31 and more still read (in exponent form).
    int n = 4;
    if (value < 10)
        n = 1;
    else if (value < 100)
        n = 2;
    else if (value < 1000)
        n = 3;
    return FormatFixed(value, n, 5 - n, separators);
}

TRlcResult ShowRlcdMode(const protocol::TMeasurementFrame& frame, const TRlcInput& input,
                        const TTextContext& ctx) {
    using namespace i18n;
    const TLexicons& lex = ctx.lexicons;
    const TSeparators& sep = ctx.separators;

    TRlcResult out;
    out.settings = input.settings;
    out.state = input.state;
    protocol::TMeterSettings& s = out.settings;
    protocol::TMeterState& st = out.state;

    const bool below40mF = protocol::CopyReportedSettings(
        s, std::span<const std::uint8_t, 4>(frame.data() + protocol::fb::Settings, 4));
    out.pickers = protocol::PickerSelection(s);
    protocol::UpdateFrequency(st, s);
    const bool blank = (frame[protocol::fb::Status] & 0x80) != 0;

    const std::string& ohm = OhmSymbol(lex);
    const std::string& micro = MicroPrefix(lex);
    const std::string& milli = lex.Dlang1.GetItem(prefix::Milli);
    const std::string& farad = lex.Dlang3.GetItem(unit::Farad);
    const std::string& henry = lex.Dlang3.GetItem(unit::Henry);

    TRlcTexts t;
    if (blank) {
        s.Negative() = 0;
        t.r = t.l = t.c = t.z = t.d = t.q = t.phase = t.v = " ";
    } else {
        const double f = st.FrequencyHz;
        const double omega = 2 * std::numbers::pi * f;
        const double x = protocol::DecodeSingle(frame, protocol::fb::Value2);
        st.Rs = std::fabs(protocol::DecodeSingle(frame, protocol::fb::Value1));
        st.PhaseDeg = std::atan(x / st.Rs) * 180 / std::numbers::pi;
        st.Xs = std::fabs(x);
        const double sum = st.Rs * st.Rs + st.Xs * st.Xs;
        st.Rp = sum / st.Rs;
        st.Xp = sum / st.Xs;
        st.Z = std::sqrt(sum);
        st.TestLevel = TestLevelFactor(st.Model, s.LevelIndex()) * st.Z /
                       (st.Z + SourceResistanceOhms(st.Model, s.SourceIndex()));

        const std::string& rms = lex.Dlang3.GetItem(unit::VoltsRms);
        t.v = st.TestLevel < 100 ? Concat(FormatNumber(st.TestLevel, 4, 1, sep), milli, rms)
                                 : Concat(FormatNumber(st.TestLevel / 1000, 1, 3, sep), rms);
        t.j = Concat(FormatNumber(st.TestLevel / st.Z, 4, 1, sep), milli, "A",
                     lex.Dlang3.GetItem(unit::Rms));

        const bool series = s.Series() == 1;
        const double r = series ? st.Rs : st.Rp;
        const double reactance = series ? st.Xs : st.Xp;

        // R, L and C texts only for the read-outs that show them.
        if (s.PrimIndex() == 1 || s.SecIndex() == 1) {
            if (series && st.DcMode && r > 1e6)
                t.r = ">1" + sep.decimal + "000 " + "M" + ohm;
            else
                t.r = FormatRange(r, ctx) + ohm;
        }

        if (s.PrimIndex() == 3) {
            const double l = reactance / omega;
            t.l = l > 500 ? ">500 " + henry : FormatSiValue(l, true, st.FrequencyHz, ctx) + henry;
        }

        if (s.PrimIndex() == 2) {
            const double c = 1 / (omega * reactance);
            if (series && below40mF)
                t.c = "<40" + sep.decimal + "00 " + milli + farad;
            else if (series && st.DcMode && c < 4.5e-7)
                t.c = "<0" + sep.decimal + "50 " + micro + farad;
            else if (c >= 0.001)
                t.c = FormatNumber(c * 1e6, 7, 0, sep) + " " + micro + farad;
            else
                t.c = FormatSiValue(c, false, st.FrequencyHz, ctx) + farad;
        }

        if (!st.DcMode) {
            t.z = FormatRange(st.Z, ctx) + ohm;
            t.d = FormatRatio(std::fabs(st.Rs / st.Xs), sep);
            t.q = FormatRatio(std::fabs(st.Xs / st.Rs), sep);
            t.phase = FormatNumber(st.PhaseDeg, 4, 4, sep) + "°";
        }
    }

    TRlcScreen& scr = out.screen;
    const std::string marker = s.SourceAuto() == 1 ? "A" : "";
    if (s.SourceIndex() == 0)
        scr.L_Source_RLC = marker + "100" + ohm;
    else if (s.SourceIndex() == 1)
        scr.L_Source_RLC = marker + "1.6" + lex.Dlang1.GetItem(prefix::Kilo) + ohm;

    const std::string sign = s.Negative() == 1 ? "-" : " ";
    if (s.PrimIndex() == 4) {
        scr.L_SER_PER1.emplace("");
        scr.L_prim_n = t.z;
    } else {
        scr.L_SER_PER1 = CircuitLetter(s);
        switch (s.PrimIndex()) {
            case 1:
                scr.L_prim_n = t.r;
                break;
            case 2:
                scr.L_prim_n = sign + t.c;
                break;
            case 3:
                scr.L_prim_n = sign + t.l;
                break;
            default:
                break;
        }
    }

    scr.L_SER_PER.emplace(" ");
    switch (s.SecIndex()) {
        case 0:
            scr.L_sec_n.emplace(" ");
            break;
        case 1:
            scr.L_SER_PER = s.PrimIndex() == 4 ? "" : CircuitLetter(s);
            scr.L_sec_n = t.r;
            break;
        case 2:
            scr.L_sec_n = t.q;
            break;
        case 3:
            scr.L_sec_n = t.d;
            break;
        case 4:
            scr.L_sec_n = t.phase;
            break;
        default:
            break;
    }

    const TSettingsIndicators ind =
        ShowSettings(s, st.Model, st.FrequencyHz, input.profileEditing, input.memory, lex);
    scr.L_RLC_avto = ind.L_RLC_avto;
    scr.L_freq_RLC = ind.L_freq_RLC;
    scr.L_Level_RLC = ind.L_Level_RLC;
    scr.L_Prim_RLC = ind.L_Prim_RLC;
    scr.L_RQD_avto = ind.L_RQD_avto;
    scr.L_Sec_RLC = ind.L_Sec_RLC;
    out.buttons = ind.buttons;
    out.memory = ind.memory;

    if (s.FreqIndex() == 0 || blank) {
        scr.L_righ1 = scr.L_righ2 = scr.L_righ3 = scr.L_righ4 = scr.L_righ5 =
            scr.L_righ6.emplace("");
    } else {
        scr.L_righ1 = Concat("Z ", t.z);
        scr.L_righ2 = Concat("D ", t.d);
        scr.L_righ3 = Concat("Q ", t.q);
        scr.L_righ4 = Concat("\u019F ", t.phase);
        scr.L_righ5 = Concat("V ", t.v);
        scr.L_righ6 = Concat("J ", t.j);
    }

    if (!blank) {
        st.ToleranceVerdict = input.checkTolerance ? input.checkTolerance(st, s) : 0;
        out.toleranceChecked = true;
        scr.Panel_RLCD_Red = st.ToleranceVerdict != 0;
        // A running recording logs live readings; a stopped one logs a reading
        // captured on the meter.
        out.appendLogRow = input.recordingRunning ? s.Hold() == 0 : s.Hold() == 1;
    }
    return out;
}

}  // namespace display
