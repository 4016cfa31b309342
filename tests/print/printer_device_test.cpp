// The shared printer device: the printer list, default printer, paper sources and
// sizes, custom sizes within limits, caching, and the presence check.
#include "data/printer_presence.h"
#include "fake_printers.h"
#include "scripted_dialog_service.h"

#include <gtest/gtest.h>

using namespace qorvel;
using namespace qorvel::print;

namespace {

class PrinterDeviceTest : public testing::Test {
protected:
    void SetUp() override {
        fake = FakePrinters::office();
        fake.install();
    }
    PrinterDevice& device() { return PrinterDevice::shared(); }
    RealPrintersAfterTest restore;
    FakePrinters fake;
};

TEST_F(PrinterDeviceTest, ListsQueuesThenThePdfPrinter) {
    EXPECT_EQ(device().Printers(), QStringList({"Labels on usb://Acme/Labeler", "Office on ipp://office.local/ipp/print",
                                                "PDF file on file"}));
    device().Printers();
    EXPECT_EQ(fake.destinationCalls, 1) << "the list is read once and kept";
}

TEST_F(PrinterDeviceTest, DefaultPrinterIsTheSystemDefaultElseTheFirst) {
    EXPECT_EQ(device().PrinterIndex(), 1) << "first use selects the default queue";
    device().SetPrinterIndex(2);
    device().SetPrinterIndex(-1);
    EXPECT_EQ(device().PrinterIndex(), 1);
    EXPECT_EQ(device().DeviceName(), "Office");

    fake.queues[1].isDefault = false;  // the default is not among the printers
    PrinterDevice::discardShared();
    device().SetPrinterIndex(-1);
    EXPECT_EQ(device().PrinterIndex(), 0);

    FakePrinters none;
    none.install();
    EXPECT_EQ(device().Printers(), QStringList({"PDF file on file"}));
    EXPECT_EQ(device().PrinterIndex(), 0);
    EXPECT_TRUE(device().isPdfPrinter());
    EXPECT_EQ(device().Port(), "file");
}

TEST_F(PrinterDeviceTest, SelectionByNameTakesTheFirstContainingTheTextIgnoringCase) {
    const struct {
        const char* what;
        std::function<bool()> select;
        bool found;
        std::function<QString()> chosen;
        const char* expected;
    } cases[] = {
        {"bin envelope", [&] { return device().SelectBin("envelope"); }, true, [&] { return device().bin(); },
         "Manual Envelope"},
        {"bin missing", [&] { return device().SelectBin("cassette"); }, false, [&] { return device().bin(); },
         "Manual Envelope"},
        {"paper a4", [&] { return device().SelectPaper("a4"); }, true, [&] { return device().paperName(); }, "A4"},
        {"paper missing", [&] { return device().SelectPaper("tabloid"); }, false,
         [&] { return device().paperName(); }, "A4"},
        {"printer labels", [&] { return device().SelectPrinter("LABELS"); }, true,
         [&] { return device().DeviceName(); }, "Labels"},
        {"printer missing", [&] { return device().SelectPrinter("plotter"); }, false,
         [&] { return device().DeviceName(); }, "Labels"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.select(), c.found) << c.what;
        EXPECT_EQ(c.chosen(), QString::fromLatin1(c.expected)) << c.what;
    }
}

TEST_F(PrinterDeviceTest, SourceAndPaperListsFollowTheSelectedPrinter) {
    EXPECT_EQ(device().Bins().size(), 3);
    device().Bins();
    EXPECT_EQ(fake.sourceCalls, 1) << "kept until another printer is selected";
    EXPECT_EQ(device().Papers(), QStringList({"Letter", "A4"}));
    device().SelectPrinter("Labels");
    EXPECT_EQ(device().Bins(), QStringList({"Roll"}));
    EXPECT_EQ(fake.sourceCalls, 2);
    EXPECT_EQ(device().binsOf(1).size(), 3) << "another printer's lists, for the set-up dialog";
    EXPECT_EQ(device().DeviceName(), "Labels");
}

TEST_F(PrinterDeviceTest, PaperSizesByCodeAndCustomWithinLimits) {
    const struct {
        int code;
        double w, h;
        bool accepted;
        double sheetW, sheetH;
    } cases[] = {
        {1, 0, 0, true, 8.5, 11},        {9, 0, 0, true, 210 / 25.4, 297 / 25.4},
        {11, 0, 0, true, 148 / 25.4, 210 / 25.4}, {20, 0, 0, true, 4.125, 9.5},
        {0, 4, 6, true, 4, 6},           {0, 0.1, 0.1, false, 4, 6},
        {0, 60, 11, false, 4, 6},        {4242, 0, 0, false, 4, 6},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(device().SetPaperSize(c.code, c.w, c.h), c.accepted) << c.code << " " << c.w << "x" << c.h;
        const QSizeF sheet = device().sheetInches();
        EXPECT_NEAR(sheet.width(), c.sheetW, 0.01) << c.code;
        EXPECT_NEAR(sheet.height(), c.sheetH, 0.01) << c.code;
    }
    device().setOrientation(PageOrientation::Landscape);
    EXPECT_NEAR(device().sheetInches().width(), 6, 0.01);
}

TEST_F(PrinterDeviceTest, UnprintableStripsComeFromTheQueueAndNotFromThePdfPrinter) {
    device().SetPaperSize(1);
    const auto strips = device().unprintable();
    EXPECT_DOUBLE_EQ(strips[0], 0.25);
    EXPECT_DOUBLE_EQ(strips[1], 0.2);
    device().setOrientation(PageOrientation::Landscape);
    EXPECT_DOUBLE_EQ(device().unprintable()[0], 0.2);
    device().SelectPrinter("PDF file");
    EXPECT_EQ(device().unprintable(), (std::array<double, 4>{0, 0, 0, 0}));
}

TEST_F(PrinterDeviceTest, DriverNameReadsPreviewDuringPlayback) {
    EXPECT_EQ(device().DriverName(), "Acme Laser 5");
    PrinterDevice::setPlayingBack(true);
    EXPECT_EQ(device().DriverName(), "Preview");
    PrinterDevice::setPlayingBack(false);
}

TEST_F(PrinterDeviceTest, CopiesPassOnlySensibleCounts) {
    EXPECT_TRUE(device().setCopies(3));
    EXPECT_FALSE(device().setCopies(0));
    EXPECT_FALSE(device().setCopies(1000));
    EXPECT_EQ(device().copies(), 3);
}

TEST_F(PrinterDeviceTest, PresenceCheckCountsThePdfPrinter) {
    ScriptedDialogService dialogs;
    setPrinterSystem(&devicePrinterSystem());
    FakePrinters none;
    none.install();
    EXPECT_TRUE(PrinterPresenceCheck());
    PrinterDevice::discardShared();  // the check follows whichever device is current
    EXPECT_TRUE(PrinterPresenceCheck());
    EXPECT_TRUE(dialogs.shown.empty());
    setPrinterSystem(nullptr);
}

}  // namespace
