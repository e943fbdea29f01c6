// Texts and fonts of the wizard panel: page titles, the folder frame title,
// the built-in page texts, the three panel fonts per interface language, the
// restart box caption and the wait line's defaults.
//
// The interface language is the application's UiLanguage: 0 English,
// 1 Chinese, 2 Russian. Any other value is treated as English. Russian labels
// come from "Text.ini" (section "Text"), the English word being both the key
// and the default.
#pragma once

#include <cstdint>

#include "core/text.h"
#include "os/profile.h"

namespace ui {

// Characters of the buffer a Text.ini value is read into (255 of text).
constexpr std::size_t kTextIniValueCapacity = 256;
inline constexpr char16_t kTextIniSection[] = u"Text";
inline constexpr char16_t kTextIniFileName[] = u"Text.ini";
inline constexpr char16_t kLogoFileName[] = u"Logo.bmp";

// `folder` + "\" + `name`. An empty folder (documents folder not resolvable)
// gives "\name", which Windows resolves at the root of the current drive.
core::u16 WorkingFilePath(core::u16view folder, core::u16view name);

// Title drawn in the header band of `page` (a WizardPage value). Chinese and
// English titles follow `uiLanguage`; Russian ones are read from `textIni`.
// The cancelled page's title follows `chinese` (the panel's m_bChinese) alone
// and never consults Text.ini. The welcome page and unknown page values have
// no title (empty), and `profile` is not consulted for them.
core::u16 PageTitle(std::int32_t page, int uiLanguage, bool chinese, os::ProfileReader& profile,
                    const core::u16& textIni);

// Title of the frame around the install-folder field on the folder page.
core::u16 FolderFrameTitle(int uiLanguage, os::ProfileReader& profile, const core::u16& textIni);

// The page texts as loaded from the InstallConfig file; any may be empty.
struct PanelPageTexts {
    core::u16view welcome;
    core::u16view folder;
    core::u16view installing;
    core::u16view success;
    core::u16view cancelled;
    core::u16view failed;
};

// Built-in text of `page`, Chinese when `chinese`, else English (so also for
// the Russian interface). Empty for pages without a body text.
core::u16view BuiltInPageText(std::int32_t page, bool chinese);

// The body text a page shows: the loaded text when it is not empty, else the
// built-in one.
core::u16view PageBodyText(std::int32_t page, const PanelPageTexts& texts, bool chinese);

// Caption of the restart check box.
core::u16view RestartBoxCaption(bool chinese);

// The wait line a new panel holds before Create, and the one Create sets.
inline constexpr char16_t kInitialWaitText[] = u"请稍候...";
core::u16view DefaultWaitText(bool chinese);

// The panel's three fonts. Every CreateFontW parameter not listed here is 0.
enum class PanelFont { Heading, Body, Title };

struct PanelFontParams {
    const char16_t* face;
    int height;   // positive: character-cell height in pixels
    int charset;  // 0 ANSI, 134 GB2312
    int weight;
};

// Indexed [font][language] with PanelFont order and language 0, 1, 2.
extern const PanelFontParams kPanelFonts[3][3];

PanelFontParams PanelFontFor(PanelFont font, int uiLanguage);

}  // namespace ui
