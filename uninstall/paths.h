// Name and path rules of the uninstaller.
//
// Everything the uninstaller removes is named by text it read from the
// registry or from "Uninstall.ini", which anyone with the right access could
// have changed. Before such text becomes part of a path or a key it must pass
// these checks: a name stays one component, and a path is a plain absolute
// local path that cannot climb out of the folder it is checked against.
// Comparisons ignore ASCII case, as the file system and the registry do for
// the names the installer writes.
#pragma once

#include "core/text.h"

namespace uninstall {

// A name that can stand as one file-name or registry key-name component: not
// empty, at most 200 units, no control character, none of \ / : * ? " < > |,
// not ending in a dot or a blank (Windows would drop them and so name another
// file), and not "." or "..".
bool IsPlainName(core::u16view name);

// A printer name as the spooler takes it for a local printer: not empty, at
// most 220 units, no backslash (which would name a printer on another
// computer), no comma and no control character.
bool IsLocalPrinterName(core::u16view name);

// Brings an absolute local path "X:\a\b" into the form used for comparing:
// drive letter upper-cased, no trailing backslash except on a drive root
// ("C:\"). False for anything else: relative or drive-relative paths, UNC and
// device paths ("\\server\...", "\\?\..."), forward slashes, empty components
// ("a\\b"), components that are not plain names (".", "..", "a:stream",
// wildcards), and paths longer than 259 units.
bool CanonicalPath(core::u16view path, core::u16* canonical);

// Both canonical and equal without regard to ASCII case.
bool SamePath(core::u16view a, core::u16view b);

// `path` lies strictly below `folder` (both must be canonical paths).
bool IsBelow(core::u16view path, core::u16view folder);

// The folder of a canonical path ("C:\a\b" -> "C:\a", "C:\a" -> "C:\");
// empty for a drive root.
core::u16 ParentFolder(core::u16view path);

// The last component of a canonical path; empty for a drive root.
core::u16 LastComponent(core::u16view path);

// "folder\name", without doubling the backslash of a drive root.
core::u16 JoinPath(core::u16view folder, core::u16view name);

// The program path of a service's command line: the text between the quotes
// when it starts with one, otherwise the whole text up to ".exe" (ASCII case
// ignored) included, or the whole text when it has no ".exe".
core::u16 ServiceProgramPath(core::u16view imagePath);

}  // namespace uninstall
