#include "engine/deployment.h"

#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/folders.h"
#include "engine/install_log.h"
#include "payload/container.h"
#include "payload/extract.h"
#include "payload/member_name.h"

namespace engine {

namespace {

// DeployFromMemory, for every model.
constexpr ReplacementName kMemoryReplacements[] = {
    {u"OstrelPrinterRender.dll", u"rad80d.dll"},
    {u"OstrelPrinterRender.dll.x64", u"rad80d.dll.x64"},
    {u"OstrelPrinterUI.dll", u"newpos58f.dll"},
    {u"OstrelPrinterUI.dll.x64", u"newpos58f.dll.x64"},
};

// DeployFromImageFile, by the selected model's CommandSet (compared
// exactly); any other command set replaces no name.
struct CommandSetReplacements {
    const char16_t* commandSet;
    ReplacementName names[4];
};
constexpr CommandSetReplacements kImageReplacements[] = {
    {u"TSC",
     {{u"TSCD.dll", u"rad80d.dll"},
      {u"TSCD.dll.x64", u"rad80d.dll.x64"},
      {u"TSCPrinterUI.dll", u"newpos58f.dll"},
      {u"TSCPrinterUI.dll.x64", u"newpos58f.dll.x64"}}},
    {u"ESC",
     {{u"ESCD.dll", u"rad80d.dll"},
      {u"ESCD.dll.x64", u"rad80d.dll.x64"},
      {u"ESCPrinterUI.dll", u"newpos58f.dll"},
      {u"ESCPrinterUI.dll.x64", u"newpos58f.dll.x64"}}},
};

template <std::size_t N>
core::u16view FindReplacement(const ReplacementName (&table)[N], core::u16view name) {
    for (const auto& entry : table)
        if (core::EqualsNoCase(name, entry.member)) return entry.writtenAs;
    return {};
}

core::u16view FindImageReplacement(core::u16view commandSet, core::u16view name) {
    for (const auto& set : kImageReplacements)
        if (commandSet == set.commandSet) return FindReplacement(set.names, name);
    return {};
}

std::int32_t ClampToInt32(std::uint64_t value) {
    constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
    return static_cast<std::int32_t>(value < kMax ? value : kMax);
}

// The position after member i of M: (i + 1) * 100 / M, truncated.
int MemberPosition(std::uint32_t i, std::uint32_t count) {
    return static_cast<int>((static_cast<double>(i) + 1.0) * 100.0 / static_cast<double>(count));
}

core::u16 Join(const core::u16& folder, core::u16view name) {
    core::u16 path = folder;
    path += u'\\';
    path += name;
    return path;
}

// The file system as the extraction engines see it during deployment. The
// moment the engine has created the member's file in the install folder,
// before any byte is written, the file is reported as deployed: the
// wizard's clean-up then also removes a partly written one. A file that
// could not be created (locked by another program, read-only, a read-only
// folder) is not this run's and is never reported, so the clean-up leaves
// whatever was there before.
class DeployedFileWitness : public os::FileSystem {
public:
    DeployedFileWitness(os::FileSystem& fs, InstallObserver& observer) : fs_(fs), observer_(observer) {}

    // The next member's target and the name to report once it is created;
    // an empty name reports nothing (files below a folder part).
    void Expect(const core::u16& target, core::u16 reportedName) {
        target_ = target;
        reportedName_ = std::move(reportedName);
    }

