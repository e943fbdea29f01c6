#include "ui/win32/install_dlg.h"

#include <commctrl.h>

#include "os/win32/services.h"
#include "payload/startup_files.h"
#include "payload/win32/load_payload.h"
#include "win/ddx.h"

namespace {
constexpr WORD kPayloadId = 142;
const wchar_t kPayloadType[] = L"INSTALL";
}  // namespace

void CInstallDlg::DoDataExchange(win::CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    win::DDX_Control(dx, kIdProgress, m_progress);
}

void CInstallDlg::LoadPayload() {
    m_pPayload = payload::LoadInstallPayload(kPayloadId, kPayloadType, &m_dwPayloadSize);
}

void CInstallDlg::ReportProgress(int position) {
    HWND bar = m_hWnd ? ::GetDlgItem(m_hWnd, kIdProgress) : nullptr;
    if (::IsWindow(bar)) ::SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void CInstallDlg::ExtractStartupFiles() {
    payload::ExtractStartupFiles(m_pPayload, m_dwPayloadSize, oswin::ShellFolders().PersonalFolder(),
                                 oswin::Files(), [this](int position) { ReportProgress(position); });
}

int CInstallDlg::ExtractFromMemory(const std::uint8_t* source, std::int32_t compressedLength,
                                   const core::u16& outputPath, std::int32_t* counter, std::int32_t total) {
    return payload::ExtractFromMemory(source, compressedLength, outputPath, counter, total, oswin::Files(),
                                      [this](int position) { ReportProgress(position); });
}

int CInstallDlg::ExtractFromImageFile(os::InputFile& file, std::int32_t compressedLength,
                                      const core::u16& outputPath, std::int32_t* counter, std::int32_t total) {
    return payload::ExtractFromImageFile(file, compressedLength, outputPath, counter, total, oswin::Files(),
                                         [this](int position) { ReportProgress(position); });
}
