// Kernel services the installation engine needs: the system directory, the
// 64-bit Windows helpers and the ANSI code page.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "core/text.h"

namespace os {

// Switches file-system redirection off for the calling thread while it
// lives (Wow64DisableWow64FsRedirection) and back on when destroyed
// (Wow64RevertWow64FsRedirection with the value the first call returned).
class RedirectionScope {
public:
    virtual ~RedirectionScope() = default;
};

class SystemInfo {
public:
    virtual ~SystemInfo() = default;

    // GetSystemDirectoryW; empty when it fails.
    virtual core::u16 SystemDirectory() = 0;

    // "IsWow64Process" looked up in kernel32 at run time and asked about
    // the current process; false when it is missing or fails.
    virtual bool IsRunningOnWow64() = 0;

    // Null when either redirection function is missing: redirection is then
    // left as it is.
    virtual std::unique_ptr<RedirectionScope> DisableRedirection() = 0;

    // The full path of the running executable; empty when it cannot be had.
    virtual core::u16 ModulePath() = 0;
};

// Conversions through the system's ANSI code page (CP_ACP).
class CodePage {
public:
    virtual ~CodePage() = default;
    // MultiByteToWideChar; bytes that do not form a character become U+FFFD
    // or the code page's default. Never fails.
    virtual core::u16 ToWide(std::string_view ansi) = 0;
    // WideCharToMultiByte; characters the code page lacks become '?'.
    // *lossless (may be null) is false when any was replaced.
    virtual std::string ToAnsi(core::u16view wide, bool* lossless = nullptr) = 0;
};

}  // namespace os
