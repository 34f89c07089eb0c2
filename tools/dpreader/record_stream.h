// Decoding the debug-print device's byte stream back into messages. Records
// carry no length: each is 16 bytes of time fields followed by the source
// name and the text, each up to its zero byte, so the stream is read field
// by field.
#ifndef OLVBUS_TOOLS_DPREADER_RECORD_STREAM_H
#define OLVBUS_TOOLS_DPREADER_RECORD_STREAM_H

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace olvbus::dpreader {

struct DecodedRecord {
    int year, month, day, hour, minute, second, milliseconds, weekday;
    std::string source;
    std::string text;
};

struct DecodedStream {
    std::vector<DecodedRecord> records;
    // Bytes at the end that do not make a whole record (a cut capture).
    std::size_t trailingBytes = 0;
};

DecodedStream DecodeRecordStream(std::span<const std::uint8_t> bytes);

// One line, no line end: "2002-06-30 18:23:43.000 [source] text", with
// control and non-ASCII bytes of the texts shown as \xNN.
std::string FormatRecordLine(const DecodedRecord& record);

}  // namespace olvbus::dpreader

#endif  // OLVBUS_TOOLS_DPREADER_RECORD_STREAM_H
