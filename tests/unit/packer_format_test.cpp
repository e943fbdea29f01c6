// The container writer that the packer uses, read back by the reader and the
// engines.
#include <gtest/gtest.h>

#include "fakes/fake_fs.h"
#include "payload/container.h"
#include "payload/container_writer.h"
#include "payload/extract.h"
#include "payload_test_support.h"

namespace {

using namespace payload_test;

const std::size_t kSizes[] = {0, 1, 16383, 16384, 16385, 100000};

std::vector<payload::PackMember> SizedMembers() {
    std::vector<payload::PackMember> members;
    for (std::size_t size : kSizes)
        members.push_back({"m" + std::to_string(size) + ".bin", RandomBytes(size, static_cast<unsigned>(size))});
    members.push_back({"sub\\text.txt", TextBytes(70000, 1)});
    return members;
}

TEST(ContainerWriter, ResourceFormRoundTripsEverySize) {
    const auto members = SizedMembers();
    Bytes container;
    ASSERT_TRUE(payload::BuildResourceForm(members, &container).ok());
    fakes::FakeFileSystem fs;
    fs.AddDirectory(u"C:\\out");
    payload::EntryCursor cursor = payload::ResourceEntries(container.data(), container.size());
    payload::EntryView entry;
    std::int32_t counter = 0;
    for (const auto& member : members) {
        SCOPED_TRACE(member.name);
        ASSERT_TRUE(cursor.Next(&entry));
        EXPECT_EQ(std::string(entry.name), member.name);
        EXPECT_FALSE(entry.Truncated());
        EXPECT_EQ(entry.data[0], 0x78);
        EXPECT_EQ(entry.data[1], 0x9C);
        EXPECT_EQ(payload::ExtractFromMemory(entry.data, static_cast<std::int32_t>(entry.compressedLength),
                                             u"C:\\out\\x", &counter, 1, fs, {}),
                  0);
        EXPECT_EQ(fs.Contents(u"C:\\out\\x"), member.contents);
    }
    EXPECT_FALSE(cursor.Next(&entry));
    EXPECT_EQ(entry.data + entry.compressedLength, container.data() + container.size());  // nothing after
}

TEST(ContainerWriter, AppendedFormRoundTripsThroughTheFileEngine) {
    const auto members = SizedMembers();
    const Bytes exe = RandomBytes(4097, 2);
    Bytes image;
    ASSERT_TRUE(payload::BuildAppendedForm(exe, "hdr", members, &image).ok());
    ASSERT_TRUE(std::equal(exe.begin(), exe.end(), image.begin()));
    fakes::FakeFileSystem fs;
    fs.AddDirectory(u"C:\\out");
    fs.AddFile(u"C:\\setup.exe", image);
    auto file = fs.OpenForRead(u"C:\\setup.exe");
    payload::AppendedLayout layout;
    ASSERT_EQ(payload::ReadAppendedLayout(*file, &layout), payload::AppendedStatus::kOk);
    EXPECT_EQ(layout.containerOffset, exe.size());
    EXPECT_EQ(layout.headerLength, 3u);
    EXPECT_EQ(layout.count, members.size());
    std::uint64_t offset = layout.firstEntry;
    std::int32_t counter = 0;
    for (const auto& member : members) {
        SCOPED_TRACE(member.name);
        payload::AppendedEntry entry;
        ASSERT_EQ(payload::ReadAppendedEntry(*file, layout, offset, &entry), payload::AppendedStatus::kOk);
        EXPECT_EQ(entry.name, member.name);
        EXPECT_EQ(payload::ExtractFromImageFile(*file, static_cast<std::int32_t>(entry.compressedLength),
                                                u"C:\\out\\x", &counter,
                                                static_cast<std::int32_t>(layout.ProgressTotal()), fs, {}),
                  0);
        EXPECT_EQ(fs.Contents(u"C:\\out\\x"), member.contents);
        offset = entry.next;
    }
    EXPECT_EQ(offset, image.size() - payload::kTrailerSize);
}

TEST(ContainerWriter, ExactLayoutOfOneMember) {
    Bytes container;
    ASSERT_TRUE(payload::BuildResourceForm({{"ab", ToBytes("x")}}, &container).ok());
    const Bytes stream = Compress(ToBytes("x"));
    Bytes expected = {1, 0, 0, 0, 2, 0, 0, 0, static_cast<std::uint8_t>(stream.size()), 0, 0, 0, 'a', 'b'};
    expected.insert(expected.end(), stream.begin(), stream.end());
    EXPECT_EQ(container, expected);

    Bytes image;
    ASSERT_TRUE(payload::BuildAppendedForm(ToBytes("EXE"), "", {{"ab", ToBytes("x")}}, &image).ok());
    Bytes appended = {'E', 'X', 'E', 0, 0, 0, 0};
    appended.insert(appended.end(), expected.begin() + 4, expected.end());
    appended.insert(appended.end(), {1, 0, 0, 0, 3, 0, 0, 0});
    EXPECT_EQ(image, appended);
}

TEST(ContainerWriter, SameMembersGiveTheSameBytes) {
    const auto members = SizedMembers();
    Bytes a, b;
    ASSERT_TRUE(payload::BuildResourceForm(members, &a).ok());
    ASSERT_TRUE(payload::BuildResourceForm(members, &b).ok());
    EXPECT_EQ(a, b);
}

TEST(ContainerWriter, RejectsBadMemberListsAndLeavesTheOutputAlone) {
    struct Case {
        const char* what;
        std::vector<std::string> names;
        payload::PackProblem problem;
        std::size_t member;
    };
    const Case cases[] = {
        {"empty list", {}, payload::PackProblem::kNoMembers, 0},
        {"name of 256 bytes", {"ok", std::string(256, 'n')}, payload::PackProblem::kNameTooLong, 1},
        {"empty name", {""}, payload::PackProblem::kUnsafeName, 0},
        {"parent part", {"a", "b", "..\\c"}, payload::PackProblem::kUnsafeName, 2},
        {"device name", {"AUX.txt"}, payload::PackProblem::kUnsafeName, 0},
        {"duplicate ignoring case", {"A.txt", "b", "a.TXT"}, payload::PackProblem::kDuplicateName, 2},
        {"name of 255 bytes", {std::string(255, 'n')}, payload::PackProblem::kNone, 0},
        {"same letters, other folder", {"a\\x", "b\\x"}, payload::PackProblem::kNone, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<payload::PackMember> members;
        for (const auto& name : c.names) members.push_back({name, ToBytes("data")});
        const payload::PackResult check = payload::CheckMembers(members);
        EXPECT_EQ(check.problem, c.problem);
        EXPECT_EQ(check.member, c.member);
        if (c.problem == payload::PackProblem::kDuplicateName) {
            EXPECT_EQ(check.firstMember, 0u);
        }

        Bytes out = ToBytes("poison"), image = ToBytes("poison");
        EXPECT_EQ(payload::BuildResourceForm(members, &out).problem, c.problem);
        EXPECT_EQ(payload::BuildAppendedForm(ToBytes("EXE"), "", members, &image).problem, c.problem);
        if (c.problem != payload::PackProblem::kNone) {
            EXPECT_EQ(out, ToBytes("poison"));
            EXPECT_EQ(image, ToBytes("poison"));
        }
    }
}

TEST(ContainerWriter, HeaderLimitIs50Bytes) {
    const std::vector<payload::PackMember> members = {{"a", ToBytes("x")}};
    for (std::size_t length : {49u, 50u, 51u}) {
        SCOPED_TRACE(length);
        Bytes image = ToBytes("poison");
        const auto result = payload::BuildAppendedForm(ToBytes("EXE"), std::string(length, 'h'), members, &image);
        if (length <= 50) {
            EXPECT_TRUE(result.ok());
            payload::AppendedLayout layout;
            EXPECT_EQ(payload::ParseAppendedLayout(image.data(), image.size(), &layout), payload::AppendedStatus::kOk);
            EXPECT_EQ(layout.headerLength, length);
        } else {
            EXPECT_EQ(result.problem, payload::PackProblem::kHeaderTooLong);
            EXPECT_EQ(image, ToBytes("poison"));
        }
    }
    EXPECT_LE(payload::kDefaultAppendedHeader.size(), 50u);
}

}  // namespace
