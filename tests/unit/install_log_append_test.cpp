#include <gtest/gtest.h>

#include <string>

#include "engine/install_log.h"
#include "fakes/fake_log_sink.h"

namespace {

constexpr char16_t kLog[] = u"C:\\InstallPrinter.txt";

TEST(InstallLog, AppendsEntriesExactlyAsFormatted) {
    fakes::FakeLogSink sink;
    sink.files[kLog] = "earlier run\r\n";
    engine::WriteInstallLog(sink, "**** FileCount=%d\r\n", 22);
    engine::WriteInstallLog(sink, "AddPrinter hPrinter = %x\r\n", 0xABCDEFu);
    engine::WriteInstallLog(sink, "*********** call AddPrinter\r\n");
    EXPECT_EQ(sink.Contents(kLog),
              "earlier run\r\n**** FileCount=22\r\nAddPrinter hPrinter = abcdef\r\n*********** call AddPrinter\r\n");
    EXPECT_EQ(sink.files.size(), 1u);  // one fixed file, whatever else happens
}

TEST(InstallLog, PortNameIsWrittenInFull) {
    fakes::FakeLogSink sink;
    const std::string port(200, 'P');
    engine::WriteInstallLog(sink, "AddPortEx = %d PortName=%s\r\n", 1796, ("Label USB Printer Monitor:" + port).c_str());
    EXPECT_EQ(sink.Contents(kLog), "AddPortEx = 1796 PortName=Label USB Printer Monitor:" + port + "\r\n");
}

TEST(InstallLog, LongEntryIsCutAt1023CharactersWithoutItsLineEnd) {
    struct Case { std::size_t formatted; std::size_t written; bool lineEnd; };
    const Case cases[] = {
        {1022, 1022, true}, {1023, 1023, true}, {1024, 1023, false}, {1025, 1023, false}, {5000, 1023, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.formatted);
        fakes::FakeLogSink sink;
        const std::string body(c.formatted - 2, 'x');
        engine::WriteInstallLog(sink, "%s\r\n", body.c_str());
        const std::string got = sink.Contents(kLog);
        EXPECT_EQ(got.size(), c.written);
        EXPECT_EQ(got.size() >= 2 && got.compare(got.size() - 2, 2, "\r\n") == 0, c.lineEnd);
        EXPECT_EQ(got.substr(0, 10), std::string(10, 'x'));
    }
}

TEST(InstallLog, RefusedAppendIsSilent) {
    fakes::FakeLogSink sink;
    sink.refuse = true;
    engine::WriteInstallLog(sink, "AddPrinterDriver = %d\r\n", 5);
    engine::WriteInstallLog(sink, "AddPrinter = %d\r\n", 5);
    EXPECT_EQ(sink.appends, 2);  // each entry tried on its own
    EXPECT_TRUE(sink.files.empty());
}

}  // namespace
