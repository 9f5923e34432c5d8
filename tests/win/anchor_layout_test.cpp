// Control anchoring on the real main window template: registration, resizing and back.
#include <gtest/gtest.h>

#include "controls/AnchorLayout.h"
#include "resource.h"

#include <map>

namespace {

INT_PTR CALLBACK PlainDialogProc(HWND, UINT msg, WPARAM, LPARAM)
{
    return msg == WM_INITDIALOG;
}

RECT ChildRect(HWND parent, int id)
{
    RECT rc = {};
    ::GetWindowRect(::GetDlgItem(parent, id), &rc);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

struct Registration {
    UINT id;
    AnchorRule left, right, top, bottom;
};

constexpr AnchorRule N = AnchorRule::Near, F = AnchorRule::Far, C = AnchorRule::Center;

// The main window's registrations, in its order.
const Registration kMainWindow[] = {
    {IDC_COM_PORT_LABEL, C, C, N, N}, {IDC_COM_PORT, C, C, N, N}, {IDC_BAUD_LABEL, C, C, N, N},
    {IDC_BAUD_RATE, C, C, N, N},      {IDC_HIDDEN_STATIC, C, C, N, N}, {IDC_DATA_VIEW, N, F, N, F},
    {IDC_OUTPUT_GROUP, N, F, F, F},   {IDC_OUTPUT_PATH, N, F, F, F}, {IDC_SAVE, N, N, F, F},
    {IDC_SAVE_AS, N, N, F, F},        {IDC_LOAD, N, N, F, F},      {IDC_CLEAR, N, N, F, F},
    {IDC_START, C, C, F, F},          {IDC_PRINT_PREVIEW, N, N, F, F}, {IDC_PRINT, N, N, F, F},
    {IDC_EXIT, F, F, F, F},
};

class AnchorLayoutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        HWND dlg = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_READER_DIALOG), nullptr,
                                        PlainDialogProc, 0);
        ASSERT_TRUE(dlg);
        ASSERT_TRUE(m_dialog.SubclassWindow(dlg));
        RECT client;
        ::GetClientRect(dlg, &client);
        m_width = client.right;
        m_height = client.bottom;
        for (int id = IDC_DATA_VIEW; id <= IDC_EXIT; ++id)
            m_template[id] = ChildRect(dlg, id);
    }

    void TearDown() override
    {
        if (m_dialog.m_hWnd)
            ::DestroyWindow(m_dialog.m_hWnd);
    }

    void RegisterLikeMainWindow()
    {
        m_layout.Init(&m_dialog);
        for (const Registration& r : kMainWindow)
            ASSERT_TRUE(m_layout.AddControl(r.id, r.left, r.right, r.top, r.bottom)) << r.id;
    }

    // Expects control id at its template rectangle shifted by the given amounts.
    void ExpectMoved(int id, int dl, int dt, int dr, int db)
    {
        const RECT& t = m_template[id];
        const RECT now = ChildRect(m_dialog.m_hWnd, id);
        EXPECT_EQ(now.left, t.left + dl) << "control " << id;
        EXPECT_EQ(now.top, t.top + dt) << "control " << id;
        EXPECT_EQ(now.right, t.right + dr) << "control " << id;
        EXPECT_EQ(now.bottom, t.bottom + db) << "control " << id;
    }

    CWnd m_dialog;
    CAnchorLayout m_layout;
    int m_width = 0;
    int m_height = 0;
    std::map<int, RECT> m_template;
};

}  // namespace

