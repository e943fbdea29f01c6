// The wizard's texts and the registration names of one language, as read from
// an InstallConfig file (UTF-16LE, BOM, CR LF lines).
//
// File layout: six page blocks (welcome, folder, installing, success,
// cancelled, failed), each ended by a line holding 20 '=' in a row; then name
// lines: the window title, printer base name, driver name, monitor name, port
// prefix, product title, driver resource library, and the language dialog's
// title (the last line, which only the language dialogs read).
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/text.h"
#include "os/files.h"

namespace texts {

// Fixed buffers; each holds at most capacity - 1 characters and a terminator.
struct InstallTexts {
    char16_t WelcomeText[512] = {};
    char16_t FolderText[512] = {};
    char16_t InstallingText[512] = {};
    char16_t SuccessText[512] = {};
    char16_t CancelledText[512] = {};
    char16_t FailedText[512] = {};
    char16_t WindowTitle[256] = {};
    char16_t PrinterBaseName[256] = {};
    char16_t DriverName[256] = {};
    char16_t MonitorName[256] = {};
    char16_t PortPrefix[512] = {};
    char16_t ProductTitle[512] = {};
    char16_t DriverResourceDll[256] = {};
};

// Names used when the text file cannot be opened.
inline constexpr const char16_t* kDefaultPrinterBaseName = u"USB Printer";
inline constexpr const char16_t* kDefaultDriverName = u"USB Printer Driver";
inline constexpr const char16_t* kDefaultMonitorName = u"USB Printer Monitor";
inline constexpr const char16_t* kDefaultPortPrefix = u"USB PRINTER PORT:";

// Largest text file read; the real files are a few KiB.
inline constexpr std::size_t kMaxTextFileBytes = 1u << 20;

// Characters taken by one line read (a 255-character buffer with its
// terminator); longer lines arrive in pieces of this size.
inline constexpr std::size_t kLinePieceChars = 254;

// Parses the bytes of an InstallConfig file into `out`, which is cleared
// first. The first two bytes are skipped unexamined (the BOM); a trailing odd
// byte is ignored. Page lines keep their line end as a single LF; name lines
// lose it. Blocks longer than their field are cut at the field's capacity; a
// name line longer than kLinePieceChars is cut there (its rest is dropped, so
// it never spills into the next field). Empty name lines fill nothing.
void ParseInstallTexts(const std::uint8_t* bytes, std::size_t size, InstallTexts& out);

// Loads the file at `path` into `out`. Returns whether the file could be
// opened. When it cannot, `out` holds only the four default names above and
// empty page texts.
bool LoadInstallTexts(const core::u16& path, os::FileSystem& fs, InstallTexts& out);

// The last line of a UTF-16LE file, as the language dialogs take their
// caption: the file is read from its first byte (a BOM is not skipped) in
// pieces of kLinePieceChars up to and including LF; a CR LF at the end of a
// piece becomes LF. Returns the last piece read (possibly ending in LF); empty
// for an empty file. Text after an embedded NUL in a piece is not part of it.
core::u16 ReadLastLine(const std::uint8_t* bytes, std::size_t size);

}  // namespace texts
