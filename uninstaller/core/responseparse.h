// The response file grammar and its in-memory table. No Windows dependency,
// so the host build tests and fuzzes it.
#pragma once

struct ResponseEntry {
    char *Keyword;
    char *Value;
    ResponseEntry *Next;
};

struct ResponseStanza {
    char *Name;
    ResponseEntry *Entries;    // newest first: later definitions win
    ResponseStanza *Next;
};

struct ResponseTable {
    ResponseStanza *Stanzas;   // newest first
    int Ok;                    // starts 1; any malformed line clears it
};

typedef void (*ResponseLog)(const char *line);

enum { RESPONSE_LINE_SIZE = 516 };  // one read: at most 515 characters

void ResponseInit(ResponseTable *table);
// Handles one line as read (it is cut at its first CR and LF in place),
// echoing it and any problem through log.
void ResponseParseLine(ResponseTable *table, char *line, ResponseLog log);
// 0 = found (*value set), 1 = no stanza of that name, 2 = stanza lacks the keyword.
int ResponseFind(const ResponseTable *table, const char *stanza, const char *keyword, const char **value);
void ResponseFree(ResponseTable *table);
