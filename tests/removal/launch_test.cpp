// Starting programs and the library thread, with the exitafter and dllentry stand-ins.
#include "testutil.h"
#include "core/launch.h"
#include "core/log.h"
#include <tlhelp32.h>
#include <gtest/gtest.h>

static const std::string kExitAfter = BinPath("exitafter.exe");

TEST(Launch, RunAndWaitReturnsTheExitCode)
{
    std::string dir = MakeTempFolder("run");
    std::string log = OpenTestLog(dir, false);
    std::string record = dir + "\\calls.txt";
    SetEnvironmentVariableA("VL_EXITAFTER_LOG", record.c_str());
    EXPECT_EQ(7u, RunProcessAndWait(NULL, SW_HIDE, kExitAfter.c_str(), dir.c_str(), "7 0 with blanks"));
    EXPECT_EQ(99u, RunProcessAndWait(NULL, SW_HIDE, kExitAfter.c_str(), dir.c_str(), "99 0"));  // no 99 rule here
    EXPECT_EQ(100u, RunProcessAndWait(NULL, SW_HIDE, (dir + "\\missing.exe").c_str(), dir.c_str(), "-x"));
    SetEnvironmentVariableA("VL_EXITAFTER_LOG", NULL);
    std::string text = ReadText(log);
    EXPECT_EQ(1, CountOf(text, "Launching process '" + kExitAfter + "' '7 0 with blanks'; dir '" + dir + "'."));
    EXPECT_EQ(1, CountOf(text, "Process ended; exit code 0x00000007"));
    EXPECT_EQ(1, CountOf(text, "Process ended; exit code 0x00000063"));
    EXPECT_EQ(1, CountOf(text, "Launching process '" + dir + "\\missing.exe' '-x'; dir '" + dir + "'."));
    EXPECT_EQ(1, CountOf(text, "Unable to launch process; code 2."));
    std::string calls = ReadText(record);
    EXPECT_EQ(1, CountOf(calls, "args: [7] [0] [with] [blanks]"));
    EXPECT_EQ(2, CountOf(calls, "dir: " + dir + "\r\n"));  // started in the given folder
    RemoveFolderTree(dir);
}

TEST(Launch, TrackedProcessIsPolledAndNinetyNineCountsAsZero)
{
    std::string dir = MakeTempFolder("poll");
    std::string log = OpenTestLog(dir, false);
    DWORD code = 1234;
    EXPECT_FALSE(PollLaunchedProcess(&code));  // nothing tracked
    EXPECT_EQ(0u, code);

    ASSERT_TRUE(LaunchProcess(NULL, kExitAfter.c_str(), dir.c_str(), "99 1500"));
    code = 1234;
    EXPECT_TRUE(PollLaunchedProcess(&code));
    EXPECT_EQ(0u, code);
    int polls = 0;
    while (PollLaunchedProcess(&code) && polls++ < 200) SleepMs(50);
    EXPECT_EQ(0u, code);
    EXPECT_FALSE(PollLaunchedProcess(&code));  // no longer tracked

    ASSERT_TRUE(LaunchProcess(NULL, kExitAfter.c_str(), dir.c_str(), "0x2a 0"));
    for (polls = 0; PollLaunchedProcess(&code) && polls < 200; polls++) SleepMs(50);
    EXPECT_EQ(42u, code);

    // A silent run shows no error box for a program that cannot be started.
    LogOpen(1, 1, log.c_str());
    EXPECT_FALSE(LaunchProcess(NULL, (dir + "\\missing.exe").c_str(), dir.c_str(), ""));
    EXPECT_FALSE(PollLaunchedProcess(&code));
    std::string text = ReadText(log);
    EXPECT_EQ(1, CountOf(text, "Process ended; exit code 0x00000000"));
    EXPECT_EQ(0, CountOf(text, "0x00000063"));
    EXPECT_EQ(1, CountOf(text, "Process ended; exit code 0x0000002a"));
    EXPECT_EQ(1, CountOf(text, "***Unable to launch process; code 2."));
    RemoveFolderTree(dir);
}

static volatile LONG sStopAfterPolls;
static BOOL StopAfterThreePolls() { return InterlockedIncrement(&sStopAfterPolls) > 3; }
static void CountPoll(void *polls) { (*(int *)polls)++; }

// The removal's waits for a program: the exit code once it ends, and no
// longer than the run lasts: ended, the wait gives up at once with its own
// line (not a time-out) and leaves the program running.
TEST(Launch, WaitForTheTrackedProcessEndsWithTheRun)
{
    std::string dir = MakeTempFolder("waitstop");
    std::string log = OpenTestLog(dir, false);
    std::string copy = dir + "\\waitcmd.exe";
    ASSERT_TRUE(CopyFileA(kExitAfter.c_str(), copy.c_str(), FALSE));
    DWORD code = 1234;
    int polls = 0;
    ASSERT_TRUE(LaunchProcess(NULL, copy.c_str(), dir.c_str(), "5 300"));
    EXPECT_TRUE(WaitLaunchedProcess(50, NULL, CountPoll, &polls, &code));
    EXPECT_EQ(5u, code);
    EXPECT_GT(polls, 0);

    sStopAfterPolls = 0;
    ASSERT_TRUE(LaunchProcess(NULL, copy.c_str(), dir.c_str(), "0 4000"));
    DWORD start = GetTickCount();
    EXPECT_FALSE(WaitLaunchedProcess(50, StopAfterThreePolls, NULL, NULL, &code));
    EXPECT_LT(GetTickCount() - start, 3000u);
    EXPECT_TRUE(PollLaunchedProcess(&code)) << "the program keeps running";
    std::string text = ReadText(log);
    EXPECT_EQ(1, CountOf(text, "Stopped waiting: the uninstallation was ended"));
    EXPECT_EQ(0, CountOf(text, "Process timed out."));
    for (int i = 0; i < 200 && PollLaunchedProcess(&code); i++) SleepMs(50);
    RemoveFolderTree(dir);
}

