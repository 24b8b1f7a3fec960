#include "studio/output_pane.h"

#include "services/gui_works.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace avrtazu {
namespace {

TEST(OutputPaneTest, EachKindHasItsOwnColourAndPlainLinesThePalettes) {
    const QColor warning = OutputPane::colourOf(kOutputWarning);
    const QColor error = OutputPane::colourOf(kOutputError);
    const QColor tool = OutputPane::colourOf(kOutputToolLine);
    EXPECT_FALSE(OutputPane::colourOf(kOutputPlain).isValid());
    EXPECT_FALSE(OutputPane::colourOf(7).isValid());
    ASSERT_TRUE(warning.isValid() && error.isValid() && tool.isValid());
    EXPECT_NE(warning, error);
    EXPECT_NE(warning, tool);
    EXPECT_NE(error, tool);

    OutputPane pane;
    pane.addLine(QStringLiteral("plain"), kOutputPlain);
    pane.addLine(QStringLiteral("!E main.c(3): oops"), kOutputError);
    pane.addLine(QStringLiteral("!W main.c(4):[warning] hm"), kOutputWarning);
    pane.addLine(QStringLiteral("tazuavr -c main.c"), kOutputToolLine);
    ASSERT_EQ(pane.count(), 4);
    EXPECT_EQ(pane.kindOf(1), kOutputError);
    EXPECT_EQ(pane.item(1)->foreground().color(), error);
    EXPECT_EQ(pane.item(2)->foreground().color(), warning);
    EXPECT_EQ(pane.item(3)->foreground().color(), tool);
    EXPECT_EQ(pane.item(0)->foreground().style(), Qt::NoBrush);
    EXPECT_EQ(pane.kindOf(9), -1);
}

TEST(OutputPaneTest, KnowsTheSummaryLines) {
    struct Case {
        const char* line;
        bool summary;
    };
    const Case cases[] = {
        {"Build succeeded with 0 Warnings...", true},
        {"Build failed with 2 errors and 1 warnings...", true},
        {"Build failed... No build tools defined.", true},
        {"Make succeeded with 1 Warnings...", true},
        {"Make failed with 1 errors and 0 warnings...", true},
        {"Compile failed... No build tools defined.", true},
        {"Successfully cleaned the project", true},
        {"Clean failed... No make/compiler defined.", true},
        {"Build started 5.12.2026 at 20:05:27", false},
        {"!E main.c(3): Build failed", false},
        {"", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(OutputPane::isSummaryLine(QString::fromLatin1(c.line)), c.summary) << c.line;
    }
}

TEST(OutputPaneTest, TheLastSummaryStaysUntilTheNextOne) {
    OutputPane pane;
    QSignalSpy summaries(&pane, &OutputPane::summaryChanged);
    pane.addLine(QStringLiteral("Build succeeded with 0 Warnings...\r\n"), kOutputPlain);
    pane.clearLines();
    pane.addLine(QStringLiteral("tazuavr -c main.c"), kOutputToolLine);
    EXPECT_EQ(pane.lastSummary(), QStringLiteral("Build succeeded with 0 Warnings..."));
    pane.addLine(QStringLiteral("Build failed with 1 errors and 0 warnings..."), kOutputError);
    EXPECT_EQ(pane.lastSummary(), QStringLiteral("Build failed with 1 errors and 0 warnings..."));
    EXPECT_EQ(summaries.count(), 2);
    EXPECT_EQ(pane.count(), 2);
}

TEST(OutputPaneTest, ADoubleClickHandsTheLineOn) {
    OutputPane pane;
    pane.resize(400, 200);
    pane.show();
    pane.addLine(QStringLiteral("Build started"), kOutputPlain);
    pane.addLine(QStringLiteral("!E Z:\\p\\main.c(12): expected ';'\r"), kOutputError);
    QSignalSpy activated(&pane, &OutputPane::lineActivated);
    const QPoint row = pane.visualItemRect(pane.item(1)).center();
    // A double click as the user makes it: the first click, then the second.
    QTest::mouseClick(pane.viewport(), Qt::LeftButton, {}, row);
    QTest::mouseDClick(pane.viewport(), Qt::LeftButton, {}, row);
    ASSERT_EQ(activated.count(), 1);
    EXPECT_EQ(activated.front().front().toString(),
              QStringLiteral("!E Z:\\p\\main.c(12): expected ';'"));
}

} // namespace
} // namespace avrtazu
