// The rules that keep data-driven deletions inside the data folder or the tree.
#include "removal/datafolders.h"
#include <gtest/gtest.h>
#include <string>

TEST(DataFolders, InsideIsStrictlyBelowInTheResolvedForm)
{
    EXPECT_TRUE(PathIsInside("C:\\Data\\qmgrs", "C:\\Data"));
    EXPECT_TRUE(PathIsInside("c:\\data\\QMGRS\\", "C:\\Data\\"));
    EXPECT_TRUE(PathIsInside("C:/Data/x", "C:\\Data"));
    // Network folders are never the product's: nothing is inside them.
    EXPECT_FALSE(PathIsInside("\\\\srv\\share\\d\\x", "\\\\srv\\share\\d"));
    EXPECT_FALSE(PathIsInside("C:\\Data", "C:\\Data"));
    EXPECT_FALSE(PathIsInside("C:\\Data.\\", "C:\\Data"));   // Windows drops the dot
    EXPECT_FALSE(PathIsInside("C:\\Data2\\x", "C:\\Data"));
    EXPECT_FALSE(PathIsInside("C:\\Data\\..\\x", "C:\\Data"));
    EXPECT_FALSE(PathIsInside("C:\\x", "C:\\"));
    EXPECT_FALSE(PathIsInside("C:\\x", ""));
    EXPECT_FALSE(PathIsInside("", "C:\\Data"));
    EXPECT_FALSE(PathIsInside(("C:\\Data\\" + std::string(300, 'a')).c_str(), "C:\\Data"));
}

TEST(DataFolders, QueueManagerFolders)
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
    EXPECT_FALSE(QmDirectoryIsDeletable("C:\\qmgrs\\QM1", "C:\\"));

    const char *dirs[] = {"C:\\D\\qmgrs\\QM1", "C:\\D\\qmgrs\\QM2", "", nullptr};
    EXPECT_TRUE(QmLogPathIsDeletable("C:\\D\\log\\QM1", "C:\\D", nullptr, dirs[0], dirs, 4));
    EXPECT_TRUE(QmLogPathIsDeletable("C:\\D\\qmgrs\\QM1\\log", "C:\\D", nullptr, dirs[0], dirs, 4));
    EXPECT_FALSE(QmLogPathIsDeletable("C:\\D\\qmgrs\\QM2", "C:\\D", nullptr, dirs[0], dirs, 4));
    EXPECT_FALSE(QmLogPathIsDeletable("c:\\d\\QMGRS\\qm2\\", "C:\\D", nullptr, dirs[0], dirs, 4));
    EXPECT_FALSE(QmLogPathIsDeletable("C:\\D\\qmgrs\\QM2\\log", "C:\\D", nullptr, dirs[0], dirs, 4));
    EXPECT_FALSE(QmLogPathIsDeletable("C:\\D\\qmgrs", "C:\\D", nullptr, dirs[0], dirs, 4));
    EXPECT_FALSE(QmLogPathIsDeletable("C:\\D\\qmgrs\\QM1", "C:\\D", nullptr, dirs[0], dirs, 4));
    EXPECT_FALSE(QmLogPathIsDeletable("C:\\D", "C:\\D", nullptr, dirs[0], dirs, 4));
    EXPECT_FALSE(QmLogPathIsDeletable("C:\\", "C:\\D", nullptr, dirs[0], dirs, 4));
    EXPECT_FALSE(QmLogPathIsDeletable("..", "C:\\D", nullptr, dirs[0], dirs, 4));
    EXPECT_FALSE(QmLogPathIsDeletable("C:\\Other\\log", "C:\\D", nullptr, dirs[0], dirs, 4));
}

