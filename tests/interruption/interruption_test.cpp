// Interrupted whole-product removals under Wine. A rich installation is
// removed silently and the uninstaller is killed part-way, by time (a spread
// over the length of an uninterrupted run) and at chosen log lines (in each
// component, in the data and program blocks, in the directory clean-ups, on
// the completion page); then the same command is run again. Wherever the kill
// lands:
//   - right after it, the component being removed reads "Incomplete" (or,
//     when the kill fell just before its marker or just after its last value
//     went, its files show it had not begun or had finished); components
//     finished are gone from the Components key, components not begun are
//     untouched;
//   - with the data kept, the data folder and the queue-manager configuration
//     are exactly as before;
//   - the rerun ends by itself with exit code 0 and shows no window, and the
//     machine is then in the very state an uninterrupted removal leaves.
#include "fixture.h"
#include "fixturelists.h"
#include "interruptedrun.h"
#include "runner.h"
#include "snapshot.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <map>

#ifndef VL_SOURCE_DIR
#define VL_SOURCE_DIR "."
#endif

namespace {

const char kComponentsKey[] = "Software\\Norvik\\Varolink\\CurrentVersion\\Components";
// A run of this installation takes seconds; a run still going after two
// minutes is one that waits for somebody.
const DWORD kRunLimitMs = 120000;

struct Mode {
    const char *Response;
    bool WithData;
};
const Mode kRemoveData = {"[Varolink]\r\nVarolink=REMOVEDATA\r\nLockedFiles=CONTINUE\r\n", true};
const Mode kRemove = {"[Varolink]\r\nVarolink=REMOVE\r\nLockedFiles=CONTINUE\r\n", false};

std::string Lower(std::string text)
{
    for (char &c : text) c = (char)tolower((unsigned char)c);
    return text;
}

bool StartsWith(const std::string &text, const std::string &prefix)
{
    return Lower(text).compare(0, prefix.size(), Lower(prefix)) == 0;
}

// The component's value in the Components key: false when it is gone.
bool ComponentValue(const std::string &key, std::string *value)
{
    HKEY components;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kComponentsKey, 0, KEY_QUERY_VALUE, &components) != ERROR_SUCCESS)
        return false;
    char data[600] = "";
    DWORD size = sizeof data - 1, type = 0;
    LONG status = RegQueryValueExA(components, key.c_str(), NULL, &type, (BYTE *)data, &size);
    RegCloseKey(components);
    if (status != ERROR_SUCCESS) return false;
    *value = std::string(data, strnlen(data, size));
    return true;
}

std::string Join(const std::vector<std::string> &lines)
{
    std::string text;
    for (const std::string &line : lines) text += line + "\n";
    return text;
}

// A directory held open without sharing, the way a program's current
// folder or an open Explorer window holds one: its removal waits for it.
struct HeldFolder {
    HANDLE Handle = INVALID_HANDLE_VALUE;
    void Hold(const std::string &path)
    {
        Handle = CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    }
    void Release()
    {
        if (Handle != INVALID_HANDLE_VALUE) CloseHandle(Handle);
        Handle = INVALID_HANDLE_VALUE;
    }
    ~HeldFolder() { Release(); }
};

// One kill point of a test: where to kill, and optionally a folder (below
// the program or data folder) to hold during the killed run, so that the
// kill line is followed by a wait of the removal and the kill lands inside
// that step for certain.
struct Interruption {
    KillPoint Kill;
    std::string HeldFolder;
    std::string Component;   // with a held folder: the component that must read "Incomplete"
};

Interruption AtLine(const std::string &line)
{
    Interruption i;
    i.Kill.LogLine = line;
    return i;
}

class InterruptedRemoval : public ::testing::Test {
protected:
    FixtureDescription d;
    std::string P, D, folder, answers, logPath, receiptPath;
    SnapshotOptions where;
    // The end state of an uninterrupted removal, and how long it took.
    std::vector<std::string> reference;
    DWORD referenceMs = 0;

