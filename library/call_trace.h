// The call trace: one growing 8-bit text the application fetches as a string.
#ifndef OLVBUS_CALL_TRACE_H
#define OLVBUS_CALL_TRACE_H

#include <cstddef>

namespace olvbus {

class CallTrace {
public:
    CallTrace() = default;
    ~CallTrace();
    CallTrace(const CallTrace& other);
    CallTrace& operator=(const CallTrace& other);

    // Empties the text and gives its memory back, so a long session that
    // restarts the trace does not keep its old peak allocated.
    void Clear();

    // Tracing is the exception, not the rule: keep it off the hot paths.
    __attribute__((cold)) void Append(const char* text);

    // printf-style with the trace's conventions: callers write hex as %X so the
    // digits come out upper-case whatever the format's letter says.
    __attribute__((cold, format(printf, 2, 3))) void AppendFormat(const char* format, ...);

    // Valid until the next change; never null.
    const char* Text() const { return text_ != nullptr ? text_ : ""; }
    std::size_t Length() const { return length_; }
    std::size_t Capacity() const { return capacity_; }

private:
    // Makes room for extra more characters and the terminator. The block
    // grows by doubling through realloc, which for large blocks moves pages
    // instead of copying them; false when memory ran out.
    bool Reserve(std::size_t extra);

    char* text_ = nullptr;
    std::size_t length_ = 0;
    std::size_t capacity_ = 0;  // characters the block holds, terminator excluded
};

}  // namespace olvbus

#endif  // OLVBUS_CALL_TRACE_H
