// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/log_pipeline.h"

#include "cli/json_out.h"
#include "cli/options.h"
#include "log/journal.h"
#include "log/log_row.h"

namespace cli {
namespace {

const char* DisplayName(display::TPanel panel) {
    switch (panel) {
        case display::TPanel::Rd:
            return "rd";
        case display::TPanel::U:
            return "u";
        default:
            return "rlcd";
    }
}

// The panel a read-out control lives on; the settings indicators describe the
// meter on every panel.
bool ShownOn(const std::string& control, display::TPanel panel) {
    if (control == "L_freq_RLC" || control == "L_Level_RLC") return true;
    if (control.starts_with("RD_")) return panel == display::TPanel::Rd;
    if (control.starts_with("U_")) return panel == display::TPanel::U;
    return panel == display::TPanel::Rlcd;
}

std::string Hex(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (std::uint8_t b : bytes) {
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
    }
    return out;
}

std::string OptionalNumber(const std::optional<double>& v, bool json) {
    if (!v) return json ? "null" : "";
    return json ? JsonNumber(*v) : logcore::JournalNumber(*v);
}

}  // namespace

const std::vector<std::string>& TLogPipeline::ReadoutColumns() {
    static const std::vector<std::string> names{
        "L_Prim_RLC", "L_prim_n",  "L_Sec_RLC", "L_sec_n", "L_freq_RLC", "L_Level_RLC",
        "RD_Prim",    "RD_prim_R", "RD_V",      "U_Prim",  "U_vrm",      "U_pp"};
    return names;
}

TLogPipeline::TLogPipeline(TLogPipelineConfig config, const i18n::TLexicons& lexicons)
    : config_(std::move(config)), lexicons_(lexicons), screen_(lexicons, config_.separators) {
    screen_.SetToleranceCheck(
        [this](const protocol::TMeterState& state, const protocol::TMeterSettings& settings) {
            const logcore::TToleranceResult r =
                logcore::CheckTolerance(config_.reference, logcore::MeasuredFrom(state, settings));
            deviations_.Take(r, config_.reference);
            bin_ = logcore::BinOfReading(config_.bins, config_.reference,
                                         logcore::MeasuredFrom(state, settings));
            return r.verdict;
        });
    screen_.Start(config_.model);
    if (config_.capture) capture_.emplace(*config_.capture);
}

std::string TLogPipeline::Header() const {
    if (config_.format != TLogFormat::Csv) return {};
    std::string h(logcore::kJournalHeader);
    h += ";display";
    for (const std::string& c : ReadoutColumns()) h += ";" + c;
    return h + ";deviation1;deviation2;frame\r\n";
}

TLogPipeline::TFed TLogPipeline::Feed(std::span<const std::uint8_t> frame,
                                      const logcore::TLocalTime& now, bool record) {
    TFed fed;
    bin_.reset();  // a frame that is not sorted has no bin
    const display::TFrameOutcome outcome = screen_.Feed(frame);
    fed.accepted = outcome.decode.accepted;
    fed.asleep = outcome.decode.effects.startT34;
    if (fed.accepted && record && capture_) {
        // Only readings of the RLC screen are parts on the probes.
        const protocol::TMeterState& st = screen_.State();
        record =
            outcome.rlcd && outcome.rlcd->toleranceChecked &&
            capture_->Feed({st.Rs, st.Xs, logcore::ShownSiValues(st, screen_.Settings()).primary});
    }
    if (fed.accepted && record) fed.line = Line(frame, now);
    return fed;
}

std::string TLogPipeline::Line(std::span<const std::uint8_t> frame,
                               const logcore::TLocalTime& now) {
    const bool json = config_.format == TLogFormat::Jsonl;
    const bool primaryOn = config_.reference.PrimaryOn();
    const bool secondaryOn = config_.reference.SecondaryOn();
    const protocol::TMeterState& state = screen_.State();

    logcore::TLogRowInput row;
    row.shown = {screen_.Text("L_Prim_RLC").value_or(""), screen_.Text("L_prim_n").value_or(""),
                 screen_.Text("L_Sec_RLC").value_or(""), screen_.Text("L_sec_n").value_or("")};
    row.settings = screen_.Settings();
    row.memory = screen_.Memory();
    row.verdict = state.ToleranceVerdict;
    row.primaryDeviation = deviations_.primary;
    row.secondaryDeviation = deviations_.secondary;
    row.primaryOn = primaryOn;
    row.secondaryOn = secondaryOn;
    row.mode = logcore::TLogMode::Single;
    row.position = static_cast<int>(position_);
    row.timeText = logcore::LogTimeText(now, ":");
    row.decimalSeparator = config_.separators.decimal;
    const logcore::TLogRowCells built = logcore::BuildLogRowCells(row, lexicons_);
    std::array<std::string, logcore::kLogColumns> cells;
    for (std::size_t i = 0; i < cells.size(); ++i) cells[i] = built.cells[i].value_or("");

    logcore::TJournalRow jr = logcore::MakeJournalRow(now, logcore::TLogMode::Single, position_, "",
                                                      cells, state, screen_.Settings());
    jr.bin = bin_;
    ++position_;

    const display::TPanel panel = screen_.VisiblePanel();
    std::vector<std::string> readouts;
    for (const std::string& c : ReadoutColumns())
        readouts.push_back(ShownOn(c, panel) ? screen_.Text(c).value_or("") : "");
    const std::optional<double> dev1 = primaryOn ? deviations_.primary : std::nullopt;
    const std::optional<double> dev2 = secondaryOn ? deviations_.secondary : std::nullopt;

    if (!json) {
        std::string line = logcore::JournalLine(jr);
        line.resize(line.size() - 2);  // CR LF
        line += ";";
        line += DisplayName(panel);
        for (const std::string& r : readouts) line += ";" + logcore::CsvField(r);
        line += ";" + OptionalNumber(dev1, false) + ";" + OptionalNumber(dev2, false);
        line += ";" + Hex(frame.first(std::min(frame.size(), protocol::kFrameSize)));
        return line + "\r\n";
    }
    std::string j = "{\"time\":" + JsonString(logcore::IsoTimeText(now));
    j += ",\"mode\":\"single\",\"position\":" + std::to_string(jr.position);
    j += ",\"name\":\"\",\"cells\":[";
    for (std::size_t i = 0; i < cells.size(); ++i) j += (i ? "," : "") + JsonString(cells[i]);
    j += "],\"Rs\":" + JsonNumber(jr.Rs) + ",\"Xs\":" + JsonNumber(jr.Xs);
    j += ",\"Rp\":" + JsonNumber(jr.Rp) + ",\"Xp\":" + JsonNumber(jr.Xp);
    j += ",\"frequency_hz\":" + JsonNumber(jr.frequencyHz);
    j += ",\"primary\":" + OptionalNumber(jr.primary, true);
    j += ",\"secondary\":" + OptionalNumber(jr.secondary, true);
    j += ",\"verdict\":" + std::to_string(jr.verdict);
    j += ",\"bin\":" + (jr.bin ? std::to_string(*jr.bin) : std::string("null"));
    j += ",\"display\":\"";
    j += DisplayName(panel);
    j += "\",\"screen\":{";
    for (std::size_t i = 0; i < readouts.size(); ++i)
        j += (i ? "," : "") + JsonString(ReadoutColumns()[i]) + ":" + JsonString(readouts[i]);
    j += "},\"deviation1\":" + OptionalNumber(dev1, true);
    j += ",\"deviation2\":" + OptionalNumber(dev2, true);
    j += ",\"frame\":\"" + Hex(frame.first(std::min(frame.size(), protocol::kFrameSize)));
    return j + "\"}\n";
}

}  // namespace cli
