// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/codepage.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace settings {
namespace {

// Owns one iconv descriptor.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    ~Converter() { iconv_close(cd_); }

    // Converts `in`; on a sequence the target cannot take, skips `skip(rest)`
    // input bytes and emits '?'.
    template <typename Skip>
    std::string Run(std::string_view in, Skip skip) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string out;
        char buffer[256];
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        while (srcLeft > 0) {
            char* dst = buffer;
            size_t dstLeft = sizeof buffer;
            const size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buffer, static_cast<size_t>(dst - buffer));
            if (rc != static_cast<size_t>(-1) || errno == E2BIG) continue;
            // EILSEQ or EINVAL (a sequence cut off at the end)
            const size_t n = skip(std::string_view(src, srcLeft));
            src += n;
            srcLeft -= n;
            out.push_back('?');
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        return out;
    }

  private:
    iconv_t cd_;
};

// Length of the (possibly broken) UTF-8 character at the start of `s`, at least 1.
size_t Utf8CharLength(std::string_view s) {
    const auto lead = static_cast<unsigned char>(s[0]);
    size_t n = 1;
    if (lead >= 0xF0 && lead < 0xF8)
        n = 4;
    else if (lead >= 0xE0)
        n = 3;
    else if (lead >= 0xC0)
        n = 2;
    size_t i = 1;
    while (i < n && i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
    return i;
}

}  // namespace

std::string Cp1251ToUtf8(std::string_view cp1251) {
    Converter c("UTF-8", "WINDOWS-1251");
    return c.Run(cp1251, [](std::string_view) { return size_t{1}; });
}

std::string Utf8ToCp1251(std::string_view utf8) {
    Converter c("WINDOWS-1251", "UTF-8");
    return c.Run(utf8, Utf8CharLength);
}

}  // namespace settings
