#pragma once

#include <QString>
#include <QTreeWidget>

namespace avrtazu {

// The log: the plug-in's lines with their level (information, warning, error, debug) and the
// studio's own notes. Debug lines are kept but shown only on request.
class LogPane : public QTreeWidget {
    Q_OBJECT

public:
    enum Level { kInformation = 0, kWarning = 1, kError = 2, kDebug = 3 };
    enum Column { kLevelColumn = 0, kMessageColumn = 1 };

    explicit LogPane(QWidget* parent = nullptr);

    void addEntry(long level, const QString& prefix, const QString& context,
                  const QString& message);
    bool showsDebug() const { return m_showDebug; }
    void setShowDebug(bool show);
    // Entries of a level, shown or not.
    int entryCount(long level) const;
    // The rows the user sees, top to bottom: level name and message.
    QStringList visibleRows() const;

    static QString levelName(long level);
    static QColor colourOf(long level);

private:
    bool m_showDebug = false;
};

} // namespace avrtazu
