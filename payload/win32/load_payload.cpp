#include "payload/win32/load_payload.h"

#include <cstring>

namespace payload {

const std::uint8_t* LoadInstallPayload(WORD id, const wchar_t* type, DWORD* size) {
    *size = 0;
    HMODULE self = ::GetModuleHandleW(nullptr);
    HRSRC info = ::FindResourceW(self, MAKEINTRESOURCEW(id), type);
    if (!info) {
        ::GetLastError();  // nothing to report it to: the caller falls back silently
        return nullptr;
    }
    HGLOBAL loaded = ::LoadResource(self, info);
    if (!loaded) return nullptr;
    const void* bytes = ::LockResource(loaded);
    const DWORD length = ::SizeofResource(self, info);
    if (!bytes || length == 0) return nullptr;
    void* copy = ::HeapAlloc(::GetProcessHeap(), 0, length);
    if (!copy) return nullptr;
    std::memcpy(copy, bytes, length);
    *size = length;
    return static_cast<const std::uint8_t*>(copy);
}

}  // namespace payload
