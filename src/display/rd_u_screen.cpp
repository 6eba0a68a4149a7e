// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/rd_u_screen.h"

#include <cmath>

namespace display {
namespace {

bool PowerSave(const protocol::TMeasurementFrame& frame) {
    return (frame[protocol::fb::Status] & 0x80) != 0;
}

double Value(const protocol::TMeasurementFrame& frame, std::size_t offset) {
    return protocol::DecodeSingle(frame, offset);
}

}  // namespace

std::string FormatMicroMilliAmps(double microAmps, const TTextContext& ctx) {
    if (microAmps < 10)
        return FormatNumber(microAmps, 4, 3, ctx.separators) + " " + MicroPrefix(ctx.lexicons) +
               "A";
    return FormatNumber(microAmps / 1000, 4, 3, ctx.separators) + " " +
           ctx.lexicons.Dlang1.GetItem(i18n::prefix::Milli) + "A";
}

TRdScreen ShowRdMode(const protocol::TMeasurementFrame& frame, const TTextContext& ctx) {
    const i18n::TLexicons& lex = ctx.lexicons;
    TRdScreen out;
    if (PowerSave(frame)) {
        out.RD_Prim.emplace("");
        out.Joo = out.RD_J = out.J_prim.emplace(" ");
        return out;
    }
    const double r = std::fabs(Value(frame, protocol::fb::Value1));
    const double i1 = std::fabs(Value(frame, protocol::fb::Value2));
    const double i2 = std::fabs(Value(frame, protocol::fb::Value3));
    const std::uint8_t flags = frame[protocol::fb::SubMode];
    const int lo = flags & 0x0F;
    const bool j1 = (flags & 0x10) != 0;
    const int sub = flags >> 5;
    const std::string volt = lex.Dlang3.GetItem(i18n::unit::Volt);

    out.RD_Auto.emplace(sub == 0 ? "A" : " ");
    if (sub == 1 && i1 < 200) {
        out.Joo = out.RD_J = out.J_prim.emplace(" ");
    } else {
        out.Joo = lex.D3.GetItem(sub == 0 ? 1 : 0);
        out.J_prim.emplace("I");
        out.RD_J = Concat("=", FormatMicroMilliAmps(i1, ctx));
    }
    out.RD_J1 = j1 ? Concat("I", lex.D3.GetItem(0), "=", FormatMicroMilliAmps(i2, ctx)) : " ";

    if (lo >= 2) {
        if (sub == 1) {
            out.RD_V = " 3.2" + volt;
            out.RD_prim_R.emplace("D");
            out.RD_Prim = lex.D3.GetItem(2);
            out.Im_Diod = lo & 1;
        } else {
            switch (sub) {
                case 0:
                    out.RD_V = "A1.3" + volt;
                    break;
                case 2:
                    out.RD_V = " 1.3" + volt;
                    break;
                case 3:
                    out.RD_V = " 0.1" + volt;
                    break;
                default:
                    break;
            }
            out.Im_Diod = 2;
            out.RD_prim_R.emplace("R");
            out.RD_Prim = FormatRange(r, ctx) + OhmSymbol(lex);
        }
    } else {
        out.RD_V = (sub == 1 ? " 3.2" : "A3.2") + volt;
        out.RD_prim_R.emplace("D");
        // The diode voltage comes in millivolts and reads in volts.
        out.RD_Prim = "  V=" + FormatNumber(r / 1000, 4, 3, ctx.separators) + " " + volt;
        out.Im_Diod = lo;
    }
    return out;
}

TUScreen ShowUMode(const protocol::TMeasurementFrame& frame, const TTextContext& ctx) {
    const i18n::TLexicons& lex = ctx.lexicons;
    const TSeparators& sep = ctx.separators;
    TUScreen out;
    if (PowerSave(frame)) {
        out.U_Prim.emplace("V");
        out.U_vrm = out.U_pp.emplace("");
        return out;
    }
    double r = Value(frame, protocol::fb::Value1);
    double p = Value(frame, protocol::fb::Value2);
    const double m = Value(frame, protocol::fb::Value3);
    const std::uint8_t flags = frame[protocol::fb::SubMode];
    const bool current = (flags & 0x01) != 0;
    const bool milli = (flags & 0x20) != 0;
    const bool maxMin = (flags & 0x40) != 0;
    const bool resistance = current && (flags & 0x80) != 0;

    const std::string prefix = milli ? lex.Dlang1.GetItem(i18n::prefix::Milli) : "";
    const int dg = milli ? 1 : 2;
    if (!maxMin) {
        r = std::fabs(r);
        p = std::fabs(p);
    }
    // The main reading carries the volt unit in the current cases as well, as
    // the meter's own screen does.
    const std::string u = lex.Dlang3.GetItem(i18n::unit::Volt);
    const std::string main = FormatNumber(m, 4, 3, sep) + prefix + u;

    if (resistance) {
        out.U_Prim = "I=" + main;
        out.U_vrm.emplace("");
        out.U_pp = "R=" + FormatNumber(p, 4, 4, sep) + " " + OhmSymbol(lex);
        return out;
    }
    const std::string symbol = current ? "I" : "V";
    const std::string unit = current ? "A" : u;
    out.U_Prim = symbol + " " + main;
    using namespace i18n::unit;
    if (maxMin) {
        out.U_vrm =
            symbol + lex.Dlang3.GetItem(Max) + "=" + FormatNumber(r, 4, 3, sep) + prefix + unit;
        out.U_pp =
            symbol + lex.Dlang3.GetItem(Min) + "=" + FormatNumber(p, 4, 3, sep) + prefix + unit;
    } else {
        out.U_vrm =
            symbol + lex.Dlang3.GetItem(Rms) + "=" + FormatNumber(r, 4, dg, sep) + prefix + unit;
        out.U_pp = symbol + lex.Dlang3.GetItem(PeakToPeak) + "=" + FormatNumber(p, 4, dg, sep) +
                   prefix + unit;
    }
    return out;
}

}  // namespace display
