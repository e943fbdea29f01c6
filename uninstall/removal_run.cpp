#include "uninstall/removal_run.h"

#include "os/file_removal.h"
#include "os/service_admin.h"
#include "os/spooler_admin.h"

namespace uninstall {

namespace {

bool InUse(std::uint32_t code) {
    return code == os::kErrorAccessDenied || code == os::kErrorSharingViolation || code == os::kErrorUserMappedFile;
}

bool Gone(std::uint32_t code) { return code == os::kErrorFileNotFound || code == os::kErrorPathNotFound; }

const char* KindName(ItemKind kind) {
    switch (kind) {
        case ItemKind::kPrinter: return "PrinterName";
        case ItemKind::kDriver: return "DriverName";
        case ItemKind::kPort: return "PortName";
        case ItemKind::kMonitor: return "MonitorName";
        case ItemKind::kService: return "ServiceName";
        case ItemKind::kFile: return "FileName";
        case ItemKind::kFolder: return "Directory";
        case ItemKind::kRegistryKey: return "KeyName";
    }
    return "Item";
}

const char* ReasonName(KeepReason reason) {
    switch (reason) {
        case KeepReason::kOtherDriver: return "OtherDriver";
        case KeepReason::kUsedByPrinter: return "UsedByPrinter";
        case KeepReason::kNotNamedAsOurs: return "NotNamedAsInstalled";
        case KeepReason::kOutsideFolders: return "OutsideInstalledFolders";
        case KeepReason::kProtectedFolder: return "ProtectedFolder";
        case KeepReason::kOtherInstallation: return "OtherInstallation";
        case KeepReason::kServiceStaysHere: return "ServiceProgramOfOtherPrinters";
        case KeepReason::kUnavailable: return "Unavailable";
    }
    return "Unknown";
}

class Runner {
public:
    Runner(const RemovalPlan& plan, RemovalServices& services, RemovalLog& log)
        : plan_(plan), os_(services), log_(log) {}

    RemovalOutcome Run() {
        out_.steps.resize(plan_.steps.size());
        for (std::size_t i = 0; i < plan_.steps.size(); ++i)
            if (!plan_.steps[i].record) Carry(i);
        out_.restartNeeded = AnyWaiting();

        for (std::size_t i = 0; i < plan_.steps.size(); ++i) {
            if (!plan_.steps[i].record) continue;
            if (out_.restartNeeded) {
                out_.steps[i] = {StepResult::kKeptForRestart, 0};
                Log(plan_.steps[i], "**** KeptForRestart ", nullptr);
            } else {
                Carry(i);
            }
        }

        if (out_.restartNeeded) {
            const std::uint32_t code = os_.registry.SetString(os::RegistryView::kProcessDefault, kRunOnceKey,
                                                              kRunOnceValue, plan_.runOnceCommand);
            log_.Line("SetValue = %u ValueName=%s\r\n", static_cast<unsigned>(code), log_.Ansi(kRunOnceValue).c_str());
            out_.runOnceSet = code == 0;
            if (code != 0) out_.incomplete = true;
        }

        for (const auto& s : out_.steps)
            if (s.result == StepResult::kFailed || s.result == StepResult::kBlocked) out_.incomplete = true;
        if (!plan_.kept.empty()) out_.incomplete = true;
        out_.exitCode = out_.incomplete ? kExitNotRemoved : out_.restartNeeded ? kExitRestartRequired : kExitRemoved;
        out_.removeProgram = !out_.restartNeeded && !plan_.installFolder.empty();
        log_.Line("**** Uninstall Result=%d\r\n", out_.exitCode);
        return std::move(out_);
    }

private:
    bool AnyWaiting() const {
        for (const auto& s : out_.steps)
            if (s.result == StepResult::kAtRestart || s.result == StepResult::kAfterRestart) return true;
        return false;
    }

