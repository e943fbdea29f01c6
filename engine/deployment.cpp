#include "engine/deployment.h"

#include <limits>
#include <memory>
#include <string>
#include <string_view>

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

// The member's name as a path relative to the install folder; false when
// the container's name rules refuse it and the member is skipped.
bool MemberRelativePath(std::string_view name, os::CodePage& codePage, core::u16* relative) {
    if (!payload::IsSafeMemberName(name)) return false;
    *relative = codePage.ToWide(name);
    return !relative->empty();
}

core::u16 Join(const core::u16& folder, core::u16view name) {
    core::u16 path = folder;
    path += u'\\';
    path += name;
    return path;
}

}  // namespace

int DeployFromMemory(const InstallPlan& plan, InstallServices& services, InstallObserver& observer) {
    const std::uint32_t count = payload::DeclaredMemberCount(plan.payload, plan.payloadSize);
    WriteInstallLog(services.log, "**** FileCount=%d\r\n", static_cast<int>(count));

    const std::int32_t total = ClampToInt32(plan.payloadSize);
    std::int32_t counter = 0;
    const payload::ProgressSink progress = [&observer](int position) { observer.SetProgress(position); };
    payload::EntryCursor cursor = payload::ResourceEntries(plan.payload, plan.payloadSize);
    payload::EntryView entry;
    for (std::uint32_t i = 0; i < count && cursor.Next(&entry); ++i) {
        core::u16 relative;
        if (MemberRelativePath(entry.name, services.codePage, &relative)) {
            core::u16 target = Join(plan.installFolder, relative);
            const std::size_t slash = target.rfind(u'\\');
            const core::u16 folderPart = target.substr(0, slash);
            const core::u16 filePart = target.substr(slash + 1);
            const core::u16view replacement = FindReplacement(kMemoryReplacements, filePart);
            const bool direct = !replacement.empty() || relative.find(u'\\') == core::u16::npos;
            if (!replacement.empty()) target = Join(plan.installFolder, replacement);
            if (target.size() <= kMaxTargetPath) {
                if (!services.fs.DirectoryExists(folderPart)) CreateFolderPath(services.fs, folderPart);
                if (direct) observer.RecordDeployedFile(target.substr(target.rfind(u'\\') + 1));
                payload::ExtractFromMemory(entry.data, ClampToInt32(entry.compressedLength), target, &counter,
                                           total, services.fs, progress);
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
    std::uint64_t offset = layout.firstEntry;
    for (std::uint32_t i = 0; i < layout.count; ++i) {
        payload::AppendedEntry entry;
        if (payload::ReadAppendedEntry(*file, layout, offset, &entry) != payload::AppendedStatus::kOk)
            return -2;
        offset = entry.next;

        core::u16 relative;
        if (!MemberRelativePath(entry.name, services.codePage, &relative)) continue;
        const core::u16view replacement = FindImageReplacement(commandSet, relative);
        const bool direct = !replacement.empty() || relative.find(u'\\') == core::u16::npos;
        const core::u16 target = Join(plan.installFolder, replacement.empty() ? core::u16view(relative) : replacement);
        if (target.size() > kMaxTargetPath) continue;

        observer.SetWaitText(target);
        if (direct) observer.RecordDeployedFile(target.substr(target.rfind(u'\\') + 1));
        // ReadAppendedEntry left the file on the member's data.
        payload::ExtractFromImageFile(*file, ClampToInt32(entry.compressedLength), target, &counter, total,
                                      services.fs, progress);
    }
    return 0;
}

}  // namespace engine
