// CInstallDlg: the installer's main window, a five-page wizard on template
// 102. It also owns the payload's memory copy and the extraction entry
// points, because the extraction moves its progress bar.
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/text.h"
#include "os/files.h"
#include "win/controls.h"
#include "win/dialog.h"

class CInstallDlg : public win::CDialog {
public:
    static constexpr UINT kTemplate = 102;
    static constexpr int kIdProgress = 1004;

    explicit CInstallDlg(win::CWnd* parent = nullptr) : CDialog(kTemplate, parent) {}

    // Copies the embedded container (resource 142, type "INSTALL") into
    // memory; the copy lives until the process ends.
    void LoadPayload();
    const std::uint8_t* m_pPayload = nullptr;
    DWORD m_dwPayloadSize = 0;

    // Writes the start-up members of the memory copy into the working folder.
    void ExtractStartupFiles();

    // The two extraction engines, with progress reported to the bar (when
    // its window exists).
    int ExtractFromMemory(const std::uint8_t* source, std::int32_t compressedLength, const core::u16& outputPath,
                          std::int32_t* counter, std::int32_t total);
    int ExtractFromImageFile(os::InputFile& file, std::int32_t compressedLength, const core::u16& outputPath,
                             std::int32_t* counter, std::int32_t total);

protected:
    void DoDataExchange(win::CDataExchange* dx) override;

    win::CProgressCtrl m_progress;

private:
    void ReportProgress(int position);
};
