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

} // namespace
} // namespace avrtazu
