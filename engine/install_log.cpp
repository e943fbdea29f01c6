#include "engine/install_log.h"

#include <cstdio>
#include <cstring>
#include <string_view>

namespace engine {

void WriteInstallLogV(os::LogSink& sink, const char* format, std::va_list args) {
    char buffer[kInstallLogBufferSize] = {};
    if (format != nullptr) std::vsnprintf(buffer, sizeof buffer, format, args);
    // A C99 vsnprintf terminates within the buffer; the Microsoft runtime's
    // does not when the entry is cut, so the last byte is cleared in any case.
    // An encoding error leaves what was formatted before it.
    buffer[sizeof buffer - 1] = '\0';
    const std::size_t length = std::strlen(buffer);
    sink.AppendToLog(kInstallLogPath, std::string_view(buffer, length));
}

void WriteInstallLog(os::LogSink& sink, const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    WriteInstallLogV(sink, format, args);
    va_end(args);
}

}  // namespace engine
