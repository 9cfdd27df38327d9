#include "qmconfig/qmtext.h"
#include "core/mbchar.h"
#include "qmconfig/configtext.h"
#include "core/text.h"
#include <stdarg.h>
#include <string.h>

static void LogF(const QmScanCalls *calls, const char *format, ...)
    __attribute__((format(printf, 2, 3)));

static void LogF(const QmScanCalls *calls, const char *format, ...)
{
    if (!calls->Log) return;
    char text[1200];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    calls->Log(calls->Context, text);
}

void QmFieldsClear(QmFields *fields)
{
    fields->Name[0] = fields->Prefix[0] = fields->Directory[0] = fields->LogPath[0] = 0;
}

static int WordIs(const char *word, size_t length, const char *expected)
{
    char copy[64];
    if (length != strlen(expected) || length >= sizeof copy) return 0;
    memcpy(copy, word, length);
    copy[length] = 0;
    return TextEqualNoCase(copy, expected);
}

int ParseStanzaHeader(const char *line, const char **word, size_t *length)
{
    if (!MbFindChar(line, ':') || MbFindChar(line, '=')) return 0;
    const char *start = line;
    while (*start == ' ') start++;
    const char *end = start;
    while (*end && *end != ':' && *end != ' ') end++;
    if (*end) {
        for (const char *rest = end + 1; *rest; rest++)
            if (*rest != ' ') return 0;
    }
    *word = start;
    *length = (size_t)(end - start);
    return 1;
}

// Cleans value text into out; a value that does not fit is refused ("").
static void CleanInto(const char *text, char *out, size_t size, int *fits)
{
    char value[QM_CHUNK_SIZE];
    CopyText(value, sizeof value, text);
    CleanConfigValue(value);
    *fits = CopyText(out, size, value);
    if (!*fits) out[0] = 0;
}

int SplitIniSetting(const char *line, char *key, size_t keySize, char *value, size_t valueSize,
                    int *fits)
{
    key[0] = value[0] = 0;
    *fits = 1;
    if (!MbFindChar(line, '=')) return 0;
    const char *start = line;
    while (*start == '=' || *start == ' ') start++;
    const char *end = start;
    while (*end && *end != '=' && *end != ' ') end++;
    if (end == start) return 0;
    size_t length = (size_t)(end - start);
    if (length >= keySize) length = keySize - 1;
    memcpy(key, start, length);
    key[length] = 0;
    // The value starts one character after the key: at the end of the line
    // when the key runs up to it.
    CleanInto(*end ? end + 1 : end, value, valueSize, fits);
    return 1;
}

int ParseRegSectionPath(const char *line, char *path, size_t size)
{
    path[0] = 0;
    char lower[QM_CHUNK_SIZE];
    if (!CopyText(lower, sizeof lower, line)) return 0;
    LowerText(lower);
    static const char marker[] = "\\configuration\\";
    if (!MbFindText(lower, "[hkey")) return 0;
    const char *found = MbFindText(lower, marker);
    if (!found) return 0;
    const char *start = line + (found - lower) + (sizeof marker - 1);
    const char *close = MbFindChar(start, ']');
    if (!close) return 0;
    size_t length = (size_t)(close - start);
    if (length >= size) return 0;
    memcpy(path, start, length);
    path[length] = 0;
    return 1;
}

int SplitRegSetting(const char *line, char *key, size_t keySize, const char **value)
{
    key[0] = 0;
    *value = "";
    if (line[0] == '[') return 0;
    const char *equals = MbFindChar(line, '=');
    if (!equals) return 0;
    size_t length = (size_t)(equals - line);
    if (length >= keySize) length = keySize - 1;
    memcpy(key, line, length);
    key[length] = 0;
    *value = equals + 1;
    return 1;
}

void SplitConfigPath(const char *path, char *parent, char *last)
{
    char copy[QM_TEXT_SIZE];
    CopyText(copy, sizeof copy, path);
    MbTrimLast(copy, '\\');
    char *slash = MbFindLastChar(copy, '\\');
    if (!slash) {
        parent[0] = 0;
        CopyText(last, QM_TEXT_SIZE, copy);
        return;
    }
    *slash = 0;
    CopyText(parent, QM_TEXT_SIZE, copy);
    CopyText(last, QM_TEXT_SIZE, slash + 1);
}

// Why a value read from a configuration text is not used.
enum { VALUE_OK = 0, VALUE_TOO_LONG = 1, VALUE_NOT_VALID = 2 };

