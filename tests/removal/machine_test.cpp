// The one place where the machine is changed, in its two modes: a real run
// makes each change and records its outcome; a preview logs what it would
// do, records it as would-be-done, and leaves the machine as it was, while
// the probes answer as if the change had been made.
#include "testutil.h"
#include "core/fileprobes.h"
#include "core/ledger.h"
#include "core/machine.h"
#include "core/regread.h"
#include "core/runstate.h"
#include "removal/files.h"
#include "removal/registry.h"
#include "removal/services.h"
#include <aclapi.h>
#include <sddl.h>
#include <stdio.h>
#include <gtest/gtest.h>

namespace {

struct Machine : ::testing::Test {
    std::string Dir, Log;
    void SetUp() override
    {
        LedgerReset();
        MachineReset();
        gRun.Preview = FALSE;
        Dir = MakeTempFolder("machine");
        Log = OpenTestLog(Dir + "\\log");
    }
    void TearDown() override
    {
        gRun.Preview = FALSE;
        LedgerReset();
        RemoveFolderTree(Dir);
    }
    LedgerItem Latest(const std::string &target)
    {
        LedgerItem item = {};
        EXPECT_TRUE(LedgerFind(target.c_str(), &item)) << target;
        return item;
    }
};

std::string Sddl(const std::string &path)
{
    PSECURITY_DESCRIPTOR descriptor = NULL;
    if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, NULL, NULL, NULL, NULL,
                              &descriptor) != ERROR_SUCCESS)
        return "";
    char *text = NULL;
    std::string sddl;
    if (ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                             &text, NULL))
        sddl = text;
    LocalFree(text);
    LocalFree(descriptor);
    return sddl;
}

int sCalls;
void CountCall(void *) { sCalls++; }
int CountWrite(void *) { return ++sCalls; }

}  // namespace

TEST_F(Machine, FilesAndFoldersGoInARealRunAndAreOnlyListedInAPreview)
{
    std::string folder = Dir + "\\tree", file = folder + "\\a.txt", held = folder + "\\held.txt";
    CreateDirectoryA(folder.c_str(), NULL);
    WriteTextFile(file);

    // Preview: the file stays, yet counts as gone for every probe that follows.
    gRun.Preview = TRUE;
    EXPECT_EQ((DWORD)MACHINE_HELD_BACK, MachineDeleteFile(file.c_str()));
    EXPECT_TRUE(PathExists(file));
    EXPECT_FALSE(FileExists(file.c_str()));
    EXPECT_EQ(1, FolderListState(folder.c_str())) << "a folder whose files would all go counts as empty";
    EXPECT_EQ((DWORD)ERROR_FILE_NOT_FOUND, MachineDeleteFile(file.c_str())) << "already listed";
    EXPECT_EQ((DWORD)ERROR_FILE_NOT_FOUND, MachineDeleteFile((folder + "\\none.txt").c_str()));
    EXPECT_EQ(1, RemoveDirectoryPath(folder.c_str(), TRUE));
    EXPECT_TRUE(PathExists(folder));
    EXPECT_FALSE(FolderExists(folder.c_str()));
    EXPECT_EQ(LEDGER_WOULD, Latest(folder).Outcome);
    std::string text = ReadText(Log);
    EXPECT_EQ(1, CountOf(text, "Would delete file: '" + file + "'"));
    EXPECT_LT(Where(text, "Would delete file: '" + file + "'"), Where(text, "Would delete path: '" + folder + "'"));
    EXPECT_EQ(0, CountOf(text, "Deleted"));
    EXPECT_EQ(0, CountOf(text, "none.txt")) << "a file that is not there is not listed";

    // Real run: the same calls delete, and a held file is in use.
    gRun.Preview = FALSE;
    LedgerReset();
    WriteTextFile(held);
    HANDLE open = CreateFileA(held.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(open, INVALID_HANDLE_VALUE);
    EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, MachineDeleteFile(held.c_str()));
    EXPECT_EQ(LEDGER_IN_USE, Latest(held).Outcome);
    CloseHandle(open);
    EXPECT_EQ(0u, MachineDeleteFile(file.c_str()));
    EXPECT_EQ(0u, MachineDeleteFile(held.c_str()));
    EXPECT_EQ(0u, MachineRemoveFolder(folder.c_str()));
    EXPECT_FALSE(PathExists(folder));
    LedgerTotals totals;
    LedgerGetTotals(&totals);
    EXPECT_EQ(totals.Deleted, 3);
    EXPECT_EQ(totals.InUse, 1);
    EXPECT_EQ(totals.WouldDelete, 0);
}

