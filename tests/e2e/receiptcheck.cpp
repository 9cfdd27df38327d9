#include "receiptcheck.h"
#include "fixture.h"
#include "runner.h"
#include "wintestutil.h"
#include <windows.h>

#ifndef VL_BIN_DIR
#define VL_BIN_DIR "."
#endif
#ifndef VL_SOURCE_DIR
#define VL_SOURCE_DIR "."
#endif

std::string ReceiptSchemaProblems(const std::string &receiptPath)
{
    if (GetFileAttributesA(receiptPath.c_str()) == INVALID_FILE_ATTRIBUTES) return "no receipt at " + receiptPath;
    // The validator reads a copy in a folder of the test's own (the
    // receipt's name may be double-byte; the copy's is not).
    std::string folder = MakeUniqueTempFolder("schema");
    std::string copy = folder + "\\receipt.json", result = folder + "\\result.txt";
    if (!CopyFileA(receiptPath.c_str(), copy.c_str(), FALSE)) return "the receipt could not be copied";
    std::string schema = UnixName(VL_SOURCE_DIR "\\docs\\receipt.schema.json"), instance = UnixName(copy);
    std::string resultUnix = UnixName(result);
    if (schema.empty() || instance.empty() || resultUnix.empty()) return "no Unix names for the validator";
    std::string command = "\"" VL_BIN_DIR "\\vlschema.sh\" \"" + schema + "\" \"" + instance + "\" \"" + resultUnix + "\"";
    STARTUPINFOA startup = {sizeof startup};
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return "the validator could not be started";
    // Wine starts a Unix program without a handle to wait on: its result
    // file appears, whole, when it is done.
    if (process.hProcess) CloseHandle(process.hProcess);
    if (process.hThread) CloseHandle(process.hThread);
    std::string verdict;
    for (int i = 0; i < 1200 && GetFileAttributesA(result.c_str()) == INVALID_FILE_ATTRIBUTES; i++) Sleep(50);
    verdict = ReadTextFile(result);
    DeleteFolderTree(folder);
    if (verdict.empty()) return "the validator gave no verdict within a minute";
    size_t rc = verdict.rfind("rc=");
    if (rc != std::string::npos && verdict.compare(rc, 4, "rc=0") == 0) return "";
    return "schema check of " + receiptPath + ":\n" + verdict;
}

nlohmann::json ParseReceipt(const std::string &text)
{
    return nlohmann::json::parse(text, nullptr, false);
}

nlohmann::json LeftoverItem(const nlohmann::json &receipt, const std::string &path)
{
    if (!receipt.is_object() || !receipt["Leftovers"].is_object()) return nullptr;
    for (const nlohmann::json &item : receipt["Leftovers"]["Items"])
        if (lstrcmpiA(item["Path"].get<std::string>().c_str(), path.c_str()) == 0) return item;
    return nullptr;
}

nlohmann::json ReceiptComponent(const nlohmann::json &receipt, const std::string &name)
{
    if (!receipt.is_object()) return nullptr;
    for (const nlohmann::json &c : receipt["Components"])
        if (c["Name"] == name) return c;
    return nullptr;
}