static void LogRefusal(const QmScanCalls *calls, const char *key, int problem)
{
    if (problem == VALUE_NOT_VALID) LogF(calls, "***Value of '%s' not valid; ignored", key);
    else LogF(calls, "***Value of '%s' too long; ignored", key);
}

// A setting of a queue manager's record: cleared on a matching key, then set
// when the value is not empty.
static void SetField(const QmScanCalls *calls, const char *key, char *field, const char *value, int problem)
{
    field[0] = 0;
    if (problem != VALUE_OK) {
        LogRefusal(calls, key, problem);
        return;
    }
    CopyText(field, QM_TEXT_SIZE, value);
}

// A scan-wide default: a non-empty value replaces the old one and is logged.
static void SetDefault(const QmScanCalls *calls, const char *name, char *field, const char *value, int problem)
{
    if (problem != VALUE_OK) {
        LogRefusal(calls, name, problem);
        return;
    }
    if (value[0]) {
        CopyText(field, QM_TEXT_SIZE, value);
        LogF(calls, "%s is '%s'", name, value);
    } else {
        LogF(calls, "No %s", name);
    }
}

// The lines of a configuration text, with room for one line read ahead and
// given back (the line after a hex value continued over several lines).
struct ConfigLines {
    FILE *File;
    char Held[QM_CHUNK_SIZE];
    int HasHeld;
};

static int NextLine(ConfigLines *lines, char *line, size_t size)
{
    if (lines->HasHeld) {
        lines->HasHeld = 0;
        CopyText(line, size, lines->Held);
        return 1;
    }
    return fgets(line, (int)size, lines->File) != NULL;
}

// A setting's value in every form the export writes: a quoted string, a
// dword, or a hex form (its continuation lines read here) decoded to the text
// it holds.
struct RegSettingValue {
    char Text[QM_TEXT_SIZE];
    int Problem;
    int Hex;
    RegHexData HexData;
};

static void ReadRegSettingValue(ConfigLines *lines, const char *text, RegSettingValue *value)
{
    value->Text[0] = 0;
    value->Problem = VALUE_OK;
    value->Hex = RegHexBegin(text, &value->HexData);
    if (!value->Hex) {
        if (!DecodeRegString(text, value->Text, sizeof value->Text)) value->Problem = VALUE_TOO_LONG;
        return;
    }
    char next[QM_CHUNK_SIZE];
    while (value->HexData.More && NextLine(lines, next, sizeof next)) {
        CutLineEnd(next);
        if (!RegHexContinue(next, &value->HexData)) {
            CopyText(lines->Held, sizeof lines->Held, next);
            lines->HasHeld = 1;
        }
    }
    if (value->HexData.Bad) value->Problem = VALUE_NOT_VALID;
    else if (!RegHexText(&value->HexData, value->Text, sizeof value->Text)) value->Problem = VALUE_TOO_LONG;
}

enum { STANZA_NONE, STANZA_ALL_QMS, STANZA_LOG_DEFAULTS, STANZA_QM };

int ReadVlsIniText(FILE *file, QmScanDefaults *defaults, const QmScanCalls *calls)
{
    int result = 1;
    int stanza = STANZA_NONE;
    QmFields fields;
    QmFieldsClear(&fields);
    char line[QM_CHUNK_SIZE];
    while (fgets(line, sizeof line, file)) {
        if (!PrepareConfigLine(line)) continue;
        const char *word;
        size_t length;
        if (ParseStanzaHeader(line, &word, &length)) {
            if (stanza == STANZA_QM) {
                result &= calls->AddQueueManager(calls->Context, &fields, defaults, 0, 0, 0);
                QmFieldsClear(&fields);
            }
            if (WordIs(word, length, "allqueuemanagers")) stanza = STANZA_ALL_QMS;
            else if (WordIs(word, length, "logdefaults")) stanza = STANZA_LOG_DEFAULTS;
            else if (WordIs(word, length, "queuemanager")) stanza = STANZA_QM;
            else stanza = STANZA_NONE;
            continue;
        }
        char key[QM_CHUNK_SIZE], value[QM_TEXT_SIZE];
        int fits;
        if (!SplitIniSetting(line, key, sizeof key, value, sizeof value, &fits)) continue;
        int problem = fits ? VALUE_OK : VALUE_TOO_LONG;
        if (stanza == STANZA_QM) {
            if (TextEqualNoCase(key, "name")) SetField(calls, key, fields.Name, value, problem);
            else if (TextEqualNoCase(key, "prefix")) SetField(calls, key, fields.Prefix, value, problem);
            else if (TextEqualNoCase(key, "directory")) SetField(calls, key, fields.Directory, value, problem);
        } else if (stanza == STANZA_ALL_QMS) {
            if (TextEqualNoCase(key, "defaultprefix"))
                SetDefault(calls, "DefaultPrefix", defaults->DefaultPrefix, value, problem);
        } else if (stanza == STANZA_LOG_DEFAULTS) {
            if (TextEqualNoCase(key, "logdefaultpath"))
                SetDefault(calls, "LogDefaultPath", defaults->LogDefaultPath, value, problem);
        }
    }
    if (stanza == STANZA_QM)
        result &= calls->AddQueueManager(calls->Context, &fields, defaults, 0, 0, 0);
    return result;
}

