#include <gtest/gtest.h>

#include <vector>

#include "ui/page_flow.h"

namespace {

using S = ui::UiStep;
using Steps = std::vector<ui::UiStep>;

// The worker's failure is carried out by the dialog: the failure page with
// only the finish button, whatever the language's texts for success say.
TEST(PageFlowOutcome, FailureOnTheInstallingPage) {
    struct Case {
        int language;
        core::u16 label;
    } cases[] = {
        {ui::kUiEnglish, u"Finish"},
        {ui::kUiChinese, u"完成"},
        {ui::kUiRussian, u"Finish"},  // not the Text.ini label of the success page
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        ui::WizardState state;
        state.page = ui::PageInstalling;
        state.installPrinterName = u"Q712";
        const ui::FlowOutcome out = ui::OnInstallFailed(state, c.language);
        EXPECT_TRUE(out.moved);
        EXPECT_EQ(out.message, ui::MessageId::kNone);
        EXPECT_EQ(state.page, ui::PageFailed);
        EXPECT_EQ(out.steps, (Steps{S::kHideNext, S::kHideBack, S::kSetCancelLabel, S::kHideProgress,
                                    S::kEnableCancel, S::kInvalidatePanel}));
        EXPECT_EQ(out.cancelLabel, c.label);
        EXPECT_EQ(state.installPrinterName, u"Q712");
    }
}

// A failure report that arrives on any other page (a stray message) changes
// nothing: in particular a finished installation stays finished.
TEST(PageFlowOutcome, FailureElsewhereChangesNothing) {
    for (std::int32_t page : {ui::PageWelcome, ui::PageFolder, ui::PagePrinter, ui::PageFinished,
                              ui::PageCancelled, ui::PageFailed}) {
        SCOPED_TRACE(page);
        ui::WizardState state;
        state.page = page;
        const ui::FlowOutcome out = ui::OnInstallFailed(state, ui::kUiEnglish);
        EXPECT_FALSE(out.moved);
        EXPECT_TRUE(out.steps.empty());
        EXPECT_EQ(state.page, page);
    }
}

}  // namespace
