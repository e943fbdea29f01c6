#include "uninstall/session.h"

#include "uninstall/uninstall_texts.h"

namespace uninstall {

namespace {

// Why nothing was found, for the log.
const char* LookupName(Lookup lookup) {
    switch (lookup) {
        case Lookup::kFound: return "NothingLeft";
        case Lookup::kNoSettings: return "NoSettings";
        case Lookup::kUnusableName: return "UnusableName";
        case Lookup::kFolderMismatch: return "FolderMismatch";
        case Lookup::kOtherInstallation: return "OtherInstallation";
    }
    return "Unknown";
}

}  // namespace

SessionResult RunSession(const Options& options, core::u16view uninstallerPath, const SystemFacts& facts,
                         bool chineseWithoutKey, RemovalServices& services, os::ProfileReader& profiles,
                         RemovalLog& log, UninstallUi& ui) {
    SessionResult result;
    Installation installation;
    const Lookup lookup = FindInstallation(profiles, services.registry, uninstallerPath, &installation);
    const bool chinese = installation.hasProductKey ? WantsChinese(installation) : chineseWithoutKey;
    const core::u16 caption = Caption(chinese);

    RemovalPlan plan;
    if (lookup == Lookup::kFound) plan = PlanRemoval(installation, facts, services);
    if (!plan.found) {
        log.Line("**** Uninstall NotFound=%s Folder=%s PrinterName=%s\r\n", LookupName(lookup),
                 log.Ansi(installation.installFolder).c_str(), log.Ansi(installation.baseName).c_str());
        if (!options.silent) ui.Tell(caption, MessageText(Message::kNotFound, chinese, installation.baseName), true);
        result.exitCode = kExitNotFound;
        return result;
    }

    const core::u16 printer = installation.hasProductKey && !installation.key.printerName.empty()
                                  ? installation.key.printerName
                                  : installation.baseName;
    if (!options.silent && !ui.Ask(caption, MessageText(Message::kConfirm, chinese, printer))) {
        result.exitCode = kExitCancelled;
        return result;
    }

    LogPlan(installation, plan, log);
    const RemovalOutcome outcome = ExecutePlan(plan, services, log);
    result.exitCode = outcome.exitCode;
    result.removeProgram = outcome.removeProgram;
    if (outcome.removeProgram) {
        result.installFolder = plan.installFolder;
        result.dataFolder = plan.dataFolder;
    }
    if (!options.silent) {
        const Message message = ResultMessage(outcome);
        ui.Tell(caption, MessageText(message, chinese, printer, NotRemovedList(plan, outcome, chinese)),
                message == Message::kNotRemoved);
    }
    return result;
}

}  // namespace uninstall