TEST_F(AnchorLayoutTest, MainWindowGrowsBy100x50AndBack)
{
    RegisterLikeMainWindow();
    EXPECT_TRUE(m_layout.IsInitialized());
    EXPECT_EQ(m_layout.InitialWidth(), m_width);
    EXPECT_EQ(m_layout.InitialHeight(), m_height);

    m_layout.ApplyLayout(m_width + 100, m_height + 50);
    ExpectMoved(IDC_DATA_VIEW, 0, 0, 100, 50);
    ExpectMoved(IDC_SAVE, 0, 50, 0, 50);
    ExpectMoved(IDC_START, 50, 50, 50, 50);
    ExpectMoved(IDC_EXIT, 100, 50, 100, 50);
    ExpectMoved(IDC_COM_PORT_LABEL, 50, 0, 50, 0);
    ExpectMoved(IDC_OUTPUT_GROUP, 0, 50, 100, 50);
    ExpectMoved(IDC_PRINT, 0, 50, 0, 50);
    // Not registered: stays at the top left.
    ExpectMoved(IDC_UPDATE_BAR, 0, 0, 0, 0);
    ExpectMoved(IDC_INDENT, 0, 0, 0, 0);

    m_layout.ApplyLayout(m_width + 101, m_height);
    ExpectMoved(IDC_BAUD_LABEL, 50, 0, 50, 0);
    m_layout.ApplyLayout(m_width - 101, m_height);
    ExpectMoved(IDC_BAUD_LABEL, -50, 0, -50, 0);
    ExpectMoved(IDC_DATA_VIEW, 0, 0, -101, 0);

    m_layout.ApplyLayout(m_width, m_height);
    for (int id = IDC_DATA_VIEW; id <= IDC_EXIT; ++id)
        ExpectMoved(id, 0, 0, 0, 0);
}

TEST_F(AnchorLayoutTest, RegistrationRules)
{
    // Nothing is registered before Init, nor for an id without a control.
    EXPECT_FALSE(m_layout.AddControl(IDC_SAVE, N, N, F, F));
    m_layout.ApplyLayout(m_width + 100, m_height + 50);
    ExpectMoved(IDC_SAVE, 0, 0, 0, 0);

    m_layout.Init(&m_dialog);
    EXPECT_FALSE(m_layout.AddControl(4242, N, N, F, F));
    AnchorRecord* first = m_layout.AddControl(IDC_SAVE, N, N, F, F);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->control, ::GetDlgItem(m_dialog.m_hWnd, IDC_SAVE));
    EXPECT_EQ(first->left, m_template[IDC_SAVE].left);
    EXPECT_EQ(first->bottom, m_template[IDC_SAVE].bottom);

    // Registered again after it moved: the first rectangle stays, the rules change.
    ::MoveWindow(first->control, 1, 1, 10, 10, FALSE);
    AnchorRecord* again = m_layout.AddControl(IDC_SAVE, F, F, N, N);
    ASSERT_EQ(again, first);
    EXPECT_EQ(again->left, m_template[IDC_SAVE].left);
    EXPECT_EQ(again->leftRule, F);
    EXPECT_EQ(again->bottomRule, N);
    m_layout.ApplyLayout(m_width + 30, m_height + 40);
    ExpectMoved(IDC_SAVE, 30, 0, 30, 0);

    // A minimised window (zero size) moves nothing.
    m_layout.ApplyLayout(0, 0);
    m_layout.ApplyLayout(m_width + 90, 0);
    ExpectMoved(IDC_SAVE, 30, 0, 30, 0);

    // A control whose window is gone is skipped; the others still move.
    ASSERT_TRUE(m_layout.AddControl(IDC_CLEAR, N, N, F, F));
    ::DestroyWindow(::GetDlgItem(m_dialog.m_hWnd, IDC_SAVE));
    m_layout.ApplyLayout(m_width, m_height + 20);
    ExpectMoved(IDC_CLEAR, 0, 20, 0, 20);

    m_layout.Reset();
    EXPECT_FALSE(m_layout.IsInitialized());
    EXPECT_FALSE(m_layout.AddControl(IDC_CLEAR, N, N, F, F));
    m_layout.ApplyLayout(m_width, m_height);
    ExpectMoved(IDC_CLEAR, 0, 20, 0, 20);
}

TEST_F(AnchorLayoutTest, ProportionalEdgesScaleWithTheWindow)
{
    HWND parent = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr,
                                    ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(parent);
    HWND child = ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 10, 20, 10, parent,
                                   reinterpret_cast<HMENU>(7), ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(child);
    CWnd wnd;
    ASSERT_TRUE(wnd.SubclassWindow(parent));
    CAnchorLayout layout;
    layout.Init(&wnd);
    ASSERT_TRUE(layout.AddControl(7, AnchorRule::Proportional, AnchorRule::Proportional, N, N));
    layout.ApplyLayout(300, 100);
    const RECT rc = ChildRect(parent, 7);
    EXPECT_EQ(rc.left, 15);
    EXPECT_EQ(rc.right, 45);
    EXPECT_EQ(rc.top, 10);
    EXPECT_EQ(rc.bottom, 20);
    ::DestroyWindow(parent);
}
