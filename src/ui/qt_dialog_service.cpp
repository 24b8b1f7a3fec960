#include "ui/qt_dialog_service.h"

#include "platform/drive_map.h"
#include "ui/folder_browser_dialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QTreeView>

#include <algorithm>
#include <sstream>

namespace avrtazu {

namespace {

QString trimmed(const std::string& text) {
    return QString::fromLocal8Bit(text).trimmed();
}

// Windows patterns ("*.c;*.s;" or "*.*") as Qt's blank-separated list.
QString qtPatterns(const std::string& windowsPatterns) {
    QStringList patterns;
    std::istringstream parts(windowsPatterns);
    std::string part;
    while (std::getline(parts, part, ';')) {
        const QString pattern = trimmed(part);
        if (pattern.isEmpty()) {
            continue;
        }
        // Windows matches "*.*" against every name; here it would miss names without a dot.
        patterns << (pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
    }
    return patterns.join(QLatin1Char(' '));
}

// The description without the pattern list that Windows shows inside it.
QString description(const std::string& display) {
    QString text = trimmed(display);
    if (text.endsWith(QLatin1Char(')'))) {
        const qsizetype open = text.lastIndexOf(QLatin1Char('('));
        if (open > 0) {
            text = text.left(open).trimmed();
        }
    }
    return text;
}

} // namespace

void QtDialogService::fitToScreen(QFileDialog& dialog) {
    if (auto* view = dialog.findChild<QTreeView*>()) {
        view->header()->setStretchLastSection(false);
        view->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        view->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    }
    const QScreen* screen = dialog.screen();
    const QSize room = screen == nullptr ? QSize(800, 600) : screen->availableSize();
    dialog.resize(std::min(760, room.width() * 9 / 10), std::min(480, room.height() * 9 / 10));
}

void QtDialogService::keepLineBreaks(QMessageBox& box) {
    const QStringList lines = box.text().split(QLatin1Char('\n'));
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (lines.size() < 2 || label == nullptr) {
        return;
    }
    // The box wraps what is wider than its own limit; it keeps a label this wide whole.
    int widest = 0;
    for (const QString& line : lines) {
        widest = std::max(widest, label->fontMetrics().horizontalAdvance(line));
    }
    const QScreen* screen = box.screen();
    const int room = screen == nullptr ? 800 : screen->availableSize().width() * 3 / 4;
    if (widest < room) {
        label->setMinimumWidth(widest + label->fontMetrics().averageCharWidth());
    }
}

QStringList QtDialogService::chooseFiles(QFileDialog& dialog) {
    dialog.setViewMode(QFileDialog::Detail);
    fitToScreen(dialog);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

QtDialogService::OwnerScope::OwnerScope(QWidget* owner) : m_previous(ownerSlot()) {
    ownerSlot() = owner;
}

QtDialogService::OwnerScope::~OwnerScope() {
    ownerSlot() = m_previous;
}

QPointer<QWidget>& QtDialogService::ownerSlot() {
    static QPointer<QWidget> owner;
    return owner;
}

QWidget* QtDialogService::owner() {
    if (QWidget* named = ownerSlot().data()) {
        return named;
    }
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    return QApplication::activeWindow();
}

QString QtDialogService::toQtFilter(const std::string& windowsFilter) {
    std::vector<std::string> fields;
    std::istringstream parts(windowsFilter);
    std::string field;
    while (std::getline(parts, field, '|')) {
        fields.push_back(field);
    }
    QStringList filters;
    for (std::size_t i = 0; i < fields.size(); i += 2) {
        const QString name = description(fields[i]);
        const QString patterns = i + 1 < fields.size() ? qtPatterns(fields[i + 1]) : QString();
        if (name.isEmpty() && patterns.isEmpty()) {
            continue;
        }
        if (patterns.isEmpty()) {
            // A description without patterns matches nothing useful; show everything instead.
            filters << name + QStringLiteral(" (*)");
        } else {
            filters << (name.isEmpty() ? patterns : name + QStringLiteral(" (") + patterns + ')');
        }
    }
    return filters.join(QStringLiteral(";;"));
}

QString QtDialogService::startDirectory(const std::string& windowsFolder) {
    const std::string linuxFolder =
        windowsFolder.empty() ? std::string() : DriveMap::toLinux(windowsFolder);
    if (linuxFolder.empty()) {
        return QDir::currentPath();
    }
    return QFile::decodeName(QByteArray::fromStdString(linuxFolder));
}

std::vector<std::string> QtDialogService::toWindowsPaths(const QStringList& linuxPaths) {
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(linuxPaths.size()));
    for (const QString& path : linuxPaths) {
        if (!path.isEmpty()) {
            paths.push_back(DriveMap::toWindows(QFile::encodeName(path).toStdString()));
        }
    }
    return paths;
}

QMessageBox::Icon QtDialogService::qtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::None:
        return QMessageBox::NoIcon;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons QtDialogService::qtButtons(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::Ok:
        return QMessageBox::Ok;
    case MessageButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

MessageAnswer QtDialogService::answerFor(int clickedButton, MessageButtons buttons) {
    switch (clickedButton) {
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    default:
        break;
    }
    switch (buttons) {
    case MessageButtons::Ok:
        return MessageAnswer::Ok;
    case MessageButtons::YesNo:
        return MessageAnswer::No;
    case MessageButtons::OkCancel:
    case MessageButtons::YesNoCancel:
        break;
    }
    return MessageAnswer::Cancel;
}

MessageAnswer QtDialogService::messageBox(const std::string& text, const std::string& caption,
                                          MessageIcon icon, MessageButtons buttons) {
    const QString title =
        caption.empty() ? QApplication::applicationDisplayName() : QString::fromLocal8Bit(caption);
    QMessageBox box(qtIcon(icon), title, QString::fromLocal8Bit(text), qtButtons(buttons), owner());
    box.setTextFormat(Qt::PlainText);
    keepLineBreaks(box);
    return answerFor(box.exec(), buttons);
}

std::vector<std::string> QtDialogService::openFiles(const std::string& title,
                                                    const std::string& filter,
                                                    const std::string& startFolder,
                                                    bool allowMultiple) {
    const QString caption = QString::fromLocal8Bit(title);
    const QString directory = startDirectory(startFolder);
    const QString qtFilter = toQtFilter(filter);
    QFileDialog dialog(owner(), caption, directory, qtFilter);
    dialog.setFileMode(allowMultiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    return toWindowsPaths(chooseFiles(dialog));
}

std::optional<std::string> QtDialogService::saveFile(const std::string& title,
                                                     const std::string& initialName,
                                                     const std::string& startFolder,
                                                     bool overwritePrompt) {
    QFileDialog dialog(owner(), QString::fromLocal8Bit(title), startDirectory(startFolder));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !overwritePrompt);
    if (!initialName.empty()) {
        dialog.selectFile(QFile::decodeName(QByteArray::fromStdString(initialName)));
    }
    const std::vector<std::string> paths = toWindowsPaths(chooseFiles(dialog));
    if (paths.empty()) {
        return std::nullopt;
    }
    return paths.front();
}

std::string QtDialogService::browseFolder(const std::string& title,
                                          const std::string& startFolder) {
    FolderBrowserDialog dialog(owner(), QString::fromLocal8Bit(title));
    return dialog.browse(startFolder);
}

} // namespace avrtazu
