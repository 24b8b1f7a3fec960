#include "studio/log_pane.h"

#include <gtest/gtest.h>

namespace avrtazu {
namespace {

TEST(LogPaneTest, ShowsEachLevelAndDebugOnlyOnRequest) {
    LogPane pane;
    pane.addEntry(LogPane::kInformation, QStringLiteral("tazu plug-in:"), QString(),
                  QStringLiteral("Renamed file"));
    pane.addEntry(LogPane::kWarning, QStringLiteral("tazu plug-in:"), QString(),
                  QStringLiteral("Part differs"));
    pane.addEntry(LogPane::kError, QStringLiteral("tazu plug-in:"), QString(),
                  QStringLiteral("Failed"));
    pane.addEntry(LogPane::kDebug, QStringLiteral("tazu plug-in:"),
                  QStringLiteral("Zuzozuduvuruva::changeOptions()"), QStringLiteral("Sent"));
    EXPECT_EQ(pane.visibleRows(),
              QStringList({QStringLiteral("Information: tazu plug-in: Renamed file"),
                           QStringLiteral("Warning: tazu plug-in: Part differs"),
                           QStringLiteral("Error: tazu plug-in: Failed")}));
    pane.setShowDebug(true);
    EXPECT_EQ(pane.visibleRows().back(),
              QStringLiteral("Debug: tazu plug-in: Zuzozuduvuruva::changeOptions() Sent"));
    pane.addEntry(LogPane::kDebug, QString(), QString(), QStringLiteral("later"));
    EXPECT_EQ(pane.visibleRows().size(), 5);
    pane.setShowDebug(false);
    EXPECT_EQ(pane.visibleRows().size(), 3);
    for (const long level : {LogPane::kInformation, LogPane::kWarning, LogPane::kError}) {
        EXPECT_EQ(pane.entryCount(level), 1) << level;
    }
    EXPECT_EQ(pane.entryCount(LogPane::kDebug), 2);
}

TEST(LogPaneTest, LevelsHaveNamesAndTheSevereOnesColours) {
    EXPECT_EQ(LogPane::levelName(0), QStringLiteral("Information"));
    EXPECT_EQ(LogPane::levelName(1), QStringLiteral("Warning"));
    EXPECT_EQ(LogPane::levelName(2), QStringLiteral("Error"));
    EXPECT_EQ(LogPane::levelName(3), QStringLiteral("Debug"));
    EXPECT_EQ(LogPane::levelName(9), QStringLiteral("Level 9"));
    EXPECT_FALSE(LogPane::colourOf(0).isValid());
    EXPECT_NE(LogPane::colourOf(1), LogPane::colourOf(2));
    EXPECT_TRUE(LogPane::colourOf(2).isValid());
}

} // namespace
} // namespace avrtazu
