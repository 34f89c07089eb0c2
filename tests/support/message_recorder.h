// Keeps the driver's diagnostic messages as the debug-print client would
// format them, in order.
#ifndef OLVBUS_TESTS_MESSAGE_RECORDER_H
#define OLVBUS_TESTS_MESSAGE_RECORDER_H

#include <mutex>
#include <string>
#include <vector>

#include "sys/debugprint/format_debug_text.h"
#include "sys/kernel.h"

namespace olvbus::test {

class MessageRecorder final : public olvexpin::DebugPrint {
public:
    void Text(const char* text) override
    {
        std::lock_guard<std::mutex> hold(mutex_);
        messages_.emplace_back(text);
    }
    void FormatV(const char* format, va_list arguments) override
    {
        char buffer[100];  // the client's formatting buffer
        olvexpin::FormatDebugText(buffer, sizeof buffer, format, arguments);
        Text(buffer);
    }
    std::vector<std::string> Take()
    {
        std::lock_guard<std::mutex> hold(mutex_);
        return std::move(messages_);
    }

private:
    std::mutex mutex_;
    std::vector<std::string> messages_;
};

}  // namespace olvbus::test

#endif  // OLVBUS_TESTS_MESSAGE_RECORDER_H