    std::unique_ptr<os::OutputFile> CreateForWrite(const core::u16& path) override {
        std::unique_ptr<os::OutputFile> file = fs_.CreateForWrite(path);
        if (file && path == target_ && !reportedName_.empty()) observer_.RecordDeployedFile(reportedName_);
        return file;
    }
    std::unique_ptr<os::InputFile> OpenForRead(const core::u16& path) override { return fs_.OpenForRead(path); }
    bool ReadFile(const core::u16& path, std::size_t limit, std::vector<std::uint8_t>* contents) override {
        return fs_.ReadFile(path, limit, contents);
    }
    bool CopyFileReplacing(const core::u16& source, const core::u16& target) override {
        return fs_.CopyFileReplacing(source, target);
    }
    bool RemoveFile(const core::u16& path) override { return fs_.RemoveFile(path); }
    bool FileExists(const core::u16& path) override { return fs_.FileExists(path); }
    bool DirectoryExists(const core::u16& path) override { return fs_.DirectoryExists(path); }
    bool MakeDirectory(const core::u16& path) override { return fs_.MakeDirectory(path); }
    bool ListDirectory(const core::u16& path, std::vector<os::DirEntry>* entries) override {
        return fs_.ListDirectory(path, entries);
    }

private:
    os::FileSystem& fs_;
    InstallObserver& observer_;
    core::u16 target_;
    core::u16 reportedName_;
};

// The name a target directly in the install folder is reported under;
// empty for a file below a folder part.
core::u16 ReportedName(const core::u16& target, bool direct) {
    return direct ? target.substr(target.rfind(u'\\') + 1) : core::u16();
}

}  // namespace

int DeployFromMemory(const InstallPlan& plan, InstallServices& services, InstallObserver& observer) {
    const std::uint32_t count = payload::DeclaredMemberCount(plan.payload, plan.payloadSize);
    WriteInstallLog(services.log, "**** FileCount=%d\r\n", static_cast<int>(count));

    const std::int32_t total = ClampToInt32(plan.payloadSize);
    std::int32_t counter = 0;
    const payload::ProgressSink progress = [&observer](int position) { observer.SetProgress(position); };
    DeployedFileWitness witness(services.fs, observer);
    payload::EntryCursor cursor = payload::ResourceEntries(plan.payload, plan.payloadSize);
    payload::EntryView entry;
    for (std::uint32_t i = 0; i < count && cursor.Next(&entry); ++i) {
        core::u16 relative;
        if (payload::ToSafeMemberName(entry.name, services.codePage, &relative)) {
            core::u16 target = Join(plan.installFolder, relative);
            const std::size_t slash = target.rfind(u'\\');
            const core::u16 folderPart = target.substr(0, slash);
            const core::u16 filePart = target.substr(slash + 1);
            const core::u16view replacement = FindReplacement(kMemoryReplacements, filePart);
            const bool direct = !replacement.empty() || relative.find(u'\\') == core::u16::npos;
            if (!replacement.empty()) target = Join(plan.installFolder, replacement);
            if (target.size() <= kMaxTargetPath) {
                if (!services.fs.DirectoryExists(folderPart)) CreateFolderPath(services.fs, folderPart);
                witness.Expect(target, ReportedName(target, direct));
                payload::ExtractFromMemory(entry.data, ClampToInt32(entry.compressedLength), target, &counter,
                                           total, witness, progress);
                observer.SetWaitText(filePart);
            }
        }
        observer.SetProgress(MemberPosition(i, count));
    }

    WriteInstallLog(services.log, "**** Retrace Finish\r\n");
    return 0;
}

int DeployFromImageFile(const InstallPlan& plan, InstallServices& services, InstallObserver& observer) {
    const core::u16 imagePath = plan.imagePath.empty() ? services.system.ModulePath() : plan.imagePath;
    const std::unique_ptr<os::InputFile> file = services.fs.OpenForRead(imagePath);
    if (!file) return -1;
    std::uint64_t size = 0;
    if (!file->Size(&size)) return -1;

    payload::AppendedLayout layout;
    if (payload::ReadAppendedLayout(*file, &layout) != payload::AppendedStatus::kOk) return -2;

    const core::u16view commandSet = core::FieldView(plan.model.CommandSet);
    const std::int32_t total = ClampToInt32(layout.ProgressTotal());
    std::int32_t counter = 0;
    const payload::ProgressSink progress = [&observer](int position) { observer.SetProgress(position); };
    DeployedFileWitness witness(services.fs, observer);
    std::uint64_t offset = layout.firstEntry;
    for (std::uint32_t i = 0; i < layout.count; ++i) {
        payload::AppendedEntry entry;
        if (payload::ReadAppendedEntry(*file, layout, offset, &entry) != payload::AppendedStatus::kOk)
            return -2;
        offset = entry.next;

        core::u16 relative;
        if (!payload::ToSafeMemberName(entry.name, services.codePage, &relative)) continue;
        const core::u16view replacement = FindImageReplacement(commandSet, relative);
        const bool direct = !replacement.empty() || relative.find(u'\\') == core::u16::npos;
        const core::u16 target = Join(plan.installFolder, replacement.empty() ? core::u16view(relative) : replacement);
        if (target.size() > kMaxTargetPath) continue;

        observer.SetWaitText(target);
        witness.Expect(target, ReportedName(target, direct));
        // ReadAppendedEntry left the file on the member's data.
        payload::ExtractFromImageFile(*file, ClampToInt32(entry.compressedLength), target, &counter, total,
                                      witness, progress);
    }
    return 0;
}

}  // namespace engine
