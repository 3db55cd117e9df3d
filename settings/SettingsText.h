// How an integer setting is read back from its stored text.
#pragma once

#include <charconv>
#include <optional>
#include <string>

// The whole text as a decimal int (an optional leading minus), or nothing.
inline std::optional<int> ParseStoredInt(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}