    void Log(const Step& step, const char* prefix, const StepOutcome* outcome) {
        const char* call = "";
        const char* field = "";
        switch (step.kind) {
            case StepKind::kDeletePrinter: call = "DeletePrinter"; field = "PrinterName"; break;
            case StepKind::kDeleteDriver: call = "DeletePrinterDriver"; field = "DriverName"; break;
            case StepKind::kDeletePort: call = "DeletePort"; field = "PortName"; break;
            case StepKind::kDeleteMonitor: call = "DeleteMonitor"; field = "MonitorName"; break;
            case StepKind::kDeleteService: call = "DeleteService"; field = "ServiceName"; break;
            case StepKind::kMoveService: call = "ChangeServiceConfig"; field = "ServiceName"; break;
            case StepKind::kDeleteFile: call = "DeleteFile"; field = "FileName"; break;
            case StepKind::kRemoveFolder: call = "RemoveDirectory"; field = "Directory"; break;
            case StepKind::kDeleteKey: call = "RegDeleteTree"; field = "KeyName"; break;
            case StepKind::kDeleteValue: call = "RegDeleteValue"; field = "ValueName"; break;
        }
        const std::string name = log_.Ansi(step.kind == StepKind::kDeleteValue ? step.detail : step.target);
        if (!outcome) {
            log_.Line("%s%s=%s\r\n", prefix, field, name.c_str());
            return;
        }
        const char* note = "";
        switch (outcome->result) {
            case StepResult::kAtRestart: note = " AtRestart"; break;
            case StepResult::kAfterRestart: note = " AfterRestart"; break;
            case StepResult::kBlocked: note = " NotTried"; break;
            default: break;
        }
        std::string extra;
        if (step.kind == StepKind::kMoveService) extra = " Program=" + log_.Ansi(step.detail);
        log_.Line("%s = %u %s=%s%s%s\r\n", call, static_cast<unsigned>(outcome->code), field, name.c_str(),
                  extra.c_str(), note);
    }

    void Carry(std::size_t index) {
        const Step& step = plan_.steps[index];
        StepOutcome& result = out_.steps[index];
        for (std::size_t before : step.after) {
            const StepOutcome& need = out_.steps[before];
            if (need.result == StepResult::kDone || need.result == StepResult::kAbsent) continue;
            const bool waits = need.result == StepResult::kAtRestart || need.result == StepResult::kAfterRestart;
            result = {waits ? StepResult::kAfterRestart : StepResult::kBlocked, need.code};
            Log(step, "", &result);
            return;
        }
        result = Do(step, index);
        Log(step, "", &result);
    }

    StepOutcome Do(const Step& step, std::size_t index) {
        switch (step.kind) {
            case StepKind::kDeletePrinter: {
                const std::uint32_t code = os_.spooler.DeletePrinter(step.target);
                if (code == 0) return {StepResult::kDone, 0};
                if (code == os::kErrorInvalidPrinterName || Gone(code)) return {StepResult::kAbsent, code};
                return {StepResult::kFailed, code};
            }
            case StepKind::kDeleteDriver: {
                std::uint32_t code = os_.spooler.DeleteDriver(step.target, step.detail, os::kDeleteUnusedFiles);
                // Spoolers that take no flags (Wine) delete the driver alone; its
                // files are steps of their own anyway.
                if (code == os::kErrorInvalidParameter) code = os_.spooler.DeleteDriver(step.target, step.detail, 0);
                if (code == 0) return {StepResult::kDone, 0};
                if (code == os::kErrorUnknownPrinterDriver) return {StepResult::kAbsent, code};
                if (code == os::kErrorPrinterDriverInUse) return {StepResult::kAfterRestart, code};
                return {StepResult::kFailed, code};
            }
            case StepKind::kDeletePort: {
                const std::uint32_t code = os_.spooler.DeletePort(step.target);
                if (code == 0) return {StepResult::kDone, 0};
                if (code == os::kErrorUnknownPort) return {StepResult::kAbsent, code};
                return {StepResult::kFailed, code};
            }
            case StepKind::kDeleteMonitor: {
                const std::uint32_t code = os_.spooler.DeleteMonitor(step.target, step.detail);
                if (code == 0) return {StepResult::kDone, 0};
                if (code == os::kErrorUnknownPrintMonitor) return {StepResult::kAbsent, code};
                if (code == os::kErrorPrintMonitorInUse) return {StepResult::kAfterRestart, code};
                return {StepResult::kFailed, code};
            }
            case StepKind::kDeleteService: {
                const std::uint32_t stop = os_.services.Stop(step.target, kServiceStopTimeoutMs);
                const std::uint32_t code = os_.services.Delete(step.target);
                if (code == os::kErrorServiceDoesNotExist) return {StepResult::kAbsent, code};
                if (code == os::kErrorServiceMarkedForDelete) return {StepResult::kAtRestart, code};
                if (code != 0) return {StepResult::kFailed, code};
                // Deleted, but a service that would not stop goes only when its
                // process ends: at the latest with the restart.
                if (stop != 0 && stop != os::kErrorServiceNotActive && stop != os::kErrorServiceDoesNotExist)
                    return {StepResult::kAtRestart, stop};
                return {StepResult::kDone, 0};
            }
            case StepKind::kMoveService: {
                os::ServiceStatus status;
                std::uint32_t code = 0;
                if (!os_.services.Query(step.target, &status, &code)) return {StepResult::kFailed, code};
                if (!status.exists) return {StepResult::kAbsent, os::kErrorServiceDoesNotExist};
                if (status.running) {
                    code = os_.services.Stop(step.target, kServiceStopTimeoutMs);
                    if (code != 0 && code != os::kErrorServiceNotActive) return {StepResult::kFailed, code};
                }
                code = os_.services.MoveProgram(step.target, step.detail, status.running);
                return {code == 0 ? StepResult::kDone : StepResult::kFailed, code};
            }
            case StepKind::kDeleteFile: {
                const std::uint32_t code = os_.files.DeleteFile(step.target);
                if (code == 0) return {StepResult::kDone, 0};
                if (Gone(code)) return {StepResult::kAbsent, code};
                if (InUse(code) && LeaveToRestart(step.target)) return {StepResult::kAtRestart, code};
                return {StepResult::kFailed, code};
            }
            case StepKind::kRemoveFolder: {
                const std::uint32_t code = os_.files.RemoveFolder(step.target);
                if (code == 0) return {StepResult::kDone, 0};
                if (Gone(code)) return {StepResult::kAbsent, code};
                // A folder whose files wait for the restart goes after them.
                if (code == os::kErrorDirNotEmpty && OnlyRestartLeftBelow(index) &&
                    os_.files.DeleteAtRestart(step.target) == 0)
                    return {StepResult::kAtRestart, code};
                return {StepResult::kFailed, code};
            }
            case StepKind::kDeleteKey: {
                const std::uint32_t code = os_.registry.DeleteKeyTree(step.view, step.target);
                if (code == 0) return {StepResult::kDone, 0};
                if (Gone(code)) return {StepResult::kAbsent, code};
                return {StepResult::kFailed, code};
            }
            case StepKind::kDeleteValue: {
                const std::uint32_t code = os_.registry.DeleteValue(step.view, step.target, step.detail);
                if (code == 0) return {StepResult::kDone, 0};
                if (Gone(code)) return {StepResult::kAbsent, code};
                return {StepResult::kFailed, code};
            }
        }
        return {StepResult::kFailed, 0};
    }

