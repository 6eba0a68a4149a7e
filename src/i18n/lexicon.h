// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Composed texts live in lexicons: indexed tables of Russian design texts that
// a language may translate item by item. Texts are UTF-8.
namespace i18n {

// Translations of the current language, addressed by lexicon key and item index.
class Translations {
  public:
    Translations() = default;
    Translations(const Translations& other);
    Translations(Translations&& other) noexcept;
    Translations& operator=(const Translations& other);
    Translations& operator=(Translations&& other) noexcept;

    void Set(const std::string& key, int index, std::string text);
    const std::string* Find(const std::string& key, int index) const;
    bool Empty() const { return texts_.empty(); }
    // Changes whenever the texts may have changed, so lexicons know when to
    // expand their items again.
    std::uint64_t Version() const { return version_; }

  private:
    std::map<std::pair<std::string, int>, std::string, std::less<>> texts_;
    std::uint64_t version_ = NextVersion();

    static std::uint64_t NextVersion();
};

// Key of the engine's own lexicon, the one whose block a language file marks
// with %LANGMAN.
inline constexpr const char* kEngineLexiconKey = "Form1.Dlng";

// Expands '#13#10' style character-code runs of a stored text.
std::string ExpandCharacterCodes(std::string_view text);

class TDesignedLexicon {
  public:
    // `language` is the current language's table; it outlives the lexicon.
    TDesignedLexicon(std::string key, std::vector<std::string> designItems,
                     const Translations& language);
    TDesignedLexicon(const TDesignedLexicon&) = delete;
    TDesignedLexicon& operator=(const TDesignedLexicon&) = delete;

    // Item in the current language; empty text for an index outside the
    // lexicon. The items are expanded once per language; the reference holds
    // until the language changes.
    const std::string& GetItem(int index) const;

    const std::string& Key() const { return key_; }
    int Count() const { return static_cast<int>(items_.size()); }
    const std::string& DesignItem(int index) const { return items_.at(index); }

  private:
    std::string key_;
    std::vector<std::string> items_;
    const Translations& language_;
    mutable std::vector<std::string> expanded_;
    mutable std::uint64_t expandedVersion_ = 0;  // no version is 0
};

// The window's lexicons. Switching language replaces `language`; the lexicons
// follow at once.
struct TLexicons {
    TLexicons();
    TLexicons(const TLexicons&) = delete;
    TLexicons& operator=(const TLexicons&) = delete;

    // An empty table means the design language (Russian).
    void SetLanguage(Translations translations) { language = std::move(translations); }

    Translations language;
    TDesignedLexicon Dlang_connect;  // connection states
    TDesignedLexicon Dlang3;         // unit names
    TDesignedLexicon Dlang1;         // decimal prefixes
    TDesignedLexicon Dlang2;         // equivalent circuit
    TDesignedLexicon D1;             // profile and recording messages
    TDesignedLexicon D2;             // log table headers
    TDesignedLexicon D3;             // short signs
    TDesignedLexicon Dlog;           // journal messages
    TDesignedLexicon Dlng;           // language engine messages
    TDesignedLexicon Dstat;          // statistics window and report
    TDesignedLexicon Dble;           // direct Bluetooth LE link
    TDesignedLexicon Dprof;          // profile and export messages
    TDesignedLexicon Dlink;          // adapter port and settings file problems
    TDesignedLexicon Dexport;        // the workbook's number sheet
    TDesignedLexicon Dhelp;          // help and about texts
    TDesignedLexicon Dplot;          // statistics plots' states
    TDesignedLexicon Dkeys;          // keyboard hints and how a connect request ended
    TDesignedLexicon Dprof_names;    // profile paths 1.dat cannot hold, read-only profiles
    TDesignedLexicon Djournal;       // journal files that cannot be read as such
    TDesignedLexicon Dnotes;         // the note line under the grid, the journal view
    TDesignedLexicon Dsweep;         // the frequency sweep window
    TDesignedLexicon Dbins;          // sorting into bins, capture, matched sets

