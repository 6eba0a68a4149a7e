// SPDX-License-Identifier: GPL-3.0-or-later
#include "i18n/lng_file.h"

#include <charconv>

#include "settings/codepage.h"

namespace i18n {
namespace {

constexpr std::string_view kSignature = "[LANGUAGE_FILE]";
constexpr std::string_view kLanguageName = "%LANGUAGE_NAME=";
constexpr std::string_view kCode = "%CODE=";
constexpr std::string_view kSuperior = "%SUPERIOR_LANGUAGE=";
constexpr std::string_view kFileVer = "%FILEVER=";
constexpr std::string_view kNoTrans = "%NOTRANS";
constexpr std::string_view kComponent = "%COMPONENT=";
constexpr std::string_view kOwner = "%OWNER=";
constexpr std::string_view kItem = "%ITEM=";
constexpr std::string_view kOld = "%OLD";
constexpr std::string_view kLexiconStrings = "%LEXICON_STRINGS";
constexpr std::string_view kLexiconName = "%LEXICON_NAME=";
constexpr std::string_view kLangMan = "%LANGMAN";
constexpr std::string_view kSmartStrings = "%SMART_STRINGS";
constexpr std::string_view kFlagIcon = "%FLAG_ICON";
constexpr std::size_t kFlagBytesPerLine = 50;

void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code == 0) return;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian, bool* cutOff) {
    std::string out;
    out.reserve(bytes.size());
    const std::size_t units = bytes.size() / 2;
    if (cutOff) *cutOff = bytes.size() % 2 != 0;
    auto unit = [&](std::size_t i) -> std::uint32_t {
        const auto a = static_cast<unsigned char>(bytes[2 * i]);
        const auto b = static_cast<unsigned char>(bytes[2 * i + 1]);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    for (std::size_t i = 0; i < units; ++i) {
        std::uint32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
            const std::uint32_t low = unit(i + 1);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF) u = 0xFFFD;
        AppendUtf8(out, u);
    }
    return out;
}

// Code points of UTF-8 text; a broken sequence gives U+FFFD.
std::vector<std::uint32_t> CodePoints(std::string_view s) {
    std::vector<std::uint32_t> out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const auto lead = static_cast<unsigned char>(s[i]);
        int extra = lead < 0x80                   ? 0
                    : lead >= 0xF0 && lead < 0xF8 ? 3
                    : lead >= 0xE0                ? 2
                    : lead >= 0xC0                ? 1
                                                  : -1;
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= s.size()) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        std::uint32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((c & 0xC0) != 0x80) ok = false;
            code = code << 6 | (c & 0x3F);
        }
        // Overlong forms, surrogates and code points past U+10FFFF are not
        // UTF-8 either.
        const std::uint32_t least = extra == 1 ? 0x80 : extra == 2 ? 0x800 : 0x10000;
        if (extra > 0 && (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)))
            ok = false;
        if (!ok) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(code);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

std::string ValidUtf8(std::string_view s) {
    std::string out;
    for (std::uint32_t c : CodePoints(s)) AppendUtf8(out, c);
    return out;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    if (!lines.empty() && lines.back().empty()) lines.pop_back();  // the final line end
    return lines;
}

struct TLine {
    std::string_view name;
    std::string_view value;
};

TLine Split(std::string_view line) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) return {line, {}};
    return {line.substr(0, tab), line.substr(tab + 1)};
}

std::optional<int> Number(std::string_view s) {
    s = Trim(s);
    int v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc{} || end != s.data() + s.size() || v < 0) return std::nullopt;
    return v;
}

// Text after `directive` up to the next ";"; nothing when the directive is
// absent, empty when no ";" follows it.
std::optional<std::string> Directive(std::string_view value, std::string_view directive) {
    const std::size_t at = value.find(directive);
    if (at == std::string_view::npos) return std::nullopt;
    const std::string_view rest = value.substr(at + directive.size());
    const std::size_t semi = rest.find(';');
    if (semi == std::string_view::npos) return std::string();
    return std::string(rest.substr(0, semi));
}