    void SetUp() override
    {
        FixtureReadDescription(VL_SOURCE_DIR "\\testkit\\installations\\rich-5.1.txt", &d);
        d.InstallerUninstall = true;
        // Three of the five components a whole-product removal runs through
        // their procedures (each ends with a second's pause): the toolkit
        // (lists, "include" and "lib" it created), the Java client (its
        // list, "classpath") and the gateway documentation (a shortcut, a
        // list). The other two are not recorded, so their files stay alike in
        // every run.
        for (const char *dropped : {"Local Clients\\Windows NT Client", "Internet Gateway"})
            d.Components.erase(std::remove_if(d.Components.begin(), d.Components.end(),
                                              [&](const FixtureComponent &c) { return c.ValueName == dropped; }),
                               d.Components.end());
        P = FixtureProgramFolder(d);
        D = FixtureWorkFolder(d);
        // The folder's name holds no switch letters after a "-": the
        // uninstaller finds its switches anywhere in its parameters.
        folder = MakeUniqueTempFolder("killed");
        answers = folder + "\\answers.rsp";
        logPath = D + "\\avlilogn.txt";
        receiptPath = D + "\\avlilogn.json";
        SetEnvironmentVariableA("VL_ISUNINST_RECORD", (folder + "\\isuninst.txt").c_str());
        // The product's own folders, registry, services, environment and menus.
        where.Drive = d.Root;
    }
    void TearDown() override
    {
        FixtureRemove(d);
        DeleteFolderTree(folder);
        SetEnvironmentVariableA("VL_ISUNINST_RECORD", NULL);
    }

    std::string Parameters() const { return "-S -F1\"" + answers + "\""; }

    bool Install(const Mode &mode)
    {
        return FixtureInstall(d) && WriteTextFile(answers, mode.Response);
    }

    // An uninterrupted removal: the state every rerun must reach.
    void TakeReference(const Mode &mode)
    {
        ASSERT_TRUE(Install(mode));
        RunOutcome run = RunUninstallerUntil(Parameters(), logPath, KillPoint(), kRunLimitMs);
        ASSERT_TRUE(run.Started);
        ASSERT_FALSE(run.TimedOut);
        ASSERT_EQ(run.ExitCode, 0u) << ReadTextFile(logPath);
        ASSERT_TRUE(run.VisibleWindows.empty()) << Join(run.VisibleWindows);
        reference = TakeSnapshot(where);
        referenceMs = run.ElapsedMs;
    }

    // Lines of a snapshot that make up the kept data: the data folder (the
    // log aside, which every run appends to, and the receipt, which every run
    // writes) and the queue managers' and logs' configuration in the registry.
    std::vector<std::string> KeptData(const std::vector<std::string> &snapshot) const
    {
        std::vector<std::string> kept;
        std::string data = Lower(D), configuration = Lower("HKLM\\Software\\Norvik\\Varolink\\CurrentVersion\\Configuration");
        for (const std::string &line : snapshot) {
            std::string identity = Lower(SnapshotIdentity(line));
            if (identity == "file " + Lower(logPath) || identity == "file " + Lower(receiptPath)) continue;
            if (StartsWith(identity, "file " + data + "\\") || StartsWith(identity, "dir " + data + "\\") ||
                StartsWith(identity, "key " + configuration) || StartsWith(identity, "value " + configuration))
                kept.push_back(line);
        }
        return kept;
    }

    // The files of the component's lists in this installation (the server
    // stays installed in a whole-product removal, so the Windows NT client
    // and the Java client take only what is theirs alone).
    std::vector<std::string> ComponentFiles(const std::string &key) const
    {
        static const std::map<std::string, std::string> lists = {
            {"Development Toolkit", "toolkit"},
            {"Local Clients\\Java Client", "clijava"},
            {"Internet Gateway", "inetgway"},
            {"Documentation\\Internet Gateway", "ijavadoc"}};
        if (key == "Local Clients\\Windows NT Client") return {P + "\\uninst\\avliclcn.reg"};
        std::vector<std::string> files;
        auto list = lists.find(key);
        if (list == lists.end()) return files;
        for (const auto &line : d.ListLines)
            if (line.first == list->second)
                for (const std::string &file : FixtureListedFiles(P, line.second)) files.push_back(file);
        return files;
    }

