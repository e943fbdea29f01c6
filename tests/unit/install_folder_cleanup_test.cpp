#include <gtest/gtest.h>

#include "fakes/fake_fs.h"
#include "ui/install_folder_cleanup.h"

namespace {

const core::u16 kFolder = u"C:\\Program Files\\Label\\P1";

class CleanupTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs.AddDrive(u"C:");
        fs.AddDirectory(kFolder);
    }
    void Put(const core::u16& name) { fs.AddFile(kFolder + u"\\" + name, std::string("x")); }
    bool Has(const core::u16& name) const { return fs.HasFile(kFolder + u"\\" + name); }
    fakes::FakeFileSystem fs;
};

TEST_F(CleanupTest, DeletesOnlyDeployedFilesAndKeepsTheThreeWhateverTheirCase) {
    for (const char16_t* n : {u"plotter.dll", u"UNINSTALLER.EXE", u"uninstall.ini", u"VorskPrinterService.exe",
                              u"Uninstaller.exe.bak", u"users-own.doc"})
        Put(n);
    fs.AddFile(kFolder + u"\\Inf\\a.inf", std::string("inf"));
    const std::vector<core::u16> deployed = {u"plotter.dll", u"Uninstaller.exe", u"Uninstaller.exe.bak",
                                             u"Inf"};
    EXPECT_EQ(ui::CleanInstallFolder(fs, kFolder, deployed), 2);
    EXPECT_FALSE(Has(u"plotter.dll"));
    EXPECT_FALSE(Has(u"Uninstaller.exe.bak"));  // only begins with a kept name
    EXPECT_TRUE(Has(u"UNINSTALLER.EXE"));
    EXPECT_TRUE(Has(u"uninstall.ini"));
    EXPECT_TRUE(Has(u"VorskPrinterService.exe"));
    EXPECT_TRUE(Has(u"users-own.doc"));           // not written by this run
    EXPECT_TRUE(fs.HasFile(kFolder + u"\\Inf\\a.inf"));  // sub-folders stay with their contents
}

TEST_F(CleanupTest, AFolderThisRunDidNotDeployIntoLosesNothing) {
    Put(u"plotter.dll");
    Put(u"notes.txt");
    EXPECT_EQ(ui::CleanInstallFolder(fs, kFolder, {}), 0);
    EXPECT_TRUE(Has(u"plotter.dll"));
    EXPECT_TRUE(Has(u"notes.txt"));
}

TEST_F(CleanupTest, UnlistableFolderDeletesNothing) {
    EXPECT_EQ(ui::CleanInstallFolder(fs, u"C:\\missing", {u"plotter.dll"}), 0);
    EXPECT_EQ(ui::CleanInstallFolder(fs, u"", {u"plotter.dll"}), 0);
}

}  // namespace
