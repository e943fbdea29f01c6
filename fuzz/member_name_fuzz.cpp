// Member-name validation as a property: every name that a check accepts,
// joined to a folder, resolves (as Windows resolves paths) to a plain name
// strictly inside that folder.
//
// The input is taken as an 8-bit name (judged byte by byte, then read in a
// single-byte and in a double-byte code page), as an 8-bit name judged on
// its characters after the double-byte conversion, and as UTF-16 text for
// the wide check. Also: the single-byte reading never changes the 8-bit
// answer, pure ASCII names get the same answer from every check, and a
// start-up name match is always a safe name.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fakes/fake_code_page.h"
#include "fakes/fake_dbcs_code_page.h"
#include "fuzz/fuzz_support.h"
#include "payload/member_name.h"

namespace {

using fuzzsupport::PathPlace;
using fuzzsupport::ResolveUnder;

const core::u16 kRoot = u"C:\\Program Files\\Label Printer";

bool Inside(const core::u16& name) { return ResolveUnder(kRoot, kRoot + u"\\" + name) == PathPlace::kInside; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    fakes::FakeDbcsCodePage dbcs;
    fakes::FakeCodePage latin1;  // Latin-1

    const bool bytewise = payload::IsSafeMemberName(bytes);
    if (bytewise) {
        FUZZ_CHECK(Inside(latin1.ToWide(bytes)));
        FUZZ_CHECK(Inside(dbcs.ToWide(bytes)));
    }

    core::u16 wide;
    const bool onCharacters = payload::ToSafeMemberName(bytes, dbcs, &wide);
    if (onCharacters) {
        FUZZ_CHECK(wide == dbcs.ToWide(bytes));
        FUZZ_CHECK(wide.size() <= payload::kMaxMemberNameLength);
        FUZZ_CHECK(Inside(wide));
    }
    FUZZ_CHECK(payload::ToSafeMemberName(bytes, latin1, nullptr) == bytewise);

    bool ascii = true;
    for (const char c : bytes) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) FUZZ_CHECK(onCharacters == bytewise);

    core::u16 text;
    for (std::size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
    if (payload::IsSafeMemberName(core::u16view(text))) FUZZ_CHECK(Inside(text));

    const std::string_view startup = payload::MatchStartupName(bytes);
    if (!startup.empty()) {
        FUZZ_CHECK(bytewise && onCharacters);
        FUZZ_CHECK(core::EqualsNoCase(startup, bytes));
    }
    return 0;
}