    // What the Components key and the component files show right after the kill.
    void CheckMarkers(const Interruption &at, const std::vector<std::string> &log, const std::string &context)
    {
        std::vector<std::string> started = StartedComponents(log), finished = FinishedComponents(log);
        std::string current = ComponentInProgress(log);
        for (const FixtureComponent &c : d.Components) {
            std::string value;
            bool present = ComponentValue(c.ValueName, &value);
            bool begun = std::find(started.begin(), started.end(), c.ValueName) != started.end();
            bool done = std::find(finished.begin(), finished.end(), c.ValueName) != finished.end();
            if (done) {
                EXPECT_FALSE(present) << c.ValueName << " finished but its value stays\n" << context;
            } else if (!begun) {
                EXPECT_TRUE(present && value == c.Value) << c.ValueName << " not begun but its value changed\n" << context;
            }
        }
        if (!at.Component.empty()) {
            EXPECT_EQ(current, at.Component) << context;
        }
        if (current.empty()) return;
        std::string value;
        bool present = ComponentValue(current, &value);
        std::vector<std::string> files = ComponentFiles(current);
        size_t left = std::count_if(files.begin(), files.end(), PathExists);
        if (!at.Component.empty()) {
            // The removal was waiting inside the component's own step.
            EXPECT_TRUE(present && value == "Incomplete") << current << " must read \"Incomplete\"\n" << context;
        } else if (!present) {
            EXPECT_EQ(left, 0u) << current << "'s value went before its files\n" << context;
        } else if (value != "Incomplete") {
            EXPECT_EQ(value, "") << context;
            EXPECT_EQ(left, files.size()) << current << " lost files before it was marked \"Incomplete\"\n" << context;
        }
    }

    // Kill, check, rerun, compare with the uninterrupted end state.
    void KillAndRerun(const Mode &mode, const Interruption &at)
    {
        SCOPED_TRACE("killed " + at.Kill.Describe());
        ASSERT_TRUE(Install(mode));
        std::vector<std::string> before = mode.WithData ? std::vector<std::string>() : TakeSnapshot(where);
        HeldFolder held;
        if (!at.HeldFolder.empty()) {
            held.Hold(at.HeldFolder);
            ASSERT_NE(held.Handle, INVALID_HANDLE_VALUE) << at.HeldFolder;
        }
        RunOutcome first = RunUninstallerUntil(Parameters(), logPath, at.Kill, kRunLimitMs);
        held.Release();
        std::vector<std::string> firstLog = LogEntriesFrom(logPath, 0);
        std::string context = "---- log of the killed run ----\n" + Join(firstLog);
        ASSERT_TRUE(first.Started);
        EXPECT_FALSE(first.TimedOut) << context;
        EXPECT_TRUE(first.VisibleWindows.empty()) << Join(first.VisibleWindows);
        if (!at.Kill.LogLine.empty()) {
            // A kill line the run no longer writes would test nothing.
            EXPECT_TRUE(first.LineReached && first.Killed) << "the run ended before the line\n" << context;
        }
        CheckMarkers(at, firstLog, context);
        if (!mode.WithData) {
            EXPECT_EQ(Join(KeptData(TakeSnapshot(where))), Join(KeptData(before)))
                << "the kept data changed in the killed run\n" << context;
        }

        size_t mark = FileSize(logPath);
        RunOutcome rerun = RunUninstallerUntil(Parameters(), logPath, KillPoint(), kRunLimitMs);
        std::string rerunContext = context + "---- log of the rerun ----\n" + Join(LogEntriesFrom(logPath, mark));
        EXPECT_FALSE(rerun.TimedOut) << rerunContext;
        EXPECT_EQ(rerun.ExitCode, 0u) << rerunContext;
        EXPECT_TRUE(rerun.VisibleWindows.empty()) << Join(rerun.VisibleWindows) << rerunContext;

        // Where the kill landed, for the record of the run.
        std::string current = ComponentInProgress(firstLog), marker;
        if (!current.empty() && !ComponentValue(current, &marker)) marker = "(gone)";
        printf("killed %s: %s after %lu ms%s%s; rerun %lu ms\n", at.Kill.Describe().c_str(),
               first.Killed ? "ended" : "had ended by itself", (unsigned long)first.ElapsedMs,
               current.empty() ? "" : (", removing " + current + " (\"" + marker + "\")").c_str(),
               first.EndedChildren.empty() ? "" : (", then ended " + Join(first.EndedChildren)).c_str(),
               (unsigned long)rerun.ElapsedMs);
        fflush(stdout);
        std::vector<std::string> after = TakeSnapshot(where);
        SnapshotDifference difference = DiffSnapshots(reference, after);
        // The log holds both runs and the receipt tells the last; only that
        // they are there (or not) must match.
        auto isLog = [&](const std::string &line) {
            std::string identity = Lower(SnapshotIdentity(line));
            return (identity == "file " + Lower(logPath) || identity == "file " + Lower(receiptPath)) &&
                   line.find(" -> ") != std::string::npos;
        };
        difference.Changed.erase(std::remove_if(difference.Changed.begin(), difference.Changed.end(), isLog),
                                 difference.Changed.end());
        EXPECT_EQ(FormatDifference(difference), "") << "the rerun did not reach the end state of an uninterrupted "
                                                       "removal (- only there, + only after the rerun)\n"
                                                    << rerunContext;
        if (!mode.WithData) {
            EXPECT_EQ(Join(KeptData(after)), Join(KeptData(before))) << "the kept data changed\n" << rerunContext;
        }
    }

