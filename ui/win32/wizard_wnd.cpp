#include "ui/win32/wizard_wnd.h"

#include "os/win32/services.h"
#include "ui/install_folder_cleanup.h"
#include "ui/panel_layout.h"
#include "ui/panel_texts.h"
#include "ui/win32/run_values.h"
#include "win/app.h"
#include "win/gdi.h"
#include "win/handles.h"

namespace {

constexpr int kWelcomeBitmap = 131;
// A logo is a small header picture; a larger file is not loaded at all.
constexpr ULONGLONG kMaxLogoBytes = 4u << 20;

RECT ToRect(const ui::Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

core::u16 U(const std::wstring& s) { return oswin::U16(s); }

win::UniqueBitmap LoadLogo(const core::u16& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(oswin::W(path), GetFileExInfoStandard, &data)) return {};
    const ULONGLONG size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || size > kMaxLogoBytes) return {};
    return win::UniqueBitmap(static_cast<HBITMAP>(::LoadImageW(
        nullptr, oswin::W(path), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE | LR_CREATEDIBSECTION)));
}

}  // namespace

BEGIN_MESSAGE_MAP(CWizardWnd, win::CWnd)
    ON_WM_PAINT(OnPaint)
    ON_WM_DESTROY(OnDestroy)
END_MESSAGE_MAP()

CWizardWnd::CWizardWnd() : m_strWaitText(reinterpret_cast<const wchar_t*>(ui::kInitialWaitText)) {}

int CWizardWnd::Create(win::CWnd* dialog, int uiLanguage) {
    const RECT client = dialog->GetClientRect();
    const wchar_t* cls = RegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                          static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)), nullptr);
    const RECT rect{0, 0, client.right - client.left - 2, client.bottom - client.top - 50};
    if (!CreateEx(0, cls, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, rect, dialog->m_hWnd, 0))
        return 0;
    m_nUiLanguage = uiLanguage;
    m_bChinese = uiLanguage == 1 ? 1 : 0;

    m_editFolder.Create(ToRect(ui::kFolderFieldRect), this);
    const core::u16 programFiles = oswin::ShellFolders().ExpandEnvironment(u"%ProgramFiles%\\", 512);
    const core::u16view product = core::FieldView(run::InstallTexts.ProductTitle);
    core::u16 folder = programFiles + (product.empty() ? core::u16(u"USB Printer") : core::u16(product));
    if (folder.size() > 511) folder.resize(511);
    m_editFolder.SetText(oswin::Wide(folder));

    m_chkRestart.Create(std::wstring(reinterpret_cast<const wchar_t*>(ui::RestartBoxCaption(m_bChinese != 0).data()),
                                     ui::RestartBoxCaption(m_bChinese != 0).size()),
                        ToRect(ui::kRestartBoxRect), this);
    const core::u16view wait = ui::DefaultWaitText(m_bChinese != 0);
    m_strWaitText.assign(reinterpret_cast<const wchar_t*>(wait.data()), wait.size());
    return 1;
}

void CWizardWnd::ShowFolderField(int show) {
    m_editFolder.ShowWindow(show ? SW_SHOW : SW_HIDE);
    Invalidate(FALSE);
    UpdateWindow();
}

void CWizardWnd::SetWaitText(const std::wstring& text) {
    m_strWaitText = text;
    if (!m_hWnd) return;
    Invalidate(FALSE);
    UpdateWindow();
}

void CWizardWnd::RecordDeployedFile(const std::wstring& name) { m_deployedFiles.push_back(name); }

