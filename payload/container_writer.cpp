#include "payload/container_writer.h"

#include <limits>
#include <map>

#include <zlib.h>

#include "core/text.h"
#include "payload/container.h"
#include "payload/member_name.h"

namespace payload {

namespace {

constexpr std::uint64_t kMaxU32 = std::numeric_limits<std::uint32_t>::max();
// The engines take C as a signed 32-bit value.
constexpr std::uint64_t kMaxStreamLength = static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());

void PutU32(std::vector<std::uint8_t>* out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out->push_back(static_cast<std::uint8_t>(value >> shift));
}

PackResult Fail(PackProblem problem, std::size_t member = 0) {
    PackResult result;
    result.problem = problem;
    result.member = member;
    return result;
}

// Appends the entries of all members to *out.
PackResult AppendEntries(const std::vector<PackMember>& members, std::vector<std::uint8_t>* out) {
    std::vector<std::uint8_t> stream;
    for (std::size_t i = 0; i < members.size(); ++i) {
        if (!CompressMember(members[i].contents, &stream)) return Fail(PackProblem::kCompressFailed, i);
        if (stream.size() > kMaxStreamLength) return Fail(PackProblem::kTooLarge, i);
        PutU32(out, static_cast<std::uint32_t>(members[i].name.size()));
        PutU32(out, static_cast<std::uint32_t>(stream.size()));
        out->insert(out->end(), members[i].name.begin(), members[i].name.end());
        out->insert(out->end(), stream.begin(), stream.end());
    }
    return PackResult();
}

}  // namespace

const char* DescribeProblem(PackProblem problem) {
    switch (problem) {
        case PackProblem::kNone: return "no problem";
        case PackProblem::kNoMembers: return "the member list is empty";
        case PackProblem::kNameTooLong: return "member name is longer than 255 bytes";
        case PackProblem::kUnsafeName: return "member name is not a safe relative file name";
        case PackProblem::kDuplicateName: return "member name is already used (letter case ignored)";
        case PackProblem::kTooLarge: return "member or container is too large for 32-bit lengths";
        case PackProblem::kHeaderTooLong: return "header text is longer than 50 bytes";
        case PackProblem::kCompressFailed: return "zlib could not compress the member";
    }
    return "unknown problem";
}

PackResult CheckMembers(const std::vector<PackMember>& members) {
    if (members.empty()) return Fail(PackProblem::kNoMembers);
    if (members.size() > kMaxU32) return Fail(PackProblem::kTooLarge);
    std::map<std::string, std::size_t> seen;  // ASCII-lower-cased name -> member
    for (std::size_t i = 0; i < members.size(); ++i) {
        const std::string& name = members[i].name;
        if (name.size() > kMaxMemberNameLength) return Fail(PackProblem::kNameTooLong, i);
        if (!IsSafeMemberName(name)) return Fail(PackProblem::kUnsafeName, i);
        if (members[i].contents.size() > kMaxU32) return Fail(PackProblem::kTooLarge, i);
        std::string key = name;
        for (char& c : key) c = core::AsciiLower(c);
        const auto [it, added] = seen.emplace(key, i);
        if (!added) {
            PackResult result = Fail(PackProblem::kDuplicateName, i);
            result.firstMember = it->second;
            return result;
        }
    }
    return PackResult();
}

bool CompressMember(const std::vector<std::uint8_t>& contents, std::vector<std::uint8_t>* stream) {
    uLongf length = compressBound(static_cast<uLong>(contents.size()));
    stream->assign(length, 0);
    static const Bytef kEmpty = 0;
    const Bytef* source = contents.empty() ? &kEmpty : contents.data();
    if (compress2(stream->data(), &length, source, static_cast<uLong>(contents.size()),
                  Z_DEFAULT_COMPRESSION) != Z_OK)
        return false;
    stream->resize(length);
    return true;
}

PackResult BuildResourceForm(const std::vector<PackMember>& members, std::vector<std::uint8_t>* out) {
    PackResult result = CheckMembers(members);
    if (!result.ok()) return result;
    std::vector<std::uint8_t> bytes;
    PutU32(&bytes, static_cast<std::uint32_t>(members.size()));
    result = AppendEntries(members, &bytes);
    if (!result.ok()) return result;
    out->swap(bytes);
    return result;
}

PackResult BuildAppendedForm(const std::vector<std::uint8_t>& image, std::string_view header,
                             const std::vector<PackMember>& members, std::vector<std::uint8_t>* out) {
    if (header.size() > kMaxAppendedHeaderLength) return Fail(PackProblem::kHeaderTooLong);
    PackResult result = CheckMembers(members);
    if (!result.ok()) return result;
    if (image.size() > kMaxU32) return Fail(PackProblem::kTooLarge);
    std::vector<std::uint8_t> bytes(image);
    PutU32(&bytes, static_cast<std::uint32_t>(header.size()));
    bytes.insert(bytes.end(), header.begin(), header.end());
    result = AppendEntries(members, &bytes);
    if (!result.ok()) return result;
    PutU32(&bytes, static_cast<std::uint32_t>(members.size()));
    PutU32(&bytes, static_cast<std::uint32_t>(image.size()));
    out->swap(bytes);
    return result;
}

}  // namespace payload
