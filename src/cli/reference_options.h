#pragma once

#include <optional>
#include <string>

#include "log/tolerance.h"

// --ref/--tol and --ref2/--tol2 of the command-line tools: a reference and its
// tolerance as typed, turned into the reference editor's state.
namespace cli {

struct TReferenceOption {
    std::optional<std::string> ref;  // PARAM=VALUE
    std::optional<std::string> tol;
};

// The reference editor the options describe, with the point as the decimal
// separator (`decimal`, the user's own, is accepted in values too). False with
// a message in `error` when an option cannot be read.
bool BuildReference(const TReferenceOption& primary, const TReferenceOption& secondary,
                    const std::string& decimal, logcore::TReferenceInput& in, std::string& error);

}  // namespace cli
