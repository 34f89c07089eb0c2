#include "library/call_trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace olvbus {

CallTrace::~CallTrace()
{
    std::free(text_);
}

CallTrace::CallTrace(const CallTrace& other)
{
    *this = other;
}

CallTrace& CallTrace::operator=(const CallTrace& other)
{
    if (this != &other) {
        Clear();
        Append(other.Text());
    }
    return *this;
}

void CallTrace::Clear()
{
    std::free(text_);
    text_ = nullptr;
    length_ = 0;
    capacity_ = 0;
}

bool CallTrace::Reserve(std::size_t extra)
{
    if (length_ + extra <= capacity_) {
        return true;
    }
    std::size_t capacity = capacity_ < 64 ? 64 : capacity_;
    while (capacity < length_ + extra) {
        capacity *= 2;
    }
    char* grown = static_cast<char*>(std::realloc(text_, capacity + 1));
    if (grown == nullptr) {
        return false;  // tracing never fails a call: the entry is dropped
    }
    text_ = grown;
    capacity_ = capacity;
    return true;
}

void CallTrace::Append(const char* text)
{
    const std::size_t n = std::strlen(text);
    if (n == 0 || !Reserve(n)) {
        return;
    }
    std::memcpy(text_ + length_, text, n + 1);
    length_ += n;
}

void CallTrace::AppendFormat(const char* format, ...)
{
    // Every entry and exit text is short: format on the stack, append once.
    char small[128];
    va_list arguments;
    va_start(arguments, format);
    const int needed = std::vsnprintf(small, sizeof small, format, arguments);
    va_end(arguments);
    if (needed <= 0) {
        return;
    }
    const auto n = static_cast<std::size_t>(needed);
    if (!Reserve(n)) {
        return;
    }
    if (n < sizeof small) {
        std::memcpy(text_ + length_, small, n + 1);
    } else {
        va_start(arguments, format);
        std::vsnprintf(text_ + length_, n + 1, format, arguments);
        va_end(arguments);
    }
    length_ += n;
}

}  // namespace olvbus
