#pragma once

#include "platform/dialog_service.h"

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

class QFileDialog;
class QWidget;

namespace avrtazu {

// The dialog service of the desktop host: real Qt message boxes, file dialogs and the folder
// browser, over the window that asked (or the active one). Windows paths go in and come out;
// the dialogs themselves work on the Linux paths behind them.
class QtDialogService : public DialogService {
public:
    // Names the window the next dialogs come up over, while it lives.
    class OwnerScope {
    public:
        explicit OwnerScope(QWidget* owner);
        ~OwnerScope();
        OwnerScope(const OwnerScope&) = delete;
        OwnerScope& operator=(const OwnerScope&) = delete;

    private:
        QPointer<QWidget> m_previous;
    };

    MessageAnswer messageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                             MessageButtons buttons) override;
    std::vector<std::string> openFiles(const std::string& title, const std::string& filter,
                                       const std::string& startFolder, bool allowMultiple) override;
    std::optional<std::string> saveFile(const std::string& title, const std::string& initialName,
                                        const std::string& startFolder,
                                        bool overwritePrompt) override;
    std::string browseFolder(const std::string& title, const std::string& startFolder) override;

    // "Header File (*.h)|*.h;|All Files(*.*)|*.*|" as Qt's "Header File (*.h);;All Files (*)".
    // Patterns keep their Windows meaning: "*.*" is every file, also one without a dot.
    static QString toQtFilter(const std::string& windowsFilter);
    // A Windows folder as the Linux folder a dialog starts in; the current folder when the
    // text is empty or names no mapped drive.
    static QString startDirectory(const std::string& windowsFolder);
    // Paths a dialog chose, as Windows paths.
    static std::vector<std::string> toWindowsPaths(const QStringList& linuxPaths);

    static QMessageBox::Icon qtIcon(MessageIcon icon);
    static QMessageBox::StandardButtons qtButtons(MessageButtons buttons);
    // The answer for the button that closed the box; closing it otherwise (Escape, the window's
    // close box) is the box's cancel: Cancel, or No for Yes/No, or Ok for a lone OK.
    static MessageAnswer answerFor(int clickedButton, MessageButtons buttons);

    // A file dialog's columns wide enough for their texts, the dialog within its screen.
    static void fitToScreen(QFileDialog& dialog);
    // A message already broken into short lines keeps its lines instead of being wrapped anew.
    static void keepLineBreaks(QMessageBox& box);

    // The window the dialogs come up over.
    static QWidget* owner();

private:
    static QPointer<QWidget>& ownerSlot();
    // Runs a file dialog in detail view: the chosen files, none when cancelled.
    static QStringList chooseFiles(QFileDialog& dialog);
};

} // namespace avrtazu