    // A file in use is renamed first where the system allows it, and the
    // renamed file is what the restart deletes: an installation made before
    // the restart writes the same names again, and its files must survive.
    bool LeaveToRestart(const core::u16& path) {
        core::u16 aside;
        if (os_.files.RenameAside(path, &aside) == 0) {
            log_.Line("MoveFile = 0 FileName=%s NewName=%s\r\n", log_.Ansi(path).c_str(), log_.Ansi(aside).c_str());
            return os_.files.DeleteAtRestart(aside) == 0;
        }
        return os_.files.DeleteAtRestart(path) == 0;
    }

    // The steps below the folder of step `index` that did not remove their
    // object all left it to the restart, and at least one did.
    bool OnlyRestartLeftBelow(std::size_t index) const {
        const core::u16& folder = plan_.steps[index].target;
        bool waiting = false;
        for (std::size_t i = 0; i < index; ++i) {
            const core::u16& path = plan_.steps[i].target;
            if (path.size() <= folder.size() + 1 || path[folder.size()] != u'\\' ||
                !core::EqualsNoCase(core::u16view(path).substr(0, folder.size()), folder))
                continue;
            const StepResult r = out_.steps[i].result;
            if (r == StepResult::kAtRestart) waiting = true;
            else if (r != StepResult::kDone && r != StepResult::kAbsent) return false;
        }
        return waiting;
    }

    const RemovalPlan& plan_;
    RemovalServices& os_;
    RemovalLog& log_;
    RemovalOutcome out_;
};

}  // namespace

RemovalOutcome ExecutePlan(const RemovalPlan& plan, RemovalServices& services, RemovalLog& log) {
    return Runner(plan, services, log).Run();
}

void LogPlan(const Installation& installation, const RemovalPlan& plan, RemovalLog& log) {
    log.Line("**** Uninstall PrinterName=%s Folder=%s\r\n", log.Ansi(installation.baseName).c_str(),
             log.Ansi(installation.installFolder).c_str());
    for (const auto& kept : plan.kept) {
        std::string detail;
        if (!kept.detail.empty()) detail = " With=" + log.Ansi(kept.detail);
        log.Line("**** Kept %s=%s Reason=%s%s\r\n", KindName(kept.kind), log.Ansi(kept.name).c_str(),
                 ReasonName(kept.reason), detail.c_str());
    }
    for (const auto& shared : plan.sharedKept)
        log.Line("**** Shared=%s\r\n", log.Ansi(shared).c_str());
    for (const auto& other : plan.otherPrinters)
        log.Line("**** OtherPrinter=%s\r\n", log.Ansi(other).c_str());
}

}  // namespace uninstall
