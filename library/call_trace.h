// The call trace: one growing 8-bit text the application fetches as a string.
#ifndef OLVBUS_CALL_TRACE_H
#define OLVBUS_CALL_TRACE_H

#include <cstddef>
#include <string>

namespace olvbus {

class CallTrace {
public:
    // Empties the text and gives its memory back, so a long session that
    // restarts the trace does not keep its old peak allocated.
    void Clear();

    void Append(const char* text);

    // printf-style with the trace's conventions: callers write hex as %X so the
    // digits come out upper-case whatever the format's letter says.
    void AppendFormat(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Valid until the next change; never null.
    const char* Text() const { return text_.c_str(); }
    std::size_t Length() const { return text_.size(); }
    std::size_t Capacity() const { return text_.capacity(); }

private:
    std::string text_;
};

}  // namespace olvbus

#endif  // OLVBUS_CALL_TRACE_H
