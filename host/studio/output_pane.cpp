#include "studio/output_pane.h"

#include "services/gui_works.h"

#include <QApplication>
#include <QFontDatabase>
#include <QStyle>

#include <array>

namespace avrtazu {

namespace {

// How the plug-in's runs end their output.
constexpr std::array<const char*, 7> kSummaryStarts{
    "Build succeeded", "Build failed",         "Make succeeded", "Make failed",
    "Compile failed",  "Successfully cleaned", "Clean failed"};

} // namespace

OutputPane::OutputPane(QWidget* parent) : QListWidget(parent) {
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setToolTip(QStringLiteral("Double-click an error or warning to open its source line"));
    connect(this, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { emit lineActivated(item->text()); });
}

QColor OutputPane::colourOf(long kind) {
    switch (kind) {
    case kOutputWarning:
        return QColor(176, 106, 0);
    case kOutputError:
        return QColor(200, 0, 0);
    case kOutputToolLine:
        return QColor(0, 110, 140);
    default:
        return QColor();
    }
}

bool OutputPane::isSummaryLine(const QString& text) {
    for (const char* start : kSummaryStarts) {
        if (text.startsWith(QLatin1String(start))) {
            return true;
        }
    }
    return false;
}

void OutputPane::addLine(const QString& text, long kind) {
    QString line = text;
    while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r'))) {
        line.chop(1);
    }
    auto* item = new QListWidgetItem(line, this);
    item->setData(kKindRole, static_cast<qlonglong>(kind));
    const QColor colour = colourOf(kind);
    if (colour.isValid()) {
        item->setForeground(colour);
    }
    // Not by colour alone: warnings and errors carry the usual signs.
    if (kind == kOutputWarning) {
        item->setIcon(style()->standardIcon(QStyle::SP_MessageBoxWarning));
    } else if (kind == kOutputError) {
        item->setIcon(style()->standardIcon(QStyle::SP_MessageBoxCritical));
    }
    scrollToItem(item);
    if (isSummaryLine(line)) {
        m_lastSummary = line;
        emit summaryChanged(line);
    }
}

void OutputPane::clearLines() {
    clear();
}

void OutputPane::clearSummary() {
    m_lastSummary.clear();
    emit summaryChanged(m_lastSummary);
}

long OutputPane::kindOf(int row) const {
    const QListWidgetItem* line = item(row);
    return line == nullptr ? -1 : static_cast<long>(line->data(kKindRole).toLongLong());
}

} // namespace avrtazu
