#include "core/responseparse.h"
#include "core/text.h"
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

void ResponseInit(ResponseTable *table)
{
    table->Stanzas = NULL;
    table->Ok = 1;
}

static char *CopyOf(const char *text, size_t n)
{
    char *copy = (char *)malloc(n + 1);
    if (copy) {
        memcpy(copy, text, n);
        copy[n] = 0;
    }
    return copy;
}

static void ParseStanzaHeader(ResponseTable *table, const char *word, size_t wordLength, ResponseLog log)
{
    const char *name = word + 1;
    const char *close = (const char *)memchr(name, ']', wordLength - 1);
    size_t n = close ? (size_t)(close - name) : wordLength - 1;
    if (n == 0) {
        log("No stanza name");
        table->Ok = 0;
    }
    ResponseStanza *stanza = (ResponseStanza *)calloc(1, sizeof *stanza);
    char *copy = stanza ? CopyOf(name, n) : NULL;
    if (!stanza || !copy) {
        free(stanza);
        table->Ok = 0;
        return;
    }
    stanza->Name = copy;
    stanza->Next = table->Stanzas;
    table->Stanzas = stanza;
}

static void ParseKeywordLine(ResponseTable *table, const char *line, ResponseLog log)
{
    if (!strchr(line, '=')) {
        log("No equals (=) sign in line");
        table->Ok = 0;
        return;
    }
    // The keyword is the first run of characters other than "=", blanks kept.
    const char *keyword = line;
    while (*keyword == '=') keyword++;
    size_t keywordLength = strcspn(keyword, "=");
    const char *rest = keyword + keywordLength;
    if (*rest == '=') rest++;
    // The value is the first blank-delimited word after that "=".
    const char *value = rest;
    while (*value == ' ') value++;
    size_t valueLength = strcspn(value, " ");

    int ok = 1;
    if (keywordLength == 0) { log("No keyword name in line"); ok = 0; }
    if (valueLength == 0) { log("No value in line"); ok = 0; }
    if (!table->Stanzas) { log("No stanza"); ok = 0; }
    if (!ok) table->Ok = 0;
    if (!table->Ok) return;

    ResponseEntry *entry = (ResponseEntry *)calloc(1, sizeof *entry);
    char *keywordCopy = entry ? CopyOf(keyword, keywordLength) : NULL;
    char *valueCopy = keywordCopy ? CopyOf(value, valueLength) : NULL;
    if (!valueCopy) {
        free(keywordCopy);
        free(entry);
        table->Ok = 0;
        return;
    }
    entry->Keyword = keywordCopy;
    entry->Value = valueCopy;
    entry->Next = table->Stanzas->Entries;
    table->Stanzas->Entries = entry;
}

void ResponseParseLine(ResponseTable *table, char *line, ResponseLog log)
{
    CutLineEnd(line);

    char echo[RESPONSE_LINE_SIZE + 8];
    snprintf(echo, sizeof echo, "  %s", line);
    log(echo);

    if (line[0] == ';' || line[0] == '#') return;
    const char *word = line;
    while (*word == ' ') word++;
    if (!*word) return;
    size_t wordLength = strcspn(word, " ");
    if (word[0] == '[') ParseStanzaHeader(table, word, wordLength, log);
    else ParseKeywordLine(table, line, log);
}

int ResponseFind(const ResponseTable *table, const char *stanzaName, const char *keyword, const char **value)
{
    *value = NULL;
    const ResponseStanza *stanza = table->Stanzas;
    while (stanza && !TextEqualNoCase(stanza->Name, stanzaName)) stanza = stanza->Next;
    if (!stanza) return 1;
    for (const ResponseEntry *entry = stanza->Entries; entry; entry = entry->Next) {
        if (TextEqualNoCase(entry->Keyword, keyword)) {
            *value = entry->Value;
            return 0;
        }
    }
    return 2;
}

void ResponseFree(ResponseTable *table)
{
    while (table->Stanzas) {
        ResponseStanza *stanza = table->Stanzas;
        table->Stanzas = stanza->Next;
        while (stanza->Entries) {
            ResponseEntry *entry = stanza->Entries;
            stanza->Entries = entry->Next;
            free(entry->Keyword);
            free(entry->Value);
            free(entry);
        }
        free(stanza->Name);
        free(stanza);
    }
    table->Ok = 1;
}
