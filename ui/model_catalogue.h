// The printer model catalogue: "PrinterName.txt" read into the model table
// and the entries of the model box.
//
// The file is UTF-16 little-endian read as raw bytes (two bytes per unit, no
// line-end translation), so its byte-order mark arrives as U+FEFF at the
// start of the first line, before the "//" of the column comment. Rows are
// ten comma-separated fields; see ParsePrinterModels for the rules.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/text.h"
#include "os/files.h"
#include "ui/messages.h"
#include "core/printer_model.h"

namespace ui {

using core::kModelTableSize;
using core::ModelTable;
using core::PrinterModel;

// Capacities of the reader's working buffers, in UTF-16 units with the
// terminator: one line, one scanned field.
constexpr std::size_t kModelLineCapacity = 256;
constexpr std::size_t kModelFieldCapacity = 255;
// Rows go to records 1 .. kMaxModelRows.
constexpr int kMaxModelRows = kModelTableSize - 1;
// The list lies in a user-writable folder while the installer runs with
// administrator rights: no more than this is ever read from it.
constexpr std::size_t kModelFileReadLimit = 1024 * 1024;

// Parses the raw bytes of the model list. Every row fills the next record
// of `table` from record 1 and appends its first field, exactly as scanned
// (leading blanks and tabs included), to `boxEntries`, so that the n-th
// entry appended belongs to record n. Record 0 and records after the last
// row are not touched. Returns the number of rows taken.
//
// A line is the text up to and including its line feed (or up to the end
// of the data); one that does not fit the 255-unit line buffer with its
// line end is skipped whole. If the unit before the last is CR or LF the
// line is cut there. The line ends at a U+0000. Lines holding "//" anywhere
// and lines of nothing but white space are skipped. A row is scanned as ten
// runs of non-comma text separated by single commas; the scan stops at the
// first empty run, leaving that field and all later ones empty; a run is
// cut to 254 units. Leading U+0020 (not tabs) are removed from every field;
// texts are cut to their record field; numbers convert as ParseModelInteger.
// A U+FEFF at the very start of the data is dropped from a first line that
// is taken as a row. Rows after the 254th are ignored. An odd last byte is
// ignored.
int ParsePrinterModels(const std::uint8_t* bytes, std::size_t size, ModelTable& table,
                       std::vector<core::u16>& boxEntries);

// Signed decimal conversion of a field: leading white space (blank, tab,
// CR, LF, VT, FF) skipped, an optional sign, digits up to the first other
// character; no digits gives 0; out-of-range values saturate at the 32-bit
// limits.
std::int32_t ParseModelInteger(core::u16view text);

// The model box's first entry, which asks for a model.
core::u16 ModelPromptText(int uiLanguage, const TextIni& ini);

// What the model box and the printer-name box show.
struct ModelBoxState {
    std::vector<core::u16> entries;  // entry 0 is the prompt; entry i is record i
    int selected = -1;               // -1: nothing selected
    core::u16 printerName;           // text of the printer-name box
};

// "<folder>\PrinterName.txt".
core::u16 ModelListPath(const core::u16& workingFolder);

// Loads the catalogue for the dialog's initialisation: the box gets the
// prompt, then the rows of the list (read through fs with
// kModelFileReadLimit). With at least one model, entry 1 is selected and its
// text is the printer name; otherwise nothing is selected and the name is
// empty. A list that cannot be read leaves only the prompt. The selected
// model index of the run is not changed here.
void LoadPrinterModels(os::FileSystem& fs, const core::u16& workingFolder,
                       const core::u16& prompt, ModelTable& table, ModelBoxState& box);

// The model box's selection changed to `index` (-1 when none). An index of
// a model sets `selectedModel` and the printer name to the entry's text;
// the prompt, no selection or an index outside the box clears the printer
// name and leaves `selectedModel` as it was.
void OnModelSelected(ModelBoxState& box, int index, std::int32_t& selectedModel);

}  // namespace ui
