#include "payload/startup_files.h"

#include <limits>

#include "payload/container.h"
#include "payload/member_name.h"

namespace payload {

namespace {

std::int32_t ClampToInt32(std::size_t value) {
    constexpr auto kMax = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
    return static_cast<std::int32_t>(value < kMax ? value : kMax);
}

// `isSafe` judges one 8-bit member name.
template <typename NameCheck>
void ExtractMatching(const std::uint8_t* container, std::size_t size, const core::u16& workingFolder,
                     os::FileSystem& fs, const ProgressSink& progress, NameCheck isSafe) {
    if (!container || DeclaredMemberCount(container, size) == 0) return;
    const std::int32_t total = ClampToInt32(size);
    std::int32_t counter = 0;
    EntryCursor cursor = ResourceEntries(container, size);
    EntryView entry;
    while (cursor.Next(&entry)) {
        const std::string_view startupName = MatchStartupName(entry.name);
        if (startupName.empty() || !isSafe(entry.name)) continue;
        const core::u16 path = workingFolder + u"\\" + core::Utf8ToUtf16(startupName);
        ExtractFromMemory(entry.data, ClampToInt32(entry.compressedLength), path, &counter, total, fs,
                          progress);
    }
}

}  // namespace

void ExtractStartupFiles(const std::uint8_t* container, std::size_t size,
                         const core::u16& workingFolder, os::FileSystem& fs,
                         const ProgressSink& progress, os::CodePage& codePage) {
    ExtractMatching(container, size, workingFolder, fs, progress, [&codePage](std::string_view name) {
        return ToSafeMemberName(name, codePage, nullptr);
    });
}

void ExtractStartupFiles(const std::uint8_t* container, std::size_t size,
                         const core::u16& workingFolder, os::FileSystem& fs,
                         const ProgressSink& progress) {
    ExtractMatching(container, size, workingFolder, fs, progress,
                    [](std::string_view name) { return IsSafeMemberName(name); });
}

}  // namespace payload