TEST_F(Machine, KeysAndValuesAreReadAsThePreviewWouldLeaveThem)
{
    std::string key = TestKeyPath("Machine");
    CreateKey(key + "\\Sub");
    DWORD one = 1;
    ASSERT_EQ(1, SetRegistryValue(NULL, key.c_str(), "Kept", REG_DWORD, &one, 4));
    ASSERT_EQ(1, SetRegistryValue(NULL, key.c_str(), "Gone", REG_SZ, "old", -1));

    gRun.Preview = TRUE;
    EXPECT_EQ(1, SetRegistryValue(NULL, key.c_str(), "Kept", REG_SZ, "new", -1));
    char text[VL_TEXT_SIZE];
    EXPECT_TRUE(ReadRegText(key.c_str(), "Kept", text));
    EXPECT_STREQ(text, "new") << "a value the preview would set reads as set";
    EXPECT_EQ(1, DeleteRegistryValue(NULL, key.c_str(), "Gone", TRUE));
    EXPECT_FALSE(ReadRegValue(NULL, key.c_str(), "Gone", NULL));
    // The key keeps its subkey: it is not listed until the subkey is.
    EXPECT_EQ(0, DeleteRegistryKey(key.c_str()));
    EXPECT_EQ(1, DeleteRegistryTree(key.c_str(), NULL, TRUE));
    EXPECT_FALSE(ReadRegValue(NULL, key.c_str(), "Kept", NULL)) << "its key would be gone";
    EXPECT_EQ(1, DeleteRegistryKey((key + "\\Missing").c_str()));
    EXPECT_EQ(1, DeleteRegistryKey((key + "\\Sub").c_str())) << "listed once already";
    gRun.Preview = FALSE;

    std::string log = ReadText(Log);
    EXPECT_EQ(1, CountOf(log, "Would set value [HKLM\\" + key + "] 'Kept'"));
    EXPECT_EQ(1, CountOf(log, "Would delete value [HKLM\\" + key + "] 'Gone'"));
    EXPECT_LT(Where(log, "Would delete key: '" + key + "\\Sub'"), Where(log, "Would delete key: '" + key + "'"));
    EXPECT_EQ(1, CountOf(log, "Would delete key: '" + key + "\\Sub'"));
    EXPECT_EQ(0, CountOf(log, "Deleted key")) << "a preview never claims a deletion";
    EXPECT_TRUE(KeyExists(key + "\\Sub"));
    HKEY open;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, &open));
    DWORD type = 0, size = sizeof one;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(open, "Kept", NULL, &type, (BYTE *)&one, &size));
    EXPECT_EQ(type, (DWORD)REG_DWORD) << "nothing was written";
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(open, "Gone", NULL, NULL, NULL, NULL));
    RegCloseKey(open);

    // Real run (a run of its own: a new ledger): the same tree goes.
    LedgerReset();
    MachineReset();
    EXPECT_EQ(1, DeleteRegistryTree(key.c_str(), NULL, TRUE));
    EXPECT_FALSE(KeyExists(key));
    LedgerTotals totals;
    LedgerGetTotals(&totals);
    EXPECT_EQ(totals.Deleted, 2);
}

