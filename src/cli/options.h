// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "display/format.h"
#include "i18n/lexicon.h"
#include "log/bins.h"
#include "log/tolerance.h"

// Options and output pieces that several subcommands share.
namespace cli {

// A reference and its tolerance as typed on the command line.
struct TReferenceOption {
    std::optional<std::string> ref;  // PARAM=VALUE
    std::optional<std::string> tol;
};

// The reference editor that --ref/--tol and --ref2/--tol2 describe, with the
// point as the decimal separator (`decimal` is accepted in the values too).
// False with a message naming the accepted forms.
bool BuildReference(const TReferenceOption& primary, const TReferenceOption& secondary,
                    const std::string& decimal, logcore::TReferenceInput& in, std::string& error);

// The bands of --bins LIST; they sort around the --ref reference, so they
// need it. No text: no bins. False with a message saying why.
bool BuildBins(const std::optional<std::string>& text, const TReferenceOption& primary,
               logcore::TBins& bins, std::string& error);

// The user's numeric separators, from the environment's locale; the C
// library's numeric locale is left at "C" so printed numbers stay plain.
display::TSeparators SystemSeparators();

// A --decimal value: exactly one character, or the message saying why not
// (an empty or longer mark would print numbers that read as other numbers).
bool ParseDecimalOption(const std::string& text, std::string& error);

// --help or -h among a subcommand's arguments.
bool HelpAsked(const std::vector<std::string>& args);

// A model number given on the command line (0 to 3), or the message saying why not.
bool ParseModelOption(const std::string& text, int& model, std::string& error);

// Makes `lexicons` speak language `code` ("ru" is built in): the language file
// of that code, with its superior languages, from `dir` or from the first
// default folder (beside the program, the current folder, the installed data)
// that has one.
bool LoadToolLanguage(const std::string& code, const std::optional<std::string>& dir,
                      i18n::TLexicons& lexicons, std::string& error);

}  // namespace cli
