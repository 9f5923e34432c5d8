// The acquisition loop as the scripted library sees it (its pace after a delivery and
// after nothing), the thread entry's checks of its record, and "Update bar position"
// deciding whether the view follows received and loaded lines.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "quorlink/QuorlinkTest.h"
#include "support/MainWindowTest.h"
#include "support/WinTestSupport.h"
#include "ui/ReaderDlg.h"

using namespace wintest;

namespace acquisition_loop_test {

const int kCheckBox = 1013;  // "Update bar position"
const int kStartStop = 1005;
const int kLoad = 1011;
const int kView = 1000;

class AcquisitionLoopTest : public ScriptedWindowTest {
protected:
    static void SetUpTestSuite()
    {
        ScriptedWindowTest::SetUpTestSuite();
        s_rawRead = ExportOf<PFN_Test_QueueRawRead>(::GetModuleHandleA("Quorlink.dll"), "Test_QueueRawRead");
    }
    void SetUp() override
    {
        StartFresh({"COM2", "COM6"});
        TestApp().m_settings.comPort = 6;
    }

    void Open()
    {
        m_dlg = std::make_unique<CReaderDlg>(TestApp());
        ASSERT_TRUE(m_dlg->Create());
        PumpFor(50);
    }
    bool WaitLines(int n) const
    {
        return PumpUntil([&] { return m_dlg->View().GetLineCount() >= n; }, 5000);
    }
    // Rows the view shows at once: its client height in whole lines.
    int VisibleRows() const
    {
        RECT client;
        ::GetClientRect(Item(kView), &client);
        return client.bottom / m_dlg->View().GetLineHeight();
    }

    static PFN_Test_QueueRawRead s_rawRead;
};

PFN_Test_QueueRawRead AcquisitionLoopTest::s_rawRead;

TEST_F(AcquisitionLoopTest, PausesAfterEveryDeliveryAndRetriesANothingAtOnce)
{
    Open();
    // Deliveries with bytes and with a count of 0, one after the other; then nothing is
    // scripted, and every read returns 0.
    s_lib.Queue("p1\r");
    s_rawRead(1, nullptr, 0, 0);
    s_lib.Queue("p2\r");
    s_rawRead(1, nullptr, 0, 0);
    s_lib.Queue("p3\r");
    Click(kStartStop);
    ASSERT_TRUE(WaitLines(3));
    PumpFor(300);
    Click(kStartStop);

    const QuorlinkTestStats s = Stats();
    EXPECT_EQ(s.pendingReads, 0);
    EXPECT_GE(s.minGapAfterDeliveryUs, 40000) << "every delivery, with a count of 0 too, is followed by the pause";
    EXPECT_LT(s.minGapAfterDeliveryUs, 500000) << "a pause of about 50 ms";
    EXPECT_GE(s.minGapAfterNothingUs, 0) << "reads that returned 0 were retried";
    EXPECT_LT(s.minGapAfterNothingUs, 3000) << "a read that returned 0 is retried at once";
    EXPECT_EQ(s.lastReadSize, 512);
    EXPECT_EQ(m_dlg->View().GetLineCount(), 3);
}

TEST_F(AcquisitionLoopTest, TheThreadEntryRefusesAMissingRecordAndAMissingOwner)
{
    AcquisitionRun noOwner;
    noOwner.library = &TestApp().m_commLibrary;
    DialogWatcher watcher;
    for (AcquisitionRun* record : {static_cast<AcquisitionRun*>(nullptr), &noOwner}) {
        HANDLE thread = ::CreateThread(nullptr, 0, &CAcquisitionSession::WorkerProc, record, 0, nullptr);
        ASSERT_NE(thread, nullptr);
        EXPECT_EQ(::WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
        DWORD code = 99;
        ::GetExitCodeThread(thread, &code);
        EXPECT_EQ(code, 0u);
        ::CloseHandle(thread);
    }
    EXPECT_EQ(watcher.Texts(), (std::vector<std::string>{"CRITICAL ERROR ( 1 )!", "CRITICAL ERROR ( 2 )!"}));
    const QuorlinkTestStats s = Stats();
    EXPECT_EQ(s.openCalls + s.readCalls + s.closeCalls, 0) << "nothing else happens";
}

TEST_F(AcquisitionLoopTest, UpdateBarPositionDecidesWhetherReceivedAndLoadedLinesAreFollowed)
{
    TestApp().m_settings.updateListPosition = 0;
    Open();
    EXPECT_EQ(::SendMessageA(Item(kCheckBox), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    const int rows = VisibleRows();
    ASSERT_GT(rows, 1);
    // Three screens of lines per step; each step has lines of its own.
    auto receive = [&](char tag) {
        const int before = m_dlg->View().GetLineCount();
        std::string bytes;
        for (int i = 0; i < 3 * rows; ++i)
            bytes += std::string(1, tag) + std::to_string(i) + "\r";
        s_lib.Queue(bytes);
        EXPECT_TRUE(WaitLines(before + 3 * rows)) << tag;
        PumpFor(50);
    };
    struct Step {
        bool clickBefore;   // the operator clicks the check box first
        int setting;        // UPDATE_LIST_POSITION then
        char tag;
    };
    const Step steps[] = {{false, 0, 'a'}, {true, 1, 'b'}, {false, 1, 'c'}, {true, 0, 'd'}};
    Click(kStartStop);
    int followedTo = 0;  // where the view was left by the last followed line
    for (const Step& step : steps) {
        if (step.clickBefore)
            ::SendMessageA(Item(kCheckBox), BM_CLICK, 0, 0);
        EXPECT_EQ(TestApp().m_settings.updateListPosition, step.setting) << step.tag;
        receive(step.tag);
        const int count = m_dlg->View().GetLineCount();
        if (step.setting)
            followedTo = count - rows;
        EXPECT_EQ(m_dlg->View().GetTopLine(), followedTo) << step.tag << ": the last line shows in the last row "
                                                                          "only when the box is checked";
    }
    Click(kStartStop);

    // Load takes the same choice: the box on shows the file's end, off its start.
    std::string file;
    for (int i = 0; i < 5 * rows; ++i)
        file += "f" + std::to_string(i) + "\r\n";
    WriteFileBytes(m_dir.File("loaded.txt"), file);
    for (int setting : {0, 1}) {
        if (TestApp().m_settings.updateListPosition != setting)
            ::SendMessageA(Item(kCheckBox), BM_CLICK, 0, 0);
        ASSERT_EQ(TestApp().m_settings.updateListPosition, setting);
        FileDialogAnswer answer(m_dir.File("loaded.txt"));
        Click(kLoad);
        ASSERT_TRUE(answer.WaitDone(5000));
        ASSERT_TRUE(PumpUntil([&] { return m_dlg->View().GetLineCount() == 5 * rows; }, 5000));
        EXPECT_EQ(m_dlg->View().GetTopLine(), setting ? 5 * rows - rows : 0) << setting;
    }
}

}  // namespace acquisition_loop_test
