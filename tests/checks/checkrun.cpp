#include "checkrun.h"

static const char *const kStandinValues[] = {"VL_STANDIN_EXIT_AVLSVC", "VL_STANDIN_EXIT_ENDVLLSR",
                                             "VL_STANDIN_EXIT_ENDVLM", "VL_STANDIN_EXIT_ENDVLCSV"};

void CheckRun::SetStandinValue(const char *name, const char *value)
{
    SetEnvironmentVariableA(name, value && value[0] ? value : NULL);
}

void CheckRun::SetUp()
{
    // A blank in the folder names, as under "Program Files".
    d.Root = "C:\\vl checks";
    d.Components = {{"Server", ""}, {"Development Toolkit", ""}};
    for (const char *name : kStandinValues) SetStandinValue(name, NULL);
}

void CheckRun::TearDown()
{
    run.End();
    FixtureRemove(d);
    DeleteFileA(StandinLog().c_str());
    DeleteFileA(LogPath().c_str());
    SetStandinValue("VL_STANDIN_LOG", NULL);
    for (const char *name : kStandinValues) SetStandinValue(name, NULL);
}

void CheckRun::Install()
{
    DeleteFileA(LogPath().c_str());
    DeleteFileA(StandinLog().c_str());
    SetStandinValue("VL_STANDIN_LOG", StandinLog().c_str());
    ASSERT_TRUE(FixtureInstall(d));
}

std::vector<std::string> CheckRun::RunSilent(const std::string &rsp)
{
    std::string path = d.Root + "\\answers.rsp";
    WriteTextFile(path, rsp);
    EXPECT_EQ(RunUninstallerWith("-S -F1\"" + path + "\" -G" + LogPath(), 240000), 0);
    return Log();
}

bool CheckRun::WaitForLogLine(const std::string &line, DWORD timeoutMs)
{
    return WaitFor([&] { return Contains(Log(), line); }, timeoutMs);
}

void CheckRun::WriteList(const std::string &name, const std::string &text)
{
    WriteTextFile(FixtureProgramFolder(d) + "\\uninst\\" + name + ".u00", text);
}

std::vector<std::string> Between(const std::vector<std::string> &log, const std::string &from, const std::string &to)
{
    std::vector<std::string> out;
    bool inside = false;
    for (const std::string &line : log) {
        if (!inside) {
            inside = line == from;
            continue;
        }
        if (line == to) break;
        out.push_back(line);
    }
    return out;
}
