// The embedded container's resource form, copied into memory.
#pragma once

#include <windows.h>

#include <cstdint>

namespace payload {

// Finds resource `id` of `type` in the executable's own module and copies it
// into a heap block that is never released (it lives as long as the
// process). Null with *size 0 when the resource is missing or cannot be
// loaded or copied.
const std::uint8_t* LoadInstallPayload(WORD id, const wchar_t* type, DWORD* size);

}  // namespace payload
