// Writer of the payload container, used by the host-side packer. Produces
// exactly the layouts that container.h reads; the same members give the
// same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace payload {

struct PackMember {
    std::string name;  // 8-bit, as stored
    std::vector<std::uint8_t> contents;
};

enum class PackProblem {
    kNone,
    kNoMembers,
    kNameTooLong,    // over 255 bytes
    kUnsafeName,     // rejected by IsSafeMemberName
    kDuplicateName,  // equal to an earlier name, ASCII case ignored
    kTooLarge,       // a length or offset does not fit the 32-bit fields
    kHeaderTooLong,  // appended-form header over kMaxAppendedHeaderLength
    kCompressFailed,
};

struct PackResult {
    PackProblem problem = PackProblem::kNone;
    std::size_t member = 0;       // the member concerned
    std::size_t firstMember = 0;  // for kDuplicateName: the earlier member
    bool ok() const { return problem == PackProblem::kNone; }
};

// A short English description, for messages.
const char* DescribeProblem(PackProblem problem);

// The header that an appended form carries when the caller gives none.
constexpr std::string_view kDefaultAppendedHeader = "LPSETUP-PAYLOAD-1";

// Checks names and the member list without compressing anything.
PackResult CheckMembers(const std::vector<PackMember>& members);

// One zlib stream at Z_DEFAULT_COMPRESSION (header 78 9C).
bool CompressMember(const std::vector<std::uint8_t>& contents, std::vector<std::uint8_t>* stream);

// The resource form: M, then the entries; nothing after the last one.
// *out is left unchanged on failure.
PackResult BuildResourceForm(const std::vector<PackMember>& members, std::vector<std::uint8_t>* out);

// The appended form: `image`, then at P = image size: H, the header, the
// entries, and the trailer (M, P). *out is left unchanged on failure.
PackResult BuildAppendedForm(const std::vector<std::uint8_t>& image, std::string_view header,
                             const std::vector<PackMember>& members, std::vector<std::uint8_t>* out);

}  // namespace payload
