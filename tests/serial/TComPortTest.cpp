#include "serial/TComPort.h"

#include <gtest/gtest.h>

#include <functional>

#include "serial/EComPort.h"
#include "tests/serial/Raised.h"
#include "tests/serial/RecordingComDevice.h"

namespace stela {
namespace {

using Log = std::vector<std::string>;

using test::raised;

class TComPortTest : public ::testing::Test {
protected:
    TComPortTest() {
        port.OnBeforeOpen = [this](TCustomComPort&) { log.push_back("beforeOpen"); };
        port.OnAfterOpen = [this](TCustomComPort&) { log.push_back("afterOpen"); };
        port.OnBeforeClose = [this](TCustomComPort&) { log.push_back("beforeClose"); };
        port.OnAfterClose = [this](TCustomComPort&) { log.push_back("afterClose"); };
        port.OnCTSChange = [this](TCustomComPort&, bool on) { signal("cts", on); };
        port.OnDSRChange = [this](TCustomComPort&, bool on) { signal("dsr", on); };
        port.OnRLSDChange = [this](TCustomComPort&, bool on) { signal("rlsd", on); };
    }

    std::unique_ptr<ComDevice> adopt() {
        auto fake = std::make_unique<test::RecordingComDevice>(log);
        device = fake.get();
        return fake;
    }
    void signal(const char* name, bool on) {
        log.push_back(std::string(name) + (on ? " on" : " off"));
    }
    void openQuietly() {
        port.Open();
        log.clear();
    }