// The text between the first and the last double quote, control characters
// stored as runs; nothing without two quotes.
std::optional<std::string> Quoted(std::string_view value) {
    const std::size_t first = value.find('"');
    const std::size_t last = value.rfind('"');
    if (first == std::string_view::npos || last == first) return std::nullopt;
    return EscapeControlCharacters(value.substr(first + 1, last - first - 1));
}

bool IsMark(std::string_view value, std::string_view mark) {
    return !value.starts_with('"') && value.find(mark) != std::string_view::npos;
}

THeader ParseHeader(std::string_view value) {
    THeader h;
    const std::size_t at = value.find(kLanguageName);
    std::string_view named = value.substr(at + kLanguageName.size());
    named = named.substr(0, named.find('\t'));
    if (auto q = Quoted(named)) h.name = *q;
    if (auto c = Directive(value, kCode)) h.code = NormalizeLanguageCode(*c);
    if (auto s = Directive(value, kSuperior)) h.superior = *s;
    return h;
}

void AddBad(TReadResult& r, std::size_t index, std::string reason, std::string_view text) {
    r.bad.push_back({static_cast<int>(index) + 1, std::move(reason), ValidUtf8(text)});
}

// A control-property line; false when it cannot be understood.
bool ParseProperty(std::string_view name, std::string_view value, TPropertyLine& out,
                   std::string& reason) {
    const std::optional<int> id = Number(name);
    if (!id) {
        reason = "the property identifier is not a number";
        return false;
    }
    out.key.property = *id;
    std::string_view directives;
    if (value.starts_with('"')) {
        const std::size_t last = value.rfind('"');
        if (last == 0) {
            reason = "the text has no closing quote";
            return false;
        }
        out.text = *Quoted(value);
        directives = value.substr(last + 1);
    } else if (value.starts_with(kNoTrans)) {
        out.notrans = true;
        directives = value.substr(kNoTrans.size());
    } else {
        reason = "the value is neither a quoted text nor %NOTRANS";
        return false;
    }
    const auto component = Directive(directives, kComponent);
    const auto owner = Directive(directives, kOwner);
    if (!component || component->empty() || !owner || owner->empty()) {
        reason = "%COMPONENT= or %OWNER= is missing";
        return false;
    }
    out.key.component = *component;
    out.key.owner = *owner;
    if (const auto item = Directive(directives, kItem)) {
        out.key.item = Number(*item);
        if (!out.key.item) {
            reason = "%ITEM= is not a number";
            return false;
        }
    }
    out.old = directives.find(kOld) != std::string_view::npos;
    return true;
}

std::optional<std::uint8_t> HexByte(std::string_view two) {
    std::uint8_t v = 0;
    auto [end, ec] = std::from_chars(two.data(), two.data() + 2, v, 16);
    if (ec != std::errc{} || end != two.data() + 2) return std::nullopt;
    return v;
}

}  // namespace

std::string_view PropertyWord(int property) {
    switch (property) {
        case kCaption:
            return "caption";
        case kText:
            return "text";
        case kItems:
            return "item";
        case kHint:
            return "hint";
        case kPlaceholder:
            return "placeholder text";
        case kWindowTitle:
            return "window title";
        case kPrefix:
            return "prefix";
        case kSuffix:
            return "suffix";
        case kSpecialValue:
            return "special-value text";
        default:
            return "property";
    }
}

std::string DecodeFileText(std::string_view bytes, bool* cutOff) {
    if (cutOff) *cutOff = false;
    if (bytes.starts_with("\xFF\xFE")) return Utf16ToUtf8(bytes.substr(2), false, cutOff);
    if (bytes.starts_with("\xFE\xFF")) return Utf16ToUtf8(bytes.substr(2), true, cutOff);
    std::string text = bytes.starts_with("\xEF\xBB\xBF") ? ValidUtf8(bytes.substr(3))
                                                         : settings::Cp1251ToUtf8(bytes);
    std::erase(text, '\0');
    return text;
}

std::string NormalizeLanguageCode(std::string_view code) {
    code = Trim(code);
    if (code.size() < 2) return {};
    std::string two;
    for (char c : code.substr(0, 2)) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c < 'a' || c > 'z') return {};
        two += c;
    }
    return two == "xx" ? std::string() : two;
}