// The state of the Config.reg reader between lines.
struct RegScanState {
    char Section[QM_TEXT_SIZE];
    char KeyName[QM_TEXT_SIZE];
    char PreviousKeyName[QM_TEXT_SIZE];
    char Leaf[QM_TEXT_SIZE];
    int Pending;
    QmFields Fields;
};

static void HandleRegSection(RegScanState *state, const char *path)
{
    char parent[QM_TEXT_SIZE], last[QM_TEXT_SIZE];
    SplitConfigPath(path, parent, last);
    if (TextEqualNoCase(parent, "queuemanager") || TextEqualNoCase(parent, "services")) {
        CopyText(state->Section, sizeof state->Section, parent);
        CopyText(state->KeyName, sizeof state->KeyName, last);
        if (!state->PreviousKeyName[0])
            CopyText(state->PreviousKeyName, sizeof state->PreviousKeyName, last);
        state->Leaf[0] = 0;
    } else if (!parent[0]) {
        CopyText(state->Section, sizeof state->Section, last);
        state->KeyName[0] = 0;
        state->Leaf[0] = 0;
    } else {
        CopyText(state->Leaf, sizeof state->Leaf, last);
    }
}

static int HandOverRegRecord(RegScanState *state, QmScanDefaults *defaults, const QmScanCalls *calls)
{
    int result = calls->AddQueueManager(calls->Context, &state->Fields, defaults, 1, 0, 0);
    QmFieldsClear(&state->Fields);
    state->Pending = 0;
    return result;
}

static int HandleRegSetting(RegScanState *state, const char *key, const RegSettingValue *setting,
                            const QmScanCalls *calls, QmScanDefaults *defaults)
{
    const char *section = state->Section;
    const char *value = setting->Text;
    int problem = setting->Problem;
    if (TextEqualNoCase(section, "queuemanager")) {
        if (state->KeyName[0]) state->Pending = 1;
        QmFields *fields = &state->Fields;
        // The export writes the log path where the registry keeps it, in
        // the queue manager's Log key; other keys below it hold nothing kept.
        if (TextEqualNoCase(state->Leaf, "log")) {
            if (TextEqualNoCase(key, "\"logpath\"")) SetField(calls, key, fields->LogPath, value, problem);
            return 1;
        }
        if (state->Leaf[0]) return 1;
        if (TextEqualNoCase(key, "\"name\"")) SetField(calls, key, fields->Name, value, problem);
        else if (TextEqualNoCase(key, "\"prefix\"")) SetField(calls, key, fields->Prefix, value, problem);
        else if (TextEqualNoCase(key, "\"directory\"")) SetField(calls, key, fields->Directory, value, problem);
        else if (TextEqualNoCase(key, "\"logpath\"")) SetField(calls, key, fields->LogPath, value, problem);
    } else if (TextEqualNoCase(section, "allqueuemanagers")) {
        if (TextEqualNoCase(key, "\"defaultprefix\""))
            SetDefault(calls, "DefaultPrefix", defaults->DefaultPrefix, value, problem);
    } else if (TextEqualNoCase(section, "logdefaults")) {
        if (TextEqualNoCase(key, "\"logdefaultpath\""))
            SetDefault(calls, "LogDefaultPath", defaults->LogDefaultPath, value, problem);
    } else if (TextEqualNoCase(section, "clientexitpath")) {
        if (TextEqualNoCase(key, "\"exitsdefaultpath\"")) {
            // Read for the log only; nothing else uses it.
            char ignored[QM_TEXT_SIZE] = "";
            SetDefault(calls, "ExitsDefaultPath", ignored, value, problem);
        }
    } else if (TextEqualNoCase(section, "services") && TextEqualNoCase(state->Leaf, "listener")) {
        if (TextEqualNoCase(key, "\"protocol\"")) {
            // The first 32-bit word, as the registry scan reads it: a dword
            // line, or the first four bytes of a hex form.
            unsigned long protocol = 0;
            if (setting->Hex ? setting->HexData.Total == 0 : !value[0]) {
                LogF(calls, "No Protocol");
                return 1;
            }
            if (setting->Hex) {
                if (setting->HexData.Bad) {
                    LogRefusal(calls, key, VALUE_NOT_VALID);
                    return 1;
                }
                RegHexWord(&setting->HexData, &protocol);
            } else {
                ParseRegDword(value, &protocol);
            }
            if (protocol != 2) return 1;
            // The record of this queue manager may still be waiting for
            // the next key name (a single queue manager, or its services
            // key right after its own): hand it over first so that the
            // flag has an entry to go to.
            int result = 1;
            if (state->Pending) {
                result = HandOverRegRecord(state, defaults, calls);
                CopyText(state->PreviousKeyName, sizeof state->PreviousKeyName, state->KeyName);
            }
            return calls->MarkTcpListener(calls->Context, state->KeyName) && result;
        }
    }
    return 1;
}

