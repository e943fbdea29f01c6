#include "uninstall/removal_plan.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "uninstall/paths.h"

namespace uninstall {

namespace {

constexpr char16_t kDriverSuffix[] = u" Driver";
constexpr char16_t kPortSuffix[] = u"-Port:";
constexpr std::size_t kMaxFolderDepth = 32;

core::u16view FileNameOf(core::u16view path) {
    const std::size_t cut = path.rfind(u'\\');
    return cut == core::u16view::npos ? path : path.substr(cut + 1);
}

bool NameIs(core::u16view path, core::u16view expected) { return core::EqualsNoCase(FileNameOf(path), expected); }

bool EndsWithNoCase(core::u16view text, core::u16view suffix) {
    return text.size() >= suffix.size() && core::EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

// A driver this product installed for the printer X: "<X> Driver" with
// "<X>Drv.dll", "<X>UI.dll" and "<X>GPC.pcd".
bool IsProductDriver(const os::InstalledDriver& driver, core::u16* printer) {
    const core::u16view name = driver.name;
    if (!EndsWithNoCase(name, kDriverSuffix)) return false;
    const core::u16 x(name.substr(0, name.size() - (std::size(kDriverSuffix) - 1)));
    if (!IsPlainName(x)) return false;
    if (!NameIs(driver.driverPath, x + u"Drv.dll") || !NameIs(driver.configFile, x + u"UI.dll") ||
        !NameIs(driver.dataFile, x + u"GPC.pcd"))
        return false;
    *printer = x;
    return true;
}

// A printer's port field lists one port or several, separated by commas.
bool UsesPort(const os::InstalledPrinter& printer, core::u16view port) {
    core::u16view rest = printer.port;
    while (true) {
        const std::size_t cut = rest.find(u',');
        core::u16view one = rest.substr(0, cut);
        while (!one.empty() && one.front() == u' ') one.remove_prefix(1);
        while (!one.empty() && one.back() == u' ') one.remove_suffix(1);
        if (core::EqualsNoCase(one, port)) return true;
        if (cut == core::u16view::npos) return false;
        rest.remove_prefix(cut + 1);
    }
}

// The monitor library a monitor names, when it is a "<X>Mon.dll" of this
// product in the system directory (a bare name is looked up there).
bool ProductMonitorLibrary(const os::InstalledMonitor& monitor, const core::u16& systemDirectory, core::u16* path,
                           core::u16* printer) {
    const core::u16view file = FileNameOf(monitor.dllName);
    if (!EndsWithNoCase(file, u"Mon.dll") || file.size() <= 7) return false;
    const core::u16 x(file.substr(0, file.size() - 7));
    if (!IsPlainName(core::u16(file)) || !IsPlainName(x)) return false;
    core::u16 full;
    if (file.size() == monitor.dllName.size()) {
        full = JoinPath(systemDirectory, file);
    } else if (!CanonicalPath(monitor.dllName, &full) || !SamePath(ParentFolder(full), systemDirectory)) {
        return false;
    }
    if (!CanonicalPath(full, path)) return false;
    *printer = x;
    return true;
}

class Planner {
public:
    Planner(const Installation& installation, const SystemFacts& facts, RemovalServices& services)
        : in_(installation), facts_(facts), os_(services) {}

    RemovalPlan Run() {
        base_ = in_.baseName;
        printerName_ = in_.hasProductKey && !in_.key.printerName.empty() ? in_.key.printerName : base_;
        driverName_ = base_ + kDriverSuffix;
        CanonicalPath(facts_.driverDirectory, &driverDir_);
        CanonicalPath(facts_.driverStore, &driverStore_);
        CanonicalPath(facts_.systemDirectory, &systemDir_);

        spoolerKnown_ = os_.spooler.Printers(&printers_);
        std::vector<os::InstalledDriver> list;
        for (const char16_t* environment : {kEnvironmentX86, kEnvironmentX64}) {
            if (!os_.spooler.Drivers(environment, &list)) {
                if (environment == DriverEnvironment(facts_)) spoolerKnown_ = false;
                continue;
            }
            for (auto& d : list) drivers_.push_back({std::move(d), environment});
        }

        PlanPrinter();
        PlanDriver();
        FindOtherPrinters();
        PlanDriverFiles();
        PlanPortAndMonitor();
        PlanSharedParts();
        PlanInstallFolder();
        PlanRecords();

        if (!evidence_) {
            // Nothing here was recorded as this installation's: not even the
            // folder is touched.
            RemovalPlan none;
            none.kept = std::move(plan_.kept);
            return none;
        }
        plan_.found = true;
        plan_.runOnceCommand = u"\"" + in_.uninstallerPath + u"\" /S";
        return std::move(plan_);
    }

private:
    struct Driver {
        os::InstalledDriver record;
        const char16_t* environment;
    };

    std::size_t Add(StepKind kind, core::u16 target, std::vector<std::size_t> after = {}, core::u16 detail = {}) {
        Step step{kind, std::move(target), std::move(detail), os::RegistryView::k64Bit, std::move(after), false};
        plan_.steps.push_back(std::move(step));
        return plan_.steps.size() - 1;
    }
    std::size_t AddEvidence(StepKind kind, core::u16 target, std::vector<std::size_t> after = {},
                            core::u16 detail = {}) {
        evidence_ = true;
        return Add(kind, std::move(target), std::move(after), std::move(detail));
    }
    std::size_t AddRecord(StepKind kind, core::u16 target, os::RegistryView view, std::vector<std::size_t> after = {},
                          core::u16 detail = {}) {
        const std::size_t i = Add(kind, std::move(target), std::move(after), std::move(detail));
        plan_.steps[i].view = view;
        plan_.steps[i].record = true;
        return i;
    }
    // Something found but left alone. Only the caller knows whether it shows
    // that the installation is still there.
    void Keep(ItemKind kind, core::u16 name, KeepReason reason, core::u16 detail = {}) {
        plan_.kept.push_back({kind, std::move(name), reason, std::move(detail)});
    }
    static std::vector<std::size_t> After(std::optional<std::size_t> step) {
        return step ? std::vector<std::size_t>{*step} : std::vector<std::size_t>{};
    }
    bool IsFile(const core::u16& path) { return os_.files.Kind(path) == os::PathKind::kFile; }
    bool Planned(const core::u16& path) const {
        return std::any_of(plan_.steps.begin(), plan_.steps.end(), [&](const Step& s) {
            return s.kind == StepKind::kDeleteFile && core::EqualsNoCase(s.target, path);
        });
    }
    // A printer other than the one being removed.
    bool IsOtherPrinter(const os::InstalledPrinter& p) const {
        return !(printerStep_ && core::EqualsNoCase(p.name, printerName_));
    }

    void PlanPrinter() {
        evidence_ = in_.hasProductKey;
        if (in_.hasProductKey && !in_.key.printerDriver.empty() &&
            !core::EqualsNoCase(in_.key.printerDriver, driverName_))
            Keep(ItemKind::kDriver, in_.key.printerDriver, KeepReason::kNotNamedAsOurs);
        if (!IsLocalPrinterName(printerName_)) {
            Keep(ItemKind::kPrinter, printerName_, KeepReason::kNotNamedAsOurs);
            return;
        }
        for (const auto& p : printers_) {
            if (!core::EqualsNoCase(p.name, printerName_)) continue;
            if (core::EqualsNoCase(p.driver, driverName_))
                printerStep_ = AddEvidence(StepKind::kDeletePrinter, p.name);
            else
                Keep(ItemKind::kPrinter, p.name, KeepReason::kOtherDriver, p.driver);
            return;
        }
    }

    void PlanDriver() {
        const char16_t* environment = DriverEnvironment(facts_);
        for (const auto& d : drivers_) {
            if (!core::EqualsNoCase(d.environment, environment) || !core::EqualsNoCase(d.record.name, driverName_))
                continue;
            ourDriver_ = &d.record;
            core::u16 x;
            if (!IsProductDriver(d.record, &x) || !core::EqualsNoCase(x, base_)) {
                Keep(ItemKind::kDriver, d.record.name, KeepReason::kNotNamedAsOurs);
                driverRemains_ = true;
                return;
            }
            for (const auto& p : printers_) {
                if (IsOtherPrinter(p) && core::EqualsNoCase(p.driver, driverName_)) {
                    evidence_ = true;
                    Keep(ItemKind::kDriver, d.record.name, KeepReason::kUsedByPrinter, p.name);
                    driverRemains_ = true;
                    return;
                }
            }
            driverStep_ = AddEvidence(StepKind::kDeleteDriver, d.record.name, After(printerStep_), environment);
            return;
        }
    }

    void FindOtherPrinters() {
        for (const auto& d : drivers_) {
            core::u16 x;
            if (!IsProductDriver(d.record, &x) || core::EqualsNoCase(x, base_)) continue;
            const bool listed = std::any_of(plan_.otherPrinters.begin(), plan_.otherPrinters.end(),
                                            [&](const core::u16& o) { return core::EqualsNoCase(o, x); });
            if (!listed) plan_.otherPrinters.push_back(x);
        }
        sharedNeeded_ = !plan_.otherPrinters.empty() || driverRemains_ || !spoolerKnown_;
    }

    // A file some other installed driver names.
    bool UsedByOtherDriver(const core::u16& path) const {
        for (const auto& d : drivers_) {
            if (&d.record == ourDriver_) continue;
            std::vector<core::u16> files = {d.record.driverPath, d.record.dataFile, d.record.configFile,
                                            d.record.helpFile};
            files.insert(files.end(), d.record.dependentFiles.begin(), d.record.dependentFiles.end());
            for (const auto& f : files)
                if (SamePath(f, path)) return true;
        }
        return false;
    }

    void PlanDriverFiles() {
        if (driverRemains_ || !spoolerKnown_) return;
        const std::vector<core::u16> names = {base_ + u"Drv.dll", base_ + u"UI.dll", base_ + u"GPC.pcd"};
        const auto after = After(driverStep_);

        // The copies the spooler keeps for the driver: what the driver names,
        // and what it would name, in the store's "3" folder.
        std::vector<core::u16> kept;
        if (!driverStore_.empty()) {
            const core::u16 store3 = JoinPath(driverStore_, u"3");
            if (ourDriver_) {
                std::vector<core::u16> named = {ourDriver_->driverPath, ourDriver_->dataFile, ourDriver_->configFile,
                                                ourDriver_->helpFile};
                named.insert(named.end(), ourDriver_->dependentFiles.begin(), ourDriver_->dependentFiles.end());
                for (const auto& f : named) {
                    core::u16 path;
                    if (f.empty()) continue;
                    const bool inStore = CanonicalPath(f, &path) && (SamePath(ParentFolder(path), store3) ||
                                                                     SamePath(ParentFolder(path), driverStore_));
                    const bool ours = std::any_of(names.begin(), names.end(),
                                                  [&](const core::u16& n) { return NameIs(path, n); });
                    if (!inStore || !ours) {
                        Keep(ItemKind::kFile, f, KeepReason::kOutsideFolders);
                        continue;
                    }
                    kept.push_back(path);
                }
            }
            for (const auto& n : names) kept.push_back(JoinPath(store3, n));
        }
        for (const auto& path : kept)
            if (!Planned(path) && IsFile(path) && !UsedByOtherDriver(path))
                AddEvidence(StepKind::kDeleteFile, path, after);

        // The installer's own copies in the driver directory.
        if (driverDir_.empty()) return;
        for (const auto& n : names) {
            const core::u16 path = JoinPath(driverDir_, n);
            if (!Planned(path) && IsFile(path) && !UsedByOtherDriver(path))
                AddEvidence(StepKind::kDeleteFile, path, after);
        }
    }

    void PlanPortAndMonitor() {
        std::optional<std::size_t> monitorStep;
        core::u16 monitorLibrary;  // the library a monitor that stays still runs
        core::u16 monitorOwner;    // the printer its library is named after

        if (facts_.windows32) {
            std::vector<os::InstalledPort> ports;
            std::vector<os::InstalledMonitor> monitors;
            const bool portsKnown = os_.spooler.Ports(&ports);
            const bool monitorsKnown = os_.spooler.Monitors(&monitors);
            const core::u16 ourPort = printerName_ + kPortSuffix;
            const core::u16 basePort = base_ + kPortSuffix;

            std::optional<std::size_t> portStep;
            bool portRemains = !portsKnown;
            core::u16 monitorName = in_.key.monitorName;
            for (const auto& port : ports) {
                if (!core::EqualsNoCase(port.name, ourPort) && !core::EqualsNoCase(port.name, basePort)) continue;
                if (!port.monitor.empty()) monitorName = port.monitor;
                const auto user = std::find_if(printers_.begin(), printers_.end(), [&](const os::InstalledPrinter& p) {
                    return IsOtherPrinter(p) && UsesPort(p, port.name);
                });
                if (user != printers_.end()) {
                    evidence_ = true;
                    Keep(ItemKind::kPort, port.name, KeepReason::kUsedByPrinter, user->name);
                    portRemains = true;
                } else {
                    portStep = AddEvidence(StepKind::kDeletePort, port.name, After(printerStep_));
                }
                break;
            }

            const auto monitor = std::find_if(monitors.begin(), monitors.end(), [&](const os::InstalledMonitor& m) {
                return !monitorName.empty() && core::EqualsNoCase(m.name, monitorName);
            });
            if (monitor != monitors.end()) {
                core::u16 library, owner;
                const bool otherPorts = std::any_of(ports.begin(), ports.end(), [&](const os::InstalledPort& p) {
                    return core::EqualsNoCase(p.monitor, monitor->name) &&
                           !(portStep && core::EqualsNoCase(p.name, plan_.steps[*portStep].target));
                });
                if (!ProductMonitorLibrary(*monitor, systemDir_, &library, &owner)) {
                    Keep(ItemKind::kMonitor, monitor->name, KeepReason::kNotNamedAsOurs, monitor->dllName);
                } else if (otherPorts || portRemains || !portsKnown) {
                    monitorLibrary = library;  // the monitor stays for the other printers' ports
                    monitorOwner = owner;
                } else {
                    monitorStep = AddEvidence(StepKind::kDeleteMonitor, monitor->name, After(portStep),
                                              monitor->environment.empty() ? core::u16(kEnvironmentX86)
                                                                           : monitor->environment);
                    // A monitor added by an earlier installation of this product
                    // runs that printer's library: it goes with the monitor.
                    if (!core::EqualsNoCase(owner, base_)) {
                        for (const core::u16& path :
                             {library, JoinPath(systemDir_, owner + u"MonUI.dll")})
                            if (IsFile(path)) AddEvidence(StepKind::kDeleteFile, path, After(monitorStep));
                    }
                }
            } else if (!monitorsKnown) {
                monitorLibrary = JoinPath(systemDir_, base_ + u"Mon.dll");  // cannot tell: keep ours
                monitorOwner = base_;
            }
        }

        if (systemDir_.empty()) return;
        const bool monitorKeepsOurs = !monitorLibrary.empty() && core::EqualsNoCase(monitorOwner, base_);
        for (const core::u16& name : {base_ + u"Mon.dll", base_ + u"MonUI.dll"}) {
            const core::u16 path = JoinPath(systemDir_, name);
            if (!IsFile(path) || Planned(path)) continue;
            if (monitorKeepsOurs) {
                // The monitor of the remaining printers' ports runs it.
                plan_.sharedKept.push_back(path);
                evidence_ = true;
                continue;
            }
            AddEvidence(StepKind::kDeleteFile, path, After(monitorStep));
        }
    }

    void PlanSharedParts() {
        if (!driverDir_.empty()) {
            const core::u16 folder = JoinPath(driverDir_, u"3");
            for (const char16_t* name : kSupportFiles) {
                const core::u16 path = JoinPath(folder, name);
                if (!IsFile(path)) continue;
                if (sharedNeeded_ || UsedByOtherDriver(path))
                    plan_.sharedKept.push_back(path);
                else
                    AddEvidence(StepKind::kDeleteFile, path, After(driverStep_));
            }
        }

        os::ServiceStatus status;
        std::uint32_t error = 0;
        if (!os_.services.Query(kServiceName, &status, &error)) {
            Keep(ItemKind::kService, kServiceName, KeepReason::kUnavailable);
            return;
        }
        if (!status.exists) return;
        core::u16 program;
        const bool named = CanonicalPath(ServiceProgramPath(status.imagePath), &program) &&
                           NameIs(program, kServiceProgram);
        const bool programHere = named && SamePath(ParentFolder(program), in_.installFolder);
        if (!sharedNeeded_) {
            if (named)
                serviceStep_ = AddEvidence(StepKind::kDeleteService, kServiceName);
            else
                Keep(ItemKind::kService, kServiceName, KeepReason::kNotNamedAsOurs, status.imagePath);
            return;
        }
        plan_.sharedKept.push_back(kServiceName);
        if (!programHere) return;  // it stays, and runs a program elsewhere
        for (const auto& other : plan_.otherPrinters) {
            core::u16 folderText, folder;
            if (!os_.registry.ReadString(os::RegistryView::k64Bit, ProductKeyPath(other), u"Program Directory",
                                         &folderText) ||
                !CanonicalPath(folderText, &folder) || SamePath(folder, in_.installFolder))
                continue;
            const core::u16 candidate = JoinPath(folder, kServiceProgram);
            if (!IsFile(candidate)) continue;
            serviceStep_ = AddEvidence(StepKind::kMoveService, kServiceName, {}, u"\"" + candidate + u"\"");
            return;
        }
        keptProgram_ = program;
        Keep(ItemKind::kFile, program, KeepReason::kServiceStaysHere);
    }

    void PlanInstallFolder() {
        const core::u16& folder = in_.installFolder;
        if (IsProtectedFolder(folder, facts_.protectedFolders)) {
            Keep(ItemKind::kFolder, folder, KeepReason::kProtectedFolder);
            return;
        }
        if (os_.files.Kind(folder) != os::PathKind::kFolder) return;
        PlanFolderContents(folder, 0);
        if (keptProgram_.empty()) plan_.installFolder = folder;

        core::u16 data;
        if (in_.hasProductKey && CanonicalPath(in_.key.dataDirectory, &data) && SamePath(data, ParentFolder(folder)) &&
            !IsProtectedFolder(data, facts_.protectedFolders))
            plan_.dataFolder = data;
    }

    // Every file and folder below `folder`, deepest first; links are removed
    // themselves, never entered. The running program and "Uninstall.ini" are
    // left to the end.
    void PlanFolderContents(const core::u16& folder, std::size_t depth) {
        std::vector<os::FolderEntry> entries;
        if (depth > kMaxFolderDepth || !os_.files.List(folder, &entries)) return;
        for (const auto& entry : entries) {
            const core::u16 path = JoinPath(folder, entry.name);
            switch (entry.kind) {
                case os::PathKind::kFolder:
                    PlanFolderContents(path, depth + 1);
                    Add(StepKind::kRemoveFolder, path);
                    break;
                case os::PathKind::kFolderLink:
                    Add(StepKind::kRemoveFolder, path);
                    break;
                case os::PathKind::kFile:
                case os::PathKind::kFileLink:
                    if (depth == 0 && (SamePath(path, in_.uninstallerPath) ||
                                       core::EqualsNoCase(entry.name, kSettingsFile)))
                        break;
                    if (!keptProgram_.empty() && SamePath(path, keptProgram_)) break;
                    Add(StepKind::kDeleteFile, path,
                        serviceStep_ && NameIs(path, kServiceProgram) && depth == 0 ? After(serviceStep_)
                                                                                     : std::vector<std::size_t>{});
                    break;
                case os::PathKind::kMissing:
                    break;
            }
        }
    }

    bool BelowStartMenu(const core::u16& path) const {
        return std::any_of(facts_.startMenuRoots.begin(), facts_.startMenuRoots.end(), [&](const core::u16& root) {
            core::u16 r;
            return CanonicalPath(root, &r) && IsBelow(path, r);
        });
    }

    void PlanRecords() {
        // "Uninstall.ini" is always there beside the program: it shows nothing.
        const core::u16 settings = JoinPath(in_.installFolder, kSettingsFile);
        if (!plan_.installFolder.empty() && IsFile(settings))
            AddRecord(StepKind::kDeleteFile, settings, os::RegistryView::k64Bit);

        if (in_.hasProductKey) {
            evidence_ = true;
            AddRecord(StepKind::kDeleteKey, ProductKeyPath(base_), os::RegistryView::k64Bit);

            std::optional<std::size_t> shortcutStep;
            const core::u16& link = in_.key.shortcut;
            core::u16 linkPath;
            if (!link.empty()) {
                if (CanonicalPath(link, &linkPath) && EndsWithNoCase(linkPath, u".lnk") && BelowStartMenu(linkPath)) {
                    if (IsFile(linkPath))
                        shortcutStep = AddRecord(StepKind::kDeleteFile, linkPath, os::RegistryView::k64Bit);
                } else {
                    Keep(ItemKind::kFile, link, KeepReason::kOutsideFolders);
                }
            }
            const core::u16& menu = in_.key.startMenuDir;
            core::u16 menuPath;
            if (!menu.empty()) {
                if (CanonicalPath(menu, &menuPath) && BelowStartMenu(menuPath) &&
                    !IsProtectedFolder(menuPath, facts_.protectedFolders)) {
                    if (os_.files.Kind(menuPath) == os::PathKind::kFolder)
                        AddRecord(StepKind::kRemoveFolder, menuPath, os::RegistryView::k64Bit, After(shortcutStep));
                } else {
                    Keep(ItemKind::kFolder, menu, KeepReason::kOutsideFolders);
                }
            }
        }

        const core::u16 entry = UninstallEntryPath(base_);
        if (os_.registry.KeyExists(os::RegistryView::kProcessDefault, entry)) {
            core::u16 location, command;
            os_.registry.ReadString(os::RegistryView::kProcessDefault, entry, u"InstallLocation", &location);
            os_.registry.ReadString(os::RegistryView::kProcessDefault, entry, u"UninstallString", &command);
            if (SamePath(location, in_.installFolder) || SamePath(ServiceProgramPath(command), in_.uninstallerPath)) {
                evidence_ = true;
                AddRecord(StepKind::kDeleteKey, entry, os::RegistryView::kProcessDefault);
            }
            else
                Keep(ItemKind::kRegistryKey, entry, KeepReason::kOtherInstallation, location);
        }

        core::u16 pending;
        if (os_.registry.ReadString(os::RegistryView::kProcessDefault, kRunOnceKey, kRunOnceValue, &pending) &&
            SamePath(ServiceProgramPath(pending), in_.uninstallerPath)) {
            evidence_ = true;
            AddRecord(StepKind::kDeleteValue, kRunOnceKey, os::RegistryView::kProcessDefault, {}, kRunOnceValue);
        }
    }

    const Installation& in_;
    const SystemFacts& facts_;
    RemovalServices& os_;
    RemovalPlan plan_;

    core::u16 base_, printerName_, driverName_, driverDir_, driverStore_, systemDir_;
    std::vector<os::InstalledPrinter> printers_;
    std::vector<Driver> drivers_;
    const os::InstalledDriver* ourDriver_ = nullptr;
    bool spoolerKnown_ = true;
    bool driverRemains_ = false;
    bool sharedNeeded_ = false;
    bool evidence_ = false;
    core::u16 keptProgram_;
    std::optional<std::size_t> printerStep_, driverStep_, serviceStep_;
};

}  // namespace

bool IsProtectedFolder(core::u16view folder, const std::vector<core::u16>& protectedFolders) {
    core::u16 path;
    if (!CanonicalPath(folder, &path) || path.size() <= 3) return true;
    return std::any_of(protectedFolders.begin(), protectedFolders.end(), [&](const core::u16& p) {
        core::u16 guarded;
        return CanonicalPath(p, &guarded) && (core::EqualsNoCase(guarded, path) || IsBelow(guarded, path));
    });
}

RemovalPlan PlanRemoval(const Installation& installation, const SystemFacts& facts, RemovalServices& services) {
    return Planner(installation, facts, services).Run();
}

}  // namespace uninstall