TEST(DataFolders, LogFoldersInTheLogDefaultPathOutsideTheDataFolder)
{
    const char *dirs[] = {"C:\\D\\qmgrs\\QM1", "C:\\L\\qmgrs\\QM2"};
    EXPECT_TRUE(QmLogPathIsDeletable("C:\\L\\QM1", "C:\\D", "C:\\L", dirs[0], dirs, 2));
    EXPECT_TRUE(QmLogPathIsDeletable("c:\\l\\a\\QM1\\", "C:\\D", "C:\\L\\", dirs[0], dirs, 2));
    EXPECT_TRUE(QmLogPathIsDeletable("C:\\D\\log\\QM1", "C:\\D", "C:\\L", dirs[0], dirs, 2));
    // Strictly inside: the log default path itself, and folders elsewhere, are not a queue manager's.
    EXPECT_FALSE(QmLogPathIsDeletable("C:\\L", "C:\\D", "C:\\L", dirs[0], dirs, 2));
    EXPECT_FALSE(QmLogPathIsDeletable("C:\\L2\\QM1", "C:\\D", "C:\\L", dirs[0], dirs, 2));
    EXPECT_FALSE(QmLogPathIsDeletable("C:\\L\\..\\X", "C:\\D", "C:\\L", dirs[0], dirs, 2));
    // Another queue manager's folder, or one holding it, stays wherever it lies.
    EXPECT_FALSE(QmLogPathIsDeletable("C:\\L\\qmgrs\\QM2", "C:\\D", "C:\\L", dirs[0], dirs, 2));
    EXPECT_FALSE(QmLogPathIsDeletable("C:\\L\\qmgrs", "C:\\D", "C:\\L", dirs[0], dirs, 2));
    // A log default path that holds the data folder (or is it, or a root) widens nothing.
    EXPECT_FALSE(QmLogPathIsDeletable("C:\\P\\Program", "C:\\P\\D", "C:\\P", dirs[0], dirs, 0));
    EXPECT_FALSE(QmLogPathIsDeletable("C:\\P\\D", "C:\\P\\D", "C:\\P", dirs[0], dirs, 0));
    EXPECT_FALSE(QmLogPathIsDeletable("C:\\X\\QM1", "C:\\D", "C:\\", dirs[0], dirs, 0));
    EXPECT_FALSE(QmLogPathIsDeletable("C:\\X\\QM1", "C:\\D", "..\\X", dirs[0], dirs, 0));
    EXPECT_FALSE(QmLogPathIsDeletable("C:\\X\\QM1", "C:\\D", "", dirs[0], dirs, 0));
}

TEST(DataFolders, ServiceLevelFolders)
{
    char out[260];
    EXPECT_EQ(CSD_FOLDER_INSIDE, ServiceLevelFolder("C:\\sl\\csd03=C:\\P\\csd03", "C:\\P", out, sizeof out));
    EXPECT_STREQ("C:\\P\\csd03", out);
    EXPECT_EQ(CSD_FOLDER_INSIDE, ServiceLevelFolder("x=c:\\P\\csd03\\", "C:\\P", out, sizeof out));
    EXPECT_STREQ("C:\\P\\csd03", out);
    EXPECT_EQ(CSD_NO_FOLDER, ServiceLevelFolder("C:\\sl\\csd03", "C:\\P", out, sizeof out));
    EXPECT_EQ(CSD_FOLDER_ELSEWHERE, ServiceLevelFolder("x=C:\\D\\csd03", "C:\\P", out, sizeof out));
    EXPECT_STREQ("", out);
    // The tree root itself is not a service-level folder.
    EXPECT_EQ(CSD_FOLDER_ELSEWHERE, ServiceLevelFolder("X=C:\\P", "C:\\P", out, sizeof out));
    EXPECT_EQ(CSD_FOLDER_EMPTY, ServiceLevelFolder("X=", "C:\\P", out, sizeof out));
    EXPECT_EQ(CSD_FOLDER_EMPTY, ServiceLevelFolder("X=  ", "C:\\P", out, sizeof out));
    for (const char *bad : {"X=C:\\", "X=C:", "X=csd03", "X=C:\\P\\..", "X=\\\\srv\\share", "X=C:\\P\\a:b",
                            "X=\\\\?\\C:\\P\\x"})
        EXPECT_EQ(CSD_FOLDER_REFUSED, ServiceLevelFolder(bad, "C:\\P", out, sizeof out)) << bad;
    char tiny[4];
    EXPECT_EQ(CSD_FOLDER_REFUSED, ServiceLevelFolder("X=C:\\P\\csd03", "C:\\P", tiny, sizeof tiny));
    EXPECT_STREQ("", tiny);
}
