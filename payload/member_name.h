// Rules for the names of container members.
//
// Member names are 8-bit text in the ANSI code page, at most 255 bytes,
// compared as whole names without regard to the case of ASCII letters. A
// name may hold backslash-separated folder parts; it is always taken as
// relative to the folder the member is extracted into.
#pragma once

#include <cstddef>
#include <string_view>

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

// The members that start-up writes into the working folder, spelled as the
// files are named there.
constexpr std::size_t kStartupNameCount = 6;
extern const std::string_view kStartupNames[kStartupNameCount];

// The start-up name equal to `memberName` (whole name, ASCII case
// ignored), spelled as the list spells it; empty when there is none.
std::string_view MatchStartupName(std::string_view memberName);

}  // namespace payload
