// Bounds check of version data: the 16-bit layout (length, value length,
// 8-bit key) and the 32-bit layout (length, value length, type, UTF-16 key).
// After the key the value starts on a four-byte boundary, after the value the
// children, each child on a four-byte boundary.
#include "versioncheck.h"

static const int kMaxDepth = 16;  // real version data is four levels deep

static unsigned ReadWord(const unsigned char* p)
{
    return (unsigned)p[0] | ((unsigned)p[1] << 8);
}

static size_t AlignUp(size_t offset, size_t nodeStart)
{
    return nodeStart + ((offset - nodeStart + 3) & ~(size_t)3);
}

// Checks the node at data[start..], which must end by limit.
static int NodeIsSound(const unsigned char* data, size_t start, size_t limit, int wide, int depth)
{
    if (depth > kMaxDepth)
        return 0;
    size_t header = wide ? 6 : 4;
    if (start + header > limit)
        return 0;
    size_t length = ReadWord(data + start);
    size_t valueLength = ReadWord(data + start + 2);
    int text = wide ? ReadWord(data + start + 4) != 0 : 0;
    size_t end = start + length;
    if (length < header || end > limit)
        return 0;

    // The key must end inside the node.
    size_t pos = start + header;
    size_t unit = wide ? 2 : 1;
    for (;;) {
        if (pos + unit > end)
            return 0;
        int zero = wide ? ReadWord(data + pos) == 0 : data[pos] == 0;
        pos += unit;
        if (zero)
            break;
    }

    size_t value = AlignUp(pos, start);
    size_t valueBytes = text ? valueLength * 2 : valueLength;
    if (text && valueLength > 0) {
        // Text is read up to its terminator, which must lie inside the node.
        size_t p = value;
        for (;;) {
            if (p + 2 > end)
                return 0;
            if (ReadWord(data + p) == 0)
                break;
            p += 2;
        }
    } else if (valueLength > 0 && value + valueBytes > end) {
        return 0;
    }

    size_t child = AlignUp(value + valueBytes, start);
    while (child < end) {
        if (!NodeIsSound(data, child, end, wide, depth + 1))
            return 0;
        child = AlignUp(child + ReadWord(data + child), start);
    }
    return 1;
}

int VersionDataIsSound(const unsigned char* data, size_t size)
{
    if (size < 6)
        return 0;
    // The 16-bit layout has its key where the 32-bit one has the type word.
    int wide = data[4] < ' ';
    size_t length = ReadWord(data);
    if (wide && length * 2 + 4 > size)
        return 0;
    return NodeIsSound(data, 0, size, wide, 0);
}

size_t BoundedTextLength(const char* p, const char* end)
{
    size_t n = 0;
    while (p + n < end && p[n] != '\0')
        n++;
    return n;
}
