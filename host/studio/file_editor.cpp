#include "studio/file_editor.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMimeData>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTextBlock>

#include <algorithm>

namespace avrtazu {

namespace {

const QByteArray kByteOrderMark("\xEF\xBB\xBF", 3);

QString fromLocal(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

bool fitsLatin1(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
}

} // namespace

FileEditor::FileEditor(QWidget* parent) : QPlainTextEdit(parent) {
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabStopDistance(4 * fontMetrics().horizontalAdvance(QLatin1Char(' ')));
    // The mark of a jump stays until the user edits the text.
    connect(this, &QPlainTextEdit::textChanged, this, [this] { clearMark(); });
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
    setPlainText(decode(bytes, &m_encoding));
    document()->setModified(false);
    clearMark();
    return true;
}

bool FileEditor::save(std::string* error) {
    QSaveFile file(fromLocal(m_path));
    if (!file.open(QIODevice::WriteOnly)) {
        *error = "Cannot save " + m_path + ": " + file.errorString().toStdString();
        return false;
    }
    const QString text = toPlainText();
    const QByteArray bytes = encode(text, m_encoding);
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        *error = "Cannot save " + m_path + ": " + file.errorString().toStdString();
        return false;
    }
    m_encoding.latin1 = m_encoding.latin1 && fitsLatin1(text);
    document()->setModified(false);
    return true;
}

QString FileEditor::fileName() const {
    return QFileInfo(fromLocal(m_path)).fileName();
}

bool FileEditor::isModified() const {
    return document()->isModified();
}

void FileEditor::goToLine(long line) {
    QTextBlock block = document()->findBlockByNumber(static_cast<int>(std::max(1L, line) - 1));
    if (!block.isValid()) {
        block = document()->lastBlock();
    }
    setTextCursor(QTextCursor(block));
    centerCursor();

    QTextEdit::ExtraSelection mark;
    mark.format.setBackground(QColor(255, 236, 179));
    mark.format.setProperty(QTextFormat::FullWidthSelection, true);
    mark.cursor = QTextCursor(block);
    setExtraSelections({mark});
    m_markedLine = block.blockNumber() + 1;
}

int FileEditor::currentLine() const {
    return textCursor().blockNumber() + 1;
}

void FileEditor::clearMark() {
    if (m_markedLine != 0) {
        setExtraSelections({});
        m_markedLine = 0;
    }
}

void FileEditor::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->ignore();
        return;
    }
    QPlainTextEdit::dragEnterEvent(event);
}

void FileEditor::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->ignore();
        return;
    }
    QPlainTextEdit::dragMoveEvent(event);
}

void FileEditor::dropEvent(QDropEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->ignore();
        return;
    }
    QPlainTextEdit::dropEvent(event);
}

} // namespace avrtazu
