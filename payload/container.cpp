#include "payload/container.h"

#include "payload/member_name.h"

namespace payload {

std::uint32_t ReadU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

bool LocateEntry(std::uint64_t offset, std::uint32_t nameLength, std::uint32_t compressedLength,
                 std::uint64_t limit, EntryBounds* bounds) {
    // 64-bit sums of 32-bit lengths and an offset below 2^63 cannot wrap.
    if (offset > limit || limit - offset < kEntryHeaderSize) return false;
    const std::uint64_t nameOffset = offset + kEntryHeaderSize;
    if (limit - nameOffset < nameLength) return false;
    bounds->nameOffset = nameOffset;
    bounds->dataOffset = nameOffset + nameLength;
    const std::uint64_t room = limit - bounds->dataOffset;
    bounds->compressedLength = compressedLength < room ? compressedLength : room;
    bounds->next = bounds->dataOffset + compressedLength;
    return true;
}

EntryCursor::EntryCursor(const std::uint8_t* data, std::size_t size, std::size_t first,
                         std::uint32_t count)
    : data_(data), size_(data ? size : 0), offset_(first), left_(data ? count : 0) {}

bool EntryCursor::Next(EntryView* entry) {
    if (left_ == 0 || offset_ > size_ || size_ - offset_ < kEntryHeaderSize) {
        left_ = 0;
        return false;
    }
    const std::uint8_t* header = data_ + offset_;
    EntryBounds bounds;
    if (!LocateEntry(offset_, ReadU32(header), ReadU32(header + 4), size_, &bounds)) {
        left_ = 0;
        return false;
    }
    entry->offset = offset_;
    entry->name = std::string_view(reinterpret_cast<const char*>(data_ + bounds.nameOffset),
                                   static_cast<std::size_t>(bounds.dataOffset - bounds.nameOffset));
    entry->data = data_ + bounds.dataOffset;
    entry->declaredLength = ReadU32(header + 4);
    entry->compressedLength = static_cast<std::size_t>(bounds.compressedLength);
    --left_;
    if (bounds.next > size_) {
        // The data ran past the end; nothing can follow it.
        left_ = 0;
    } else {
        offset_ = static_cast<std::size_t>(bounds.next);
    }
    return true;
}

std::uint32_t DeclaredMemberCount(const std::uint8_t* container, std::size_t size) {
    return container && size >= 4 ? ReadU32(container) : 0;
}

EntryCursor ResourceEntries(const std::uint8_t* container, std::size_t size) {
    return EntryCursor(container, size, 4, DeclaredMemberCount(container, size));
}

namespace {

// Checks the trailer's M and P against the file size.
AppendedStatus CheckTrailer(std::uint32_t count, std::uint32_t offset, std::uint64_t fileSize,
                            AppendedLayout* layout) {
    if (fileSize < kTrailerSize || count == 0) return AppendedStatus::kAbsent;
    const std::uint64_t end = fileSize - kTrailerSize;
    if (offset > end || end - offset < 4) return AppendedStatus::kDamaged;
    layout->count = count;
    layout->containerOffset = offset;
    layout->entriesEnd = end;
    layout->fileSize = fileSize;
    return AppendedStatus::kOk;
}

// Any header length is accepted as long as the header ends at or before the
// trailer; its bytes are skipped by position, never read.
AppendedStatus CheckHeader(std::uint32_t headerLength, AppendedLayout* layout) {
    const std::uint64_t headerStart = layout->containerOffset + 4;
    if (layout->entriesEnd - headerStart < headerLength) return AppendedStatus::kDamaged;
    layout->headerLength = headerLength;
    layout->firstEntry = headerStart + headerLength;
    return AppendedStatus::kOk;
}

// Enough of an over-long name to show that it is one.
constexpr std::size_t kNameKept = kMaxMemberNameLength + 1;

bool ReadExact(os::InputFile& file, void* buffer, std::size_t size) {
    auto* p = static_cast<std::uint8_t*>(buffer);
    while (size > 0) {
        std::size_t got = 0;
        if (!file.Read(p, size, &got) || got == 0 || got > size) return false;
        p += got;
        size -= got;
    }
    return true;
}

}  // namespace

AppendedStatus ParseAppendedLayout(const std::uint8_t* image, std::size_t size, AppendedLayout* layout) {
    *layout = AppendedLayout();
    if (!image || size < kTrailerSize) return AppendedStatus::kAbsent;
    const std::uint8_t* trailer = image + size - kTrailerSize;
    AppendedLayout found;
    AppendedStatus status = CheckTrailer(ReadU32(trailer), ReadU32(trailer + 4), size, &found);
    if (status != AppendedStatus::kOk) return status;
    status = CheckHeader(ReadU32(image + found.containerOffset), &found);
    if (status == AppendedStatus::kOk) *layout = found;
    return status;
}

EntryCursor AppendedEntries(const std::uint8_t* image, const AppendedLayout& layout) {
    return EntryCursor(image, static_cast<std::size_t>(layout.entriesEnd),
                       static_cast<std::size_t>(layout.firstEntry), layout.count);
}

AppendedStatus ReadAppendedLayout(os::InputFile& file, AppendedLayout* layout) {
    *layout = AppendedLayout();
    std::uint64_t size = 0;
    if (!file.Size(&size)) return AppendedStatus::kReadFailed;
    if (size < kTrailerSize) return AppendedStatus::kAbsent;
    std::uint8_t trailer[kTrailerSize];
    if (!file.Seek(size - kTrailerSize) || !ReadExact(file, trailer, sizeof trailer))
        return AppendedStatus::kReadFailed;
    AppendedLayout found;
    AppendedStatus status = CheckTrailer(ReadU32(trailer), ReadU32(trailer + 4), size, &found);
    if (status != AppendedStatus::kOk) return status;
    std::uint8_t header[4];
    if (!file.Seek(found.containerOffset) || !ReadExact(file, header, sizeof header))
        return AppendedStatus::kReadFailed;
    status = CheckHeader(ReadU32(header), &found);
    if (status == AppendedStatus::kOk) *layout = found;
    return status;
}

AppendedStatus ReadAppendedEntry(os::InputFile& file, const AppendedLayout& layout,
                                 std::uint64_t offset, AppendedEntry* entry) {
    const std::uint64_t limit = layout.entriesEnd;
    if (offset > limit || limit - offset < kEntryHeaderSize) return AppendedStatus::kDamaged;
    std::uint8_t header[kEntryHeaderSize];
    if (!file.Seek(offset) || !ReadExact(file, header, sizeof header)) return AppendedStatus::kReadFailed;
    EntryBounds bounds;
    if (!LocateEntry(offset, ReadU32(header), ReadU32(header + 4), limit, &bounds))
        return AppendedStatus::kDamaged;
    const std::uint64_t nameLength = bounds.dataOffset - bounds.nameOffset;
    std::string name(static_cast<std::size_t>(nameLength > kNameKept ? kNameKept : nameLength), '\0');
    if (!name.empty() && !ReadExact(file, name.data(), name.size())) return AppendedStatus::kReadFailed;
    if (name.size() != nameLength && !file.Seek(bounds.dataOffset)) return AppendedStatus::kReadFailed;
    entry->offset = offset;
    entry->name = std::move(name);
    entry->dataOffset = bounds.dataOffset;
    entry->declaredLength = ReadU32(header + 4);
    entry->compressedLength = bounds.compressedLength;
    entry->next = bounds.next;
    return AppendedStatus::kOk;
}

}  // namespace payload
