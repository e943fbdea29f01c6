// The GPC data file and the printer data values over extreme model rows.
//
// The input is one model record (every text field filled with anything up
// to its capacity, every number any 32-bit value) and an interface
// language. Checked: the file is always 932 bytes; its device name and
// every form name are NUL-terminated inside their 32 bytes; the "Custom"
// form carries the model's width and height in 1/1000 mm, modulo 2^32, and
// the resolution fields the model's Dpi; the registration step writes the
// file under "<driver directory>\<printer>GPC.pcd" or not at all. The
// printer data values, when there are any, are the five of the table in
// order, each fitting its type: strings are whole UTF-16 units ending in a
// NUL (the VidPid and the "%d %d %d %d" form read back), the width a 4-byte
// number, "Language" 4 bytes of a language identifier.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "engine/gpc_file.h"
#include "engine/spooler_registration.h"
#include "engine_install_test_support.h"
#include "fuzz/fuzz_support.h"

namespace {

using core::u16;

template <std::size_t N>
void FillText(FuzzedDataProvider& in, char16_t (&field)[N]) {
    const std::size_t length = in.ConsumeIntegralInRange<std::size_t>(0, N);
    for (std::size_t i = 0; i < length; ++i) field[i] = in.ConsumeIntegral<char16_t>();
    // Sometimes a field that fills its whole array without a terminator.
    if (length < N) field[length] = 0;
}

std::uint32_t U32At(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
                                      static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

void CheckTerminated(const std::vector<std::uint8_t>& bytes, std::size_t at, std::size_t size) {
    FUZZ_CHECK(std::memchr(bytes.data() + at, 0, size) != nullptr);
}

u16 StringValue(const engine::PrinterDataValue& v) {
    FUZZ_CHECK(v.type == 1);  // REG_SZ
    FUZZ_CHECK(v.bytes.size() >= 2 && v.bytes.size() % 2 == 0);
    u16 text;
    for (std::size_t i = 0; i + 1 < v.bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>(v.bytes[i] | v.bytes[i + 1] << 8));
    FUZZ_CHECK(text.back() == 0);
    text.pop_back();
    FUZZ_CHECK(text.find(u'\0') == u16::npos);
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    core::PrinterModel model;
    model.HasCutter = in.ConsumeIntegral<std::int32_t>();
    model.Dpi = in.ConsumeIntegral<std::int32_t>();
    model.PaperWidth = in.ConsumeIntegral<std::int32_t>();
    model.PaperHeight = in.ConsumeIntegral<std::int32_t>();
    model.HeadWidthDots = in.ConsumeIntegral<std::int32_t>();
    const int uiLanguage = in.ConsumeIntegralInRange(-1, 3);
    FillText(in, model.ModelName);
    FillText(in, model.CommandSet);
    FillText(in, model.GpdFile);
    FillText(in, model.VidPid);
    FillText(in, model.HardwareId);

    const std::vector<std::uint8_t> file = engine::BuildGpcFile(model);
    FUZZ_CHECK(file.size() == engine::kGpcFileSize && file.size() == 932);
    FUZZ_CHECK(std::memcmp(file.data(), "Plot", 4) == 0);
    CheckTerminated(file, 12, 32);  // device name
    const auto dpi = static_cast<std::uint32_t>(model.Dpi);
    FUZZ_CHECK(U32At(file, 72) == dpi && U32At(file, 76) == dpi);
    FUZZ_CHECK((U32At(file, 80) & 0xFFFF) == (dpi & 0xFFFF));
    for (std::size_t form = 0; form < engine::kGpcFormCount; ++form)
        CheckTerminated(file, engine::kGpcHeaderSize + 4 + form * engine::kGpcFormRecordSize, 32);
    const std::size_t custom = engine::kGpcHeaderSize + 4;
    FUZZ_CHECK(std::memcmp(file.data() + custom, "Custom", 7) == 0);
    FUZZ_CHECK(U32At(file, custom + 32) == static_cast<std::uint32_t>(model.PaperWidth) * 100u);
    FUZZ_CHECK(U32At(file, custom + 36) == static_cast<std::uint32_t>(model.PaperHeight) * 100u);

    // The registration step: the file under its path, or nothing.
    {
        engine_test::Bench<> bench;
        bench.plan.model = model;
        bench.plan.uiLanguage = uiLanguage;
        u16 printer;
        const std::size_t length = in.ConsumeIntegralInRange<std::size_t>(0, 300);
        for (std::size_t i = 0; i < length && in.remaining_bytes() > 0; ++i)
            printer.push_back(in.ConsumeBool() ? u'n' : in.ConsumeIntegral<char16_t>());
        bench.plan.installPrinterName = printer;
        engine::InstallResult result;
        const auto registration = [](const engine::InstallPlan&, engine::InstallServices&, engine::InstallObserver&,
                                     engine::InstallResult*) { return 1; };
        const int registered =
            engine::InstallDriverAndPrinterWith(bench.plan, bench.services, bench.observer, registration, &result);
        const std::vector<core::u16> files = bench.fs.Files();
        if (registered) {
            FUZZ_CHECK(result.driverName.size() <= 255);
            const u16 path = engine::GpcFilePath(bench.spooler.driverDirectory, printer);
            if (bench.fs.HasFile(path)) {
                FUZZ_CHECK(bench.fs.Contents(path) == file);
                FUZZ_CHECK(files.size() == 1);
            } else {
                FUZZ_CHECK(files.empty());  // a path the fake could not create
            }
        } else {
            FUZZ_CHECK(files.empty());
        }
    }

    const std::vector<engine::PrinterDataValue> values = engine::PrinterDataValues(model, uiLanguage);
    if (!values.empty()) {
        FUZZ_CHECK(values.size() == 5);
        FUZZ_CHECK(values[0].name == u"DevicePath" && StringValue(values[0]).empty());
        FUZZ_CHECK(values[1].name == u"VidAndPid" && StringValue(values[1]) == core::FieldView(model.VidPid));
        FUZZ_CHECK(values[2].name == u"PrintWidth" && values[2].type == 4 && values[2].bytes.size() == 4 &&
                   U32At(values[2].bytes, 0) == static_cast<std::uint32_t>(model.HeadWidthDots));
        FUZZ_CHECK(values[3].name == u"UserForm");
        const u16 form = StringValue(values[3]);
        FUZZ_CHECK(form == core::DecimalU16(model.PaperWidth) + u" " + core::DecimalU16(model.PaperHeight) + u" 0 0");
        FUZZ_CHECK(values[4].name == u"Language" && values[4].type == 1 && values[4].bytes.size() == 4);
        FUZZ_CHECK(U32At(values[4].bytes, 0) == (uiLanguage == 0 ? 0x0409u : 0x0804u));
    }
    return 0;
}
