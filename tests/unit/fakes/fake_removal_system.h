// In-memory spooler, registry, service manager and file system for the
// uninstaller's tests: one coherent system that removal changes, so a test
// can compare what is left with what was there before an installation.
//
// Names and paths compare without regard to ASCII case. Every removing call
// is written to a shared journal ("DeletePrinter P1", "DeleteFile C:\...")
// so tests can check the order. Failures are injected per object.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "os/file_removal.h"
#include "os/registry_admin.h"
#include "os/service_admin.h"
#include "os/spooler_admin.h"
#include "os/system.h"
#include "uninstall/removal_plan.h"

namespace fakes {

using Journal = std::vector<std::string>;

std::string Fold(const core::u16& text);  // ASCII-lower-cased UTF-8

class FakeSpoolerAdmin : public os::SpoolerAdmin {
public:
    explicit FakeSpoolerAdmin(Journal& journal) : journal_(journal) {}

    std::vector<os::InstalledPrinter> printers;
    std::map<core::u16, std::vector<os::InstalledDriver>> drivers;  // by environment
    std::vector<os::InstalledPort> ports;
    std::vector<os::InstalledMonitor> monitors;
    std::map<core::u16, core::u16> directories;  // environment ("" = default) -> directory

    bool flagsRefused = false;            // DeletePrinterDriverExW takes no flags (Wine): 87
    std::set<std::string> heldDrivers;    // folded names the spooler will not let go: 3001
    std::set<std::string> failPrinters;   // folded names whose deletion fails with 5
    bool listingFails = false;

    bool Printers(std::vector<os::InstalledPrinter>* out) override;
    bool Drivers(const core::u16& environment, std::vector<os::InstalledDriver>* out) override;
    bool Ports(std::vector<os::InstalledPort>* out) override;
    bool Monitors(std::vector<os::InstalledMonitor>* out) override;
    core::u16 DriverDirectory(const core::u16& environment) override;
    std::uint32_t DeletePrinter(const core::u16& name) override;
    std::uint32_t DeleteDriver(const core::u16& name, const core::u16& environment, std::uint32_t flags) override;
    std::uint32_t DeletePort(const core::u16& name) override;
    std::uint32_t DeleteMonitor(const core::u16& name, const core::u16& environment) override;

private:
    Journal& journal_;
};

class FakeRegistryAdmin : public os::RegistryAdmin {
public:
    explicit FakeRegistryAdmin(Journal& journal) : journal_(journal) {}

    void SetValue(os::RegistryView view, const core::u16& path, const core::u16& name, const core::u16& value);
    void AddKey(os::RegistryView view, const core::u16& path);
    // Every key path (view marked "64:" or "def:") with its values, sorted:
    // for comparing whole states.
    std::vector<std::string> Dump() const;
    std::set<std::string> failDelete;  // folded key paths whose deletion fails with 5

    bool KeyExists(os::RegistryView view, const core::u16& path) override;
    bool ReadString(os::RegistryView view, const core::u16& path, const core::u16& name, core::u16* value) override;
    std::uint32_t DeleteKeyTree(os::RegistryView view, const core::u16& path) override;
    std::uint32_t SetString(os::RegistryView view, const core::u16& path, const core::u16& name,
                            const core::u16& value) override;
    std::uint32_t DeleteValue(os::RegistryView view, const core::u16& path, const core::u16& name) override;

private:
    static std::string Id(os::RegistryView view, const core::u16& path);
    struct Key {
        std::map<std::string, std::pair<core::u16, core::u16>> values;  // folded name -> (name, value)
    };
    std::map<std::string, Key> keys_;
    Journal& journal_;
};

class FakeServiceAdmin : public os::ServiceAdmin {
public:
    explicit FakeServiceAdmin(Journal& journal) : journal_(journal) {}

    std::map<std::string, os::ServiceStatus> services;  // by folded name
    bool stopFails = false;     // the service does not stop in time: 1053
    bool queryFails = false;

    bool Query(const core::u16& name, os::ServiceStatus* status, std::uint32_t* error) override;
    std::uint32_t Stop(const core::u16& name, std::uint32_t timeoutMs) override;
    std::uint32_t Delete(const core::u16& name) override;
    std::uint32_t MoveProgram(const core::u16& name, const core::u16& imagePath, bool start) override;

private:
    Journal& journal_;
};

class FakeFileRemoval : public os::FileRemoval {
public:
    explicit FakeFileRemoval(Journal& journal) : journal_(journal) {}

    void AddFolder(const core::u16& path);  // and every missing folder above it
    void AddFile(const core::u16& path);    // and its folders
    void AddLink(const core::u16& path, bool toFolder);
    // Open without delete sharing: neither deleted nor renamed (32).
    void SetInUse(const core::u16& path) { inUse_.insert(Fold(path)); }
    // A library the system has loaded: not deleted (5), but renamed.
    void SetLoaded(const core::u16& path) { loaded_.insert(Fold(path)); }
    bool Has(const core::u16& path) const { return entries_.count(Fold(path)) != 0; }
    // Every path with its kind, sorted.
    std::vector<std::string> Dump() const;

    bool restartRefused = false;       // MoveFileEx fails with 5
    std::vector<core::u16> atRestart;  // scheduled, in order
    // What the system does when it starts: the scheduled paths go (folders
    // only when empty), and nothing is in use any more.
    void Restart();

    os::PathKind Kind(const core::u16& path) override;
    bool List(const core::u16& folder, std::vector<os::FolderEntry>* entries) override;
    std::uint32_t DeleteFile(const core::u16& path) override;
    std::uint32_t RemoveFolder(const core::u16& path) override;
    std::uint32_t RenameAside(const core::u16& path, core::u16* aside) override;
    std::uint32_t DeleteAtRestart(const core::u16& path) override;

private:
    struct Entry {
        core::u16 path;
        os::PathKind kind;
    };
    std::map<std::string, Entry> entries_;
    std::set<std::string> inUse_, loaded_;
    Journal& journal_;
};

// ToAnsi gives UTF-8 (the tests' "code page").
class FakeCodePage : public os::CodePage {
public:
    core::u16 ToWide(std::string_view ansi) override { return core::Utf8ToUtf16(ansi); }
    std::string ToAnsi(core::u16view wide, bool* lossless) override {
        if (lossless) *lossless = true;
        return core::Utf16ToUtf8(wide);
    }
};

struct FakeRemovalSystem {
    Journal journal;
    FakeSpoolerAdmin spooler{journal};
    FakeRegistryAdmin registry{journal};
    FakeServiceAdmin services{journal};
    FakeFileRemoval files{journal};
    uninstall::RemovalServices Services() { return {spooler, registry, services, files}; }
};

}  // namespace fakes
