// Stop with a library call that never returns: the worker is ended by force and the
// window goes on working.
#include <gtest/gtest.h>

#include "core/AppSettings.h"
#include "app/ReaderApp.h"
#include "link/CommLibrary.h"
#include "res/resource.h"
#include "support/MainWindowTest.h"
#include "support/WinTestSupport.h"
#include "ui/ReaderDlg.h"

using namespace wintest;

TEST(ForcedStop, AHangingReadIsEndedAndTheNextRunStartsAgain)
{
    const std::string lib = ExeDir() + "testlibs\\hang\\Quorlink.dll";
    ASSERT_EQ(TestApp().m_commLibrary.LoadDll(lib.c_str()), 1);
    ResetTestApp({"COM1"});
    {
        CReaderDlg dlg(TestApp());
        ASSERT_TRUE(dlg.Create());
        HWND start = ::GetDlgItem(dlg.m_hWnd, IDC_START);
        for (int run = 0; run < 2; ++run) {
            ::SendMessageA(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED), reinterpret_cast<LPARAM>(start));
            PumpFor(100);  // the worker is now inside the read that never returns
            const DWORD t0 = ::GetTickCount();
            ::SendMessageA(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED), reinterpret_cast<LPARAM>(start));
            const DWORD took = ::GetTickCount() - t0;
            EXPECT_GE(took, 250u) << "the worker gets its 300 ms to see the stop";
            EXPECT_LT(took, 3000u) << "a hanging library call must not hold up Stop";
            EXPECT_FALSE(dlg.IsRunning());
            char caption[32] = "";
            ::GetWindowTextA(start, caption, sizeof caption);
            EXPECT_STREQ(caption, "Start");
        }
        PumpFor(50);
    }
    // Shutdown closes the port once more; the library must still answer.
    TestApp().m_commLibrary.Close(0);
    TestApp().m_commLibrary.FreeDll();
}
