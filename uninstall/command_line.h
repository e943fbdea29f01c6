// The uninstaller's command line.
//
//   Uninstaller.exe [/S] [/LOG=FILE]
//
// No argument is needed: the uninstall entry's "UninstallString" and the
// Start-menu shortcut name the program alone. /S removes without any dialog
// (the confirmation is implied); /LOG=FILE appends the log lines to FILE as
// well. Switches are not case sensitive.
//
// The program also runs once more after it ends, from a copy in the
// temporary folder, to remove its own file and folder:
//   <copy> /FINISH=<handle> /FOLDER=<install folder> [/DATA=<folder>] [/S] [/LOG=FILE]
// where <handle> is an inherited handle of the first run's process, in hex.
#pragma once

#include <cstdint>
#include <vector>

#include "core/text.h"

namespace uninstall {

struct Options {
    bool silent = false;
    core::u16 logFile;

    bool finish = false;
    std::uint64_t waitHandle = 0;
    core::u16 folder;
    core::u16 dataFolder;
};

// Splits a whole command line as CommandLineToArgvW and the C runtime do:
// the program name ends at the next quote when it starts with one, otherwise
// at the first blank; after it blanks and tabs separate arguments, quotes
// group, 2n backslashes before a quote give n and the quote groups, 2n+1 give
// n and a literal quote, other backslashes are literal, and "" inside quotes
// is a literal quote. The program name is the first element.
std::vector<core::u16> SplitCommandLine(core::u16view commandLine);

// The argument in a form that SplitCommandLine gives back unchanged.
core::u16 QuoteArgument(core::u16view argument);

// Reads the arguments after the program name. False with *error naming the
// offending argument when one is unknown, repeated or incomplete.
bool ParseOptions(const std::vector<core::u16>& arguments, Options* options, core::u16* error);

}  // namespace uninstall
