// The install log: a plain, append-only diagnostic trace.
#pragma once

#include <cstdarg>
#include <cstddef>

#include "os/log_file.h"

namespace engine {

inline constexpr char16_t kInstallLogPath[] = u"C:\\InstallPrinter.txt";

// Bytes of the formatting buffer; an entry keeps at most one less.
constexpr std::size_t kInstallLogBufferSize = 1024;

#if defined(__GNUC__)
#define INSTALL_LOG_PRINTF(f, a) __attribute__((format(printf, f, a)))
#else
#define INSTALL_LOG_PRINTF(f, a)
#endif

// Formats one entry as vsnprintf does into a zero-filled buffer of
// kInstallLogBufferSize bytes (a longer entry is cut after 1023 characters,
// losing its line end) and appends exactly those characters to
// kInstallLogPath. Nothing is added: no time stamp, prefix or line end; the
// formats carry their own "\r\n". Failures are dropped silently.
void WriteInstallLog(os::LogSink& sink, const char* format, ...) INSTALL_LOG_PRINTF(2, 3);
void WriteInstallLogV(os::LogSink& sink, const char* format, std::va_list args) INSTALL_LOG_PRINTF(2, 0);

}  // namespace engine
