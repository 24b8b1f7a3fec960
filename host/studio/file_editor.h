#pragma once

#include <Qsci/qsciscintilla.h>

#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

namespace avrtazu {

// One source file in an editor tab: C highlighting, line numbers, the cursor's line and
// matching braces shown, and a marker with hover text on each line the last build complained
// about. The file's bytes survive a load and a save unchanged as far as the user did not edit
// them: line ends (LF or CR LF), a UTF-8 byte order mark and text that is not UTF-8 (kept as
// Latin-1) are remembered and written back.
class FileEditor : public QsciScintilla {
    Q_OBJECT

public:
    // How a file's bytes were turned into text, to turn the text back the same way.
    struct Encoding {
        bool crlf = false;
        bool latin1 = false;
        bool byteOrderMark = false;
    };
    // A complaint of the last build about a line.
    struct Diagnostic {
        int line = 0;
        bool error = false;
        QString text;
    };

    explicit FileEditor(QWidget* parent = nullptr);

    // Reads a file (a Linux path); false and *error (a sentence) when it cannot be read.
    bool load(const std::string& linuxPath, std::string* error);
    // Writes the text over the file atomically; false and *error when that fails.
    bool save(std::string* error);

    const std::string& path() const { return m_path; }
    QString fileName() const;

    // Puts the cursor at the start of a line (from 1; past the end: the last line), shows it
    // in the middle of the view and marks it.
    void goToLine(long line);
    // The cursor's line and column, from 1.
    int currentLine() const;
    int currentColumn() const;
    // The line goToLine marked last, from 1; 0 when none is marked.
    int markedLine() const { return m_markedLine; }

    // Marks a line (from 1; past the end: the last line) with a complaint of the build. The
    // mark moves with the text around it until clearDiagnostics.
    void addDiagnostic(const Diagnostic& diagnostic);
    void clearDiagnostics();
    // The complaints where their marks now stand.
    std::vector<Diagnostic> diagnostics() const;
    // What hovering over a line (from 1) shows; empty when the build said nothing about it.
    QString diagnosticText(int line) const;

    const Encoding& encoding() const { return m_encoding; }
    static QString decode(const QByteArray& bytes, Encoding* encoding);
    static QByteArray encode(const QString& text, const Encoding& encoding);

protected:
    // Dropped files belong to the project, not into the text; the window takes them.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct Mark {
        int handle = 0;
        bool error = false;
        QString text;
    };

    void clearMark();
    void showDiagnosticAt(int position, int x, int y);
    void fitLineNumbers();
    int clampedLine(long line) const;

    std::string m_path;
    Encoding m_encoding;
    int m_markedLine = 0;
    std::vector<Mark> m_marks;
};

} // namespace avrtazu
