// "Text.ini" values through the profile reader's contract.
//
// The input is a Text.ini file (UTF-16LE after FF FE, else 8-bit text read
// as code page 1252 would be). A small model of GetPrivateProfileStringW
// reads it: sections in [], key=value lines, names compared without regard
// to ASCII case, blanks around names and values dropped, one pair of
// surrounding quotes removed, the first matching key wins, the value cut to
// the buffer. Every label the installer takes from Text.ini must then be
// exactly the model's value (or the key's default), at most 255 characters;
// and the readers that promise to cut whatever the reader returns must do so
// when a reader hands back more than the buffer holds.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "fuzz/fuzz_support.h"
#include "texts/text_ini.h"
#include "ui/dialog_texts.h"
#include "ui/language_labels.h"
#include "ui/messages.h"
#include "ui/model_catalogue.h"
#include "ui/page_flow.h"
#include "ui/panel_texts.h"
#include "ui/wizard_page.h"
#include "fakes/fake_fs.h"

namespace {

using core::u16;

constexpr std::size_t kMaxLabel = 255;
const u16 kFolder = u"C:\\Users\\me\\Documents";
const u16 kIniPath = kFolder + u"\\Text.ini";

u16 Fold(core::u16view s) {
    u16 folded(s);
    for (char16_t& c : folded) c = core::AsciiLower(c);
    return folded;
}

core::u16view Trim(core::u16view s) {
    while (!s.empty() && (s.front() == u' ' || s.front() == u'\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == u' ' || s.back() == u'\t' || s.back() == u'\r')) s.remove_suffix(1);
    return s;
}

class IniModel : public os::ProfileReader {
public:
    IniModel(const std::uint8_t* data, std::size_t size, bool honourCapacity) : honour_(honourCapacity) {
        u16 text;
        if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
            for (std::size_t i = 2; i + 1 < size; i += 2)
                text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
        } else {
            for (std::size_t i = 0; i < size; ++i) text.push_back(static_cast<char16_t>(data[i]));
        }
        u16 section;
        std::size_t start = 0;
        while (start <= text.size()) {
            std::size_t end = text.find(u'\n', start);
            if (end == u16::npos) end = text.size();
            core::u16view line = Trim(core::u16view(text).substr(start, end - start));
            const auto nul = line.find(u'\0');
            if (nul != core::u16view::npos) line = line.substr(0, nul);
            if (!line.empty() && line.front() == u'[') {
                const auto close = line.find(u']');
                section = Fold(Trim(line.substr(1, close == core::u16view::npos ? core::u16view::npos : close - 1)));
            } else if (const auto eq = line.find(u'='); eq != core::u16view::npos) {
                const u16 key = Fold(Trim(line.substr(0, eq)));
                core::u16view value = Trim(line.substr(eq + 1));
                if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
                    value.back() == value.front())
                    value = value.substr(1, value.size() - 2);
                values_.emplace(std::make_pair(section, key), u16(value));  // the first one stays
            }
            start = end + 1;
        }
    }

    // What the file gives for `key` in section "Text", or none.
    const u16* Value(const u16& key) const {
        const auto it = values_.find({u"text", Fold(key)});
        return it == values_.end() ? nullptr : &it->second;
    }

    u16 ReadString(const u16& path, const u16& section, const u16& key, const u16& fallback,
                   std::size_t capacity) override {
        FUZZ_CHECK(Fold(path) == Fold(kIniPath));
        const auto it = values_.find({Fold(section), Fold(key)});
        u16 value = it == values_.end() ? fallback : it->second;
        if (honour_ && capacity > 0 && value.size() > capacity - 1) value.resize(capacity - 1);
        return value;
    }

private:
    bool honour_;
    std::map<std::pair<u16, u16>, u16> values_;
};

// The label the installer must show for `key` with default `fallback`.
u16 Expected(const IniModel& ini, const u16& key, const u16& fallback) {
    const u16* value = ini.Value(key);
    u16 text = value ? *value : fallback;
    if (text.size() > kMaxLabel) text.resize(kMaxLabel);
    return text;
}

void CheckLabel(const u16& text) { FUZZ_CHECK(text.size() <= kMaxLabel); }

void EveryReader(const std::uint8_t* data, std::size_t size, bool honourCapacity) {
    IniModel ini(data, size, honourCapacity);
    // The readers that cut whatever the reader returns.
    for (const textini::Key& key : textini::kAllKeys)
        FUZZ_CHECK(textini::ReadTextIni(ini, kFolder, key) == Expected(ini, key.name, key.fallback));
    const ui::TextIni source{&ini, kIniPath};
    for (const textini::Key& key : textini::kAllKeys)
        FUZZ_CHECK(source.Get(key.name, key.fallback) == Expected(ini, key.name, key.fallback));
    FUZZ_CHECK(ui::ModelPromptText(ui::kUiRussian, source) ==
               Expected(ini, u"Please select model", u"Please select model"));
    const ui::MessageBoxSpec box = ui::GetMessageBox(ui::MessageId::kNoModel, ui::kUiRussian, source);
    FUZZ_CHECK(box.caption == Expected(ini, u"MsgBoxTitle", u"Printer Driver Installation"));
    FUZZ_CHECK(box.text == Expected(ini, u"NoSelectPrinter", u"Please Select a Printer Driver"));
    FUZZ_CHECK(ui::FinishLabel(ui::kUiRussian, source) == Expected(ini, u"Finish", u"Finish"));
    const ui::WizardDialogTexts dialog = ui::GetWizardDialogTexts(ui::kUiRussian, u"Title", source);
    for (const ui::DialogLabel& label : dialog.labels) CheckLabel(label.text);
    if (!honourCapacity) return;

    // The readers that rely on the reader's contract.
    for (std::int32_t page = 0; page <= 8; ++page) CheckLabel(ui::PageTitle(page, ui::kUiRussian, false, ini, kIniPath));
    FUZZ_CHECK(ui::FolderFrameTitle(ui::kUiRussian, ini, kIniPath) == Expected(ini, u"InstallPath", u"Path"));
    FUZZ_CHECK(ui::PageTitle(ui::PagePrinter, ui::kUiRussian, false, ini, kIniPath) ==
               Expected(ini, u"Printer Setting", u"Printer Setting"));

    fakes::FakeFileSystem fs;
    fs.AddDirectory(kFolder);
    const ui::langdlg::LabelSources sources{kFolder, fs, ini};
    const auto check = [](const ui::langdlg::Actions& actions) {
        for (const auto& a : actions) CheckLabel(a.text);
    };
    check(ui::langdlg::InitActions(ui::LanguageDialogKind::EnglishMode1, sources));
    for (const auto cls : {ui::LanguageDialogClass::Chinese, ui::LanguageDialogClass::English})
        for (int index = 0; index <= 2; ++index) check(ui::langdlg::RelabelActions(cls, index, sources));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    EveryReader(data, size, true);
    EveryReader(data, size, false);
    return 0;
}
