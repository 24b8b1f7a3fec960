#include "studio/output_pane.h"

#include "host/host_test_support.h"
#include "services/gui_works.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace avrtazu {
namespace {

TEST(OutputPaneTest, EachKindHasItsOwnColourAndPlainLinesThePalettes) {
    OutputPane pane;
    for (long kind : {kOutputPlain, kOutputError, kOutputWarning, kOutputToolLine}) {
        pane.addLine(QStringLiteral("line"), kind);
    }
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

// The summary lines the status bar shows; the last stays until the next one.
TEST(OutputPaneTest, TheLastSummaryStaysUntilTheNextOne) {
    test::expectEachLine(GOLDEN_DIR "/summary_lines.txt", [](const std::string& line) {
        return std::string(OutputPane::isSummaryLine(QString::fromStdString(line)) ? "summary"
                                                                                   : "-");
    });
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
