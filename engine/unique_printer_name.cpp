#include "engine/unique_printer_name.h"

#include <unordered_set>

namespace engine {

namespace {

constexpr int kChineseInterface = 1;

core::u16 Cut(core::u16view s, std::size_t limit) { return core::u16(s.substr(0, limit)); }

}  // namespace

core::u16 NumberedPrinterName(core::u16view wanted, int counter, int uiLanguage) {
    const core::u16 suffix =
        (uiLanguage == kChineseInterface ? core::u16(u" (副本 ") : core::u16(u" (copy ")) +
        core::DecimalU16(counter) + u")";
    const std::size_t room = kMaxPrinterName > suffix.size() ? kMaxPrinterName - suffix.size() : 0;
    return Cut(wanted, room) + suffix;
}

core::u16 MakeUniqueName(const std::vector<os::PrinterRecord>& printers, core::u16view wanted,
                         int uiLanguage) {
    std::unordered_set<core::u16> taken;
    for (const auto& p : printers) taken.insert(p.name);
    core::u16 result = Cut(wanted, kMaxPrinterName);
    // Every numbered form differs from the others, so at most printers.size()
    // candidates are taken.
    for (int counter = 1; taken.count(result) != 0; ++counter)
        result = NumberedPrinterName(wanted, counter, uiLanguage);
    return result;
}

core::u16 MakeUniquePrinterName(os::Spooler& spooler, core::u16view wanted, int uiLanguage) {
    std::vector<os::PrinterRecord> printers;
    if (!spooler.EnumerateLocalPrinters(&printers)) return Cut(wanted, kMaxPrinterName);
    return MakeUniqueName(printers, wanted, uiLanguage);
}

}  // namespace engine
