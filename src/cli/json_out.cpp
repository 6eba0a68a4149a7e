// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/json_out.h"

#include <algorithm>

namespace cli {

std::string JsonString(const std::string& s) {
    std::string out;
    AppendJsonString(out, s);
    return out;
}

std::string JsonNumber(double v) {
    std::string out;
    AppendJsonNumber(out, v);
    return out;
}

std::string JsonText(const std::optional<std::string>& text) {
    std::string out;
    AppendJsonText(out, text);
    return out;
}

void TOutBuffer::Grow(std::size_t more) {
    const std::size_t capacity = std::max({capacity_ * 2, size_ + more, std::size_t{4096}});
    auto data = std::make_unique_for_overwrite<char[]>(capacity);
    if (size_ > 0) std::memcpy(data.get(), data_.get(), size_);
    data_ = std::move(data);
    capacity_ = capacity;
}

}  // namespace cli
