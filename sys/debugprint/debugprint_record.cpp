#include "sys/debugprint/debugprint_record.h"

namespace olvexpin {
namespace {

uint8_t* PutI16(uint8_t* at, int16_t value)
{
    const uint16_t bits = static_cast<uint16_t>(value);
    at[0] = static_cast<uint8_t>(bits & 0xFFu);
    at[1] = static_cast<uint8_t>(bits >> 8);
    return at + 2;
}

uint8_t* PutText(uint8_t* at, const char* text, uint16_t bytes)
{
    for (uint32_t i = 0; i + 1 < bytes; ++i) {
        *at++ = static_cast<uint8_t>(text[i]);
    }
    *at++ = 0;
    return at;
}

}  // namespace

uint16_t RecordTextBytes(const char* text)
{
    uint32_t length = 0;
    while (length + 1 < kMaxRecordTextBytes && text[length] != '\0') {
        ++length;
    }
    return static_cast<uint16_t>(length + 1);
}

void BuildDebugPrintRecord(uint8_t* record, const TimeFields& time, const char* source,
                           uint16_t sourceBytes, const char* text, uint16_t textBytes)
{
    uint8_t* at = record;
    at = PutI16(at, time.year);
    at = PutI16(at, time.month);
    at = PutI16(at, time.day);
    at = PutI16(at, time.hour);
    at = PutI16(at, time.minute);
    at = PutI16(at, time.second);
    at = PutI16(at, time.milliseconds);
    at = PutI16(at, time.weekday);
    at = PutText(at, source, sourceBytes);
    PutText(at, text, textBytes);
}

}  // namespace olvexpin
