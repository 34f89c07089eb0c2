// The byte record the outside debug-print device receives, one per message:
//
//   offset   size  field
//   0        16    TIME_FIELDS of the system time, UTC: year, month, day,
//                  hour, minute, second, milliseconds, weekday; each a
//                  signed 16-bit little-endian value
//   16       N     the source name and its zero byte
//   16 + N   M     the message text and its zero byte
//
// No other header, length or filler: the reader finds the two texts by their
// terminators, and the write's length is the record's length.
#ifndef OLVEXPIN_DEBUGPRINT_RECORD_H
#define OLVEXPIN_DEBUGPRINT_RECORD_H

#include <stdint.h>

#include "sys/kernel_services.h"

namespace olvexpin {

inline constexpr uint32_t kRecordTimeBytes = 16;

// The texts' lengths with terminator are 16-bit quantities: a longer text is
// cut to this many bytes, terminator included, so a record always holds
// exactly what was copied into it.
inline constexpr uint32_t kMaxRecordTextBytes = 0xFFFF;

// Length with terminator of text as it goes into a record (1 to 65,535).
uint16_t RecordTextBytes(const char* text);

inline uint32_t DebugPrintRecordLength(uint16_t sourceBytes, uint16_t textBytes)
{
    return kRecordTimeBytes + sourceBytes + textBytes;
}

// Writes DebugPrintRecordLength(sourceBytes, textBytes) bytes to record. Each
// text contributes its first bytes - 1 characters and a zero byte.
void BuildDebugPrintRecord(uint8_t* record, const TimeFields& time, const char* source,
                           uint16_t sourceBytes, const char* text, uint16_t textBytes);

}  // namespace olvexpin

#endif  // OLVEXPIN_DEBUGPRINT_RECORD_H
