// The description keys of the fixture installer for configuration values,
// service levels and backups, read from a description file and installed.
#include "qmdatautil.h"
#include "fixturelists.h"
#include <gtest/gtest.h>
#include <shlobj.h>

TEST(FixtureData, DescriptionKeysLayDownValuesServiceLevelsAndBackups)
{
    std::string root = MakeUniqueTempFolder("fixdesc");
    std::string description = root + "\\installation.txt";
    WriteTextFile(description,
                  "root " + root + "\\inst\n"
                  "nonls\n"
                  "verbatim [HKEY_LOCAL_MACHINE\\Software\\Norvik\\Varolink\\CurrentVersion\\Configuration\\QueueManager\\%QM%]\n"
                  "verbatim \"Prefix\"\n"
                  "config sz QueueManager\\QM1|Prefix|%PROGRAM%\n"
                  "config expand Misc|Path|%PROGRAM%\\bin;%SystemRoot%\n"
                  "config dword Services\\QM1\\Listener|Protocol|2\n"
                  "config binary Misc|Blob|00ff10\n"
                  "config sz Misc||default\n"
                  "machine sz MachineName|HOST1\n"
                  "machine dword RepositoryValid|1\n"
                  "csd CSD03 program csd03\n"
                  "csdship CSD03 added,file,C:\\src\\x.dll,%filepath%\\bin\n"
                  "csdship CSD03 added,file,C:\\src\\d.dat,%workpath%\\conf\n"
                  "csdvalue CSD01 X=\n"
                  "backup data u2001\n"
                  "shortcut Memo.PTF File\n");
    FixtureDescription d;
    ASSERT_TRUE(FixtureReadDescription(description.c_str(), &d));
    d.CopyNlsLibrary = false;
    ASSERT_TRUE(FixtureInstall(d));
    std::string program = FixtureProgramFolder(d), work = FixtureWorkFolder(d);
    std::string config = VL_CONFIG_KEY;

    EXPECT_EQ((std::vector<std::string>{
                  "[HKEY_LOCAL_MACHINE\\Software\\Norvik\\Varolink\\CurrentVersion\\Configuration\\QueueManager\\%QM%]",
                  "\"Prefix\""}),
              FileLines(program + "\\uninst\\avlirgdn.u01"));
    DWORD type = 0;
    EXPECT_EQ(program, RegText(config + "\\QueueManager\\QM1", "Prefix", &type));
    EXPECT_EQ((DWORD)REG_SZ, type);
    EXPECT_EQ(program + "\\bin;%SystemRoot%", RegText(config + "\\Misc", "Path", &type));
    EXPECT_EQ((DWORD)REG_EXPAND_SZ, type);
    EXPECT_EQ("2", RegText(config + "\\Services\\QM1\\Listener", "Protocol", &type));
    EXPECT_EQ((DWORD)REG_DWORD, type);
    RegText(config + "\\Misc", "Blob", &type);
    EXPECT_EQ((DWORD)REG_BINARY, type);
    EXPECT_EQ("default", RegText(config + "\\Misc", ""));
    EXPECT_EQ("HOST1", RegText("Software\\Norvik\\Varolink\\CurrentVersion", "MachineName"));
    EXPECT_EQ("1", RegText("Software\\Norvik\\Varolink\\CurrentVersion", "RepositoryValid"));

    std::string applied = "Software\\Norvik\\Varolink\\CurrentVersion\\CSDS Applied";
    EXPECT_EQ("C:\\csdsrc\\CSD03=" + program + "\\csd03", RegText(applied, "CSD03"));
    EXPECT_EQ("X=", RegText(applied, "CSD01"));
    EXPECT_EQ((std::vector<std::string>{"added,file,C:\\src\\x.dll,%filepath%\\bin",
                                        "added,file,C:\\src\\d.dat,%workpath%\\conf"}),
              FileLines(program + "\\csd03\\csdship.log"));
    EXPECT_TRUE(PathExists(program + "\\bin\\x.dll"));
    EXPECT_TRUE(PathExists(work + "\\conf\\d.dat"));
    EXPECT_TRUE(PathExists(work + "\\BackUp\\u2001\\saved.dll"));
    std::string shortcuts = FixtureCommonFolder(CSIDL_COMMON_PROGRAMS) + "\\Norvik Varolink";
    EXPECT_TRUE(PathExists(shortcuts + "\\Remove CSD03.lnk"));
    EXPECT_TRUE(PathExists(shortcuts + "\\Memo.PTF File.lnk"));

    FixtureRemove(d);
    EXPECT_FALSE(PathExists(shortcuts));
    EXPECT_FALSE(KeyExists("Software\\Norvik"));
    DeleteFolderTree(root);
}
