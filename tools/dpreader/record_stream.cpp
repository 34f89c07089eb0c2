#include "tools/dpreader/record_stream.h"

#include <cstdio>

namespace olvbus::dpreader {
namespace {

constexpr std::size_t kTimeBytes = 16;

int GetI16(const std::uint8_t* at)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(at[0] | (at[1] << 8)));
}

// The text starting at `at` up to its zero byte; false when the stream ends
// first.
bool ReadText(std::span<const std::uint8_t> bytes, std::size_t& at, std::string& text)
{
    for (std::size_t i = at; i < bytes.size(); ++i) {
        if (bytes[i] == 0) {
            text.assign(reinterpret_cast<const char*>(bytes.data() + at), i - at);
            at = i + 1;
            return true;
        }
    }
    return false;
}

void AppendVisible(std::string& line, const std::string& text)
{
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F || c == '\\') {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            line += escaped;
        } else {
            line += c;
        }
    }
}

}  // namespace

DecodedStream DecodeRecordStream(std::span<const std::uint8_t> bytes)
{
    DecodedStream out;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t start = at;
        if (bytes.size() - at < kTimeBytes) {
            out.trailingBytes = bytes.size() - start;
            break;
        }
        DecodedRecord record{};
        const std::uint8_t* time = bytes.data() + at;
        record.year = GetI16(time + 0);
        record.month = GetI16(time + 2);
        record.day = GetI16(time + 4);
        record.hour = GetI16(time + 6);
        record.minute = GetI16(time + 8);
        record.second = GetI16(time + 10);
        record.milliseconds = GetI16(time + 12);
        record.weekday = GetI16(time + 14);
        at += kTimeBytes;
        if (!ReadText(bytes, at, record.source) || !ReadText(bytes, at, record.text)) {
            out.trailingBytes = bytes.size() - start;
            break;
        }
        out.records.push_back(std::move(record));
    }
    return out;
}

std::string FormatRecordLine(const DecodedRecord& record)
{
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d.%03d ", record.year, record.month,
                  record.day, record.hour, record.minute, record.second, record.milliseconds);
    std::string line = stamp;
    line += '[';
    AppendVisible(line, record.source);
    line += "] ";
    AppendVisible(line, record.text);
    return line;
}

}  // namespace olvbus::dpreader
