// What the automation layer reads from the system without a bus: object
// paths of ProgIDs, the server program from service files, starting
// programs.
#include "contracts/os/zun_dispatch.h"

#include "tests/contracts/data/test_tmp_dir.h"

#include <gtest/gtest.h>

#include <string>

using namespace ZUN;

struct PathCase {
    const wchar_t* progId;
    const char* path;
};

class DispatchPath : public ::testing::TestWithParam<PathCase> {};

TEST_P(DispatchPath, FollowsTheProgIdsParts)
{
    EXPECT_EQ(dbusPathOfProgId(GetParam().progId).toStdString(), GetParam().path);
}

INSTANTIATE_TEST_SUITE_P(Cases, DispatchPath,
                         ::testing::Values(PathCase{L"Zun_Msg.App", "/Zun_Msg/App"},
                                           PathCase{L"Org.Some-Tool.App2", "/Org/Some_Tool/App2"},
                                           PathCase{L"NoDot", ""}, PathCase{L"Zun.1App", ""},
                                           PathCase{L"Zun..App", ""}, PathCase{L"Zun.App/x", ""},
                                           PathCase{L"Zun.\u00C4pp", ""}, PathCase{L"", ""}));

struct ServiceCase {
    const char* name;
    const char* content;
    const char* program;  // expected; empty: none
};

class DispatchServiceFile : public ::testing::TestWithParam<ServiceCase> {};

TEST_P(DispatchServiceFile, GivesTheProgramOfTheExecLine)
{
    CTestTmpDir home;
    CTestTmpDir other;
    CTestEnv dataHome("XDG_DATA_HOME", home.str().c_str());
    CTestEnv dataDirs("XDG_DATA_DIRS", other.str().c_str());
    home.write("dbus-1/services/Zun_Test.Svc.service", GetParam().content);
    EXPECT_EQ(serverFromProgID(L"Zun_Test.Svc").toUtf8(), GetParam().program);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DispatchServiceFile,
    ::testing::Values(
        ServiceCase{"Plain", "[D-BUS Service]\nName=Zun_Test.Svc\nExec=/opt/zun/bin/zun-msg\n", "/opt/zun/bin/zun-msg"},
        ServiceCase{"WithArguments", "[D-BUS Service]\nName=Zun_Test.Svc\nExec=/usr/bin/prog --bus -v\n", "/usr/bin/prog"},
        ServiceCase{"Quoted", "[D-BUS Service]\nExec=\"/my progs/zun msg\" --x\nName=Zun_Test.Svc\n", "/my progs/zun msg"},
        ServiceCase{"OtherName", "[D-BUS Service]\nName=Zun_Test.Other\nExec=/usr/bin/prog\n", ""},
        ServiceCase{"NoExec", "[D-BUS Service]\nName=Zun_Test.Svc\n", ""},
        ServiceCase{"OtherSection", "[Other]\nName=Zun_Test.Svc\nExec=/usr/bin/prog\n", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DispatchServiceFileSearch, DataHomeComesBeforeDataDirs)
{
    CTestTmpDir home;
    CTestTmpDir first;
    CTestTmpDir second;
    CTestEnv dataHome("XDG_DATA_HOME", home.str().c_str());
    const std::string dirs = first.str() + ":" + second.str();
    CTestEnv dataDirs("XDG_DATA_DIRS", dirs.c_str());
    second.write("dbus-1/services/Zun_Test.Svc.service", "[D-BUS Service]\nName=Zun_Test.Svc\nExec=/second\n");
    EXPECT_EQ(serverFromProgID(L"Zun_Test.Svc"), L"/second");
    first.write("dbus-1/services/Zun_Test.Svc.service", "[D-BUS Service]\nName=Zun_Test.Svc\nExec=/first\n");
    EXPECT_EQ(serverFromProgID(L"Zun_Test.Svc"), L"/first");
    home.write("dbus-1/services/Zun_Test.Svc.service", "[D-BUS Service]\nName=Zun_Test.Svc\nExec=/home\n");
    EXPECT_EQ(serverFromProgID(L"Zun_Test.Svc"), L"/home");
    EXPECT_EQ(serverFromProgID(L"not a name"), L"");
}

TEST(DispatchExecute, WaitsForTheExitStatusOrStartsDetached)
{
    EXPECT_TRUE(execute(L"/bin/true", 1, false));
    EXPECT_FALSE(execute(L"/bin/false", 1, false));
    EXPECT_FALSE(execute(L"/nonexistent/program", 1, false));
    EXPECT_FALSE(execute(L"/nonexistent/program", 0, true));
    EXPECT_FALSE(execute(L"", 0, true));
    EXPECT_TRUE(execute(L"/bin/true", 0, true));
}

TEST(DispatchName, AnInvalidProgIdAsksNoBus)
{
    EXPECT_EQ(dispatchFromProgID(L"bad name"), nullptr);
    EXPECT_EQ(dispatchFromProgID(L""), nullptr);
}
