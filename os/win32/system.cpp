#include <windows.h>

#include <string>

#include "os/win32/services.h"
#include "win/system_libraries.h"

namespace oswin {

namespace {

template <typename F>
F Kernel32Function(const char* name) {
    // kernel32 is mapped into every process; no reference is taken.
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    if (!kernel) return nullptr;
    F function = nullptr;
    win::ResolveProc(kernel, name, &function);
    return function;
}

using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
using DisableRedirectionFn = BOOL(WINAPI*)(PVOID*);
using RevertRedirectionFn = BOOL(WINAPI*)(PVOID);

class Win32RedirectionScope : public os::RedirectionScope {
public:
    Win32RedirectionScope(DisableRedirectionFn disable, RevertRedirectionFn revert) : revert_(revert) {
        disabled_ = disable(&oldValue_) != FALSE;
    }
    ~Win32RedirectionScope() override {
        // Only a successful switch-off is reverted, with the value it returned.
        if (disabled_) revert_(oldValue_);
    }
    Win32RedirectionScope(const Win32RedirectionScope&) = delete;
    Win32RedirectionScope& operator=(const Win32RedirectionScope&) = delete;

private:
    RevertRedirectionFn revert_;
    PVOID oldValue_ = nullptr;
    bool disabled_ = false;
};

}  // namespace

core::u16 SystemInfo::SystemDirectory() {
    std::wstring buffer(MAX_PATH, L'\0');
    UINT length = ::GetSystemDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
    if (length >= buffer.size()) {  // too small: the answer is the size needed, terminator included
        buffer.assign(length, L'\0');
        length = ::GetSystemDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
        if (length >= buffer.size()) return core::u16();
    }
    buffer.resize(length);
    return U16(buffer);
}

bool SystemInfo::IsRunningOnWow64() {
    const auto isWow64Process = Kernel32Function<IsWow64ProcessFn>("IsWow64Process");
    if (!isWow64Process) return false;
    BOOL wow64 = FALSE;
    return isWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

std::unique_ptr<os::RedirectionScope> SystemInfo::DisableRedirection() {
    const auto disable = Kernel32Function<DisableRedirectionFn>("Wow64DisableWow64FsRedirection");
    const auto revert = Kernel32Function<RevertRedirectionFn>("Wow64RevertWow64FsRedirection");
    if (!disable || !revert) return nullptr;
    return std::make_unique<Win32RedirectionScope>(disable, revert);
}

core::u16 SystemInfo::ModulePath() {
    // A path that does not fit is cut and fills the buffer exactly; try again
    // with more room, up to the longest path Windows has.
    for (DWORD size = 512; size <= 32768; size *= 2) {
        std::wstring buffer(size, L'\0');
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), size);
        if (length == 0) return core::u16();
        if (length < size) {
            buffer.resize(length);
            return U16(buffer);
        }
    }
    return core::u16();
}

core::u16 CodePage::ToWide(std::string_view ansi) {
    if (ansi.empty()) return core::u16();
    const int length = static_cast<int>(ansi.size());
    const int needed = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0);
    if (needed <= 0) return core::u16();
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    const int got = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, wide.data(), needed);
    wide.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return U16(wide);
}

std::string CodePage::ToAnsi(core::u16view wide, bool* lossless) {
    if (lossless) *lossless = true;
    if (wide.empty()) return std::string();
    const auto* text = reinterpret_cast<const wchar_t*>(wide.data());
    const int length = static_cast<int>(wide.size());
    // With UTF-8 as the ANSI code page the used-default flag must be null;
    // only unpaired surrogates are lost then, which WC_ERR_INVALID_CHARS finds.
    const bool utf8 = ::GetACP() == CP_UTF8;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultSlot = utf8 ? nullptr : &usedDefault;
    const int needed = ::WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, usedDefaultSlot);
    if (needed <= 0) {
        if (lossless) *lossless = false;
        return std::string();
    }
    std::string ansi(static_cast<std::size_t>(needed), '\0');
    const int got = ::WideCharToMultiByte(CP_ACP, 0, text, length, ansi.data(), needed, nullptr, usedDefaultSlot);
    ansi.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    if (lossless) {
        if (utf8)
            *lossless = ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, length, nullptr, 0, nullptr,
                                              nullptr) > 0;
        else
            *lossless = usedDefault == FALSE && got > 0;
    }
    return ansi;
}

SystemInfo& System() {
    static SystemInfo instance;
    return instance;
}

CodePage& AnsiCodePage() {
    static CodePage instance;
    return instance;
}

}  // namespace oswin
