// A machine for the uninstaller's tests: a system with some printers of its
// own, onto which Install() puts exactly what an installation of this
// product leaves behind.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "fakes/fake_log_sink.h"
#include "fakes/fake_profile.h"
#include "fakes/fake_removal_system.h"
#include "uninstall/installation.h"
#include "uninstall/paths.h"
#include "uninstall/removal_log.h"
#include "uninstall/removal_plan.h"

namespace uninstall_test {

inline const core::u16 kSystem = u"C:\\Windows\\system32";
inline const core::u16 kStartMenu = u"C:\\Users\\admin\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu";
inline const core::u16 kPrograms = kStartMenu + u"\\Programs";
inline const core::u16 kChosen = u"C:\\Program Files\\Labels";
inline const core::u16 kMonitor = u"Label Port Monitor";

class Machine {
public:
    explicit Machine(bool windows32) {
        facts.windows32 = windows32;
        const core::u16 drivers = kSystem + (windows32 ? u"\\spool\\drivers\\W32X86" : u"\\spool\\drivers\\x64");
        facts.driverDirectory = drivers;
        facts.driverStore = drivers;
        facts.systemDirectory = kSystem;
        facts.startMenuRoots = {kStartMenu};
        facts.protectedFolders = {u"C:\\Windows", kSystem, u"C:\\Program Files", u"C:\\Users\\admin",
                                  kStartMenu, kPrograms};
        sys.spooler.directories[u""] = drivers;
        sys.spooler.directories[Environment()] = drivers;

        // The machine's own things, which removal must leave as they are.
        for (const core::u16& f : {kSystem + u"\\localspl.dll", drivers + u"\\3\\generic.dll",
                                   kPrograms + u"\\Tools\\a.lnk", core::u16(u"C:\\Program Files\\Labels\\readme.txt")})
            sys.files.AddFile(f);
        sys.spooler.printers.push_back({u"Office", u"Generic Text", u"LPT1:"});
        sys.spooler.drivers[Environment()].push_back({u"Generic Text", Environment(), drivers + u"\\3\\generic.dll",
                                                      drivers + u"\\3\\generic.dll", drivers + u"\\3\\generic.dll",
                                                      u"", {}});
        sys.spooler.ports.push_back({u"LPT1:", u"Local Port"});
        sys.spooler.monitors.push_back({u"Local Port", uninstall::kEnvironmentX86, u"localspl.dll"});
        sys.registry.SetValue(os::RegistryView::k64Bit, u"SOFTWARE\\Other", u"Value", u"1");
        sys.registry.AddKey(os::RegistryView::kProcessDefault, uninstall::kRunOnceKey);
    }

    const char16_t* Environment() const {
        return facts.windows32 ? uninstall::kEnvironmentX86 : uninstall::kEnvironmentX64;
    }
    const core::u16& D() const { return facts.driverDirectory; }
    static core::u16 Folder(const core::u16& printer, const core::u16& chosen = kChosen) {
        return chosen + u"\\" + printer;
    }
    static core::u16 Program(const core::u16& printer, const core::u16& chosen = kChosen) {
        return Folder(printer, chosen) + u"\\Uninstaller.exe";
    }
    static core::u16 MenuFolder(const core::u16& printer) { return kPrograms + u"\\" + printer + u" Driver"; }
    static core::u16 Shortcut(const core::u16& printer) {
        return MenuFolder(printer) + u"\\Uninstall Printer Driver.lnk";
    }

    // What the installation of `printer` leaves: files, spooler objects,
    // the service (unless it exists), keys and "Uninstall.ini".
    void Install(const core::u16& printer, const core::u16& chosen = kChosen, const core::u16& language = u"English") {
        const core::u16 folder = Folder(printer, chosen);
        for (const char16_t* f : {u"Uninstaller.exe", u"Uninstall.ini", u"VorskPrinterService.exe"})
            sys.files.AddFile(folder + u"\\" + f);
        sys.files.AddFolder(folder + u"\\Inf");
        const core::u16 d = D();
        for (const auto& n : {printer + u"Drv.dll", printer + u"UI.dll", printer + u"GPC.pcd"}) {
            sys.files.AddFile(d + u"\\" + n);
            sys.files.AddFile(d + u"\\3\\" + n);
        }
        for (const char16_t* n : uninstall::kSupportFiles) sys.files.AddFile(d + u"\\3\\" + n);
        sys.files.AddFile(kSystem + u"\\" + printer + u"Mon.dll");
        sys.files.AddFile(kSystem + u"\\" + printer + u"MonUI.dll");
        sys.files.AddFile(Shortcut(printer));

        profiles.Set(folder + u"\\Uninstall.ini", u"Print Settings", u"PrinterName", printer);
        profiles.Set(folder + u"\\Uninstall.ini", u"Print Settings", u"ServiceName", uninstall::kServiceName);

        const core::u16 driver = printer + u" Driver";
        core::u16 port = u"USB001";
        if (facts.windows32) {
            port = printer + u"-Port:";
            const bool monitorThere = std::any_of(sys.spooler.monitors.begin(), sys.spooler.monitors.end(),
                                                  [](const os::InstalledMonitor& m) { return m.name == kMonitor; });
            if (!monitorThere)
                sys.spooler.monitors.push_back({kMonitor, uninstall::kEnvironmentX86,
                                                kSystem + u"\\" + printer + u"Mon.dll"});
            sys.spooler.ports.push_back({port, kMonitor});
        }
        sys.spooler.drivers[Environment()].push_back({driver, Environment(), d + u"\\3\\" + printer + u"Drv.dll",
                                                      d + u"\\3\\" + printer + u"GPC.pcd",
                                                      d + u"\\3\\" + printer + u"UI.dll", u"", {}});
        sys.spooler.printers.push_back({printer, driver, port});

        if (!sys.services.services.count(fakes::Fold(uninstall::kServiceName))) {
            os::ServiceStatus service;
            service.exists = true;
            service.running = true;
            service.imagePath = u"\"" + folder + u"\\VorskPrinterService.exe\"";
            sys.services.services[fakes::Fold(uninstall::kServiceName)] = service;
        }

        const core::u16 key = u"SOFTWARE\\" + printer;
        const std::pair<const char16_t*, core::u16> values[] = {
            {u"Data Directory", chosen},   {u"Program Directory", folder}, {u"Language", language},
            {u"PrinterName", printer},     {u"StartMenuDir", MenuFolder(printer)},
            {u"Uninstaller", Shortcut(printer)}, {u"PrinterDriver", driver}, {u"MonitorName", kMonitor},
            {u"PortName", port}};
        for (const auto& [name, value] : values) sys.registry.SetValue(os::RegistryView::k64Bit, key, name, value);
        const core::u16 entry = uninstall::UninstallEntryPath(printer);
        sys.registry.SetValue(os::RegistryView::kProcessDefault, entry, u"DisplayName", printer);
        sys.registry.SetValue(os::RegistryView::kProcessDefault, entry, u"InstallLocation", folder);
        sys.registry.SetValue(os::RegistryView::kProcessDefault, entry, u"UninstallString", folder + u"\\Uninstaller.exe");
    }

