// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/english.h"

namespace display::testing {

inline i18n::Translations English() {
    return testing_support::English();
}

}  // namespace display::testing
