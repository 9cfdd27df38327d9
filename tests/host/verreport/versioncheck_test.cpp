// The bounds check of version data, on hand-built buffers.
#include "verreport/versioncheck.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

typedef std::vector<unsigned char> Bytes;

static void Pad(Bytes& b)
{
    while (b.size() % 4)
        b.push_back(0);
}

static void Word(Bytes& b, size_t at, unsigned v)
{
    b[at] = v & 0xFF;
    b[at + 1] = (v >> 8) & 0xFF;
}

// A 32-bit node: length, value length, type, UTF-16 key, value, children.
static Bytes Node(const std::string& key, const Bytes& value, bool text, unsigned valueLength,
                  const std::vector<Bytes>& children = {})
{
    Bytes b(6, 0);
    for (char c : key) {
        b.push_back((unsigned char)c);
        b.push_back(0);
    }
    b.push_back(0);
    b.push_back(0);
    Pad(b);
    b.insert(b.end(), value.begin(), value.end());
    for (size_t i = 0; i < children.size(); i++) {
        Pad(b);
        b.insert(b.end(), children[i].begin(), children[i].end());
    }
    Word(b, 0, (unsigned)b.size());
    Word(b, 2, valueLength);
    Word(b, 4, text ? 1 : 0);
    return b;
}

static Bytes Text(const std::string& key, const std::string& value)
{
    Bytes v;
    for (char c : value) {
        v.push_back((unsigned char)c);
        v.push_back(0);
    }
    v.push_back(0);
    v.push_back(0);
    return Node(key, v, true, (unsigned)value.size() + 1);
}

static Bytes Version()
{
    Bytes fixed(52, 0);
    Bytes strings = Node("StringFileInfo", {}, true, 0,
                         {Node("040904B0", {}, true, 0, {Text("FileVersion", "1.0"), Text("Level", "7")})});
    Bytes vars = Node("VarFileInfo", {}, true, 0, {Node("Translation", {9, 4, 0xB0, 4}, false, 4)});
    return Node("VS_VERSION_INFO", fixed, false, 52, {strings, vars});
}

// The version API hands out a buffer twice the data plus four bytes.
static Bytes Buffer(const Bytes& data)
{
    Bytes b = data;
    b.resize(data.size() * 2 + 4, 0);
    return b;
}

static int Sound(const Bytes& b)
{
    return VersionDataIsSound(b.data(), b.size());
}

TEST(VersionCheck, SoundDataPasses)
{
    EXPECT_EQ(1, Sound(Buffer(Version())));
}

TEST(VersionCheck, BufferWithoutRoomForTextConversionFails)
{
    Bytes data = Version();
    EXPECT_EQ(0, Sound(data));
    Bytes b = Buffer(data);
    b.pop_back();
    EXPECT_EQ(0, Sound(b));
}

TEST(VersionCheck, LengthsPointingOutsideFail)
{
    Bytes data = Version();
    Bytes b = Buffer(data);
    Word(b, 0, 0xFFF0);  // root longer than the buffer
    EXPECT_EQ(0, Sound(b));

    b = Buffer(data);
    size_t strings = 40 + 52;  // header and key padded to 40 bytes, fixed info
    ASSERT_EQ('S', b[strings + 6]);
    Word(b, strings, data.size());  // string table runs past the root
    EXPECT_EQ(0, Sound(b));

    b = Buffer(data);
    Word(b, strings, 0);  // a node of length zero
    EXPECT_EQ(0, Sound(b));

    b = Buffer(data);
    Word(b, strings, 4);  // shorter than its own header
    EXPECT_EQ(0, Sound(b));
}

TEST(VersionCheck, UnterminatedKeyOrTextFails)
{
    // The root ends inside a key.
    Bytes data = Node("VS_VERSION_INFO", {}, false, 0, {Node("Translation", {}, false, 0)});
    Word(data, 0, (unsigned)data.size() - 4);
    data.resize(data.size() - 4);
    EXPECT_EQ(0, Sound(Buffer(data)));

    // The root ends inside a text value, before its terminator.
    Bytes text = Text("Level", "777");
    text.resize(text.size() - 2);
    Word(text, 0, (unsigned)text.size());
    Bytes root = Node("VS_VERSION_INFO", {}, false, 0, {text});
    EXPECT_EQ(0, Sound(Buffer(root)));
}

TEST(VersionCheck, BinaryValuePastItsNodeFails)
{
    Bytes root = Node("VS_VERSION_INFO", Bytes(52, 0), false, 60);
    EXPECT_EQ(0, Sound(Buffer(root)));
}

TEST(VersionCheck, SixteenBitLayout)
{
    // Length, value length, 8-bit key, value: no type word, no text conversion area.
    Bytes child = {0, 0, 0, 0, 'L', 'e', 'v', 'e', 'l', 0, 0, 0, '7', 0};
    Word(child, 0, (unsigned)child.size());
    Word(child, 2, 2);
    Bytes root = {0, 0, 0, 0, 'V', 'S', '_', 'V', 'E', 'R', 'S', 'I', 'O', 'N', '_', 'I', 'N', 'F', 'O', 0};
    root.insert(root.end(), child.begin(), child.end());
    Word(root, 0, (unsigned)root.size());
    EXPECT_EQ(1, Sound(root));
    Word(root, 20 + 2, 40);  // value past its node
    EXPECT_EQ(0, Sound(root));
}

TEST(VersionCheck, TooSmallForAHeader)
{
    EXPECT_EQ(0, VersionDataIsSound(NULL, 0));
    unsigned char five[5] = {5, 0, 0, 0, 0};
    EXPECT_EQ(0, VersionDataIsSound(five, sizeof five));
}

TEST(VersionCheck, BoundedTextLength)
{
    const char text[] = {'a', 'b', 'c', 0, 'd'};
    EXPECT_EQ(3u, BoundedTextLength(text, text + 5));
    EXPECT_EQ(2u, BoundedTextLength(text, text + 2));
    EXPECT_EQ(1u, BoundedTextLength(text + 4, text + 5));
}