    // Everything the machine holds, for comparing states.
    std::vector<std::string> Snapshot() {
        std::vector<std::string> out;
        for (const auto& p : sys.spooler.printers)
            out.push_back("printer " + fakes::Fold(p.name) + " " + fakes::Fold(p.driver) + " " + fakes::Fold(p.port));
        for (const auto& [env, list] : sys.spooler.drivers)
            for (const auto& d : list) out.push_back("driver " + fakes::Fold(env) + " " + fakes::Fold(d.name));
        for (const auto& p : sys.spooler.ports) out.push_back("port " + fakes::Fold(p.name) + " " + fakes::Fold(p.monitor));
        for (const auto& m : sys.spooler.monitors) out.push_back("monitor " + fakes::Fold(m.name) + " " + fakes::Fold(m.dllName));
        for (const auto& [name, s] : sys.services.services)
            out.push_back("service " + name + " " + core::Utf16ToUtf8(s.imagePath) + (s.running ? " running" : ""));
        for (auto& r : sys.registry.Dump()) out.push_back("reg " + r);
        for (auto& f : sys.files.Dump()) out.push_back("file " + f);
        std::sort(out.begin(), out.end());
        return out;
    }

    uninstall::RemovalPlan Plan(const core::u16& printer, const core::u16& chosen = kChosen) {
        auto services = sys.Services();
        uninstall::Installation installation;
        lookup = uninstall::FindInstallation(profiles, sys.registry, Program(printer, chosen), &installation);
        if (lookup != uninstall::Lookup::kFound) return uninstall::RemovalPlan();
        return uninstall::PlanRemoval(installation, facts, services);
    }

    fakes::FakeRemovalSystem sys;
    fakes::FakeProfileReader profiles;
    fakes::FakeLogSink logs;
    fakes::FakeCodePage codePage;
    uninstall::SystemFacts facts;
    uninstall::Lookup lookup = uninstall::Lookup::kNoSettings;
};

// A plan as one line per step: "<kind> <target>[ <detail>][ after i,j][ record]".
inline std::vector<std::string> Lines(const uninstall::RemovalPlan& plan) {
    std::vector<std::string> out;
    for (const auto& s : plan.steps) {
        const char* kind = "";
        switch (s.kind) {
            case uninstall::StepKind::kDeletePrinter: kind = "printer"; break;
            case uninstall::StepKind::kDeleteDriver: kind = "driver"; break;
            case uninstall::StepKind::kDeletePort: kind = "port"; break;
            case uninstall::StepKind::kDeleteMonitor: kind = "monitor"; break;
            case uninstall::StepKind::kDeleteService: kind = "service"; break;
            case uninstall::StepKind::kMoveService: kind = "move-service"; break;
            case uninstall::StepKind::kDeleteFile: kind = "file"; break;
            case uninstall::StepKind::kRemoveFolder: kind = "folder"; break;
            case uninstall::StepKind::kDeleteKey: kind = "key"; break;
            case uninstall::StepKind::kDeleteValue: kind = "value"; break;
        }
        std::string line = std::string(kind) + " " + core::Utf16ToUtf8(s.target);
        if (!s.detail.empty()) line += " | " + core::Utf16ToUtf8(s.detail);
        if (!s.after.empty()) {
            line += " after";
            for (auto a : s.after) line += " " + std::to_string(a);
        }
        if (s.record) line += " record";
        out.push_back(line);
    }
    return out;
}

inline std::string U8(const core::u16& s) { return core::Utf16ToUtf8(s); }

}  // namespace uninstall_test
