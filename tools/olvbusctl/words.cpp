#include "words.h"

#include <charconv>
#include <cstdio>

namespace olvbusctl {

std::optional<std::int64_t> ParseNumber(std::string_view word)
{
    bool negative = false;
    if (!word.empty() && word.front() == '-') {
        negative = true;
        word.remove_prefix(1);
    }
    int base = 10;
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        base = 16;
        word.remove_prefix(2);
    }
    // from_chars would take a second sign; the digits must start right here.
    if (word.empty() || word.front() == '-' || word.front() == '+') {
        return std::nullopt;
    }
    std::uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), magnitude, base);
    if (error != std::errc() || end != word.data() + word.size() || magnitude > INT64_MAX) {
        return std::nullopt;
    }
    const auto value = static_cast<std::int64_t>(magnitude);
    return negative ? -value : value;
}

std::string Quote(std::string_view word)
{
    constexpr std::size_t kLongest = 40;
    std::string quoted = "'";
    for (std::size_t i = 0; i < word.size() && i < kLongest; ++i) {
        const auto c = static_cast<unsigned char>(word[i]);
        if (c < 0x20 || c > 0x7E || c == '\\') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            quoted += escaped;
        } else {
            quoted += static_cast<char>(c);
        }
    }
    if (word.size() > kLongest) {
        quoted += "...";
    }
    return quoted + "'";
}

std::vector<std::string> SplitWords(std::string_view line)
{
    if (const auto hash = line.find('#'); hash != std::string_view::npos) {
        line = line.substr(0, hash);
    }
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) {
            ++i;
        }
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') {
            ++i;
        }
        if (i > start) {
            words.emplace_back(line.substr(start, i - start));
        }
    }
    return words;
}

std::string Hex2(std::int64_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%02llX", static_cast<unsigned long long>(value));
    return text;
}

std::string Hex4(std::int64_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%04llX", static_cast<unsigned long long>(value));
    return text;
}

std::string HexDec(std::int64_t value)
{
    return Hex2(value) + " (" + std::to_string(value) + ")";
}

}  // namespace olvbusctl
