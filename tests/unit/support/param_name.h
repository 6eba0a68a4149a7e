// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <charconv>
#include <concepts>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "protocol/model.h"

// Pieces of GoogleTest case names, which allow only [A-Za-z0-9_].
namespace testing_support {

// Every other character (each byte of a UTF-8 one too) becomes '_'.
inline std::string ParamName(std::string_view text) {
    std::string name(text);
    for (char& ch : name) {
        const bool letter = (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
        if (!letter && !(ch >= '0' && ch <= '9')) ch = '_';
    }
    return name;
}

// The shortest text that reads back as the value, exponent without leading
// zeros: 3.14159 -> 3_14159, -4e-05 -> Minus4eMinus5, -0.0 -> Minus0.
inline std::string NumberName(double value) {
    char buf[64];
    const auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
    std::string name;
    bool exponent = false;
    for (const char* p = buf; p != end; ++p) {
        const bool exponentLeadingZero =
            exponent && *p == '0' && !(name.back() >= '0' && name.back() <= '9');
        if (*p == '-')
            name += "Minus";
        else if (*p == '.')
            name += '_';
        else if (*p != '+' && !exponentLeadingZero)
            name += *p;
        exponent = exponent || *p == 'e';
    }
    return name;
}

// Whole numbers in plain digits: 100000 -> 100000, -1 -> Minus1.
template <std::integral T>
std::string NumberName(T value) {
    const std::string digits = std::to_string(value);
    return digits[0] == '-' ? "Minus" + digits.substr(1) : digits;
}

// Upper-case hex digits of the bytes in order, no separators.
inline std::string HexName(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string name;
    for (const std::uint8_t b : bytes) {
        name += kDigits[b >> 4];
        name += kDigits[b & 15];
    }
    return name;
}

// The model's own name is Cyrillic; this is its Latin spelling.
inline std::string ModelName(protocol::TMeterModel model) {
    switch (model) {
        case protocol::TMeterModel::Ks15:
            return "Ks15";
        case protocol::TMeterModel::Ks16:
            return "Ks16";
        case protocol::TMeterModel::Ks17:
            return "Ks17";
        case protocol::TMeterModel::Ks19:
            return "Ks19";
    }
    return "Model" + std::to_string(static_cast<int>(model));
}

}  // namespace testing_support
