#include "ui/page_flow.h"

#include "engine/install_paths.h"
#include "engine/printer_name.h"

namespace ui {

namespace {

bool EndsWithBackslash(core::u16view s) { return !s.empty() && s.back() == u'\\'; }

core::u16 Cut(core::u16view s, std::size_t limit) { return core::u16(s.substr(0, limit)); }

// Resolves the chosen port; false stops Next (with `message` when one is due).
bool ResolvePort(WizardState& s, FlowContext& ctx, MessageId* message) {
    if (s.portPrefix == u"USB") {
        if (ctx.services.ScanConnectedPrinters() <= 0) {
            *message = MessageId::kUsbNotConnected;
            return false;
        }
        s.installPrinterName = Cut(s.printerNameText, kMaxPrinterName);
        // Only the first 31 models take part, as in USB detection.
        for (int r = 0; r < 32; ++r) {
            const PrinterModel& m = ctx.models[static_cast<std::size_t>(r)];
            if (core::FieldView(m.ModelName) != core::u16view(s.printerNameText)) continue;
            if (ctx.services.FindUsbPrinterPort(s.portPrefix, core::FieldView(m.VidPid),
                                                core::FieldView(m.HardwareId))) {
                s.selectedModel = r;
                return true;
            }
        }
        *message = MessageId::kUsbNoNewPrinter;
        return false;
    }
    if (core::Contains(s.portPrefix, u"COM")) {
        s.portPrefix += u':';
        ctx.services.SaveSerialSettings(s.portPrefix);
        return true;
    }
    if (core::Contains(s.portPrefix, u"TCP")) {
        if (!ctx.tcpPorts.empty()) {
            core::u16 name;
            if (!ctx.services.RunTcpPortDialog(&name)) return false;
            s.portPrefix = name;
            return !s.portPrefix.empty();
        }
        if (!ctx.spooler.AddPort(ctx.owner, kTcpMonitorName)) return false;
        s.portPrefix = FindNewTcpPort(ctx.spooler, ctx.tcpPorts);
        return !s.portPrefix.empty();
    }
    s.portPrefix += u':';
    return true;
}

// The name as the installation will use it: safe, and with room for the
// paths built from it (the unique name that PrepareInstallation will fix).
MessageId CheckPrinterNameAndPaths(const WizardState& s, FlowContext& ctx) {
    if (!engine::IsSafePrinterName(s.printerNameText)) return MessageId::kPrinterNameInvalid;
    const core::u16 name = engine::MakeUniquePrinterName(ctx.spooler, s.printerNameText, ctx.uiLanguage);
    if (!engine::InstallFolderHasRoom(s.folderText, name)) return MessageId::kFolderInvalid;
    core::u16 driverDirectory;
    std::uint32_t error = 0;
    // Without a driver directory the registration fails and says so in the log.
    if (ctx.spooler.PrinterDriverDirectory(&driverDirectory, &error) &&
        !engine::DriverFilesFit(driverDirectory, name))
        return MessageId::kPrinterNameInvalid;
    if (ctx.system != nullptr) {
        const core::u16 systemDirectory = ctx.system->SystemDirectory();
        if (!systemDirectory.empty() && !engine::MonitorFilesFit(systemDirectory, name))
            return MessageId::kPrinterNameInvalid;
    }
    return MessageId::kNone;
}

}  // namespace

core::u16 FinishLabel(int uiLanguage, const TextIni& ini) {
    if (uiLanguage == kUiChinese) return u"完成";
    if (uiLanguage == kUiRussian) return ini.Get(u"Finish", u"Finish");
    return u"Finish";
}

std::vector<UiStep> EnteringPageSteps(std::int32_t page, core::u16view portEntryText) {
    using S = UiStep;
    switch (page) {
    case PageFolder:
        return {S::kPanelShowFolderField, S::kShowBrowse, S::kShowBack};
    case PagePrinter:
        return {S::kPanelHideFolderField, S::kHideBrowse, S::kShowPrinterControls,
                SerialControlsEnabledFor(portEntryText) ? S::kEnableSerialControls
                                                        : S::kDisableSerialControls,
                S::kShowSerialControls};
    case PageInstalling:
        return {S::kHideSerialControls, S::kPanelHideFolderField, S::kHideBrowse,
                S::kShowProgress,       S::kUpdateProgress,       S::kDisableCancel,
                S::kDisableBack,        S::kDisableNext,          S::kUpdatePanel,
                S::kHidePrinterControls, S::kHideBaudControls,    S::kPrepareAndStartInstall};
    case PageFinished:
        return {S::kInvalidatePanel, S::kHideNext,     S::kHideBack,
                S::kSetCancelLabel,  S::kHideProgress, S::kEnableCancel};
    default:
        return {};
    }
}

FlowOutcome OnNext(WizardState& state, FlowContext& ctx) {
    FlowOutcome out;
    WizardState next = state;
    switch (state.page) {
    case PageWelcome:
    case PageInstalling:
        break;
    case PageFolder:
        if (next.folderText.empty()) {
            out.message = MessageId::kFolderEmpty;
            return out;
        }
        if (!CreateFolderPath(ctx.fs, next.folderText)) {
            out.message = MessageId::kFolderInvalid;
            return out;
        }
        next.chosenFolder = next.folderText;
        break;
    case PagePrinter:
        // The name box is filled only by a model choice; an index outside
        // the table would make the worker read past it.
        if (next.printerNameText.empty() || next.modelIndex < 1 ||
            next.modelIndex >= kModelTableSize) {
            out.message = MessageId::kNoModel;
            return out;
        }
        out.message = CheckPrinterNameAndPaths(next, ctx);
        if (out.message != MessageId::kNone) return out;
        next.portConfirmed = true;
        next.selectedModel = next.modelIndex;
        next.portPrefix = next.portEntryText;
        if (!ResolvePort(next, ctx, &out.message)) return out;
        break;
    default:
        return out;
    }
    next.page += 1;
    state = std::move(next);
    out.moved = true;
    out.steps = EnteringPageSteps(state.page, state.portEntryText);
    if (state.page == PageFinished) out.cancelLabel = FinishLabel(ctx.uiLanguage, ctx.ini);
    return out;
}

FlowOutcome OnBack(WizardState& state) {
    using S = UiStep;
    FlowOutcome out;
    if (state.page != PageFolder && state.page != PagePrinter) return out;
    state.page -= 1;
    out.moved = true;
    if (state.page == PageWelcome)
        out.steps = {S::kHidePrinterControls, S::kHideFolderField, S::kHideBrowse, S::kHideBack};
    else
        out.steps = {S::kHidePrinterControls, S::kHideSerialControls, S::kShowFolderField,
                     S::kShowBrowse};
    out.steps.push_back(S::kInvalidatePanel);
    return out;
}

void PrepareInstallation(WizardState& state, os::FileSystem& fs, os::Spooler& spooler,
                         int uiLanguage) {
    state.installPrinterName = engine::MakeUniquePrinterName(spooler, state.printerNameText, uiLanguage);
    state.printerBaseName = state.installPrinterName;
    state.driverName = Cut(state.installPrinterName + u" Driver", kMaxPrinterName);
    state.setAsDefault = state.defaultChecked;

    core::u16 folder = state.folderText;
    if (!EndsWithBackslash(folder)) folder += u'\\';
    folder += state.installPrinterName;
    CreateFolderPath(fs, folder);
    state.folderText = folder;

    state.infFolder = folder + (EndsWithBackslash(folder) ? u"Inf" : u"\\Inf");
    CreateFolderPath(fs, state.infFolder);
}

}  // namespace ui