static DWORD FindProcess(const char *exeName)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    DWORD found = 0;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (!lstrcmpiA(entry.szExeFile, exeName)) found = entry.th32ProcessID;
    CloseHandle(snapshot);
    return found;
}

// Takes 60 seconds: the limit of RunProcessAndWait.
TEST(Launch, ProgramRunningPastTheLimitTimesOut_Slow)
{
    std::string dir = MakeTempFolder("timeout");
    std::string log = OpenTestLog(dir, false);
    // A copy under its own name, so that the process can be found and ended afterwards.
    std::string copy = dir + "\\slowcmd.exe";
    ASSERT_TRUE(CopyFileA(kExitAfter.c_str(), copy.c_str(), FALSE));
    DWORD start = GetTickCount();
    EXPECT_EQ(100u, RunProcessAndWait(NULL, SW_HIDE, copy.c_str(), dir.c_str(), "0 90000"));
    EXPECT_GE(GetTickCount() - start, 59000u);
    EXPECT_EQ(1, CountOf(ReadText(log), "Process timed out."));
    DWORD still = FindProcess("slowcmd.exe");
    EXPECT_NE(0u, still) << "the program keeps running";
    if (still) {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, still);
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 10000);
        CloseHandle(process);
    }
    RemoveFolderTree(dir);
}

TEST(Launch, DllThreadRunsTheEntryWithFourteenArguments)
{
    std::string dir = MakeTempFolder("dllthread");
    std::string log = OpenTestLog(dir, false);
    std::string record = dir + "\\args.txt";
    SetEnvironmentVariableA("VL_DLLENTRY_LOG", record.c_str());
    std::string library = BinPath("dllentry.dll");
    DWORD_PTR args[VL_DLL_ARG_COUNT];
    // The first argument is a pointer into this program's own data, as the
    // service name given to isuVLStop is: in a 64-bit build it lies above
    // 4 GB (the image base), so an argument cut to 32 bits shows here.
    static const char kName[] = "NorvikVarolink";
    args[0] = (DWORD_PTR)kName;
    if (sizeof(void *) == 8) {
        EXPECT_GT((unsigned long long)args[0], 0xFFFFFFFFull) << "not a test of the upper half";
    }
    for (int i = 1; i < 12; i++) args[i] = 0x11111111u * (i % 15 + 1);
    args[12] = 400;          // the entry sleeps this long
    args[13] = 0xCAFE0001;   // and returns this
    ASSERT_TRUE(LaunchDllThread(library.c_str(), "RecordArguments", args));
    DWORD result = 77;
    EXPECT_TRUE(PollDllThread(&result));  // still sleeping
    EXPECT_EQ(0u, result);
    int polls = 0;
    while (PollDllThread(&result) && polls++ < 200) SleepMs(50);
    EXPECT_EQ(0xCAFE0001u, result);
    EXPECT_TRUE(GetModuleHandleA("dllentry.dll") == NULL);  // freed after the thread ended
    EXPECT_FALSE(PollDllThread(&result));                  // cleaned up once
    SetEnvironmentVariableA("VL_DLLENTRY_LOG", NULL);

    char pointer[32];
    snprintf(pointer, sizeof pointer, "%08llx", (unsigned long long)args[0]);
    EXPECT_EQ(std::string(pointer) + " 22222222 33333333 44444444 55555555 66666666 77777777 88888888 99999999 aaaaaaaa "
              "bbbbbbbb cccccccc 00000190 cafe0001\r\n",
              ReadText(record));
    std::string text = ReadText(log);
    size_t launching = Where(text, "Launching thread '" + library + "(RecordArguments)'.");
    size_t ending = Where(text, "Thread ending; rc is 0xcafe0001");
    size_t waiting = Where(text, "Waiting for thread to end...");
    size_t ended = Where(text, "...thread ended");
    ASSERT_NE(std::string::npos, launching);
    ASSERT_NE(std::string::npos, ending);
    EXPECT_LT(launching, ending);
    EXPECT_LT(ending, waiting);
    EXPECT_LT(waiting, ended);
    EXPECT_EQ(1, CountOf(text, "Thread ending"));
    RemoveFolderTree(dir);
}

TEST(Launch, LibraryWithoutTheEntryIsUnloadedAgain)
{
    std::string dir = MakeTempFolder("dllmissing");
    std::string log = OpenTestLog(dir, false);
    DWORD_PTR args[VL_DLL_ARG_COUNT] = {};
    std::string library = BinPath("dllentry.dll");
    EXPECT_FALSE(LaunchDllThread(library.c_str(), "isuNoSuchEntry", args));
    EXPECT_TRUE(GetModuleHandleA("dllentry.dll") == NULL);
    EXPECT_FALSE(LaunchDllThread((dir + "\\missing.dll").c_str(), "RecordArguments", args));
    DWORD result = 5;
    EXPECT_FALSE(PollDllThread(&result));  // nothing runs
    EXPECT_EQ(0u, result);
    EXPECT_TRUE(SleepMs(1));
    std::string text = ReadText(log);
    EXPECT_EQ(1, CountOf(text, "Launching thread '" + library + "(isuNoSuchEntry)'."));
    EXPECT_EQ(1, CountOf(text, "***Unable to get proc address; code 127."));
    EXPECT_EQ(1, CountOf(text, "***Unable to load DLL; code 126."));
    RemoveFolderTree(dir);
}