std::string EscapeControlCharacters(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    bool inRun = false;
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == 0) continue;
        if (c < 32) {
            if (!inRun) out += '\'';
            inRun = true;
            out += '#';
            out += std::to_string(c);
            continue;
        }
        if (inRun) out += '\'';
        inRun = false;
        out += ch;
    }
    if (inRun) out += '\'';
    return out;
}

std::optional<THeader> ReadHeader(std::string_view bytes) {
    const std::string text = DecodeFileText(bytes);
    const std::vector<std::string_view> lines = SplitLines(text);
    if (lines.empty() || Trim(lines[0]) != kSignature) return std::nullopt;
    THeader header;
    for (std::size_t i = 1; i < lines.size() && header.name.empty(); ++i) {
        const TLine l = Split(lines[i]);
        if (l.value.find(kLanguageName) != std::string_view::npos) header = ParseHeader(l.value);
    }
    if (header.name.empty()) return std::nullopt;
    return header;
}

TReadResult ReadLanguageFile(std::string_view bytes) {
    TReadResult r;
    bool cutOff = false;
    const std::string text = DecodeFileText(bytes, &cutOff);
    const std::vector<std::string_view> lines = SplitLines(text);
    if (lines.empty() || Trim(lines[0]) != kSignature) return r;
    r.isLanguageFile = true;

    std::size_t i = 1;
    for (; i < lines.size(); ++i) {
        const TLine l = Split(lines[i]);
        if (l.value.find(kLanguageName) == std::string_view::npos) continue;
        const THeader h = ParseHeader(l.value);
        r.file.name = h.name;
        r.file.code = h.code;
        r.file.superior = h.superior;
        if (auto v = Directive(l.value, kFileVer)) r.file.fileVersion = *v;
        ++i;
        break;
    }
    if (r.file.name.empty()) {
        r.bad.push_back({2, "no header line with %LANGUAGE_NAME= and a quoted name", {}});
        return r;
    }

    bool lexiconsStarted = false;
    for (; i < lines.size(); ++i) {
        const TLine l = Split(lines[i]);
        if (IsMark(l.value, kLexiconStrings)) {
            lexiconsStarted = true;
            ++i;
            break;
        }
        if (Trim(lines[i]).empty()) continue;
        TPropertyLine p;
        std::string reason;
        if (l.value.size() <= 2)
            AddBad(r, i, "the value is too short", lines[i]);
        else if (ParseProperty(l.name, l.value, p, reason))
            r.file.properties.push_back(std::move(p));
        else
            AddBad(r, i, reason, lines[i]);
    }

    bool smartStrings = false;
    TLexiconBlock* block = nullptr;
    for (; lexiconsStarted && i < lines.size(); ++i) {
        const TLine l = Split(lines[i]);
        if (IsMark(l.value, kSmartStrings)) {
            smartStrings = true;
            ++i;
            break;
        }
        if (Trim(lines[i]).empty()) continue;
        const bool langman = !l.value.starts_with('"') && l.value.find(kLangMan) != l.value.npos;
        const auto lexicon =
            l.value.starts_with('"') ? std::nullopt : Directive(l.value, kLexiconName);
        if (langman || lexicon) {
            if (lexicon && lexicon->empty()) {
                AddBad(r, i, "a lexicon block without a name", lines[i]);
                return r;  // the rest cannot be placed
            }
            r.file.lexicons.push_back({lexicon.value_or(std::string()), langman, {}});
            block = &r.file.lexicons.back();
            continue;
        }
        const std::optional<int> index = Number(l.name);
        const std::optional<std::string> q = Quoted(l.value);
        if (!block)
            AddBad(r, i, "an item before the first lexicon block", lines[i]);
        else if (!index)
            AddBad(r, i, "the item index is not a number", lines[i]);
        else if (l.value.size() < 3 || !q)
            AddBad(r, i, "the item text is not in double quotes", lines[i]);
        else
            block->items.emplace_back(*index, *q);
    }

    bool flagOk = true;
    for (; smartStrings && i < lines.size(); ++i) {
        if (!IsMark(Split(lines[i]).value, kFlagIcon)) continue;
        for (++i; i < lines.size(); ++i) {
            const std::string_view hex = Trim(Split(lines[i]).value);
            for (std::size_t k = 0; k + 1 < hex.size(); k += 2) {
                const auto b = HexByte(hex.substr(k, 2));
                if (!b) flagOk = false;
                if (b) r.file.flag.push_back(*b);
            }
            if (hex.size() % 2 != 0) flagOk = false;
            if (hex.size() < 2 * kFlagBytesPerLine) break;
        }
        break;
    }
    if (!flagOk)
        r.bad.push_back({static_cast<int>(i) + 1, "the flag picture is not hexadecimal", {}});
    r.endMark = smartStrings;
    // Without the closing mark the file is read to its end, as long as it did
    // not stop inside the control lines or inside its last line (a last line
    // without its line end that cannot be read).
    const bool lastLineCut = !text.empty() && text.back() != '\n' && !r.bad.empty() &&
                             r.bad.back().line == static_cast<int>(lines.size());
    r.complete = !cutOff && (smartStrings || (lexiconsStarted && !lastLineCut));
    return r;
}

