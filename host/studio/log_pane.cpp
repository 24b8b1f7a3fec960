#include "studio/log_pane.h"

#include <QHeaderView>
#include <QStyle>

namespace avrtazu {

namespace {

constexpr int kLevelRole = Qt::UserRole + 1;

} // namespace

LogPane::LogPane(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(2);
    setHeaderLabels({QStringLiteral("Level"), QStringLiteral("Message")});
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    header()->setStretchLastSection(true);
    header()->setSectionResizeMode(kLevelColumn, QHeaderView::ResizeToContents);
}

QString LogPane::levelName(long level) {
    switch (level) {
    case kInformation:
        return QStringLiteral("Information");
    case kWarning:
        return QStringLiteral("Warning");
    case kError:
        return QStringLiteral("Error");
    case kDebug:
        return QStringLiteral("Debug");
    default:
        return QStringLiteral("Level %1").arg(level);
    }
}

QColor LogPane::colourOf(long level) {
    switch (level) {
    case kWarning:
        return QColor(176, 106, 0);
    case kError:
        return QColor(200, 0, 0);
    case kDebug:
        return QColor(110, 110, 110);
    default:
        return QColor();
    }
}

void LogPane::addEntry(long level, const QString& prefix, const QString& context,
                       const QString& message) {
    QStringList parts;
    for (const QString& part : {prefix, context, message}) {
        if (!part.isEmpty()) {
            parts << part;
        }
    }
    auto* item = new QTreeWidgetItem(this, {levelName(level), parts.join(QLatin1Char(' '))});
    item->setData(kLevelColumn, kLevelRole, static_cast<qlonglong>(level));
    item->setToolTip(kMessageColumn, item->text(kMessageColumn));
    const QColor colour = colourOf(level);
    if (colour.isValid()) {
        item->setForeground(kLevelColumn, colour);
        item->setForeground(kMessageColumn, colour);
    }
    switch (level) {
    case kInformation:
        item->setIcon(kLevelColumn, style()->standardIcon(QStyle::SP_MessageBoxInformation));
        break;
    case kWarning:
        item->setIcon(kLevelColumn, style()->standardIcon(QStyle::SP_MessageBoxWarning));
        break;
    case kError:
        item->setIcon(kLevelColumn, style()->standardIcon(QStyle::SP_MessageBoxCritical));
        break;
    default:
        break;
    }
    item->setHidden(level == kDebug && !m_showDebug);
    if (!item->isHidden()) {
        scrollToItem(item);
    }
}

void LogPane::setShowDebug(bool show) {
    m_showDebug = show;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = topLevelItem(i);
        if (item->data(kLevelColumn, kLevelRole).toLongLong() == kDebug) {
            item->setHidden(!show);
        }
    }
}

int LogPane::entryCount(long level) const {
    int count = 0;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        if (topLevelItem(i)->data(kLevelColumn, kLevelRole).toLongLong() == level) {
            ++count;
        }
    }
    return count;
}

QStringList LogPane::visibleRows() const {
    QStringList rows;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = topLevelItem(i);
        if (!item->isHidden()) {
            rows << item->text(kLevelColumn) + QStringLiteral(": ") + item->text(kMessageColumn);
        }
    }
    return rows;
}

} // namespace avrtazu
