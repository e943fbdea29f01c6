#include "app/startup.h"

namespace app {

LanguageDialogKind LanguageDialogFor(std::uint32_t lcid) {
    if (lcid == kLcidChinesePrc) return LanguageDialogKind::Chinese;
    if (lcid == kLcidEnglishUs) return LanguageDialogKind::EnglishMode0;
    return LanguageDialogKind::EnglishMode1;
}

LanguageChoice LanguageFromIndex(int index) {
    switch (index) {
        case 0: return {kUiChinese, u"\\InstallConfig_cn.txt"};
        case 1: return {kUiEnglish, u"\\InstallConfig_en.txt"};
        default: return {kUiRussian, u"\\InstallConfig_rs.txt"};
    }
}

int StartupMessageLanguage(std::uint32_t lcid) {
    if (lcid == kLcidChinesePrc) return kUiChinese;
    if (lcid == kLcidRussian) return kUiRussian;
    return kUiEnglish;
}

int RunStartup(StartupHost& host) {
    if (host.TakeRunningMark() == RunningMark::HeldElsewhere) {
        const int language = StartupMessageLanguage(host.SystemDefaultLcid());
        host.ShowMessage(ui::GetMessageBox(ui::MessageId::kAlreadyRunning, language, ui::TextIni{}));
        return 0;
    }
    host.LoadPayload();
    const core::u16 folder = host.PersonalFolder();
    host.RemoveFile(folder + kStaleLogoName);
    host.ExtractStartupFiles();

    const LanguageDialogOutcome answer =
        host.RunLanguageDialog(LanguageDialogFor(host.SystemDefaultLcid()), folder);
    if (answer.result == DialogResult::Cancel) return 0;
    const int index = answer.result == DialogResult::Ok ? answer.index : kFallbackLanguageIndex;

    const LanguageChoice choice = LanguageFromIndex(index);
    host.SetUiLanguage(choice.uiLanguage);

    const core::u16 textFile = folder + choice.textFileName;
    if (host.LoadTexts(textFile)) host.RemoveFile(textFile);

    host.RunWizard();
    return 0;
}

}  // namespace app
