// The payload container in both forms, with both extraction engines.
//
// The input is read as a resource-form container and, through its last 8
// bytes, as an executable with an appended container. Checked:
// - every file and folder written lies inside its destination folder:
//   start-up extraction into the working folder; deployment of both forms
//   into the install folder, with a single-byte and with a double-byte code
//   page; every member whose name passes the rules on characters (after the
//   double-byte conversion) extracted into an install folder;
// - deployment records only plain file names of the install folder;
// - the buffer reader and the file reader of the appended form find the same
//   layout and the same entries;
// - for each appended member the memory engine and the file engine give the
//   same result and the same bytes;
// - the engines return only the codes they document.
#include <cstddef>
#include <cstdint>
#include <limits>

#include "engine/deployment.h"
#include "engine_install_test_support.h"
#include "fakes/fake_code_page.h"
#include "fakes/fake_dbcs_code_page.h"
#include "fuzz/fuzz_support.h"
#include "payload/container.h"
#include "payload/extract.h"
#include "payload/member_name.h"
#include "payload/startup_files.h"

namespace {

using fuzzsupport::ContainedFileSystem;

std::int32_t Clamp(std::uint64_t value) {
    constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
    return static_cast<std::int32_t>(value < kMax ? value : kMax);
}

void CheckResult(int result) { FUZZ_CHECK(result == 0 || result == -1 || result == -3); }

// Creates the folder parts of `name` under the root, as deployment does.
void MakeFolders(ContainedFileSystem& fs, const core::u16& name) {
    for (std::size_t pos = name.find(u'\\'); pos != core::u16::npos; pos = name.find(u'\\', pos + 1)) {
        const core::u16 folder = fs.Root() + u"\\" + name.substr(0, pos);
        if (!fs.DirectoryExists(folder)) fs.MakeDirectory(folder);
    }
}

// Every member of the resource form whose name passes the rules on its
// characters after the double-byte conversion, into an install folder.
void ExtractJudgedOnCharacters(const std::uint8_t* data, std::size_t size) {
    fakes::FakeDbcsCodePage dbcs;
    ContainedFileSystem fs(u"C:\\Program Files\\Label");
    std::int32_t counter = 0;
    payload::EntryCursor cursor = payload::ResourceEntries(data, size);
    payload::EntryView entry;
    while (cursor.Next(&entry)) {
        FUZZ_CHECK(entry.data >= data && entry.compressedLength <= size &&
                   static_cast<std::size_t>(entry.data - data) <= size - entry.compressedLength);
        core::u16 wide;
        if (!payload::ToSafeMemberName(entry.name, dbcs, &wide)) continue;
        MakeFolders(fs, wide);
        const int before = counter;
        CheckResult(payload::ExtractFromMemory(entry.data, Clamp(entry.compressedLength), fs.Root() + u"\\" + wide,
                                               &counter, Clamp(size), fs, {}));
        FUZZ_CHECK(counter >= before);
    }
}

const core::u16 kInstallFolder = u"C:\\Program Files\\Labels\\Shop Printer";
const core::u16 kImagePath = u"C:\\Setup\\LabelPrinterSetup.exe";

// The engine's deployment of both forms, through every service as a fake and
// the file system that refuses writes outside the install folder.
void Deployment(const std::uint8_t* data, std::size_t size, os::CodePage& codePage) {
    ContainedFileSystem fs(kInstallFolder);
    fs.AddInput(kImagePath, data, size);
    fakes::FakeSpooler spooler;
    fakes::FakeRegistry registry;
    engine_test::StubProfileWriter profiles;
    engine_test::StubServiceManager serviceManager;
    engine_test::StubShell shell;
    fakes::FakeSystemInfo system;
    fakes::FakeLogSink log;
    engine::InstallServices services{fs, spooler, registry, profiles, serviceManager, shell, system, codePage, log};
    engine::InstallPlan plan;
    plan.installFolder = kInstallFolder;
    plan.imagePath = kImagePath;
    core::CopyTruncated(plan.model.CommandSet, size % 2 ? u"TSC" : u"ESC");
    for (const bool fromImage : {false, true}) {
        fakes::RecordingObserver observer;
        if (fromImage) {
            const int result = engine::DeployFromImageFile(plan, services, observer);
            FUZZ_CHECK(result == 0 || result == -2);
        } else {
            plan.payload = data;
            plan.payloadSize = size;
            FUZZ_CHECK(engine::DeployFromMemory(plan, services, observer) == 0);
        }
        for (const core::u16& name : observer.RecordedFiles()) {
            FUZZ_CHECK(name.find(u'\\') == core::u16::npos && name.find(u'/') == core::u16::npos);
            FUZZ_CHECK(fuzzsupport::ResolveUnder(kInstallFolder, kInstallFolder + u"\\" + name) ==
                       fuzzsupport::PathPlace::kInside);
        }
    }
}

void StartupExtraction(const std::uint8_t* data, std::size_t size) {
    fakes::FakeDbcsCodePage dbcs;
    ContainedFileSystem bytewise(u"C:\\Users\\me\\Documents");
    payload::ExtractStartupFiles(data, size, bytewise.Root(), bytewise, [](int) {});
    ContainedFileSystem onCharacters(u"C:\\Users\\me\\Documents");
    payload::ExtractStartupFiles(data, size, onCharacters.Root(), onCharacters, [](int) {}, dbcs);
    // Start-up names are ASCII: both judge them alike.
    FUZZ_CHECK(bytewise.FilesWritten().size() == onCharacters.FilesWritten().size());
    for (const auto& [name, digest] : bytewise.FilesWritten()) {
        const fuzzsupport::Digest* other = onCharacters.File(core::Utf8ToUtf16(name));
        FUZZ_CHECK(other && *other == digest);
    }
    FUZZ_CHECK(bytewise.FilesWritten().size() <= payload::kStartupNameCount);
}

void AppendedForm(const std::uint8_t* data, std::size_t size) {
    payload::AppendedLayout fromBuffer;
    const payload::AppendedStatus bufferStatus = payload::ParseAppendedLayout(data, size, &fromBuffer);
    fuzzsupport::MemoryInputFile file(data, size);
    payload::AppendedLayout fromFile;
    const payload::AppendedStatus fileStatus = payload::ReadAppendedLayout(file, &fromFile);
    FUZZ_CHECK(bufferStatus == fileStatus);
    if (bufferStatus != payload::AppendedStatus::kOk) return;
    FUZZ_CHECK(fromBuffer.count == fromFile.count && fromBuffer.firstEntry == fromFile.firstEntry &&
               fromBuffer.entriesEnd == fromFile.entriesEnd && fromBuffer.headerLength == fromFile.headerLength);
    FUZZ_CHECK(fromBuffer.firstEntry <= fromBuffer.entriesEnd && fromBuffer.entriesEnd + 8 == size);

    fakes::FakeDbcsCodePage dbcs;
    ContainedFileSystem memoryFs(u"C:\\Install");
    ContainedFileSystem fileFs(u"C:\\Install");
    std::int32_t memoryCounter = 0;
    std::int32_t fileCounter = 0;
    const std::int32_t total = Clamp(fromBuffer.ProgressTotal());
    payload::EntryCursor cursor = payload::AppendedEntries(data, fromBuffer);
    payload::EntryView view;
    std::uint64_t offset = fromFile.firstEntry;
    std::uint32_t read = 0;
    while (cursor.Next(&view)) {
        payload::AppendedEntry entry;
        FUZZ_CHECK(payload::ReadAppendedEntry(file, fromFile, offset, &entry) == payload::AppendedStatus::kOk);
        FUZZ_CHECK(entry.offset == view.offset);
        FUZZ_CHECK(entry.dataOffset == static_cast<std::uint64_t>(view.data - data));
        FUZZ_CHECK(entry.compressedLength == view.compressedLength);
        FUZZ_CHECK(entry.dataOffset + entry.compressedLength <= fromFile.entriesEnd);
        // The file reader keeps at most 256 bytes of a name.
        FUZZ_CHECK(entry.name == view.name.substr(0, payload::kMaxMemberNameLength + 1));
        ++read;

        core::u16 wide;
        if (payload::ToSafeMemberName(view.name, dbcs, &wide)) {
            FUZZ_CHECK(payload::ToSafeMemberName(entry.name, dbcs, nullptr));
            MakeFolders(memoryFs, wide);
            MakeFolders(fileFs, wide);
            const core::u16 memoryPath = memoryFs.Root() + u"\\" + wide;
            const int fromMemory = payload::ExtractFromMemory(view.data, Clamp(view.compressedLength), memoryPath,
                                                              &memoryCounter, total, memoryFs, {});
            FUZZ_CHECK(file.Seek(entry.dataOffset));
            const int fromImage = payload::ExtractFromImageFile(file, Clamp(entry.compressedLength), memoryPath,
                                                                &fileCounter, total, fileFs, {});
            CheckResult(fromMemory);
            FUZZ_CHECK(fromMemory == fromImage);
            FUZZ_CHECK(memoryCounter == fileCounter);
            const fuzzsupport::Digest* a = memoryFs.File(memoryPath);
            const fuzzsupport::Digest* b = fileFs.File(memoryPath);
            FUZZ_CHECK((a == nullptr) == (b == nullptr));
            if (a) FUZZ_CHECK(*a == *b);
        }
        offset = entry.next;
    }
    FUZZ_CHECK(read <= fromBuffer.count);
    if (read < fromBuffer.count) {
        // Where the buffer walk stopped early, the file reader finds no entry either.
        payload::AppendedEntry entry;
        FUZZ_CHECK(payload::ReadAppendedEntry(file, fromFile, offset, &entry) == payload::AppendedStatus::kDamaged);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    StartupExtraction(data, size);
    ExtractJudgedOnCharacters(data, size);
    fakes::FakeCodePage latin1;
    Deployment(data, size, latin1);
    fakes::FakeDbcsCodePage dbcs;
    Deployment(data, size, dbcs);
    AppendedForm(data, size);
    return 0;
}
