// SPDX-License-Identifier: GPL-3.0-or-later
// Prints how long exporting a 100 000-row log takes, against libxlsxwriter
// writing the same 100 000 x 10 texts with no conversion of ours, and the
// peak memory of each. Each run happens in a child process of its own so
// their memory figures do not mix. No assertions.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/log_table_model.h"
#include "export/xlsx_writer.h"

namespace {

constexpr int kRows = 100000;

// A single-part log as the grid holds it: header row, then rows with a
// position, a time stamp, readings, marks and deviations.
std::vector<exporter::TGridRow> SampleLog() {
    std::vector<exporter::TGridRow> rows(kRows + 1);
    rows[0] = {"Позиция", "Время",   "Основной", "Дополнительн.", "Схема",
               "Частота", "Уровень", "Брак",     "Основ.% откл.", "Допол.% откл."};
    for (int i = 1; i <= kRows; ++i) {
        char time[32];
        std::snprintf(time, sizeof time, "10.12.26 %02d:%02d:%02d", (i / 3600) % 24, (i / 60) % 60,
                      i % 60);
        const bool reject = i % 7 == 0;
        rows[static_cast<std::size_t>(i)] = {std::to_string(i),
                                             time,
                                             "R 1,0" + std::to_string(i % 100) + " кОм",
                                             "Q 0,0" + std::to_string(i % 1000),
                                             "S",
                                             "1кГц",
                                             "1.0Вскз",
                                             reject ? "+" : "-",
                                             (reject ? "-" : "") + std::to_string(i % 20) + ",35",
                                             ""};
    }
    return rows;
}

long KilobytesFromStatus(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::strlen(field)));
    return -1;
}

exporter::TSheetOptions Options() {
    const i18n::TLexicons lexicons;
    return exporter::SheetOptions(lexicons, ",");
}

void Baseline(const std::vector<exporter::TGridRow>& rows, const char* path) {
    lxw_workbook_options opt{};
    opt.constant_memory = LXW_TRUE;
    lxw_workbook* wb = workbook_new_opt(path, &opt);
    lxw_worksheet* ws = workbook_add_worksheet(wb, nullptr);
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (int c = 0; c < exporter::kSheetColumns; ++c)
            worksheet_write_string(ws, static_cast<lxw_row_t>(r), static_cast<lxw_col_t>(c),
                                   rows[r][static_cast<std::size_t>(c)].c_str(), nullptr);
    workbook_close(wb);
}

void Ours(const std::vector<exporter::TGridRow>& rows, const char* path) {
    std::string error;
    exporter::WriteWorkbook(
        path, Options(), static_cast<int>(rows.size()),
        [&](int r, exporter::TExportRow& row) { row.cells = rows[static_cast<std::size_t>(r)]; },
        error);
}

// The window's path: the rows sit in the log grid's model and are read back
// cell by cell, as the export button does.
std::unique_ptr<LogTableModel> ModelOf(const std::vector<exporter::TGridRow>& rows) {
    auto model = std::make_unique<LogTableModel>();
    model->SetRowCount(static_cast<int>(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        LogTableModel::TRowTexts texts;
        for (std::size_t c = 0; c < texts.size(); ++c) texts[c] = rows[r][c];
        model->WriteRow(static_cast<int>(r), texts);
    }
    return model;
}

void FromModel(const LogTableModel& model, const char* path) {
    std::string error;
    exporter::WriteWorkbook(
        path, Options(), model.RowCount(),
        [&](int r, exporter::TExportRow& row) {
            for (int c = 0; c < exporter::kSheetColumns; ++c)
                row.cells[static_cast<std::size_t>(c)] = model.CellUtf8(r, c);
        },
        error);
}

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Runs `body` on what `prepare` made of the sample log, in a child; prints
// the time and the memory `body` added.
template <typename Prepare, typename F>
void Measure(const char* name, Prepare&& prepare, F&& body) {
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        const auto input = prepare(SampleLog());
        // Peak memory counts from here: what the sample log cost is not the export's.
        std::ofstream("/proc/self/clear_refs") << "5";
        const long before = KilobytesFromStatus("VmRSS:");
        const double cpu = CpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        body(input);
        const double s =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double cpuUsed = CpuSeconds() - cpu;
        const long peak = KilobytesFromStatus("VmHWM:");
        std::printf(
            "%-34s %6.3f s wall %6.3f s cpu  peak RSS %6ld kB (log %6ld kB, writer +%ld kB)\n",
            name, s, cpuUsed, peak, before, peak - before);
        std::fflush(stdout);
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
}

}  // namespace

int main() {
    const std::string dir = "/tmp/bench_export_" + std::to_string(getpid());
    mkdir(dir.c_str(), 0700);
    const std::string base = dir + "/baseline.xlsx";
    const std::string ours = dir + "/ours.xlsx";
    std::printf("%d rows x %d columns\n", kRows, exporter::kSheetColumns);
    std::fflush(stdout);
    for (int round = 0; round < 3; ++round) {
        const auto asIs = [](std::vector<exporter::TGridRow> rows) { return rows; };
        Measure("libxlsxwriter, strings only", asIs,
                [&](const auto& rows) { Baseline(rows, base.c_str()); });
        Measure("export (numbers, dates, margins)", asIs,
                [&](const auto& rows) { Ours(rows, ours.c_str()); });
        Measure("export from the grid model", ModelOf,
                [&](const auto& model) { FromModel(*model, ours.c_str()); });
    }
    std::remove(base.c_str());
    std::remove(ours.c_str());
    rmdir(dir.c_str());
    return 0;
}
