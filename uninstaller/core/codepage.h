// The ANSI code page's lead bytes, read once at start-up (GUI thread, before
// any other thread exists) and handed to the character rules of mbchar.h.
#pragma once

void UseSystemCodePage();
