// The debug-print client's formatter: a small printf of its own, because the
// kernel offers none that is safe at dispatch level, and because the driver's
// messages depend on its exact rules (no flags, no precision, the digit 0 never
// part of a width, upper-case hex of a fixed number of digits).
#ifndef OLVEXPIN_DEBUGPRINT_FORMAT_DEBUG_TEXT_H
#define OLVEXPIN_DEBUGPRINT_FORMAT_DEBUG_TEXT_H

#include <stdarg.h>
#include <stdint.h>

#include "sys/debugprint/request_names.h"
#include "sys/kernel.h"

namespace olvexpin {

// Expands format into buffer, keeping at most size - 1 characters and always
// leaving a zero byte at size - 1 (and after the text when it is shorter).
// A size of 0 stores nothing.
//
// Conversions, after an optional width ("*" or a run of the digits 1 to 9):
//   c C    int, its low byte          d i    int, signed decimal
//   u      int, unsigned decimal      x      int, w (1..7) or 8 hex digits
//   s      const char*, at most w     S      const uint16_t*, low bytes
//   T      const CountedText16*       D      int64_t, signed decimal
//   l L    uint64_t, hex (16 digits by default)
//   I      const RequestCodes*, the request's function names
// Any other letter prints itself ("%%" gives "%"). The pointers must not be
// null.
void FormatDebugText(char* buffer, uint32_t size, const char* format, va_list arguments);

// The same over a variable argument list; for tests and callers that format
// into their own buffer.
void FormatDebugTextF(char* buffer, uint32_t size, const char* format, ...);

}  // namespace olvexpin

#endif  // OLVEXPIN_DEBUGPRINT_FORMAT_DEBUG_TEXT_H