    // The kills at the given lines, then ten kills spread evenly over the
    // length of the uninterrupted run.
    void KillEverywhere(const Mode &mode, const std::vector<Interruption> &lines)
    {
        TakeReference(mode);
        if (HasFatalFailure()) return;
        std::vector<Interruption> points = lines;
        for (int i = 0; i < 10; i++) {
            Interruption at;
            at.Kill.DelayMs = (DWORD)((referenceMs * (2 * i + 1)) / 20);
            points.push_back(at);
        }
        for (const Interruption &at : points) {
            KillAndRerun(mode, at);
            if (HasFatalFailure()) return;
        }
    }
};

// A kill inside the removal of a folder held open during the killed run:
// the removal waits for the folder (a second at a time), so the kill lands
// in that step for certain.
Interruption WhileHeld(const std::string &folder, const std::string &component = "")
{
    Interruption i = AtLine("Delete path in use; waiting: '");
    i.HeldFolder = folder;
    i.Component = component;
    return i;
}

}  // namespace

// Kills before the removal, in and between the components, in the data
// block and its directory clean-ups, in the program block and on the
// completion page, and ten by time.
TEST_F(InterruptedRemoval, RemoveDataKilledAtTwentyPointsThenRerun)
{
    KillEverywhere(kRemoveData, {AtLine("->Checking-locked-files dialog"),
                                 WhileHeld(P + "\\tools\\c\\include", "Development Toolkit"),
                                 AtLine("Finished uninstalling Development Toolkit ("),
                                 AtLine("Uninstalling Local Clients\\Java Client ("),
                                 AtLine("Finished deleting file component 'ijavadoc'"),
                                 AtLine("Processing log files directory '"),
                                 WhileHeld(D + "\\errors"),
                                 AtLine("Processing Web Admin directory '"),
                                 AtLine("Processing program files directory '"),
                                 AtLine("Removing '" + P + "\\bin' from system environment variable 'Path'"),
                                 AtLine("Starting UninstallShield silent")});
}

TEST_F(InterruptedRemoval, RemoveKilledAtTwentyPointsThenRerun)
{
    KillEverywhere(kRemove, {AtLine("->Deleting-all dialog"),
                             AtLine("Uninstalling Development Toolkit ("),
                             AtLine("Deleting file component"),
                             WhileHeld(P + "\\java\\bin", "Local Clients\\Java Client"),
                             AtLine("Finished uninstalling Local Clients\\Java Client ("),
                             AtLine("Uninstalling Documentation\\Internet Gateway ("),
                             AtLine("Deleting obsolete program files in '"),
                             AtLine("Processing program files directory '"),
                             AtLine("Broadcasting environment changes"),
                             AtLine("->All-deletion-complete dialog"),
                             AtLine("Starting UninstallShield silent")});
}
