// Reader of the payload container in both of its forms.
//
// Resource form (a byte buffer): u32 member count M, then M entries back to
// back. Entry: u32 name length N, u32 compressed length C, N name bytes, C
// bytes of one zlib stream. All integers little-endian.
//
// Appended form (the tail of an executable file): the last 8 bytes are
// u32 M and u32 P, the absolute position of the container; at P come u32
// header length H, H header bytes that are skipped, then M entries.
//
// Every declared length is untrusted. Nothing is read past the end of the
// buffer or file: an entry whose header or name does not fit ends the walk
// (earlier entries stay valid), and a C that runs past the end is cut to
// what is there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "os/files.h"

namespace payload {

// The longest header that the writer puts into an appended form. Readers
// do not hold other producers to it: any header that ends before the
// trailer is skipped.
constexpr std::uint32_t kMaxAppendedHeaderLength = 50;
constexpr std::size_t kEntryHeaderSize = 8;
constexpr std::size_t kTrailerSize = 8;

std::uint32_t ReadU32(const std::uint8_t* p);

// Where an entry's parts lie, once its N and C were read at `offset`.
struct EntryBounds {
    std::uint64_t nameOffset = 0;
    std::uint64_t dataOffset = 0;
    std::uint64_t compressedLength = 0;  // C, cut so that data + C <= limit
    std::uint64_t next = 0;              // offset after the data as declared
};

// False when the entry's 8-byte header or its name would reach past
// `limit`. A C that reaches past `limit` is cut (bounds->compressedLength).
bool LocateEntry(std::uint64_t offset, std::uint32_t nameLength, std::uint32_t compressedLength,
                 std::uint64_t limit, EntryBounds* bounds);

// One entry of a container held in memory.
struct EntryView {
    std::size_t offset = 0;              // of the entry, from the start of the buffer
    std::string_view name;               // N bytes, unterminated
    const std::uint8_t* data = nullptr;  // start of the zlib stream
    std::uint32_t declaredLength = 0;    // C as stored
    std::size_t compressedLength = 0;    // C cut to the end of the buffer
    bool Truncated() const { return compressedLength != declaredLength; }
};

// Walks at most `count` entries of a buffer, starting at `first`.
class EntryCursor {
public:
    EntryCursor(const std::uint8_t* data, std::size_t size, std::size_t first, std::uint32_t count);

    // The next entry, or false when `count` entries were given or the next
    // entry does not fit in the buffer.
    bool Next(EntryView* entry);

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t offset_;
    std::uint32_t left_;
};

// The resource form. A null buffer, or one shorter than 4 bytes, holds no
// members.
std::uint32_t DeclaredMemberCount(const std::uint8_t* container, std::size_t size);
EntryCursor ResourceEntries(const std::uint8_t* container, std::size_t size);

// The appended form.
enum class AppendedStatus {
    kOk,
    kAbsent,      // the trailer's M is 0, or the file is shorter than a trailer
    kDamaged,     // P, H or the header bytes reach into the trailer or past the file
    kReadFailed,  // the file could not be read or positioned
};

struct AppendedLayout {
    std::uint32_t count = 0;            // M
    std::uint64_t containerOffset = 0;  // P
    std::uint32_t headerLength = 0;     // H
    std::uint64_t firstEntry = 0;       // P + 4 + H
    std::uint64_t entriesEnd = 0;       // where the trailer starts
    std::uint64_t fileSize = 0;
    // The size that progress is measured against: file size minus P.
    std::uint64_t ProgressTotal() const { return fileSize - containerOffset; }
};

// `image` is the whole executable file.
AppendedStatus ParseAppendedLayout(const std::uint8_t* image, std::size_t size, AppendedLayout* layout);
EntryCursor AppendedEntries(const std::uint8_t* image, const AppendedLayout& layout);

// Reads the trailer and H (12 bytes in all); the header bytes themselves are
// not read, the first entry is found by position.
AppendedStatus ReadAppendedLayout(os::InputFile& file, AppendedLayout* layout);

// One entry read from the file.
struct AppendedEntry {
    std::uint64_t offset = 0;
    // The name; of a name longer than 255 bytes only the first 256 bytes,
    // enough to fail IsSafeMemberName.
    std::string name;
    std::uint64_t dataOffset = 0;
    std::uint32_t declaredLength = 0;
    std::uint64_t compressedLength = 0;  // cut to the start of the trailer
    std::uint64_t next = 0;              // where the following entry starts
};

// Reads the entry at `offset` and leaves the file positioned on its data.
// kDamaged when its header or name does not fit before the trailer.
AppendedStatus ReadAppendedEntry(os::InputFile& file, const AppendedLayout& layout,
                                 std::uint64_t offset, AppendedEntry* entry);

}  // namespace payload
