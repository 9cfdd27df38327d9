// The rules that keep data-driven deletions inside their folder.
#include "removal/pathrules.h"
#include <gtest/gtest.h>
#include <string>

TEST(PathRules, FullPlainPaths)
{
    EXPECT_TRUE(PathIsFullAndPlain("C:\\Data"));
    EXPECT_TRUE(PathIsFullAndPlain("C:\\Data\\"));
    EXPECT_TRUE(PathIsFullAndPlain("\\\\server\\share\\dir"));
    for (const char *bad : {"", "C:", "C:\\", "C:\\\\", "C:Data", "\\Data", "Data", "..\\Data", "C:\\Data\\..",
                            "C:\\a\\. .\\b", "C:\\a/b", "C:\\a\\b:s", "C:\\a\\\\b", "\\\\server\\share",
                            "\\\\server\\share\\", "\\\\..\\share\\x", "\\\\\\share\\x"})
        EXPECT_FALSE(PathIsFullAndPlain(bad)) << bad;
    EXPECT_FALSE(PathIsFullAndPlain(("C:\\" + std::string(300, 'a')).c_str()));
}

TEST(PathRules, InsideIsStrictlyBelow)
{
    EXPECT_TRUE(PathIsInside("C:\\Data\\qmgrs", "C:\\Data"));
    EXPECT_TRUE(PathIsInside("c:\\data\\QMGRS\\", "C:\\Data\\"));
    EXPECT_FALSE(PathIsInside("C:\\Data", "C:\\Data"));
    EXPECT_FALSE(PathIsInside("C:\\Data2\\x", "C:\\Data"));
    EXPECT_FALSE(PathIsInside("C:\\Data\\..\\x", "C:\\Data"));
    EXPECT_FALSE(PathIsInside("C:\\x", "C:\\"));
    EXPECT_FALSE(PathIsInside("C:\\x", ""));
}

TEST(PathRules, QueueManagerFolders)
{
    EXPECT_TRUE(QmDirectoryIsDeletable("C:\\D\\qmgrs\\QM1", "C:\\D"));
    EXPECT_TRUE(QmDirectoryIsDeletable("C:\\D\\sub\\QMGRS\\QM1", "C:\\D"));
    EXPECT_FALSE(QmDirectoryIsDeletable("C:\\D\\qmgrs", "C:\\D"));
    EXPECT_FALSE(QmDirectoryIsDeletable("C:\\D\\other\\QM1", "C:\\D"));
    EXPECT_FALSE(QmDirectoryIsDeletable("C:\\E\\qmgrs\\QM1", "C:\\D"));
    EXPECT_FALSE(QmDirectoryIsDeletable("C:\\D\\qmgrs\\..", "C:\\D"));
    EXPECT_FALSE(QmDirectoryIsDeletable("\\qmgrs\\QM1", "C:\\D"));
    EXPECT_FALSE(QmDirectoryIsDeletable("", "C:\\D"));
    EXPECT_FALSE(QmDirectoryIsDeletable("C:\\D\\qmgrs\\QM1", ""));

    const char *dirs[] = {"C:\\D\\qmgrs\\QM1", "C:\\D\\qmgrs\\QM2"};
    EXPECT_TRUE(QmLogPathIsDeletable("C:\\D\\log\\QM1", "C:\\D", dirs[0], dirs, 2));
    EXPECT_TRUE(QmLogPathIsDeletable("C:\\D\\qmgrs\\QM1\\log", "C:\\D", dirs[0], dirs, 2));
    EXPECT_FALSE(QmLogPathIsDeletable("C:\\D\\qmgrs\\QM2", "C:\\D", dirs[0], dirs, 2));
    EXPECT_FALSE(QmLogPathIsDeletable("C:\\D\\qmgrs\\QM2\\log", "C:\\D", dirs[0], dirs, 2));
    EXPECT_FALSE(QmLogPathIsDeletable("C:\\D\\qmgrs", "C:\\D", dirs[0], dirs, 2));
    EXPECT_FALSE(QmLogPathIsDeletable("C:\\D\\qmgrs\\QM1", "C:\\D", dirs[0], dirs, 2));
    EXPECT_FALSE(QmLogPathIsDeletable("C:\\D", "C:\\D", dirs[0], dirs, 2));
    EXPECT_FALSE(QmLogPathIsDeletable("C:\\", "C:\\D", dirs[0], dirs, 2));
    EXPECT_FALSE(QmLogPathIsDeletable("..", "C:\\D", dirs[0], dirs, 2));
    EXPECT_FALSE(QmLogPathIsDeletable("C:\\Other\\log", "C:\\D", dirs[0], dirs, 2));
}

TEST(PathRules, ServiceLevelFolders)
{
    char out[260];
    EXPECT_EQ(CSD_FOLDER_INSIDE, ServiceLevelFolder("C:\\sl\\csd03=C:\\P\\csd03", "C:\\P", out, sizeof out));
    EXPECT_STREQ("C:\\P\\csd03", out);
    EXPECT_EQ(CSD_FOLDER_INSIDE, ServiceLevelFolder("x=C:\\P\\csd03\\", "C:\\P", out, sizeof out));
    EXPECT_STREQ("C:\\P\\csd03", out);
    EXPECT_EQ(CSD_NO_FOLDER, ServiceLevelFolder("C:\\sl\\csd03", "C:\\P", out, sizeof out));
    EXPECT_EQ(CSD_FOLDER_ELSEWHERE, ServiceLevelFolder("x=C:\\D\\csd03", "C:\\P", out, sizeof out));
    EXPECT_STREQ("", out);
    for (const char *bad : {"X=", "X=C:\\", "X=C:", "X=csd03", "X=C:\\P\\..", "X=\\\\srv\\share", "X=C:\\P\\a=b/c"})
        EXPECT_EQ(CSD_FOLDER_REFUSED, ServiceLevelFolder(bad, "C:\\P", out, sizeof out)) << bad;
    // The tree root itself is not a service-level folder.
    EXPECT_EQ(CSD_FOLDER_ELSEWHERE, ServiceLevelFolder("X=C:\\P", "C:\\P", out, sizeof out));
}
