// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "display/screen_state.h"
#include "i18n/lexicon.h"
#include "log/bins.h"
#include "log/capture.h"
#include "log/local_time.h"
#include "log/tolerance.h"
#include "protocol/model.h"

// rlc-meter log without its link: a received frame through the same screens,
// sorting and journal line as the window, to one output line.
//
// CSV: the journal's columns (see log/journal.h), then
//   display           rlcd, rd or u: the panel the frame was shown on
//   L_Prim_RLC ... U_pp  the read-out texts of that panel as the screen shows
//                     them (L_freq_RLC and L_Level_RLC on every panel, the
//                     others empty off their panel)
//   deviation1/2      percent from the references, empty while that tolerance is off
//   frame             the 18 received bytes in hex, for `rlc-meter decode`
// The journal's bin column is filled when bins are set (log/bins.h).
// JSON lines: one object a frame with the same keys, the ten cells as an array
// "cells", numbers as numbers (null where the CSV is empty), the read-outs in
// an object "screen".
namespace cli {

enum class TLogFormat { Csv, Jsonl };

struct TLogPipelineConfig {
    TLogFormat format = TLogFormat::Csv;
    display::TSeparators separators{".", ""};
    logcore::TReferenceInput reference;  // both tolerances off: no sorting
    logcore::TBins bins;                 // none: the bin column stays empty
    // Hands-free capture: a line once per part, when its readings settle.
    std::optional<logcore::TCaptureSettings> capture;
    protocol::TMeterModel model = protocol::TMeterModel::Ks15;
};

class TLogPipeline {
  public:
    // `lexicons` must outlive the pipeline.
    TLogPipeline(TLogPipelineConfig config, const i18n::TLexicons& lexicons);

    // The CSV header line (CR LF included); empty for JSON lines.
    std::string Header() const;

    struct TFed {
        bool accepted = false;
        bool asleep = false;              // a power-save frame of a sleeping meter
        std::optional<std::string> line;  // CR LF (CSV) or LF (JSON) included
    };
    // One received frame. With `record` false the screens follow the frame but
    // no line is made.
    TFed Feed(std::span<const std::uint8_t> frame, const logcore::TLocalTime& now, bool record);

    display::TScreenState& Screen() { return screen_; }
    long LinesMade() const { return position_ - 1; }

    // Read-out controls of the extra columns, in column order.
    static const std::vector<std::string>& ReadoutColumns();

  private:
    std::string Line(std::span<const std::uint8_t> frame, const logcore::TLocalTime& now);

    TLogPipelineConfig config_;
    const i18n::TLexicons& lexicons_;
    display::TScreenState screen_;
    logcore::TDeviations deviations_;
    std::optional<int> bin_;  // of the frame being fed, when it was sorted
    std::optional<logcore::TCapture> capture_;
    long position_ = 1;
};

}  // namespace cli