    std::vector<const TDesignedLexicon*> All() const;
};

// Indices of frequently used items, so call sites read as words.
namespace connect {
enum : int {
    Connect,
    Disconnect,
    Connecting,
    NoConnection,
    Connected,
    Disconnected,
    ScanFailed,
    Economy,
    Asleep
};
}
namespace ble {
enum : int { NoRadio, RadioOff, PermissionRefused, Unsupported, DiscoveryFailed, MeterNotFound };
}
// Dlink: each line names the port or file after the text.
namespace link {
enum : int {
    AdapterLost,
    PortNotFound,
    NotASerialPort,
    PortPermissionDenied,
    DialoutHint,
    PortCannotOpen,
    SettingsNotSaved
};
}
namespace help {
// About: %1 the version, %2 the licence, %3 the project's address.
enum : int { Title, AboutTitle, Text, About, Close };
}  // namespace help
namespace plot {
enum : int { NoRowsYet };
}  // namespace plot
// Dkeys: a hint is followed by its key in brackets.
namespace keytext {
enum : int { StartStopHint, ConnectHint, ExportHint, ClearHint, ConnectRefused, ConnectUnanswered };
}
namespace unit {
enum : int { Hertz, VoltsRms, Volt, Ohm, Henry, Farad, Rms, PeakToPeak, Max, Min };
}
namespace prefix {
enum : int { Mega, Kilo, Milli, Micro, Nano, Pico };
}
namespace lngtext {
enum : int { LoadFailed };
}
namespace proftext {
enum : int {
    Damaged,
    ShortFile,
    NegativeCount,
    CountPastEnd,
    NoSuchEntry,
    EmptyProfile,
    NoProfile,
    CannotWrite,
    Exported,
    CannotExport,
    CannotRead,
    ErrorTitle,
    CountLabel
};
}
namespace profnames {
enum : int { PathKeptBeside, ReadOnly, Of, SaveToEdit, NotWritten };
}
// Dnotes: the note line and the journal view.
namespace notetext {
enum : int {
    NoProgram,
    JournalShown,
    JournalCannotOpen,
    JournalButton,
    LiveLogButton,
    RowsLeftOut
};
}
// Dsweep: the frequency sweep window; %1.. are filled in.
namespace sweeptext {
enum : int {
    ButtonCaption,
    WindowTitle,
    Start,
    Stop,
    Frequencies,
    Readings,
    Level,
    Circuit,
    Series,
    Parallel,
    Progress,
    Done,
    NotReady,
    RunGoing,
    SweepGoing,
    SavePoints,
    SavePlot,
    Clear,
    ColFrequency,
    ColZ,
    ColTheta,
    ColRs,
    ColXs,
    ColL,
    ColC,
    ColD,
    ColQ,
    ColSpread,
    ColSettled,
    Yes,
    No,
    ZChart,
    ThetaChart,
    FrequencyAxis,
    LinkLost,
    Stopped,
    PointsNotWritten,
    PointsWritten,
    PlotWritten,
    PlotNotWritten,
    CsvFilter,
    XlsxFilter,
    PngFilter,
    SvgFilter,
    CommandSuppressed,
    DqChoice,
    ButtonTip,
    PointsTitle
};
}
namespace logtext {
enum : int {
    NotWritten,
    CannotCreateFolder,
    CannotCreateFile,
    CannotWrite,
    CannotFlush,
    Line,
    NotAHeader,
    MissingColumn,
    FieldCount,
    BadValue,
    NotUtf8,
    IncompleteLastLine,
    CannotRead,
    FileRemoved
};
}

// Dbins: sorting into bins, hands-free capture, matched sets.
namespace bintext {
enum : int { Title, Sorted, Out, SecondaryOut, Unsorted, Set, LeftOver, Row, Position, Mean };
}

// Djournal: what makes a file no journal, or a line no journal line.
namespace journaltext {
enum : int { Empty, NoLineBreak, TooLong };
}

namespace stat {
enum : int {
    Title,
    Rows,
    Passed,
    Rejected,
    PrimaryOut,
    SecondaryOut,
    BothOut,
    Invalid,
    Yield,
    Primary,
    Secondary,
    Mean,
    StdDev,
    Minimum,
    Maximum,
    Cp,
    Cpk,
    NotDefined,
    All,
    Row,
    Reference,
    ToleranceLimits,
    PrimaryDeviation,
    RowCount,
    Value,
    NoPercentTolerance
};
}

}  // namespace i18n
