#include "studio/output_pane.h"

#include "services/gui_works.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace avrtazu {
namespace {

TEST(OutputPaneTest, EachKindHasItsOwnColourAndPlainLinesThePalettes) {
    OutputPane pane;
    pane.addLine(QStringLiteral("plain"), kOutputPlain);
    pane.addLine(QStringLiteral("!E main.c(3): oops"), kOutputError);
    pane.addLine(QStringLiteral("!W main.c(4):[warning] hm"), kOutputWarning);
    pane.addLine(QStringLiteral("tazuavr -c main.c"), kOutputToolLine);
    ASSERT_EQ(pane.count(), 4);
    EXPECT_EQ(pane.item(0)->foreground().style(), Qt::NoBrush);
    EXPECT_EQ(pane.kindOf(1), kOutputError);
    EXPECT_EQ(pane.kindOf(9), -1);
    const QColor error = pane.item(1)->foreground().color();
    const QColor warning = pane.item(2)->foreground().color();
    const QColor tool = pane.item(3)->foreground().color();
    EXPECT_EQ(error, OutputPane::colourOf(kOutputError));
    EXPECT_TRUE(error != warning && error != tool && warning != tool);
    EXPECT_FALSE(OutputPane::colourOf(7).isValid());
}

TEST(OutputPaneTest, KnowsTheSummaryLines) {
    const std::pair<const char*, bool> cases[] = {
        {"Build succeeded with 0 Warnings...", true},
        {"Build failed with 2 errors and 1 warnings...", true},
        {"Make succeeded with 1 Warnings...", true},
        {"Make failed with 1 errors and 0 warnings...", true},
        {"Compile failed... No build tools defined.", true},
        {"Successfully cleaned the project", true},
        {"Clean failed... No make/compiler defined.", true},
        {"Build started 5.12.2026 at 20:05:27", false},
        {"!E main.c(3): Build failed", false},
    };
    for (const auto& [line, summary] : cases) {
        EXPECT_EQ(OutputPane::isSummaryLine(QString::fromLatin1(line)), summary) << line;
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
    pane.clearSummary();
    EXPECT_TRUE(pane.lastSummary().isEmpty());
}

} // namespace
} // namespace avrtazu
