// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "protocol/settings.h"
#include "protocol/state.h"

// Sorting against reference values: how far a reading is from the primary and
// the secondary reference, in percent, and whether it passes. Everything here is
// a pure function of the editor's texts and the measured values; texts are
// UTF-8 and the locale's decimal separator comes in from the caller.
namespace logcore {

// Item indices of the parameter lists.
namespace primary {
enum : int { R = 0, L = 1, C = 2 };  // CBox2
}
namespace secondary {
enum : int { R = 0, Q = 1, D = 2 };  // CBox11
}

// The reference editor as the user left it. Unit indices pick the factor of
// their list (Ом/кОм/МОм, мкГн/мГн/Гн, пФ/нФ/мкФ); only the box of the chosen
// parameter is read.
struct TReferenceInput {
    int CBox2 = primary::R;     // primary parameter
    std::string E2 = "10000";   // primary reference value
    int CBox1 = 0;              // unit of R
    int CBox3 = 0;              // unit of L
    int CBox4 = 0;              // unit of C
    std::string CBox5;          // primary tolerance text
    std::string CBox5Off;       // its item 0, the off entry
    int CBox11 = secondary::R;  // secondary parameter
    std::string E11 = "10000";  // secondary reference value (Q and D without unit)
    int CBox31 = 0;             // unit of the secondary R
    std::string CBox51;         // secondary tolerance text
    std::string CBox51Off;      // its item 0
    std::string decimalSeparator = ",";

    bool PrimaryOn() const { return CBox5 != CBox5Off; }
    bool SecondaryOn() const { return CBox51 != CBox51Off; }
};

// The measured values, ohms and hertz; Xs and Xp are magnitudes.
struct TMeasured {
    double Rs = 0;
    double Xs = 0;
    double Rp = 0;
    double Xp = 0;
    double FrequencyHz = 0;
    bool Series = true;
};

TMeasured MeasuredFrom(const protocol::TMeterState& state,
                       const protocol::TMeterSettings& settings);

struct TToleranceResult {
    std::int32_t verdict = protocol::verdict::Pass;
    // Empty when the deviation was not computed (its tolerance off, or the
    // check ended before it): the caller keeps the previous value then.
    std::optional<double> primaryDeviation;
    std::optional<double> secondaryDeviation;
};

// Verdict codes are those of protocol::verdict. A reference, unit or parameter
// index that cannot be used, a text that is not a number, or a division by a
// zero reference ends the check with InvalidInput. Deviations are signed
// percentages relative to the reference: for C that is the reference
// capacitance, so a 10 nF part measuring 10.52 nF is +5.2 %.
TToleranceResult CheckTolerance(const TReferenceInput& input, const TMeasured& measured);

// The deviations a log row shows, carried from check to check. A side whose
// tolerance is off keeps its last value (no row shows it then); a side that is
// on holds what the last check computed, or nothing when the check could not
// compute it (an empty or unusable reference), so a row never shows a
// deviation from an earlier reference or reading.
struct TDeviations {
    std::optional<double> primary;
    std::optional<double> secondary;

    void Take(const TToleranceResult& result, const TReferenceInput& input) {
        if (input.PrimaryOn()) primary = result.primaryDeviation;
        if (input.SecondaryOn()) secondary = result.secondaryDeviation;
    }
};

// Which deviation cells a verdict marks red.
constexpr bool MarksPrimaryDeviation(std::int32_t verdict) {
    return verdict == protocol::verdict::PrimaryOut || verdict == protocol::verdict::BothOut;
}
constexpr bool MarksSecondaryDeviation(std::int32_t verdict) {
    return verdict == protocol::verdict::SecondaryOut || verdict == protocol::verdict::BothOut;
}

// An edited text and where its caret goes. The caret counts characters
// (Unicode code points) from the start; for text without surrogate pairs that
// is the same as a QString index.
struct TEditedText {
    std::string text;
    int caret = 0;
};

// Reference value filter: digits stay, the decimal separator stays once (its
// first occurrence that is not the text's first character), everything else is
// dropped. The caret stays after the same kept characters it followed.
TEditedText NormalizeNumberText(const std::string& text, int caret,
                                const std::string& decimalSeparator);

// Tolerance filter: the off entry, ">" and "<" stay as they are; any other
// text is filtered like a reference value and gets a "%" appended (the caret
// stays before it).
TEditedText NormalizeToleranceText(const std::string& text, int caret, const std::string& offText,
                                   const std::string& decimalSeparator);

// Whether a tolerance text sorts at all: the off entry, ">", "<" or a
// percentage. A box typed empty ("%") would reject every part as invalid.
bool ToleranceHoldsLimit(const std::string& text, const std::string& offText,
                         const std::string& decimalSeparator);

// Items of a tolerance list: the off entry, the percentages (fractions written
// with the locale's separator, so "0,2%" under a point locale reads 0.2 %, not
// 2 %), then ">" and "<".
std::vector<std::string> ToleranceListItems(const std::string& offText,
                                            const std::string& decimalSeparator);

// A deviation as the log shows it: four significant digits and two decimals
// (12.3456 -> "12,35", 0.5 -> "0,50", -1234.5 -> "-1235,00"); past four integer
// digits the exponent form of the read-outs ("1,235E04" for 12345.6).
std::string DeviationText(double percent, const std::string& decimalSeparator);

// A number typed with the locale's separator: optional blanks around, an
// optional sign, digits with at most one separator, an optional exponent.
// Empty when the text is not a finite number.
std::optional<double> ParseLocaleNumber(const std::string& text,
                                        const std::string& decimalSeparator);

// The band a side passes while its tolerance is a percentage: the reference in
// SI units (ohms, henries, farads; Q and D plain) and the tolerance. The
// parameter is the item index of CBox2 or CBox11.
struct TToleranceBand {
    int parameter = 0;
    double reference = 0;
    double percent = 0;

    double Lower() const;
    double Upper() const;
    friend bool operator==(const TToleranceBand&, const TToleranceBand&) = default;
};

// Empty when the side's tolerance is off, "<", ">" or not a number, or its
// reference cannot be used (the check would give invalid input).
std::optional<TToleranceBand> PrimaryBand(const TReferenceInput& input);
std::optional<TToleranceBand> SecondaryBand(const TReferenceInput& input);

// The primary deviation in percent whatever the tolerance box holds; empty
// when the reference or the reading cannot give one.
std::optional<double> PrimaryDeviation(const TReferenceInput& input, const TMeasured& measured);

// The primary reference in SI units (ohms, henries, farads) whatever the
// tolerance box holds; empty when it cannot be used.
std::optional<double> PrimaryReference(const TReferenceInput& input);

// Whether a secondary value in SI units (as a journal keeps it) breaks the
// secondary tolerance; empty when that tolerance is off or cannot judge it.
std::optional<bool> SecondaryRejectsValue(const TReferenceInput& input, double value);

}  // namespace logcore
