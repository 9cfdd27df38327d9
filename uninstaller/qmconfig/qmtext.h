// Readers of the queue-manager configuration texts: VLS.INI (stanzas of
// "key=value" settings), a queue manager's QM.INI (its log stanza) and the
// registry script Config.reg. No Windows dependency: the Win32 side opens the
// files, supplies the callbacks below and owns the queue-manager list, so the
// host build can test and fuzz the grammar on its own.
#pragma once
#include <stddef.h>
#include <stdio.h>

enum {
    QM_TEXT_SIZE = 260,   // every value kept from these files fits a path buffer
    QM_CHUNK_SIZE = 516   // lines are read in chunks of at most 515 characters
};

// The current queue manager's record in the current source.
struct QmFields {
    char Name[QM_TEXT_SIZE];
    char Prefix[QM_TEXT_SIZE];
    char Directory[QM_TEXT_SIZE];
    char LogPath[QM_TEXT_SIZE];
};

// Values that hold for the whole scan; a later source overrides an earlier
// one only with a non-empty value.
struct QmScanDefaults {
    char DefaultPrefix[QM_TEXT_SIZE];
    char LogDefaultPath[QM_TEXT_SIZE];
};

struct QmScanCalls {
    void *Context;
    void (*Log)(void *context, const char *text);
    // Hands one queue manager over. logPathGiven = 0: the source names no log
    // path (fields->LogPath is then empty and QM.INI is consulted).
    int (*AddQueueManager)(void *context, const QmFields *fields, const QmScanDefaults *defaults,
                           int logPathGiven, int tcpFlag, int overwrite);
    int (*MarkTcpListener)(void *context, const char *keyName);
};

void QmFieldsClear(QmFields *fields);

// A stanza header ("QueueManager:"): a colon and no equals sign, and nothing
// but blanks after the character that ends the first word. On success *word
// and *length give the word inside line.
int ParseStanzaHeader(const char *line, const char **word, size_t *length);

// A "key=value" setting of VLS.INI and QM.INI: the key is the first word when
// the line is split at '=' and ' '; the value starts one character after the
// key and is cleaned. Returns 0 when the line holds no key or no '='; *fits
// is 0 when the cleaned value is longer than the value buffer (value then "").
int SplitIniSetting(const char *line, char *key, size_t keySize, char *value, size_t valueSize,
                    int *fits);

// A Config.reg section header naming a key below "\Configuration\": copies
// the path after it, up to the first ']'. Returns 0 for other lines, for a
// header without ']' and for a path that does not fit.
int ParseRegSectionPath(const char *line, char *path, size_t size);

// A Config.reg setting: the key is the text before the first '=' (with its
// quotes), *value the text after it as read. Lines that begin with '[' are
// no settings.
int SplitRegSetting(const char *line, char *key, size_t keySize, const char **value);

// Drops one trailing backslash and splits at the last one (parent empty when
// there is none). parent and last are QM_TEXT_SIZE buffers.
void SplitConfigPath(const char *path, char *parent, char *last);

// The three readers work on an open file and return the AND of the results
// of the callbacks they made (1 when they made none). The Config.reg reader
// takes values in every form the export writes: quoted strings as regedit
// reads them, dwords, and hex forms continued over several lines, decoded to
// the text they hold.
int ReadVlsIniText(FILE *file, QmScanDefaults *defaults, const QmScanCalls *calls);
int ReadConfigRegText(FILE *file, QmScanDefaults *defaults, const QmScanCalls *calls);
// The first non-empty "logpath" of the "log" stanza, without one trailing
// backslash; returns 1 when one was found.
int ReadQmIniLogPath(FILE *file, char *out, size_t size);
// The first "logdefaultpath" setting of a VLS.INI or Config.reg text
// (no stanza or section considered), in lower case, in any form the
// Config.reg reader takes; a value too long for out is passed over. Returns
// 1 when one was found.
int ReadLogDefaultPathText(FILE *file, char *out, size_t size);