int ReadConfigRegText(FILE *file, QmScanDefaults *defaults, const QmScanCalls *calls)
{
    int result = 1;
    RegScanState state;
    memset(&state, 0, sizeof state);
    ConfigLines lines;
    lines.File = file;
    lines.HasHeld = 0;
    char line[QM_CHUNK_SIZE];
    while (NextLine(&lines, line, sizeof line)) {
        if (!PrepareConfigLine(line)) continue;
        char path[QM_TEXT_SIZE];
        if (ParseRegSectionPath(line, path, sizeof path)) HandleRegSection(&state, path);
        // A record is complete once a key of another queue manager begins.
        if (state.Pending && strcmp(state.KeyName, state.PreviousKeyName) != 0 && state.PreviousKeyName[0]) {
            result &= HandOverRegRecord(&state, defaults, calls);
            CopyText(state.PreviousKeyName, sizeof state.PreviousKeyName, state.KeyName);
        }
        char key[QM_CHUNK_SIZE];
        const char *text;
        if (!SplitRegSetting(line, key, sizeof key, &text)) continue;
        RegSettingValue value;
        ReadRegSettingValue(&lines, text, &value);
        result &= HandleRegSetting(&state, key, &value, calls, defaults);
    }
    if (state.Pending) result &= HandOverRegRecord(&state, defaults, calls);
    return result;
}

int ReadLogDefaultPathText(FILE *file, char *out, size_t size)
{
    out[0] = 0;
    ConfigLines lines;
    lines.File = file;
    lines.HasHeld = 0;
    char line[QM_CHUNK_SIZE];
    while (!out[0] && NextLine(&lines, line, sizeof line)) {
        if (!PrepareConfigLine(line)) continue;
        LowerText(line);
        // By character, as MatchLogDefaultPathLine.
        const char *key = MbFindText(line, "logdefaultpath");
        const char *equals = key ? MbFindChar(key + 14, '=') : NULL;
        if (!equals) continue;
        RegSettingValue value;
        ReadRegSettingValue(&lines, equals + 1, &value);
        // A path cut to fit would name another folder: refuse it.
        if (value.Problem != VALUE_OK) continue;
        LowerText(value.Text);
        if (!CopyText(out, size, value.Text)) out[0] = 0;
    }
    return out[0] != 0;
}

int ReadQmIniLogPath(FILE *file, char *out, size_t size)
{
    out[0] = 0;
    int inLogStanza = 0;
    char line[QM_CHUNK_SIZE];
    while (!out[0] && fgets(line, sizeof line, file)) {
        if (!PrepareConfigLine(line)) continue;
        const char *word;
        size_t length;
        if (ParseStanzaHeader(line, &word, &length)) {
            inLogStanza = WordIs(word, length, "log");
            continue;
        }
        if (!inLogStanza) continue;
        char key[QM_CHUNK_SIZE], value[QM_TEXT_SIZE];
        int fits;
        if (!SplitIniSetting(line, key, sizeof key, value, sizeof value, &fits)) continue;
        if (TextEqualNoCase(key, "logpath") && fits && value[0]) CopyText(out, size, value);
    }
    StripTrailingBackslash(out);
    return out[0] != 0;
}