std::string WriteLanguageFile(const TLanguageFile& file, bool utf8) {
    std::string text;
    auto line = [&](std::string_view name, std::string_view value) {
        text.append(name);
        text += '\t';
        text.append(value);
        text += "\r\n";
    };
    auto quoted = [](std::string_view s) {
        std::string q(1, '"');
        q += EscapeControlCharacters(s);
        q += '"';
        return q;
    };
    text += std::string(kSignature) + "\r\n";
    std::string header = std::string(kLanguageName) + quoted(file.name);
    if (!file.code.empty()) header += "\t" + std::string(kCode) + file.code + ";";
    if (!file.superior.empty()) header += "\t" + std::string(kSuperior) + file.superior + ";";
    header += "\t" + std::string(kFileVer) + file.fileVersion + ";";
    line("0", header);
    for (const TPropertyLine& p : file.properties) {
        std::string value = p.notrans ? std::string(kNoTrans) : quoted(p.text);
        value += "\t" + std::string(kComponent) + p.key.component + ";";
        value += "\t" + std::string(kOwner) + p.key.owner + ";";
        if (p.key.item) value += "\t" + std::string(kItem) + std::to_string(*p.key.item) + ";";
        if (p.old) value += "\t" + std::string(kOld);
        line(std::to_string(p.key.property), value);
    }
    line("0", kLexiconStrings);
    for (const TLexiconBlock& b : file.lexicons) {
        // The engine's block may come without a name; "%LEXICON_NAME=;" would
        // not read back.
        if (b.langman && b.key.empty())
            line("0", kLangMan);
        else
            line("0", std::string(kLexiconName) + b.key + ";" +
                          (b.langman ? "\t" + std::string(kLangMan) : std::string()));
        for (const auto& [index, item] : b.items)
            if (!item.empty()) line(std::to_string(index), quoted(item));
    }
    line("0", kSmartStrings);
    if (!file.flag.empty()) {
        line("0", kFlagIcon);
        static constexpr char kHex[] = "0123456789ABCDEF";
        std::size_t n = 0;
        for (std::size_t at = 0;; at += kFlagBytesPerLine) {
            std::string hex;
            for (std::size_t k = at; k < file.flag.size() && k < at + kFlagBytesPerLine; ++k) {
                hex += kHex[file.flag[k] >> 4];
                hex += kHex[file.flag[k] & 15];
            }
            line(std::to_string(n++), hex);
            if (hex.size() < 2 * kFlagBytesPerLine) break;
        }
    }
    if (utf8) return "\xEF\xBB\xBF" + ValidUtf8(text);
    std::string out = "\xFF\xFE";
    for (std::uint32_t c : CodePoints(text)) {
        auto unit = [&out](std::uint32_t u) {
            out += static_cast<char>(u & 0xFF);
            out += static_cast<char>(u >> 8);
        };
        if (c >= 0x10000) {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            unit(c);
        }
    }
    return out;
}

}  // namespace i18n
