// Bounds check of a version resource as read by the system's version API.
// Platform-neutral: no Windows headers, so the host build can test and fuzz it.
#pragma once
#include <stddef.h>

// 1 when every node of the version data in data[0..size) lies inside its
// parent and the buffer, every key and text value ends inside its node, and
// the buffer leaves room for the text conversions the version API writes
// behind the data (twice the data plus four bytes for the 32-bit layout).
// The version API's own lookups trust these lengths, so data that fails this
// check is never handed to them.
int VersionDataIsSound(const unsigned char* data, size_t size);

// Length of the text at p, stopping at its terminator or at end.
size_t BoundedTextLength(const char* p, const char* end);
