#include "uninstall/removal_log.h"

#include <cstdio>
#include <cstring>
#include <string_view>

namespace uninstall {

void RemovalLog::Line(const char* format, ...) {
    char buffer[engine::kInstallLogBufferSize] = {};
    std::va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    buffer[sizeof buffer - 1] = '\0';
    const std::string_view line(buffer, std::strlen(buffer));
    sink_.AppendToLog(engine::kInstallLogPath, line);
    if (!extraFile_.empty() && !sink_.AppendToLog(extraFile_, line)) extraFileOk_ = false;
}

}  // namespace uninstall
