// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// JSON pieces written onto the end of an output: a std::string, or a
// TOutBuffer where a tool writes much and every call counts.
namespace cli {

// Bytes that JSON strings cannot hold as they are.
inline constexpr std::array<bool, 256> kJsonNeedsEscape = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 0x20; ++c) table[static_cast<std::size_t>(c)] = true;
    table['"'] = table['\\'] = table[0x7F] = true;
    return table;
}();

template <class Out>
void AppendJsonString(Out& out, std::string_view s) {
    out.push_back('"');
    std::size_t run = 0;  // start of the characters that pass as they are (UTF-8 too)
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (!kJsonNeedsEscape[c]) continue;
        out.append(s.data() + run, i - run);
        run = i + 1;
        char buf[8] = {'\\', 0};
        switch (c) {
            case '"':
            case '\\':
                buf[1] = static_cast<char>(c);
                break;
            case '\n':
                buf[1] = 'n';
                break;
            case '\r':
                buf[1] = 'r';
                break;
            case '\t':
                buf[1] = 't';
                break;
            default:
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
        }
        out.append(buf, std::strlen(buf));
    }
    out.append(s.data() + run, s.size() - run);
    out.push_back('"');
}

// null when not finite.
template <class Out>
void AppendJsonNumber(Out& out, double v) {
    char buf[64];
    // Small whole numbers print the same either way, and far faster as integers
    // (from 1e5 on, the shortest form may be "1e+05").
    if (v > -1e5 && v < 1e5 && v == std::trunc(v) && !(v == 0 && std::signbit(v))) {
        out.append(buf, static_cast<std::size_t>(
                            std::to_chars(buf, buf + sizeof buf, static_cast<long>(v)).ptr - buf));
        return;
    }
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    if (std::isfinite(v) && ec == std::errc{})
        out.append(buf, static_cast<std::size_t>(end - buf));
    else
        out.append("null", 4);
}

template <class Out>
void AppendJsonInt(Out& out, long long v) {
    char buf[24];
    out.append(buf, static_cast<std::size_t>(std::to_chars(buf, buf + sizeof buf, v).ptr - buf));
}

template <class Out>
void AppendJsonBool(Out& out, bool b) {
    b ? out.append("true", 4) : out.append("false", 5);
}

// null for no text.
template <class Out>
void AppendJsonText(Out& out, const std::optional<std::string>& text) {
    if (text)
        AppendJsonString(out, *text);
    else
        out.append("null", 4);
}

std::string JsonString(const std::string& s);
std::string JsonNumber(double v);
std::string JsonText(const std::optional<std::string>& text);

// A growing byte buffer whose appends are inlined: short constant pieces cost
// a few instructions instead of a library call each.
class TOutBuffer {
  public:
    void append(const char* p, std::size_t n) {
        if (n > capacity_ - size_) Grow(n);
        std::memcpy(data_.get() + size_, p, n);
        size_ += n;
    }
    void push_back(char c) {
        if (size_ == capacity_) Grow(1);
        data_[size_++] = c;
    }
    TOutBuffer& operator+=(std::string_view s) {
        append(s.data(), s.size());
        return *this;
    }
    TOutBuffer& operator+=(char c) {
        push_back(c);
        return *this;
    }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const char* data() const { return data_.get(); }
    void clear() { size_ = 0; }

  private:
    void Grow(std::size_t more);

    std::unique_ptr<char[]> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

}  // namespace cli
