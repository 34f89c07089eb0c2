#include "library/call_trace.h"

#include <cstdarg>
#include <cstdio>

namespace olvbus {

void CallTrace::Clear()
{
    std::string().swap(text_);
}

void CallTrace::Append(const char* text)
{
    text_.append(text);
}

void CallTrace::AppendFormat(const char* format, ...)
{
    // Every entry and exit text is short; format on the stack and append once.
    char small[128];
    va_list arguments;
    va_start(arguments, format);
    const int needed = std::vsnprintf(small, sizeof small, format, arguments);
    va_end(arguments);
    if (needed < 0) {
        return;
    }
    if (static_cast<std::size_t>(needed) < sizeof small) {
        text_.append(small, static_cast<std::size_t>(needed));
        return;
    }
    std::string large(static_cast<std::size_t>(needed) + 1, '\0');
    va_start(arguments, format);
    std::vsnprintf(large.data(), large.size(), format, arguments);
    va_end(arguments);
    text_.append(large.data(), static_cast<std::size_t>(needed));
}

}  // namespace olvbus
