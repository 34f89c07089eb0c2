// Reading the words of a command: numbers in decimal or 0x hex, and words
// quoted back in messages so that whatever was typed shows safely.
#ifndef OLVBUSCTL_WORDS_H
#define OLVBUSCTL_WORDS_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace olvbusctl {

// A whole word as a number: optional '-', then decimal digits or 0x/0X and hex
// digits. Nothing for anything else, including values beyond 64 bits.
std::optional<std::int64_t> ParseNumber(std::string_view word);

// 'word' in quotes, control characters and bytes above 0x7E as \xNN, and
// long words cut short, so that a message about a binary file stays one line.
std::string Quote(std::string_view word);

// The words of one command line: split at blanks, everything from '#' on is
// a comment, a carriage return at the end is ignored.
std::vector<std::string> SplitWords(std::string_view line);

std::string Hex2(std::int64_t value);  // 0x0C
std::string Hex4(std::int64_t value);  // 0x0378
std::string HexDec(std::int64_t value);  // 0x34 (52)

}  // namespace olvbusctl

#endif  // OLVBUSCTL_WORDS_H
