#include "engine/gpc_file.h"

#include <cstring>
#include <memory>

#include "engine/printer_name.h"
#include "engine/spooler_registration.h"

namespace engine {

namespace {

// Little-endian stores into the file image.
void PutU16(std::uint8_t* p, std::uint32_t value) {
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
}

void PutU32(std::uint8_t* p, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Header offsets.
constexpr std::size_t kDataSizeAt = 10;
constexpr std::size_t kDeviceNameAt = 12;
constexpr std::size_t kDeviceNameSize = 32;
constexpr std::size_t kPenResolutionAt = 72;     // x, y: 32 bits each
constexpr std::size_t kRasterResolutionAt = 80;  // x, y: 16 bits each
constexpr std::size_t kColorInfoAt = 104;
constexpr std::size_t kFormCountAt = 240;
constexpr std::size_t kFormListOffsetAt = 244;
constexpr std::size_t kThirdCountAt = 248;
constexpr std::size_t kThirdListOffsetAt = 252;

constexpr std::size_t kThirdListAt = kGpcHeaderSize;
constexpr std::size_t kFormsAt = kGpcHeaderSize + 4;
constexpr std::size_t kFormNameSize = 32;

constexpr char kDeviceName[] = "TQ8851 Printer Driver";

// The fixed fields of the header, in file order.
struct U16Field {
    std::size_t offset;
    std::uint16_t value;
};
struct U32Field {
    std::size_t offset;
    std::uint32_t value;
};
constexpr U32Field kHeaderU32[] = {
    {4, 0x0000010A},           // version
    {44, 215900},              // device width, 1/1000 mm
    {48, 5000000},             // device length, 1/1000 mm
    {52, 0}, {56, 0}, {60, 0}, {64, 0},  // device margins
    {68, 1},                   // flags
    {96, 0xFFFFFFFF},          // paper tray size: -1, -1
    {100, 0xFFFFFFFF},
    {224, 0},                  // device pels per inch
    {228, 0xFFFFFFFF},         // halftone pattern size
    {232 + 4, 0},              // initialisation string: none
};
constexpr U16Field kHeaderU16[] = {
    {8, 256},   // size of the header
    {84, 0},    // ROP level
    {86, 100},  // maximum scale, percent
    {88, 8},    // maximum pens
    {90, 9999}, // maximum copies
    {92, 128},  // maximum polygon points
    {94, 4},    // maximum quality
    {232, 0},   // initialisation string: none
    {234, 0},
    {242, 56},  // form list: size of one record
    {250, 2},   // third list: size of one entry
};

// COLORINFO: chromaticities (x, y, luminance) of red, green, blue, cyan,
// magenta, yellow and alignment white; red, green and blue gammas; the dye
// values magenta in cyan, yellow in cyan, cyan in magenta, yellow in
// magenta, cyan in yellow, magenta in yellow.
constexpr std::int32_t kColorInfo[30] = {
    6810, 3050, 0,     2260, 6550, 0,     1810, 500, 0,  2000, 2450, 0,
    5210, 2100, 0,     4750, 5100, 0,     3324, 3474, 10000,
    10000, 10000, 10000,
    1422, 952, 787, 495, 324, 248,
};

struct FormSize {
    const char* name;
    std::int32_t width;   // 0.1 mm
    std::int32_t height;  // 0.1 mm
};
// Records 1 to 11; record 0 is the model's own "Custom" size.
constexpr FormSize kFixedForms[kGpcFormCount - 1] = {
    {"ZTXD(94mm x 187mm)", 940, 1870},
    {"KJKD(100mm x 180mm)", 1000, 1800},
    {"YTSD(100mm x 180mm)", 1000, 1800},
    {"BSHT(100mm x 180mm)", 1000, 1800},
    {"YTSD(100mm x 180mm)", 1000, 1800},
    {"SFSY(100mm x 150mm)", 1000, 1500},
    {"SFSY(100mm x 150mm)", 1000, 1500},
    {"EMS(105mm x 149mm)", 1050, 1490},
    {"CNYT(100mm x 180mm)", 1000, 1800},
    {"BZBQ(100mm x 50mm)", 1000, 500},
    {"SMALL LABEL(50mm x 20mm)", 500, 200},
};

// Tenths of a millimetre to thousandths, as 32-bit arithmetic wraps.
std::uint32_t ThousandthsOfMm(std::int32_t tenths) { return static_cast<std::uint32_t>(tenths) * 100u; }

void PutForm(std::uint8_t* record, const char* name, std::int32_t width, std::int32_t height) {
    std::memset(record, 0, kGpcFormRecordSize);
    // At most 31 bytes of the name, so that it stays terminated.
    std::size_t length = std::strlen(name);
    if (length > kFormNameSize - 1) length = kFormNameSize - 1;
    std::memcpy(record, name, length);
    PutU32(record + 32, ThousandthsOfMm(width));
    PutU32(record + 36, ThousandthsOfMm(height));
    // Margins at 40 .. 55 stay 0.
}

}  // namespace

std::vector<std::uint8_t> BuildGpcFile(const core::PrinterModel& model) {
    std::vector<std::uint8_t> file(kGpcFileSize, 0);
    std::uint8_t* header = file.data();

    std::memcpy(header, "Plot", 4);
    for (const auto& field : kHeaderU32) PutU32(header + field.offset, field.value);
    for (const auto& field : kHeaderU16) PutU16(header + field.offset, field.value);
    std::memcpy(header + kDeviceNameAt, kDeviceName, sizeof kDeviceName);  // NUL-padded to 32
    static_assert(sizeof kDeviceName <= kDeviceNameSize, "device name field");
    for (std::size_t i = 0; i < 30; ++i)
        PutU32(header + kColorInfoAt + 4 * i, static_cast<std::uint32_t>(kColorInfo[i]));

    // The fields set on writing.
    PutU16(header + kDataSizeAt, static_cast<std::uint32_t>(kGpcFileSize - kGpcHeaderSize));  // 676
    const auto dpi = static_cast<std::uint32_t>(model.Dpi);
    PutU32(header + kPenResolutionAt, dpi);
    PutU32(header + kPenResolutionAt + 4, dpi);
    PutU16(header + kRasterResolutionAt, dpi & 0xFFFF);
    PutU16(header + kRasterResolutionAt + 2, dpi & 0xFFFF);
    PutU16(header + kFormCountAt, kGpcFormCount);
    PutU32(header + kFormListOffsetAt, kFormsAt);
    PutU16(header + kThirdCountAt, 2);
    PutU32(header + kThirdListOffsetAt, kThirdListAt);

    // The third list: two 16-bit entries, 0 and 1.
    PutU16(header + kThirdListAt, 0);
    PutU16(header + kThirdListAt + 2, 1);

    std::uint8_t* forms = header + kFormsAt;
    PutForm(forms, "Custom", model.PaperWidth, model.PaperHeight);
    for (std::size_t i = 0; i < kGpcFormCount - 1; ++i)
        PutForm(forms + (i + 1) * kGpcFormRecordSize, kFixedForms[i].name, kFixedForms[i].width,
                kFixedForms[i].height);
    return file;
}

core::u16 GpcFilePath(const core::u16& driverDirectory, const core::u16& printerName) {
    return driverDirectory + u"\\" + printerName + u"GPC.pcd";
}

int InstallDriverAndPrinterWith(const InstallPlan& plan, InstallServices& services, InstallObserver& observer,
                                const PrinterRegistration& registration, InstallResult* result) {
    InstallResult unused;
    if (!result) result = &unused;
    if (!IsSafePrinterName(plan.installPrinterName)) return 0;

    core::u16 driverDirectory;
    std::uint32_t error = 0;
    if (!services.spooler.PrinterDriverDirectory(&driverDirectory, &error)) return 0;

    if (const std::unique_ptr<os::OutputFile> out =
            services.fs.CreateForWrite(GpcFilePath(driverDirectory, plan.installPrinterName))) {
        const std::vector<std::uint8_t> bytes = BuildGpcFile(plan.model);
        out->Write(bytes.data(), bytes.size());
    }

    result->driverName = (plan.installPrinterName + u" Driver").substr(0, kMaxInstallPrinterName);
    const int registered = registration ? registration(plan, services, observer, result) : 0;
    if (registered && plan.setAsDefault)
        services.spooler.SetDefaultPrinter(result->addedPrinterName.empty() ? plan.installPrinterName
                                                                            : result->addedPrinterName);
    return registered;
}

int InstallDriverAndPrinter(const InstallPlan& plan, InstallServices& services, InstallObserver& observer,
                            bool use64BitRegistration, InstallResult* result) {
    return InstallDriverAndPrinterWith(plan, services, observer,
                                       use64BitRegistration ? RegisterPrinterX64 : RegisterPrinterX86, result);
}

bool UseX64Registration(os::SystemInfo& system) {
    if (kNativeBuildIs64Bit) return true;
    return system.IsRunningOnWow64();
}

}  // namespace engine