    Log log;
    test::RecordingComDevice* device = nullptr;
    TComPort port{adopt()};
};

const Log kApplyAll{"queues 1024 1024", "line", "timeouts"};

TEST_F(TComPortTest, OpenAppliesSettingsThenReportsEachLineFromItsOwnRead) {
    device->lines = TComSignals{csCTS, csRLSD};
    port.SetPort("COM3");
    port.Open();
    EXPECT_EQ(log, (Log{"beforeOpen", "open COM3", "queues 1024 1024", "line", "timeouts",
                        "afterOpen", "lines", "cts on", "lines", "dsr off", "lines", "rlsd on"}));
    EXPECT_TRUE(port.Connected());
    EXPECT_EQ(device->timeouts.readInterval, 0xFFFFFFFFu);
    EXPECT_EQ(device->timeouts.writeTotalMultiplier, 100u);
    EXPECT_EQ(device->timeouts.writeTotalConstant, 1000u);

    log.clear();
    port.Open();
    port.SetConnected(true);
    EXPECT_TRUE(log.empty()) << "an open port is not opened again";
}

TEST_F(TComPortTest, CloseReportsLinesOffFirstAndIsHarmlessWhenClosed) {
    openQuietly();
    port.Close();
    EXPECT_EQ(log, (Log{"cts off", "dsr off", "rlsd off", "beforeClose", "abort", "close",
                        "afterClose"}));
    EXPECT_FALSE(port.Connected());

    log.clear();
    port.Close();
    port.SetConnected(false);
    EXPECT_TRUE(log.empty());
}

TEST_F(TComPortTest, DestroyingThePortClosesItAndANeverOpenedOneTouchesNothing) {
    Log otherLog;
    { TComPort idle(std::make_unique<test::RecordingComDevice>(otherLog)); }
    EXPECT_TRUE(otherLog.empty());
    {
        TComPort open(std::make_unique<test::RecordingComDevice>(otherLog));
        open.Open();
        otherLog.clear();
    }
    EXPECT_EQ(otherLog, (Log{"abort", "close"}));
}

TEST_F(TComPortTest, SettersApplyOnlyARealChangeAndOnlyTheirOwnGroup) {
    openQuietly();
    port.SetBaudRate(br9600);
    port.Parity().SetBits(prNone);
    port.Buffer().SetInputSize(1025);  // stored as 1024, the current size
    port.SetEvents({});
    EXPECT_TRUE(log.empty());

    port.SetBaudRate(br19200);
    EXPECT_EQ(log, Log{"line"}) << "a new rate is applied at once, queues untouched";
    EXPECT_EQ(device->line.baudRate, 19200);

    log.clear();
    port.Parity().SetBits(prMark);
    port.FlowControl().SetXonChar(0x12);
    port.Timeouts().SetWriteTotalConstant(500);
    port.Buffer().SetOutputSize(2048);
    EXPECT_EQ(log, (Log{"line", "line", "timeouts", "queues 1024 2048"}));
    EXPECT_EQ(device->line.parity, prMark);

    log.clear();
    port.SetParity(port.Parity());
    port.SetTimeouts(port.Timeouts());
    EXPECT_EQ(log, (Log{"line", "timeouts"})) << "whole records are applied without comparing";

    port.Close();
    log.clear();
    port.SetDataBits(dbSeven);
    port.Parity().SetCheck(true);
    EXPECT_TRUE(log.empty()) << "a closed port only stores";
    EXPECT_EQ(port.DataBits(), dbSeven);
}

TEST_F(TComPortTest, LineRecordFollowsTheSettings) {
    port.SetBaudRate(brCustom);
    port.SetCustomBaudRate(31250);
    port.SetStopBits(sbTwoStopBits);
    port.Parity().SetReplaceChar('?');
    port.Parity().SetReplace(true);
    port.Buffer().SetInputSize(4001);
    port.Open();
    const LineParameters& line = device->line;
    EXPECT_EQ(line.baudRate, 31250);
    EXPECT_EQ(line.dataBits, 8);
    EXPECT_EQ(line.stopBits, sbTwoStopBits);
    EXPECT_FALSE(line.errorReplace) << "replacement needs parity checking";
    EXPECT_EQ(line.errorChar, '\0');
    EXPECT_EQ(line.xonLimit, 1000);
    EXPECT_EQ(line.xoffLimit, 1000);

    port.Parity().SetCheck(true);
    EXPECT_TRUE(device->line.errorReplace);
    EXPECT_EQ(device->line.errorChar, '?');
}

TEST_F(TComPortTest, BatchAppliesEverythingOnceWhenTheLastBracketEnds) {
    openQuietly();
    port.EndSettingsBatch();  // unbalanced: nothing
    port.BeginSettingsBatch();
    port.BeginSettingsBatch();
    port.SetBaudRate(br19200);
    port.Parity().SetBits(prEven);
    port.FlowControl().SetFlowControl(fcSoftware);
    port.EndSettingsBatch();
    EXPECT_TRUE(log.empty());
    port.EndSettingsBatch();
    EXPECT_EQ(log, kApplyAll);
    EXPECT_EQ(device->line.baudRate, 19200);
    EXPECT_TRUE(device->line.xonXoffIn);
}

TEST_F(TComPortTest, FlowControlPresetIsDerivedFromRtsCtsAndXonXoff) {
    TComFlowControl& flow = port.FlowControl();
    EXPECT_EQ(flow.FlowControl(), fcNone);
    flow.SetFlowControl(fcHardware);
    EXPECT_EQ(flow.ControlRTS(), rtsHandshake);
    EXPECT_TRUE(flow.OutCTSFlow());
    flow.SetControlDTR(dtrHandshake);
    EXPECT_EQ(flow.FlowControl(), fcHardware) << "DTR plays no part";
    flow.SetXonXoffIn(true);
    EXPECT_EQ(flow.FlowControl(), fcCustom);
    flow.SetFlowControl(fcCustom);
    EXPECT_TRUE(flow.XonXoffIn() && flow.OutCTSFlow()) << "fcCustom changes nothing";

    flow.SetFlowControl(fcSoftware);
    EXPECT_EQ(flow.FlowControl(), fcSoftware);
    EXPECT_EQ(flow.ControlRTS(), rtsDisable);
    EXPECT_FALSE(flow.OutCTSFlow());
    EXPECT_EQ(flow.ControlDTR(), dtrHandshake);

    openQuietly();
    flow.SetFlowControl(fcNone);
    flow.SetFlowControl(fcNone);
    EXPECT_EQ(log, (Log{"line", "line"})) << "the preset is applied without comparing";
}

TEST_F(TComPortTest, DetachedCopiesChangeNothingUntilAssignedWhole) {
    openQuietly();
    TComBuffer sizes = port.Buffer();
    sizes.SetInputSize(513);
    EXPECT_EQ(sizes.InputSize(), 512);
    EXPECT_EQ(sizes.ComPort(), nullptr);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(port.Buffer().InputSize(), 1024);

    port.SetBuffer(sizes);
    EXPECT_EQ(log, Log{"queues 512 1024"});
    EXPECT_EQ(port.Buffer().ComPort(), &port);
}

TEST_F(TComPortTest, FailedApplyDuringOpenClosesTheDeviceAgain) {
    const struct {
        const char* step;
        int code;
    } steps[] = {{"queues", 9}, {"line", 7}, {"timeouts", 8}};
    for (const auto& s : steps) {
        device->failures = {{s.step, EINVAL}};
        log.clear();
        const EComPort e = raised([&] { port.Open(); });
        EXPECT_EQ(e.Code(), s.code) << s.step;
        EXPECT_EQ(e.SystemCode(), EINVAL);
        EXPECT_FALSE(port.Connected());
        EXPECT_FALSE(device->isOpen());
        EXPECT_EQ(log.back(), "close") << s.step;
    }
    EXPECT_STREQ(raised([&] { port.Open(); }).what(),
                 "SetCommTimeouts failed (win error code: 22)");
}

TEST_F(TComPortTest, FailedApplyOnAnOpenPortKeepsTheNewValue) {
    openQuietly();
    device->failures = {{"line", EINVAL}};
    EXPECT_EQ(raised([&] { port.SetStopBits(sbOne5StopBits); }).Code(), 7);
    EXPECT_EQ(port.StopBits(), sbOne5StopBits);
    EXPECT_TRUE(port.Connected());
}

TEST_F(TComPortTest, PortChangeReopensAndAFailedReopenLeavesItClosedWithTheNewName) {
    openQuietly();
    port.SetPort("COM1");
    EXPECT_TRUE(log.empty());

    port.SetPort("COM2");
    EXPECT_EQ(log[5], "close");
    EXPECT_EQ(log[8], "open COM2");
    EXPECT_TRUE(port.Connected());

    device->failures = {{"open", ENOENT}};
    const EComPort e = raised([&] { port.SetPort("COM9"); });
    EXPECT_EQ(e.Code(), 1);
    EXPECT_EQ(e.SystemCode(), ENOENT);
    EXPECT_STREQ(e.what(), "Unable to open com port (win error code: 2)");
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(port.Port(), "COM9");
}

TEST_F(TComPortTest, LineStateFailureAfterOpeningLeavesThePortOpen) {
    device->failures = {{"lines", EIO}};
    EXPECT_EQ(raised([&] { port.Open(); }).Code(), 11);
    EXPECT_TRUE(port.Connected());
    EXPECT_TRUE(device->isOpen());
}

TEST_F(TComPortTest, FailedAbortOnCloseLeavesThePortOpen) {
    openQuietly();
    device->failures = {{"abort", EIO}};
    EXPECT_EQ(raised([&] { port.Close(); }).Code(), 5);
    EXPECT_TRUE(port.Connected());
    device->failures.clear();
    port.Close();
    EXPECT_FALSE(port.Connected());
}

TEST_F(TComPortTest, OperationsOnAClosedPortRaiseTheirOwnCodes) {
    std::string text = "old";
    EXPECT_EQ(port.WriteText(""), 0);
    EXPECT_EQ(port.ReadText(text, 0), 0);
    EXPECT_EQ(text, "");
    const struct {
        int code;
        std::function<void()> action;
    } cases[] = {
        {10, [&] { port.QueuedInputCount(); }}, {5, [&] { port.ClearBuffers(true, true); }},
        {2, [&] { port.WriteText("R0E"); }},    {3, [&] { port.ReadText(text, 14); }},
        {11, [&] { port.LineSignals(); }},      {10, [&] { port.LineErrors(); }},
    };
    for (const auto& c : cases) {
        const EComPort e = raised(c.action);
        EXPECT_EQ(e.Code(), c.code);
        EXPECT_EQ(e.SystemCode(), ownFailure(FailureKind::NotOpen).code());
    }
    EXPECT_TRUE(log.empty());
}

TEST_F(TComPortTest, DeviceFailuresDuringTransfersKeepThePortOpen) {
    openQuietly();
    device->failures = {{"read", EIO}, {"write", EIO}, {"purge", EIO}};
    std::string text;
    EXPECT_EQ(raised([&] { port.QueuedInputCount(); }).Code(), 10);
    EXPECT_EQ(raised([&] { port.ReadText(text, 3); }).Code(), 3);
    EXPECT_EQ(raised([&] { port.WriteText("x"); }).Code(), 2);
    EXPECT_EQ(raised([&] { port.ClearBuffers(true, false); }).Code(), 5);
    EXPECT_TRUE(port.Connected());
}

TEST_F(TComPortTest, InputQueueDropsNulWhileDiscardingAndClearsWithTheDevice) {
    openQuietly();
    port.SetDiscardNull(true);
    device->incoming = std::string("A\0B\0\0C", 6);
    EXPECT_EQ(port.QueuedInputCount(), 3);
    port.SetDiscardNull(false);
    device->incoming = std::string("\0D", 2);
    std::string text;
    EXPECT_EQ(port.ReadText(text, 10), 5);
    EXPECT_EQ(text, std::string("ABC\0D", 5));

    device->incoming = "xyz";
    EXPECT_EQ(port.QueuedInputCount(), 3);
    port.ClearBuffers(true, true);
    EXPECT_EQ(port.QueuedInputCount(), 0);
}

TEST_F(TComPortTest, LoadingStoresSettingsAndOpensOnlyWhenLoaded) {
    port.BeginLoading();
    port.SetConnected(true);
    port.SetBaudRate(br19200);
    port.SetDiscardNull(true);
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(port.Connected());
    port.Loaded();
    EXPECT_TRUE(port.Connected());
    EXPECT_EQ(device->line.baudRate, 19200);
    EXPECT_TRUE(device->line.discardNull);

    TComPort quiet(std::make_unique<test::RecordingComDevice>(log));
    quiet.BeginLoading();
    quiet.Loaded();
    EXPECT_FALSE(quiet.Connected());
}

TEST(EComPortTest, MessageCarriesTheSystemNumberOnlyWhenThereIsOne) {
    const EComPort withNumber(EComPort::kOpenFailed, 13);
    EXPECT_STREQ(withNumber.what(), "Unable to open com port (win error code: 13)");
    EXPECT_EQ(withNumber.Code(), 1);
    EXPECT_EQ(withNumber.SystemCode(), 13);

    const EComPort plain(EComPort::kStoreFailed);
    EXPECT_STREQ(plain.what(), "Failed to store settings");
    EXPECT_EQ(plain.SystemCode(), -1);

    EXPECT_STREQ(EComPort::CodeText(23), "Registry error");
    EXPECT_STREQ(EComPort::CodeText(0), "");
    EXPECT_STREQ(EComPort::CodeText(24), "");
}

}  // namespace
}  // namespace stela
