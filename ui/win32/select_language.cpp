#include "ui/win32/select_language.h"

#include "os/win32/services.h"
#include "win/ddx.h"

using ui::langdlg::Action;
using ui::langdlg::ActionKind;
using ui::langdlg::Target;

BEGIN_MESSAGE_MAP(CSelectLanguageBase, win::CDialog)
    ON_CBN_SELCHANGE(ui::langdlg::kIdList, OnSelchangeLanguage)
END_MESSAGE_MAP()

CSelectLanguageBase::CSelectLanguageBase(UINT templateId, win::CWnd* parent, ui::LanguageDialogKind kind,
                                         const core::u16& workingFolder)
    : CDialog(templateId, parent), m_kind(kind), m_workingFolder(workingFolder) {}

void CSelectLanguageBase::DoDataExchange(win::CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    win::DDX_Control(dx, ui::langdlg::kIdList, m_listLanguage);
}

BOOL CSelectLanguageBase::OnInitDialog() {
    CDialog::OnInitDialog();  // binds the list and adds the template's initial entries
    m_hInitialFont = GetFont();
    const auto& f = ui::langdlg::kDialogFont;
    m_fontDialog.CreateFont(f.height, 0, 0, 0, f.weight, FALSE, FALSE, FALSE, static_cast<BYTE>(f.charset),
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                            reinterpret_cast<const wchar_t*>(f.face));
    const ui::langdlg::LabelSources sources{m_workingFolder, oswin::Files(), oswin::Profiles()};
    Apply(ui::langdlg::InitActions(m_kind, sources));
    return TRUE;
}

void CSelectLanguageBase::OnOK() {
    m_nChosenIndex = m_listLanguage.GetCurSel();
    CDialog::OnOK();
}

void CSelectLanguageBase::OnSelchangeLanguage() {
    const ui::langdlg::LabelSources sources{m_workingFolder, oswin::Files(), oswin::Profiles()};
    Apply(ui::langdlg::RelabelActions(ui::ClassOf(m_kind), m_listLanguage.GetCurSel(), sources));
}

HWND CSelectLanguageBase::TargetWindow(Target target) const {
    if (target == Target::Dialog || target == Target::Caption) return m_hWnd;
    return GetDlgItem(ui::langdlg::ControlId(target));
}

void CSelectLanguageBase::Apply(const ui::langdlg::Actions& actions) {
    for (const Action& action : actions) {
        HWND target = TargetWindow(action.target);
        switch (action.kind) {
        case ActionKind::SetFont: {
            HFONT font = action.font == ui::langdlg::Font::Initial ? m_hInitialFont : m_fontDialog.Get();
            ::SendMessageW(target, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
            break;
        }
        case ActionKind::SetText:
            ::SetWindowTextW(target, oswin::W(action.text));
            break;
        case ActionKind::AddItem:
            m_listLanguage.AddString(oswin::Wide(action.text));
            break;
        case ActionKind::Select:
            m_listLanguage.SetCurSel(action.index);
            break;
        }
    }
}
