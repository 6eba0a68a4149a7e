// SPDX-License-Identifier: GPL-3.0-or-later
// rlc-meter lang-template, lang-check and lang-merge: language files measured
// against what the window has to translate. They build the window off screen.

#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>

#include "app/main.h"
#include "cli/lang_commands.h"
#include "control/language_control.h"
#include "i18n/lang_catalog.h"
#include "i18n/lang_engine.h"

namespace cli {
namespace {

constexpr const char* kTemplateUsage = "usage: rlc-meter lang-template [--utf8] > FILE.lng\n";
constexpr const char* kCheckUsage = "usage: rlc-meter lang-check FILE.lng\n";
constexpr const char* kMergeUsage = "usage: rlc-meter lang-merge [--utf8] FILE... > OUT.lng\n";

// What the window translates: its controls' design texts and its lexicons.
i18n::TLanguageFile WindowTemplate() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The tool's output is the file and its findings; Qt's notes would mix in.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static int argc = 1;
    static char name[] = "rlc-meter";
    static char* argv[] = {name, nullptr};
    std::unique_ptr<QApplication> ownApp;
    if (!QCoreApplication::instance()) ownApp = std::make_unique<QApplication>(argc, argv);
    QTemporaryDir settings;  // the window must not touch the user's settings
    TForm1Ports ports;
    ports.settingsFolder = settings.path();
    TForm1 form(std::move(ports));
    return i18n::MakeTemplate(form.language->Client().DesignProperties(), form.lexicons);
}

void WriteBytes(const std::string& bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
}

std::optional<i18n::TReadResult> ReadFile(const std::string& path, const char* command) {
    const auto bytes = i18n::ReadFileBytes(path);
    if (!bytes) {
        std::cerr << "rlc-meter " << command << ": cannot read " << path << "\n";
        return std::nullopt;
    }
    return i18n::ReadLanguageFile(*bytes);
}

// The superior languages a file names, nearest first, from its own folder.
std::vector<i18n::TLanguageFile> Superiors(const std::string& path, const i18n::TLanguageFile& f) {
    std::vector<i18n::TLanguageFile> out;
    i18n::TLangManEngine engine;
    engine.ListLanguages(std::filesystem::path(path).parent_path().empty()
                             ? std::filesystem::path(".")
                             : std::filesystem::path(path).parent_path());
    std::vector<std::string> seen{f.name};
    std::string next = f.superior;
    while (!next.empty() && std::find(seen.begin(), seen.end(), next) == seen.end()) {
        seen.push_back(next);
        const auto index = engine.Find(next);
        if (!index || *index == 0) break;
        const auto bytes =
            i18n::ReadFileBytes(engine.Languages()[static_cast<std::size_t>(*index)].file);
        if (!bytes) break;
        out.push_back(i18n::ReadLanguageFile(*bytes).file);
        next = out.back().superior;
    }
    return out;
}

}  // namespace

int RunLangTemplate(const std::vector<std::string>& args) {
    bool utf8 = false;
    for (const std::string& a : args) {
        if (a != "--utf8") {
            std::cerr << "rlc-meter lang-template: unknown argument " << a << "\n"
                      << kTemplateUsage;
            return 2;
        }
        utf8 = true;
    }
    WriteBytes(i18n::WriteLanguageFile(WindowTemplate(), utf8));
    return 0;
}

int RunLangCheck(const std::vector<std::string>& args) {
    if (args.size() != 1 || args[0].starts_with("-")) {
        std::cerr << kCheckUsage;
        return 2;
    }
    const std::string& path = args[0];
    const auto read = ReadFile(path, "lang-check");
    if (!read) return 2;
    const i18n::TCheckReport report =
        i18n::CheckLanguage(*read, WindowTemplate(), Superiors(path, read->file));
    for (const auto* list : {&report.unreadable, &report.lacking, &report.obsolete})
        for (const std::string& message : *list) std::cout << path << ": " << message << "\n";
    for (const std::string& message : report.warnings)
        std::cout << path << ": warning: " << message << "\n";
    if (report.Clean()) {
        std::cout << path << ": complete, " << read->file.name << "\n";
        return 0;
    }
    std::cout << path << ": " << report.unreadable.size() << " unreadable, "
              << report.lacking.size() << " lacking, " << report.obsolete.size()
              << " no longer in the window\n";
    return 1;
}

int RunLangMerge(const std::vector<std::string>& args) {
    bool utf8 = false;
    std::vector<i18n::TLanguageFile> sources;
    for (const std::string& a : args) {
        if (a == "--utf8") {
            utf8 = true;
            continue;
        }
        if (a.starts_with("-")) {
            std::cerr << "rlc-meter lang-merge: unknown option " << a << "\n" << kMergeUsage;
            return 2;
        }
        const auto read = ReadFile(a, "lang-merge");
        if (!read) return 2;
        for (const i18n::TBadLine& bad : read->bad)
            std::cerr << a << ":" << bad.line << ": " << bad.reason << "\n";
        if (!read->isLanguageFile) {
            std::cerr << "rlc-meter lang-merge: " << a << " is not a language file\n";
            return 2;
        }
        sources.push_back(read->file);
    }
    if (sources.empty()) {
        std::cerr << kMergeUsage;
        return 2;
    }
    std::vector<std::string> lacking;
    const i18n::TLanguageFile merged = i18n::MergeLanguages(WindowTemplate(), sources, lacking);
    for (const std::string& message : lacking)
        std::cerr << "rlc-meter lang-merge: " << message << "\n";
    WriteBytes(i18n::WriteLanguageFile(merged, utf8));
    return lacking.empty() ? 0 : 1;
}

}  // namespace cli
