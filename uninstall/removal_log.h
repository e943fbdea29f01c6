// The uninstaller's lines in the install log.
//
// One line per removal step, in the install log's own form: 8-bit text in the
// system's ANSI code page, formatted as printf does into the same 1024-byte
// buffer (at most 1023 characters), each format ending in "\r\n", no time
// stamp and no prefix. The lines go to "C:\InstallPrinter.txt" and, when the
// administrator asked for one with /LOG=FILE, to that file as well.
#pragma once

#include <cstdarg>
#include <string>

#include "core/text.h"
#include "engine/install_log.h"
#include "os/log_file.h"
#include "os/system.h"

namespace uninstall {

class RemovalLog {
public:
    RemovalLog(os::LogSink& sink, os::CodePage& codePage, core::u16 extraFile = {})
        : sink_(sink), codePage_(codePage), extraFile_(std::move(extraFile)) {}

    void Line(const char* format, ...) INSTALL_LOG_PRINTF(2, 3);

    // Text for a %s argument.
    std::string Ansi(core::u16view text) { return codePage_.ToAnsi(text); }

    // False once an append to the /LOG file failed.
    bool ExtraFileWritten() const { return extraFileOk_; }

private:
    os::LogSink& sink_;
    os::CodePage& codePage_;
    core::u16 extraFile_;
    bool extraFileOk_ = true;
};

}  // namespace uninstall