TEST_F(Machine, ProgramsProcessesServicesSecurityAndWritesAreOnlyListedInAPreview)
{
    std::string file = Dir + "\\secured.txt", script = Dir + "\\Config.reg";
    WriteTextFile(file);
    std::string before = Sddl(file);
    WriteTextFile(Dir + "\\held.txt");
    Holder holder = HoldOpen(Dir + "\\held.txt");
    ASSERT_TRUE(holder.Process != NULL);
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    ASSERT_TRUE(manager != NULL);
    char name[64];
    snprintf(name, sizeof name, "VlMachine%lu", GetCurrentProcessId());
    std::string binary = "\"" + BinPath("exitafter.exe") + "\" 0 0";
    SC_HANDLE service = CreateServiceA(manager, name, name, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                       SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE, binary.c_str(), NULL, NULL, NULL,
                                       NULL, NULL);
    ASSERT_TRUE(service != NULL);
    std::string marker = Dir + "\\started.txt";

    gRun.Preview = TRUE;
    sCalls = 0;
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    std::string program = BinPath("exitafter.exe");
    info.lpFile = program.c_str();
    info.lpParameters = "0 0";
    EXPECT_EQ((DWORD)MACHINE_HELD_BACK, MachineStartProgram(&info, "Launching"));
    EXPECT_TRUE(info.hProcess == NULL);
    EXPECT_EQ((DWORD)MACHINE_HELD_BACK, MachineRunLibraryEntry("AVLISUPN.DLL", "isuVLStop"));
    EXPECT_EQ((DWORD)MACHINE_HELD_BACK, MachineEndProcess(holder.Process, 77, "C:\\p\\holdopen.exe"));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(holder.Process, 0)) << "the process still runs";
    EXPECT_EQ(0u, DeleteServiceByName(name));
    SC_HANDLE still = OpenServiceA(manager, name, SERVICE_QUERY_STATUS);
    EXPECT_TRUE(still != NULL);
    if (still) CloseServiceHandle(still);
    EXPECT_EQ((DWORD)MACHINE_HELD_BACK, MachineSetAccessList(file.c_str(), SE_FILE_OBJECT, NULL));
    EXPECT_EQ(before, Sddl(file));
    FILE *written = MachineCreateTextFile((script + ".new").c_str(), script.c_str());
    ASSERT_TRUE(written != NULL) << "the writer writes to the null device";
    fputs("REGEDIT4\n", written);
    fclose(written);
    EXPECT_EQ((DWORD)MACHINE_HELD_BACK, MachineReplaceFile((script + ".new").c_str(), script.c_str()));
    EXPECT_FALSE(PathExists(script + ".new"));
    EXPECT_FALSE(PathExists(script));
    EXPECT_EQ((DWORD)MACHINE_HELD_BACK, MachineBroadcastEnvironment(CountCall, NULL));
    EXPECT_EQ((DWORD)MACHINE_HELD_BACK, MachineWrite("C:\\windows\\status.mif", CountWrite, NULL));
    EXPECT_EQ(sCalls, 0);
    // The lock probe of a preview opens for reading only, and still sees a held file.
    EXPECT_EQ(0, MachineFileHeldOpen(file.c_str()));
    EXPECT_EQ(1, MachineFileHeldOpen((Dir + "\\held.txt").c_str()));
    gRun.Preview = FALSE;

    std::string log = ReadText(Log);
    for (const std::string &line :
         {"Would start: '" + program + "' '0 0'", std::string("Would run: 'AVLISUPN.DLL(isuVLStop)'"),
          std::string("Would end process ID 77 'C:\\p\\holdopen.exe'"), "Would delete service '" + std::string(name) + "'",
          "Would set access list of '" + file + "'", "Would write: '" + script + "'",
          std::string("Would broadcast environment changes"), std::string("Would write: 'C:\\windows\\status.mif'")})
        EXPECT_EQ(1, CountOf(log, line)) << line;
    EXPECT_EQ(0, CountOf(log, "Launching"));
    LedgerTotals totals;
    LedgerGetTotals(&totals);
    EXPECT_EQ(totals.WouldDelete, 1);   // the service
    EXPECT_EQ(totals.Changed + totals.Deleted, 0);

    // Real run: the same calls act.
    EXPECT_EQ(0u, MachineEndProcess(holder.Process, 77, "C:\\p\\holdopen.exe"));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(holder.Process, 10000));
    EXPECT_EQ(0u, MachineBroadcastEnvironment(CountCall, NULL));
    EXPECT_EQ(0u, MachineWrite("C:\\windows\\status.mif", CountWrite, NULL));
    EXPECT_EQ(sCalls, 2);
    EXPECT_EQ(0u, MachineDeleteService(service, name));
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    Release(holder);
}
