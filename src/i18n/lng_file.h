// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

// Language files (.lng): one language's translations of the window's control
// properties and of its lexicons. Text in memory is UTF-8.
//
//   [LANGUAGE_FILE]
//   0 <TAB> %LANGUAGE_NAME="English" <TAB> %CODE=en; [<TAB> %SUPERIOR_LANGUAGE=name;] <TAB>
//   %FILEVER=1.8.0; <property id> <TAB> "text" | %NOTRANS <TAB> %COMPONENT=control; <TAB>
//   %OWNER=window;
//                 [<TAB> %ITEM=index;] [<TAB> %OLD]
//   0 <TAB> %LEXICON_STRINGS
//   0 <TAB> %LEXICON_NAME=Form1.D1; [<TAB> %LANGMAN]       one block per lexicon
//   <item index> <TAB> "text"                              empty items are not written
//   0 <TAB> %SMART_STRINGS
//   [0 <TAB> %FLAG_ICON, then lines 0, 1, 2 ... of 100 hex digits, the last one shorter]
//
// Property identifiers, the numbers in the first column of a control line:
//   1 caption: label, button, check box, radio button, group box title, action text
//   2 text of a line edit
//   3 items of a combo box, list or tab bar, one line per item with %ITEM=
//   4 hint (tool tip)
//   5 placeholder text
//   6 window title
//   7 prefix and 8 suffix of a spin box, 9 its special-value text
// Item address: %ITEM= followed by the item's 0-based position in the list, then ";".
//
// A text is what stands between the first and the last double quote of the
// value; control characters (codes below 32) are stored as '#NN' runs, which
// ExpandCharacterCodes turns back.
namespace i18n {

enum TPropertyId : int {
    kCaption = 1,
    kText = 2,
    kItems = 3,
    kHint = 4,
    kPlaceholder = 5,
    kWindowTitle = 6,
    kPrefix = 7,
    kSuffix = 8,
    kSpecialValue = 9,
};

// Readable word for a property identifier ("caption", "item"...), for messages.
std::string_view PropertyWord(int property);

// One translatable property of one control (or one item of its list).
struct TPropertyKey {
    int property = 0;
    std::string component;
    std::string owner;
    std::optional<int> item;

    auto operator<=>(const TPropertyKey&) const = default;
};

struct TPropertyLine {
    TPropertyKey key;
    std::string text;  // stored form, control characters as '#NN'
    bool notrans = false;
    bool old = false;

    bool operator==(const TPropertyLine&) const = default;
};

struct TLexiconBlock {
    std::string key;                                 // owner window "." lexicon name
    bool langman = false;                            // the engine's own lexicon
    std::vector<std::pair<int, std::string>> items;  // index, stored text

    bool operator==(const TLexiconBlock&) const = default;
};

struct TLanguageFile {
    std::string name;
    std::string code;
    std::string superior;
    std::string fileVersion = "1.8.0";
    std::vector<TPropertyLine> properties;
    std::vector<TLexiconBlock> lexicons;
    std::vector<std::uint8_t> flag;  // picture bytes; empty when none

    bool operator==(const TLanguageFile&) const = default;
};

// A line that could not be understood; numbers count from 1.
struct TBadLine {
    int line = 0;
    std::string reason;
    std::string text;
};

struct TReadResult {
    bool isLanguageFile = false;  // the first line is the signature
    // Read to the end of the lexicon section without a break: up to the
    // %SMART_STRINGS mark, or without it to the end of a file that stops after
    // a readable line (not inside the control lines or inside a line).
    bool complete = false;
    bool endMark = false;  // the %SMART_STRINGS mark was there
    TLanguageFile file;
    std::vector<TBadLine> bad;
};

// Bytes of a file as UTF-8: UTF-16 of either order or UTF-8 by its byte-order
// mark, Windows-1251 without one. Code 0 is dropped. `cutOff` is set when a
// UTF-16 file ends in the middle of a character.
std::string DecodeFileText(std::string_view bytes, bool* cutOff = nullptr);

// The code rule: trimmed and lower-cased; valid only when it starts with two
// letters a-z other than "xx", and then cut to them; otherwise empty.
std::string NormalizeLanguageCode(std::string_view code);

// Control characters to '#NN' runs, code 0 dropped.
std::string EscapeControlCharacters(std::string_view text);

struct THeader {
    std::string name;
    std::string code;
    std::string superior;
};

// Name and code for the language list; nothing when the bytes are no language
// file or name no language.
std::optional<THeader> ReadHeader(std::string_view bytes);

TReadResult ReadLanguageFile(std::string_view bytes);

// UTF-16 little-endian with a byte-order mark and CR LF line ends; `utf8`
// writes the same lines as UTF-8 with its mark, for sources kept in git.
std::string WriteLanguageFile(const TLanguageFile& file, bool utf8 = false);

}  // namespace i18n
