#pragma once

#include <QColor>
#include <QListWidget>
#include <QString>

namespace avrtazu {

// The build output: one row per line the plug-in sends, coloured by its kind (plain, warning,
// error, tool line). Activating a row (double click, Enter) hands its text on, so that the
// window can ask the plug-in to open the source line it names.
class OutputPane : public QListWidget {
    Q_OBJECT

public:
    // The row's kind, as AddOutputMessage gave it.
    static constexpr int kKindRole = Qt::UserRole + 1;

    explicit OutputPane(QWidget* parent = nullptr);

    void addLine(const QString& text, long kind);
    // Clears the lines; the last summary stays until the next one or clearSummary.
    void clearLines();
    void clearSummary();
    long kindOf(int row) const;
    // The last summary line of a build, make, clean or compile; empty before the first one.
    const QString& lastSummary() const { return m_lastSummary; }

    // The text colour of a kind; invalid (the palette's own) for plain lines and unknown kinds.
    static QColor colourOf(long kind);
    // Whether a line is the summary that ends a build, make, clean or compile.
    static bool isSummaryLine(const QString& text);

signals:
    void lineActivated(const QString& text);
    void summaryChanged(const QString& summary);

private:
    QString m_lastSummary;
};

} // namespace avrtazu
