// Rules for the names of container members.
//
// Member names are 8-bit text in the ANSI code page, at most 255 bytes,
// compared as whole names without regard to the case of ASCII letters. A
// name may hold backslash-separated folder parts; it is always taken as
// relative to the folder the member is extracted into.
//
// In a double-byte code page (932, 936, 949, 950) the second byte of a
// character may be 0x5C ('\') or 0x7C ('|'), so a name is only judged
// correctly on its characters: convert it with the system's code page and
// check the wide form. The 8-bit check is kept for the packer, which runs on
// a build machine that does not know the target's code page.
#pragma once

#include <cstddef>
#include <string_view>

#include "core/text.h"
#include "os/system.h"

namespace payload {

constexpr std::size_t kMaxMemberNameLength = 255;

// True when `name` may be written below a destination folder without
// leaving it or naming something other than a plain file there. Rejected:
// empty or longer than 255 bytes; control characters (NUL included); '/',
// ':' and the characters Windows forbids in file names (< > " | ? *);
// a leading, trailing or doubled '\'; "." and ".." parts; parts ending in a
// dot or a blank; reserved device names as a part, with or without an
// extension ("NUL", "com1.txt", "CONIN$").
bool IsSafeMemberName(std::string_view name);

// The same rules on the name's UTF-16 characters, with the length limit of
// 255 units; U+FFFD (a byte sequence that the code page could not convert)
// is refused as well, since the file would not get the name the container
// gives.
bool IsSafeMemberName(core::u16view name);

// Converts the 8-bit `name` with `codePage` and checks it: false when it is
// longer than 255 bytes, holds a byte below 0x20, or its wide form fails
// the wide check. On success *wide (may be null) holds the wide form, the
// name under which the member is written.
bool ToSafeMemberName(std::string_view name, os::CodePage& codePage, core::u16* wide);

// The members that start-up writes into the working folder, spelled as the
// files are named there.
constexpr std::size_t kStartupNameCount = 6;
extern const std::string_view kStartupNames[kStartupNameCount];

// The start-up name equal to `memberName` (whole name, ASCII case
// ignored), spelled as the list spells it; empty when there is none.
std::string_view MatchStartupName(std::string_view memberName);

}  // namespace payload