void CWizardWnd::OnPaint() {
    win::PaintDc dc(m_hWnd);
    const RECT client = GetClientRect();
    const int language = m_nUiLanguage;
    const core::u16 folder = oswin::ShellFolders().PersonalFolder();

    struct PanelFonts {
        win::CFont fonts[3];
        HFONT Get(ui::PanelFont f) const { return fonts[static_cast<int>(f)].Get(); }
    } panelFonts;
    for (ui::PanelFont f : {ui::PanelFont::Heading, ui::PanelFont::Body, ui::PanelFont::Title}) {
        const ui::PanelFontParams p = ui::PanelFontFor(f, language);
        panelFonts.fonts[static_cast<int>(f)].CreateFont(p.height, 0, 0, 0, p.weight, FALSE, FALSE, FALSE,
                                                        static_cast<BYTE>(p.charset), 0, 0, 0, 0,
                                                        reinterpret_cast<const wchar_t*>(p.face));
    }

    ui::PanelPaintInput input;
    input.page = m_nPage.load();
    input.uiLanguage = language;
    input.chinese = m_bChinese != 0;
    input.width = client.right;
    input.height = client.bottom;
    const auto& t = run::InstallTexts;
    input.texts = {core::FieldView(t.WelcomeText), core::FieldView(t.FolderText), core::FieldView(t.InstallingText),
                   core::FieldView(t.SuccessText), core::FieldView(t.CancelledText), core::FieldView(t.FailedText)};
    input.waitText = U(m_strWaitText);
    input.textIniPath = ui::WorkingFilePath(folder, ui::kTextIniFileName);

    win::UniqueBitmap logo;
    BITMAP logoInfo{};
    if (input.page != ui::PageWelcome) {
        logo = LoadLogo(ui::WorkingFilePath(folder, ui::kLogoFileName));
        if (logo && ::GetObjectW(logo.Get(), sizeof(logoInfo), &logoInfo)) {
            input.hasLogo = true;
            input.logoSize = {logoInfo.bmWidth, logoInfo.bmHeight < 0 ? -logoInfo.bmHeight : logoInfo.bmHeight};
        }
    }

    const auto measure = [&](ui::PanelFont font, core::u16view text) {
        win::SelectGuard select(dc, panelFonts.Get(font));
        SIZE extent{};
        ::GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(text.data()), static_cast<int>(text.size()),
                                &extent);
        return ui::Size{extent.cx, extent.cy};
    };
    const std::vector<ui::PanelOp> ops = ui::LayoutPanel(input, oswin::Profiles(), measure);

    ::SetBkMode(dc, TRANSPARENT);
    win::UniqueMemoryDc memory(::CreateCompatibleDC(dc));
    for (const ui::PanelOp& op : ops) {
        switch (op.kind) {
        case ui::PanelOpKind::FillRect: {
            win::UniqueBrush brush(::CreateSolidBrush(op.colour));
            const RECT r = ToRect(op.rect);
            ::FillRect(dc, &r, brush.Get());
            break;
        }
        case ui::PanelOpKind::WelcomePicture: {
            win::UniqueBitmap picture(static_cast<HBITMAP>(
                ::LoadImageW(win::AfxGetInstanceHandle(), MAKEINTRESOURCEW(kWelcomeBitmap), IMAGE_BITMAP, 0, 0, 0)));
            BITMAP info{};
            if (memory && picture && ::GetObjectW(picture.Get(), sizeof(info), &info)) {
                win::SelectGuard select(memory.Get(), picture.Get());
                ::BitBlt(dc, op.at.x, op.at.y, info.bmWidth, info.bmHeight, memory.Get(), 0, 0, SRCCOPY);
            }
            break;
        }
        case ui::PanelOpKind::CopyLogo:
            if (memory && logo) {
                win::SelectGuard select(memory.Get(), logo.Get());
                ::BitBlt(dc, op.at.x, op.at.y, op.size.cx, op.size.cy, memory.Get(), 0, 0, SRCCOPY);
            }
            break;
        case ui::PanelOpKind::Line: {
            win::UniquePen pen = win::MakePen(PS_SOLID, 1, op.colour);
            win::SelectGuard select(dc, pen.Get());
            ::MoveToEx(dc, op.segment.from.x, op.segment.from.y, nullptr);
            ::LineTo(dc, op.segment.to.x, op.segment.to.y);
            break;
        }
        case ui::PanelOpKind::Text: {
            win::SelectGuard select(dc, panelFonts.Get(op.font));
            ::SetTextColor(dc, op.colour);
            ::TextOutW(dc, op.at.x, op.at.y, reinterpret_cast<const wchar_t*>(op.text.c_str()),
                       static_cast<int>(op.text.size()));
            break;
        }
        }
    }
}

void CWizardWnd::OnDestroy() {
    std::vector<core::u16> deployed;
    for (const auto& name : m_deployedFiles) deployed.push_back(U(name));
    ui::CleanInstallFolder(oswin::Files(), U(m_editFolder.GetText()), deployed);
    Default();
}
