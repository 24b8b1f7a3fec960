#include "studio/file_editor.h"

#include <Qsci/qscilexercpp.h>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMimeData>
#include <QSaveFile>
#include <QStringDecoder>
#include <QToolTip>

#include <algorithm>

namespace avrtazu {

namespace {

const QByteArray kByteOrderMark("\xEF\xBB\xBF", 3);

enum Margin { kNumberMargin = 0, kSymbolMargin = 1 };
enum Marker { kErrorSymbol = 0, kWarningSymbol, kErrorLine, kWarningLine, kJumpLine };
const QColor kErrorColour(220, 40, 40);
const QColor kWarningColour(235, 160, 0);
constexpr int kHoverDelay = 400;
constexpr int kCaretLineAlpha = 40;

bool isCode(const QString& fileName) {
    static const QStringList extensions{"c", "h", "cpp", "hpp", "cc", "cxx", "hh", "inc"};
    return extensions.contains(QFileInfo(fileName).suffix(), Qt::CaseInsensitive);
}

QString fromLocal(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

bool fitsLatin1(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
}

} // namespace

FileEditor::FileEditor(QWidget* parent) : QsciScintilla(parent) {
    const QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    setFont(font);
    setUtf8(true);
    // The text holds LF only; the file's own line ends come back on save.
    setEolMode(EolUnix);
    setTabWidth(4);
    setAutoIndent(true);
    setWrapMode(WrapNone);
    setBraceMatching(SloppyBraceMatch);
    setCaretLineVisible(true);
    setCaretLineBackgroundColor(QColor(120, 170, 255));
    // See-through, so that the mark of an error on the cursor's line still shows.
    SendScintilla(SCI_SETCARETLINEBACKALPHA, kCaretLineAlpha);
    setMatchedBraceBackgroundColor(QColor(180, 238, 180));
    setUnmatchedBraceForegroundColor(QColor(200, 0, 0));

    setMarginType(kNumberMargin, NumberMargin);
    setMarginsFont(font);
    setMarginType(kSymbolMargin, SymbolMargin);
    setMarginWidth(kSymbolMargin, QFontMetrics(font).height());
    setMarginMarkerMask(kSymbolMargin,
                        (1 << kErrorSymbol) | (1 << kWarningSymbol) | (1 << kJumpLine));
    setMarginMarkerMask(kNumberMargin, 0);
    markerDefine(Circle, kErrorSymbol);
    setMarkerBackgroundColor(kErrorColour, kErrorSymbol);
    setMarkerForegroundColor(kErrorColour.darker(), kErrorSymbol);
    markerDefine(RightTriangle, kWarningSymbol);
    setMarkerBackgroundColor(kWarningColour, kWarningSymbol);
    setMarkerForegroundColor(kWarningColour.darker(), kWarningSymbol);
    markerDefine(Background, kErrorLine);
    setMarkerBackgroundColor(QColor(255, 222, 222), kErrorLine);
    markerDefine(Background, kWarningLine);
    setMarkerBackgroundColor(QColor(255, 243, 204), kWarningLine);
    markerDefine(LeftRectangle, kJumpLine);
    setMarkerBackgroundColor(QColor(40, 110, 220), kJumpLine);
    fitLineNumbers();
    connect(this, &QsciScintilla::linesChanged, this, [this] { fitLineNumbers(); });

    SendScintilla(SCI_SETMOUSEDWELLTIME, kHoverDelay);
    connect(this, &QsciScintillaBase::SCN_DWELLSTART, this,
            [this](int position, int x, int y) { showDiagnosticAt(position, x, y); });
    connect(this, &QsciScintillaBase::SCN_DWELLEND, this, [] { QToolTip::hideText(); });
    // The mark of a jump stays until the user edits the text.
    connect(this, &QsciScintilla::textChanged, this, [this] { clearMark(); });
}

void FileEditor::fitLineNumbers() {
    const int digits = std::max(3, static_cast<int>(QString::number(lines()).size()));
    setMarginWidth(kNumberMargin, QString(digits + 1, QLatin1Char('9')));
}

QString FileEditor::decode(const QByteArray& bytes, Encoding* encoding) {
    *encoding = Encoding{};
    QByteArray body = bytes;
    if (body.startsWith(kByteOrderMark)) {
        encoding->byteOrderMark = true;
        body.remove(0, kByteOrderMark.size());
    }
    encoding->crlf = body.contains("\r\n");
    if (encoding->crlf) {
        body.replace("\r\n", "\n");
    }
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(body);
    if (utf8.hasError()) {
        encoding->latin1 = true;
        text = QString::fromLatin1(body);
    }
    return text;
}

QByteArray FileEditor::encode(const QString& text, const Encoding& encoding) {
    // A character Latin-1 cannot hold would be lost; then the file becomes UTF-8.
    const bool latin1 = encoding.latin1 && fitsLatin1(text);
    QByteArray bytes = latin1 ? text.toLatin1() : text.toUtf8();
    if (encoding.crlf) {
        bytes.replace("\n", "\r\n");
    }
    if (encoding.byteOrderMark && !latin1) {
        bytes.prepend(kByteOrderMark);
    }
    return bytes;
}

bool FileEditor::load(const std::string& linuxPath, std::string* error) {
    QFile file(fromLocal(linuxPath));
    if (!file.open(QIODevice::ReadOnly)) {
        *error = "Cannot open " + linuxPath + ": " + file.errorString().toStdString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *error = "Cannot read " + linuxPath + ": " + file.errorString().toStdString();
        return false;
    }
    m_path = linuxPath;
    if (isCode(fileName()) && lexer() == nullptr) {
        auto* cpp = new QsciLexerCPP(this);
        cpp->setFoldPreprocessor(false);
        cpp->setFont(font());
        setLexer(cpp);
    }
    setText(decode(bytes, &m_encoding));
    // Loading is no edit the user could undo.
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    setModified(false);
    clearDiagnostics();
    clearMark();
    return true;
}

bool FileEditor::save(std::string* error) {
    QSaveFile file(fromLocal(m_path));
    if (!file.open(QIODevice::WriteOnly)) {
        *error = "Cannot save " + m_path + ": " + file.errorString().toStdString();
        return false;
    }
    const QString content = text();
    const QByteArray bytes = encode(content, m_encoding);
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        *error = "Cannot save " + m_path + ": " + file.errorString().toStdString();
        return false;
    }
    m_encoding.latin1 = m_encoding.latin1 && fitsLatin1(content);
    setModified(false);
    return true;
}

QString FileEditor::fileName() const {
    return QFileInfo(fromLocal(m_path)).fileName();
}

int FileEditor::clampedLine(long line) const {
    return static_cast<int>(std::clamp(line, 1L, static_cast<long>(std::max(1, lines())))) - 1;
}

void FileEditor::goToLine(long line) {
    const int index = clampedLine(line);
    setCursorPosition(index, 0);
    SendScintilla(SCI_VERTICALCENTRECARET);
    markerDeleteAll(kJumpLine);
    markerAdd(index, kJumpLine);
    m_markedLine = index + 1;
}

int FileEditor::currentLine() const {
    int line = 0;
    int column = 0;
    getCursorPosition(&line, &column);
    return line + 1;
}

int FileEditor::currentColumn() const {
    int line = 0;
    int column = 0;
    getCursorPosition(&line, &column);
    return column + 1;
}

void FileEditor::clearMark() {
    if (m_markedLine != 0) {
        markerDeleteAll(kJumpLine);
        m_markedLine = 0;
    }
}

void FileEditor::addDiagnostic(const Diagnostic& diagnostic) {
    const int index = clampedLine(diagnostic.line);
    const int handle = markerAdd(index, diagnostic.error ? kErrorSymbol : kWarningSymbol);
    markerAdd(index, diagnostic.error ? kErrorLine : kWarningLine);
    m_marks.push_back({handle, diagnostic.error, diagnostic.text});
}

void FileEditor::clearDiagnostics() {
    for (const int marker : {kErrorSymbol, kWarningSymbol, kErrorLine, kWarningLine}) {
        markerDeleteAll(marker);
    }
    m_marks.clear();
}

std::vector<FileEditor::Diagnostic> FileEditor::diagnostics() const {
    std::vector<Diagnostic> placed;
    for (const Mark& mark : m_marks) {
        placed.push_back({markerLine(mark.handle) + 1, mark.error, mark.text});
    }
    return placed;
}

QString FileEditor::diagnosticText(int line) const {
    QStringList texts;
    for (const Diagnostic& diagnostic : diagnostics()) {
        if (diagnostic.line == line) {
            texts << diagnostic.text;
        }
    }
    return texts.join(QLatin1Char('\n'));
}

void FileEditor::showDiagnosticAt(int position, int x, int y) {
    // Over the margin there is no text position; the line is the one at the height.
    if (position < 0) {
        position = static_cast<int>(SendScintilla(SCI_POSITIONFROMPOINT, x, y));
    }
    const int line = static_cast<int>(SendScintilla(SCI_LINEFROMPOSITION, position)) + 1;
    const QString text = diagnosticText(line);
    if (!text.isEmpty()) {
        QToolTip::showText(viewport()->mapToGlobal(QPoint(x, y)), text, viewport());
    }
}

void FileEditor::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->ignore();
        return;
    }
    QsciScintilla::dragEnterEvent(event);
}

void FileEditor::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->ignore();
        return;
    }
    QsciScintilla::dragMoveEvent(event);
}

void FileEditor::dropEvent(QDropEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->ignore();
        return;
    }
    QsciScintilla::dropEvent(event);
}

} // namespace avrtazu
