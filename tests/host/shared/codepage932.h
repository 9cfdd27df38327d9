// Code page 932's lead bytes for the length of a test (or a fuzz input), then
// single-byte characters again. Names used in the tests, as 932 bytes:
// SO ("\x83\x5C", its second byte a backslash), A ("\x83\x41", its second
// byte 'A'), HYOU ("\x95\x5C").
#pragma once
#include "core/mbchar.h"

struct CodePage932 {
    CodePage932()
    {
        static const unsigned char kLeadBytes[] = {0x81, 0x9F, 0xE0, 0xFC, 0, 0};
        MbSetLeadRanges(kLeadBytes);
    }
    ~CodePage932() { MbSetLeadRanges(nullptr); }
};

#define SO "\x83\x5C"
#define KA_A "\x83\x41"
#define HYOU "\x95\x5C"
