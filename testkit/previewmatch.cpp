// A preview's "Would ..." items against a snapshot difference (previewmatch.h).
#include "previewmatch.h"
#include <windows.h>
#include <set>
#include <string.h>

namespace {

struct Item {
    std::string Verb;    // "delete file", "set value", ...
    std::string Target;  // lower case: a path, "hklm\key", "hklm\key|value", a service or variable name
};

// ASCII letters of single-byte characters folded (the second byte of a
// double-byte character never is), as the log spells paths.
std::string Lower(const std::string &text)
{
    std::string lower = text;
    for (size_t i = 0; i < lower.size(); i++) {
        unsigned char c = (unsigned char)lower[i];
        if (IsDBCSLeadByte(c) && i + 1 < lower.size()) i++;
        else if (c >= 'A' && c <= 'Z') lower[i] = (char)(c + 32);
    }
    return lower;
}

std::string PathTarget(const std::string &path)
{
    std::string target = Lower(path);
    while (target.size() > 3 && target.back() == '\\') target.pop_back();
    return target;
}

bool StartsWith(const std::string &text, const std::string &prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

// A registry key as "hklm\..." whichever way a line names it.
std::string KeyTarget(const std::string &key)
{
    std::string lower = PathTarget(key);
    for (const char *prefix : {"hkey_local_machine\\", "machine\\", "hklm\\"})
        if (StartsWith(lower, prefix)) return "hklm\\" + lower.substr(strlen(prefix));
    return "hklm\\" + lower;
}

bool IsDrivePath(const std::string &target)
{
    return target.size() >= 3 && target[1] == ':' && target[2] == '\\';
}

bool Below(const std::string &path, const std::string &folder)
{
    return path.size() > folder.size() && StartsWith(path, folder) && path[folder.size()] == '\\';
}

bool AtOrBelow(const std::string &path, const std::string &folder)
{
    return path == folder || Below(path, folder);
}

// The folder or key an item is about: the key of a value; "" for services and variables.
std::string ObjectPath(const Item &item)
{
    if (item.Verb == "delete value" || item.Verb == "set value") return item.Target.substr(0, item.Target.find('|'));
    if (IsDrivePath(item.Target) || StartsWith(item.Target, "hklm\\")) return item.Target;
    return "";
}

bool InRoots(const std::string &key, const std::vector<std::string> &roots)
{
    for (const std::string &root : roots)
        if (AtOrBelow(key, KeyTarget(root))) return true;
    return false;
}

// Whether the snapshot sees what the item is about.
bool Observed(const Item &item, const PreviewScope &scope)
{
    std::string object = ObjectPath(item);
    if (item.Verb == "write" && item.Target.size() > 4 && item.Target.compare(item.Target.size() - 4, 4, ".mif") == 0)
        return false;
    // No roots or folders given: the snapshot's defaults.
    const std::vector<std::string> &roots = scope.RegistryRoots.empty() ? SnapshotDefaultRegistryRoots() : scope.RegistryRoots;
    const std::vector<std::string> &secured =
        scope.SecuredFolders.empty() ? SnapshotDefaultSecuredFolders() : scope.SecuredFolders;
    if (item.Verb == "set owner" || item.Verb == "set access list") {
        if (StartsWith(object, "hklm\\")) return InRoots(object, roots);
        for (const std::string &folder : secured)
            if (object == PathTarget(folder)) return true;
        return false;
    }
    if (StartsWith(object, "hklm\\")) return InRoots(object, roots);
    if (IsDrivePath(object)) {
        for (const std::string &folder : scope.UnobservedFolders)
            if (AtOrBelow(object, PathTarget(folder))) return false;
    }
    return true;
}

bool IsOwnFile(const std::string &target, const PreviewScope &scope)
{
    for (const std::string &file : scope.OwnFiles)
        if (target == PathTarget(file)) return true;
    return false;
}

// The text between the first quote after prefix and the last quote of line.
bool Quoted(const std::string &line, const char *prefix, std::string *text)
{
    if (!StartsWith(line, prefix)) return false;
    size_t open = line.find('\'', strlen(prefix)), close = line.rfind('\'');
    if (open == std::string::npos || close == std::string::npos || close <= open) return false;
    *text = line.substr(open + 1, close - open - 1);
    return true;
}

// "[HKLM\key] 'name'" after prefix.
bool KeyAndValue(const std::string &line, const char *prefix, std::string *target)
{
    std::string head = std::string(prefix) + "[HKLM\\";
    if (!StartsWith(line, head)) return false;
    size_t close = line.find("] '", head.size());
    if (close == std::string::npos || line.back() != '\'') return false;
    std::string key = line.substr(head.size(), close - head.size());
    std::string name = line.substr(close + 3, line.size() - close - 4);
    *target = KeyTarget(key) + "|" + Lower(name);
    return true;
}

// One "Would ..." line as an item; false for the lines a snapshot cannot see.
bool WouldItem(const std::string &line, Item *item)
{
    std::string text;
    struct Form {
        const char *Prefix, *Verb;
        bool Key;
    };
    static const Form kForms[] = {{"Would delete file: ", "delete file", false},
                                  {"Would delete path: ", "delete path", false},
                                  {"Would delete key: ", "delete key", true},
                                  {"Would delete service ", "delete service", false},
                                  {"Would stop service ", "stop service", false},
                                  {"Would set owner of ", "set owner", false},
                                  {"Would set access list of ", "set access list", false},
                                  {"Would write: ", "write", false}};
    for (const Form &form : kForms) {
        if (!Quoted(line, form.Prefix, &text)) continue;
        item->Verb = form.Verb;
        bool path = IsDrivePath(PathTarget(text));
        if (form.Key || ((item->Verb == "set owner" || item->Verb == "set access list") && !path))
            item->Target = KeyTarget(text);
        else if (item->Verb == "delete service" || item->Verb == "stop service")
            item->Target = Lower(text);
        else
            item->Target = PathTarget(text);
        return true;
    }
    for (const char *verb : {"delete value", "set value"}) {
        if (!KeyAndValue(line, (std::string("Would ") + verb + " ").c_str(), &item->Target)) continue;
        item->Verb = verb;
        // A value of the system environment is a variable.
        const std::string environment = "hklm\\system\\currentcontrolset\\control\\session manager\\environment|";
        if (StartsWith(item->Target, environment)) {
            item->Verb = "set variable";
            item->Target = item->Target.substr(environment.size());
        }
        return true;
    }
    // The one outside program whose result the removal relies on and a
    // snapshot sees: the service program started with "-UNINSTALL -SILENT"
    // leaves the service "VarolinkServices" gone.
    if (Quoted(line, "Would start: ", &text)) {
        std::string lower = Lower(text);
        if (lower.find("avlsvc.exe' '-uninstall -silent") != std::string::npos) {
            item->Verb = "delete service";
            item->Target = "varolinkservices";
            return true;
        }
    }
    if (StartsWith(line, "Would set '") && line.size() > 20 && line.compare(line.size() - 10, 10, "' variable") == 0) {
        item->Verb = "set variable";
        item->Target = Lower(line.substr(11, line.size() - 21));
        return true;
    }
    for (const char *unseen : {"Would start: ", "Would run: ", "Would end process ID ", "Would broadcast environment changes"})
        if (StartsWith(line, unseen)) return false;
    // A form this comparison does not know is reported, not passed over.
    item->Verb = "unrecognised";
    item->Target = line;
    return true;
}

// Of the writes and deletions of one file or value, in order, the last is
// what stays (a preview lists the "Incomplete" marker it would set on a
// component's value before it lists the value's deletion).
std::vector<Item> LastOfEach(const std::vector<Item> &items)
{
    auto same = [](const Item &a, const Item &b) {
        auto group = [](const std::string &verb) {
            return verb == "write" || verb == "delete file" ? 1 : verb == "set value" || verb == "delete value" ? 2 : 0;
        };
        return group(a.Verb) && group(a.Verb) == group(b.Verb) && a.Target == b.Target;
    };
    std::vector<Item> last;
    for (size_t i = 0; i < items.size(); i++) {
        bool later = false;
        for (size_t j = i + 1; j < items.size() && !later; j++) later = same(items[i], items[j]);
        if (!later) last.push_back(items[i]);
    }
    return last;
}

// What a deletion takes along is folded into it; a folder or key that came
// is folded into what was written into it (own files included).
std::set<std::string> Folded(const std::vector<Item> &all, const PreviewScope &scope)
{
    std::vector<Item> items = LastOfEach(all);
    std::set<std::string> deletedFolders, deletedKeys, deletedFiles, deletedServices;
    std::vector<std::string> holders;  // where something was written or made
    for (const Item &item : items) {
        if (item.Verb == "delete path") deletedFolders.insert(item.Target);
        else if (item.Verb == "delete key") deletedKeys.insert(item.Target);
        else if (item.Verb == "delete file") deletedFiles.insert(item.Target);
        else if (item.Verb == "delete service") deletedServices.insert(item.Target);
        if (item.Verb == "write" || item.Verb == "create path" || item.Verb == "create key" || item.Verb == "set value")
            holders.push_back(ObjectPath(item));
    }
    for (const std::string &file : scope.OwnFiles) holders.push_back(PathTarget(file));
    auto belowAny = [](const std::string &path, const std::set<std::string> &containers, bool orAt) {
        for (const std::string &container : containers)
            if (orAt ? AtOrBelow(path, container) : Below(path, container)) return true;
        return false;
    };
    std::set<std::string> folded;
    for (const Item &item : items) {
        std::string object = ObjectPath(item);
        bool registry = StartsWith(object, "hklm\\");
        const std::set<std::string> &containers = registry ? deletedKeys : deletedFolders;
        bool deletion = item.Verb == "delete path" || item.Verb == "delete key";
        if (!object.empty() && belowAny(object, containers, !deletion)) continue;
        if (item.Verb == "write" && deletedFiles.count(item.Target)) continue;
        if (deletedServices.count(item.Target) && item.Verb != "delete service" && item.Verb.find("service") != std::string::npos)
            continue;
        if (item.Verb == "create path" || item.Verb == "create key") {
            bool holds = false;
            for (const std::string &holder : holders) holds |= Below(holder, item.Target);
            // A value written into a key that came: the key is the value's own.
            if (item.Verb == "create key")
                for (const Item &other : items) holds |= other.Verb == "set value" && ObjectPath(other) == item.Target;
            if (holds) continue;
        }
        folded.insert(item.Verb + " " + item.Target);
    }
    return folded;
}

std::vector<Item> InScope(const std::vector<Item> &items, const PreviewScope &scope)
{
    std::vector<Item> kept;
    for (const Item &item : items) {
        if (!Observed(item, scope)) continue;
        if ((item.Verb == "write" || item.Verb == "delete file") && IsOwnFile(item.Target, scope)) continue;
        kept.push_back(item);
    }
    return kept;
}

std::string MenuPath(const std::string &item, const PreviewScope &scope)
{
    for (const auto &root : {std::make_pair(std::string("Programs\\"), scope.ProgramsFolder),
                             std::make_pair(std::string("Startup\\"), scope.StartupFolder)})
        if (StartsWith(item, root.first)) return root.second + "\\" + item.substr(root.first.size());
    return item;
}

// The path or name an identity's object stands for: "dir C:\P" gives "c:\p",
// "key HKLM\K" gives "hklm\k", "service S" gives "s".
std::string ObjectTarget(const std::string &object)
{
    size_t space = object.find(' ');
    std::string kind = object.substr(0, space), rest = space == std::string::npos ? "" : object.substr(space + 1);
    if (kind == "key") return KeyTarget(rest);
    if (kind == "service") return Lower(rest);
    return PathTarget(rest);
}

std::string NewState(const std::string &changedLine)
{
    size_t arrow = changedLine.rfind(" -> ");
    return arrow == std::string::npos ? "" : changedLine.substr(arrow + 4);
}

// One line of the difference as an item. how: '-' gone, '+' came, '~' changed.
bool ChangeItem(char how, const std::string &line, const std::vector<std::string> &goneOrCame, Item *item)
{
    std::string identity = SnapshotIdentity(line);
    size_t space = identity.find(' ');
    std::string kind = identity.substr(0, space), rest = space == std::string::npos ? "" : identity.substr(space + 1);
    std::string object = SnapshotPropertyObject(identity);
    if (!object.empty()) {
        // A property that went or came with its object is the object's change.
        if (how != '~')
            for (const std::string &other : goneOrCame)
                if (SnapshotIdentity(other) == object) return false;
        item->Target = ObjectTarget(object);
        if (kind == "owner") item->Verb = "set owner";
        else if (kind == "acl") item->Verb = "set access list";
        else {
            std::string state = how == '~' ? NewState(line) : "";
            item->Verb = state == "stopped" ? "stop service" : state == "running" ? "start service" : "service state " + state;
        }
        return true;
    }
    if (kind == "env") {
        item->Verb = "set variable";
        item->Target = Lower(rest);
        return true;
    }
    if (kind == "value") {
        item->Verb = how == '-' ? "delete value" : "set value";
        size_t bar = rest.find('|');
        item->Target = KeyTarget(rest.substr(0, bar)) + "|" + Lower(rest.substr(bar + 1));
        return true;
    }
    if (kind == "key" || kind == "service") {
        item->Verb = (how == '-' ? "delete " : how == '+' ? "create " : "change ") + kind;
        item->Target = kind == "key" ? KeyTarget(rest) : Lower(rest);
        return true;
    }
    bool folder = kind == "dir" || (kind == "menu" && !rest.empty() && rest.back() == '\\');
    item->Target = PathTarget(rest);
    if (folder) item->Verb = how == '-' ? "delete path" : "create path";
    else item->Verb = how == '-' ? "delete file" : "write";
    return true;
}

}  // namespace

std::vector<std::string> PreviewItems(const std::vector<std::string> &log, const PreviewScope &scope)
{
    std::vector<Item> items;
    for (const std::string &entry : log) {
        std::string line = entry.substr(entry.find_first_not_of(' ') == std::string::npos ? entry.size()
                                                                                         : entry.find_first_not_of(' '));
        Item item;
        if (StartsWith(line, "Would ") && WouldItem(line, &item)) items.push_back(item);
    }
    std::set<std::string> folded = Folded(InScope(items, scope), scope);
    return std::vector<std::string>(folded.begin(), folded.end());
}

std::vector<std::string> ChangeItems(const SnapshotDifference &difference, const PreviewScope &scope)
{
    std::vector<Item> items;
    struct Side {
        char How;
        const std::vector<std::string> &Lines;
    };
    for (const Side &side : {Side{'-', difference.Gone}, Side{'+', difference.Came}, Side{'~', difference.Changed}}) {
        for (const std::string &line : side.Lines) {
            std::string identity = SnapshotIdentity(line);
            std::string adjusted = line;
            if (StartsWith(identity, "menu ")) adjusted = "menu " + MenuPath(identity.substr(5), scope) + line.substr(identity.size());
            Item item;
            if (ChangeItem(side.How, adjusted, side.Lines, &item)) items.push_back(item);
        }
    }
    std::set<std::string> folded = Folded(InScope(items, scope), scope);
    return std::vector<std::string>(folded.begin(), folded.end());
}

PreviewMismatch ComparePreview(const std::vector<std::string> &log, const SnapshotDifference &difference,
                               const PreviewScope &scope)
{
    std::vector<std::string> previewed = PreviewItems(log, scope), changed = ChangeItems(difference, scope);
    std::set<std::string> previewedSet(previewed.begin(), previewed.end()), changedSet(changed.begin(), changed.end());
    PreviewMismatch mismatch;
    for (const std::string &item : previewed)
        if (!changedSet.count(item)) mismatch.OnlyPreviewed.push_back(item);
    const std::string owner = "set owner ";
    for (const std::string &item : changed) {
        if (previewedSet.count(item)) continue;
        // Wine gives an object whose security was never written an owner when
        // its access list is first written: that owner comes with the access
        // list the preview named.
        if (StartsWith(item, owner)) {
            std::string acl = "set access list " + item.substr(owner.size());
            if (previewedSet.count(acl) && changedSet.count(acl)) continue;
        }
        mismatch.OnlyChanged.push_back(item);
    }
    return mismatch;
}

std::string FormatPreviewMismatch(const PreviewMismatch &mismatch)
{
    std::string text;
    if (!mismatch.OnlyPreviewed.empty()) {
        text += "listed by the preview, not changed by the real run (" + std::to_string(mismatch.OnlyPreviewed.size()) + "):\n";
        for (const std::string &item : mismatch.OnlyPreviewed) text += "  " + item + "\n";
    }
    if (!mismatch.OnlyChanged.empty()) {
        text += "changed by the real run, not listed by the preview (" + std::to_string(mismatch.OnlyChanged.size()) + "):\n";
        for (const std::string &item : mismatch.OnlyChanged) text += "  " + item + "\n";
    }
    return text;
}

std::string ChangesBesidesOwnFiles(const SnapshotDifference &difference, const PreviewScope &scope)
{
    SnapshotDifference rest;
    rest.Gone = difference.Gone;
    rest.Changed = difference.Changed;
    for (const std::string &line : difference.Came) {
        std::string identity = SnapshotIdentity(line);
        std::string path = PathTarget(identity.substr(identity.find(' ') + 1));
        bool own = false;
        if (StartsWith(identity, "file ")) own = IsOwnFile(path, scope);
        if (StartsWith(identity, "dir "))
            for (const std::string &file : scope.OwnFiles) own |= Below(PathTarget(file), path);
        if (!own) rest.Came.push_back(line);
    }
    return FormatDifference(rest);
}
