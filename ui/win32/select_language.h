// The language dialogs: CSelectLanguageCN (template 133) on Chinese systems,
// CSelectLanguageEn (template 136) elsewhere. Both relabel themselves in the
// language of the selected entry; what they show is decided by
// ui/language_labels.h, these classes only apply it.
#pragma once

#include "core/text.h"
#include "ui/language_labels.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/gdi.h"

class CSelectLanguageBase : public win::CDialog {
public:
    // The list index stored by OnOK; valid after DoModal returned IDOK.
    int m_nChosenIndex = 0;

protected:
    CSelectLanguageBase(UINT templateId, win::CWnd* parent, ui::LanguageDialogKind kind,
                        const core::u16& workingFolder);

    void DoDataExchange(win::CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnSelchangeLanguage();

    win::CComboBox m_listLanguage;
    win::CFont m_fontDialog;
    HFONT m_hInitialFont = nullptr;

    DECLARE_MESSAGE_MAP()

private:
    void Apply(const ui::langdlg::Actions& actions);
    HWND TargetWindow(ui::langdlg::Target target) const;

    ui::LanguageDialogKind m_kind;
    core::u16 m_workingFolder;
};

class CSelectLanguageCN : public CSelectLanguageBase {
public:
    CSelectLanguageCN(win::CWnd* parent, const core::u16& workingFolder)
        : CSelectLanguageBase(ui::langdlg::kChineseTemplate, parent, ui::LanguageDialogKind::Chinese,
                              workingFolder) {}
};

class CSelectLanguageEn : public CSelectLanguageBase {
public:
    // mode 0 on English (United States) systems, 1 elsewhere.
    CSelectLanguageEn(win::CWnd* parent, int mode, const core::u16& workingFolder)
        : CSelectLanguageBase(ui::langdlg::kEnglishTemplate, parent,
                              mode == 0 ? ui::LanguageDialogKind::EnglishMode0
                                        : ui::LanguageDialogKind::EnglishMode1,
                              workingFolder),
          m_nMode(mode) {}
    int m_nMode;
};
