// The library binding: all-or-nothing loading, the wrappers, and the port list that
// start-up and the main window build through the library.
#include <gtest/gtest.h>

#include "app/ReaderApp.h"
#include "link/CommLibrary.h"
#include "quorlink/QuorlinkTest.h"
#include "support/MainWindowTest.h"
#include "support/WinTestSupport.h"

using namespace wintest;

namespace {

std::string Lib(const char* variant)
{
    return ExeDir() + "testlibs\\" + variant + "\\Quorlink.dll";
}

template <typename Fn>
Fn Proc(const std::string& lib, const char* name)
{
    return ExportOf<Fn>(::GetModuleHandleA(lib.c_str()), name);
}

}  // namespace

TEST(CommLibrary, LoadsAllOrNothingAndRefusesASecondLoad)
{
    CommLibrary lib;
    EXPECT_EQ(lib.LoadDll("NoSuchLibrary.dll"), 0);
    EXPECT_FALSE(lib.IsLoaded());
    EXPECT_EQ(lib.Table().Quorlink_AddNewCommunication, nullptr) << "a missing file touches no slot";

    EXPECT_EQ(lib.LoadDll(Lib("missing").c_str()), 0);
    EXPECT_FALSE(lib.IsLoaded());
    EXPECT_EQ(::GetModuleHandleA(Lib("missing").c_str()), nullptr) << "the library is released again";
    EXPECT_NE(lib.Table().Quorlink_EnableAddLenDumpToDump, nullptr) << "slots before the missing one were filled";
    EXPECT_EQ(lib.Table().Quorlink_AddDataToWriteDump2, nullptr);

    ASSERT_EQ(lib.LoadDll(Lib("scripted").c_str()), 1);
    EXPECT_EQ(lib.LoadDll(Lib("scripted").c_str()), 0) << "loading twice is refused";
    EXPECT_TRUE(lib.IsLoaded());
    EXPECT_NE(lib.Table().Quorlink_AddDataToWriteDump2, nullptr);
    lib.FreeDll();
    EXPECT_FALSE(lib.IsLoaded());
    lib.FreeDll();  // nothing loaded: nothing happens
}

TEST(CommLibrary, WrappersPassArgumentsThroughAndCallNothingWhenUnloaded)
{
    CommLibrary lib;
    int ports[4] = {};
    int count = 4;
    unsigned char buf[8];
    unsigned int got = 0;
    // Not loaded is never read as success: Open says so rather than "opened".
    const OpenResult unloaded = lib.Open(3, 9600, 0);
    EXPECT_EQ(unloaded.status, OpenResult::Status::NotLoaded);
    EXPECT_FALSE(unloaded.Opened());
    EXPECT_EQ(lib.ReadComBuffer(buf, 8, &got, 0), ReadResult::NotLoaded);
    EXPECT_EQ(lib.GetCOM_Installed(ports, &count), LibraryCall::NotLoaded);
    EXPECT_EQ(lib.SetInterface(3, 0), LibraryCall::NotLoaded);
    EXPECT_EQ(lib.Close(0), LibraryCall::NotLoaded);
    EXPECT_EQ(count, 4) << "nothing was called";

    const std::string path = Lib("scripted");
    ASSERT_EQ(lib.LoadDll(path.c_str()), 1);
    Proc<PFN_Test_Reset>(path, "Test_Reset")();
    const auto setOpenResult = Proc<PFN_Test_SetOpenResult>(path, "Test_SetOpenResult");
    EXPECT_EQ(lib.SetInterface(3, 0), LibraryCall::Called);
    // The library's answer names itself, and its own number stays for the operator.
    struct OpenCase {
        int answer;
        OpenResult::Status status;
    };
    for (const OpenCase& c : {OpenCase{7, OpenResult::Status::Refused}, OpenCase{0, OpenResult::Status::Opened},
                              OpenCase{-3, OpenResult::Status::Refused}}) {
        setOpenResult(c.answer);
        const OpenResult result = lib.Open(4, 115200, 0);
        EXPECT_EQ(result.status, c.status) << c.answer;
        EXPECT_EQ(result.code, c.answer);
        EXPECT_EQ(result.Opened(), c.answer == 0) << c.answer;
    }
    setOpenResult(0);
    ASSERT_TRUE(lib.Open(4, 115200, 0).Opened());
    EXPECT_EQ(lib.ReadComBuffer(buf, 8, &got, 0), ReadResult::Nothing) << "nothing scripted: nothing delivered";
    Proc<PFN_Test_QueueRead>(path, "Test_QueueRead")(reinterpret_cast<const unsigned char*>("abc"), 3);
    EXPECT_EQ(lib.ReadComBuffer(buf, 8, &got, 0), ReadResult::Delivered);
    EXPECT_EQ(got, 3u);
    EXPECT_EQ(lib.Close(0), LibraryCall::Called);
    QuorlinkTestStats stats = {};
    Proc<PFN_Test_GetStats>(path, "Test_GetStats")(&stats);
    EXPECT_EQ(stats.lastInterface, 3);
    EXPECT_EQ(stats.lastInterfaceOption, 0);
    EXPECT_EQ(stats.lastOpenPort, 4);
    EXPECT_EQ(stats.lastOpenBaud, 115200);
    EXPECT_EQ(stats.closeCalls, 1);
    lib.FreeDll();
    EXPECT_EQ(lib.Close(0), LibraryCall::NotLoaded) << "freed: nothing is called";
}

// The list the window starts with is the library's: in its order, empty when it lists
// none; only where the ports cannot be listed is it COM1 to COM50.
TEST(CommLibrary, PortListKeepsTheLibrarysOrderAndAnEmptyListStaysEmpty)
{
    const std::string path = Lib("scripted");
    ASSERT_EQ(TestApp().m_commLibrary.LoadDll(path.c_str()), 1);
    auto setPorts = Proc<PFN_Test_SetPorts>(path, "Test_SetPorts");
    const int ports[] = {3, 1, 3};
    setPorts(ports, 3);
    std::vector<std::string>& list = TestApp().m_comPortList;
    EXPECT_TRUE(ListInstalledPorts(TestApp().m_commLibrary, list));
    EXPECT_EQ(list, (std::vector<std::string>{"COM3", "COM1", "COM3"}));
    EXPECT_EQ(PortListAtStart(TestApp().m_commLibrary), list);
    setPorts(nullptr, 0);
    EXPECT_TRUE(ListInstalledPorts(TestApp().m_commLibrary, list));
    EXPECT_TRUE(list.empty()) << "no ports reported: no fallback list";
    EXPECT_TRUE(PortListAtStart(TestApp().m_commLibrary).empty());
    TestApp().m_commLibrary.FreeDll();
    EXPECT_FALSE(ListInstalledPorts(TestApp().m_commLibrary, list));
    std::vector<std::string> firstFifty;
    for (int i = 1; i <= 50; ++i)
        firstFifty.push_back("COM" + std::to_string(i));
    EXPECT_EQ(PortListAtStart(TestApp().m_commLibrary), firstFifty);
}
