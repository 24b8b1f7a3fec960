#include "studio/screenshot_run.h"

// Before Qt's headers come in through the plug-in's: the log channel's names stay clear of
#include "services/plug_in_utility.h"

#include "plugin/zuzozuduvuruva.h"

#include "studio/editor_area.h"
#include "studio/file_editor.h"
#include "studio/output_pane.h"
#include "studio/project_session.h"
#include "studio/simulator_pane.h"
#include "studio/studio_window.h"
#include "studio/studio_works.h"

#include "lib/project_document.h"
#include "platform/drive_map.h"
#include "services/gui_works.h"
#include "ui/folder_browser_dialog.h"
#include "ui/modal_runner.h"
#include "ui/project_properties_sheet.h"
#include "ui/project_tree_flows.h"
#include "ui/qt_dialog_service.h"
#include "ui/target_option_dlg.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTabWidget>
#include <QToolTip>

#include <filesystem>
#include <functional>
#include <iostream>

namespace avrtazu {

namespace {

QString slug(const QString& text) {
    QString name;
    for (const QChar c : text.toLower()) {
        if (c.isLetterOrNumber()) {
            name += c;
        } else if (c != QLatin1Char('&') && !name.isEmpty() && !name.endsWith(QLatin1Char('-'))) {
            name += QLatin1Char('-');
        }
    }
    return name;
}

// The frame's width beside and below a window.
constexpr int kBorder = 1;
// Long enough for the folder browser to read the folders above the selected one.
constexpr int kFolderLoadTime = 500;
// How long the firmware runs for the simulator's picture, in steps of the second.
constexpr int kSimulatorWaitTime = 1500;
constexpr int kSimulatorWaitStep = 20;

} // namespace

ScreenshotRun::ScreenshotRun(StudioWindow& window, const std::string& folder)
    // Absolute now: an open project makes its own folder the current one.
    : m_window(window), m_folder(std::filesystem::absolute(folder).lexically_normal().string()) {}

void ScreenshotRun::settle() {
    // Layouts and pending paints of the offscreen windows finish here.
    for (int i = 0; i < 3; ++i) {
        QApplication::processEvents();
    }
}

QPixmap ScreenshotRun::framed(QWidget& window) {
    // A window manager draws the frame; here the style draws one, so that the picture shows
    // the window at the size and with the title a user sees.
    const QPixmap content = window.grab();
    QStyleOptionTitleBar bar;
    bar.initFrom(&window);
    bar.text = window.windowTitle().replace(
        QStringLiteral("[*]"), window.isWindowModified() ? QStringLiteral("*") : QString());
    bar.icon = window.windowIcon().isNull() ? QApplication::windowIcon() : window.windowIcon();
    bar.titleBarFlags =
        Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (qobject_cast<QDialog*>(&window) == nullptr) {
        bar.titleBarFlags |= Qt::WindowMinMaxButtonsHint;
    }
    bar.subControls = QStyle::SC_All;
    bar.state |= QStyle::State_Active;
    bar.titleBarState = Qt::WindowActive;
    const int title = window.style()->pixelMetric(QStyle::PM_TitleBarHeight, &bar, &window);
    QPixmap picture(content.width() + 2 * kBorder, content.height() + title + kBorder);
    picture.fill(window.palette().color(QPalette::Dark));
    QPainter painter(&picture);
    bar.rect = QRect(kBorder, 0, content.width(), title);
    window.style()->drawComplexControl(QStyle::CC_TitleBar, &bar, &painter, &window);
    painter.drawPixmap(kBorder, title, content);
    return picture;
}

bool ScreenshotRun::save(QWidget& widget, const QString& name) {
    settle();
    return save(widget.isWindow() && qobject_cast<QMenu*>(&widget) == nullptr ? framed(widget)
                                                                              : widget.grab(),
                name);
}

bool ScreenshotRun::save(const QPixmap& picture, const QString& name) {
    const std::string path =
        (std::filesystem::path(m_folder) / (name + ".png").toStdString()).string();
    if (picture.isNull() ||
        !picture.save(QFile::decodeName(QByteArray::fromStdString(path)), "PNG")) {
        std::cerr << "avrtazu-studio: cannot write " << path << '\n';
        ++m_failures;
        return false;
    }
    m_written.push_back(path);
    std::cout << path << '\n';
    return true;
}

int ScreenshotRun::run(const std::string& projectPath) {
    // The window reports a project it cannot read in a message box that nobody answers here.
    if (std::string error; !ProjectDocument().load(projectPath, &error)) {
        std::cerr << "avrtazu-studio: " << error << '\n';
        return 1;
    }
    std::error_code failure;
    std::filesystem::create_directories(m_folder, failure);
    if (failure) {
        std::cerr << "avrtazu-studio: cannot make the folder " << m_folder << ": "
                  << failure.message() << '\n';
        return 1;
    }
    // The size the window opens at on this screen.
    m_window.show();
    settle();
    if (!m_window.openProject(projectPath)) {
        std::cerr << "avrtazu-studio: cannot open " << projectPath << '\n';
        return 1;
    }
    // The hook answers the dialogs: no flow may ask again and again.
    ModalRunner::setUnattended(true);
    captureMainWindow();
    captureSimulator();
    captureEditor();
    captureOptionsSheet();
    captureTreeMenu();
    captureCommonDialogs();
    ModalRunner::setUnattended(false);
    m_window.discardProject();
    return m_failures == 0 && !m_written.empty() ? 0 : 1;
}

void ScreenshotRun::captureMainWindow() {
    m_window.runCommand(0);
    OutputPane& output = m_window.output();
    for (int row = 0; row < output.count(); ++row) {
        if (output.kindOf(row) == kOutputError &&
            output.item(row)->text().contains(QLatin1Char('('))) {
            output.setCurrentRow(row);
            emit output.lineActivated(output.item(row)->text());
            break;
        }
    }
    // Without an error to show, the first source file is open beside the build's result.
    Zuzozuduvuruva* tazu = m_window.session().tazu();
    Bstr active;
    m_window.works().GetActiveFile(&active);
    if (tazu != nullptr && tazu->tree() != nullptr) {
        tazu->tree()->expandAll();
    }
    if (active.empty() && tazu != nullptr && !tazu->project().srcFiles().empty()) {
        const std::string file =
            tazu->project().srcFiles().front().absoluteName(tazu->project().homePath());
        m_window.works().OpenFile(toWide(file), 0);
    }
    save(m_window, QStringLiteral("main-window"));
}

void ScreenshotRun::captureSimulator() {
    // A project that does not build has no firmware to run.
    if (!m_window.output().lastSummary().startsWith(QLatin1String("Build succeeded"))) {
        return;
    }
    SimulatorPane& pane = m_window.simulator();
    const auto waitFor = [](const std::function<bool()>& done) {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < kSimulatorWaitTime) {
            QApplication::processEvents(QEventLoop::AllEvents, kSimulatorWaitStep);
        }
    };
    m_window.runInSimulator();
    // What the firmware sends in its first moment, unless it ends before.
    waitFor([&pane] { return !pane.isRunning(); });
    m_window.stopSimulator();
    waitFor([&pane] { return !pane.isRunning(); });
    settle();
    save(m_window, QStringLiteral("simulator-pane"));
}

void ScreenshotRun::captureEditor() {
    FileEditor* editor = m_window.editors().currentEditor();
    if (editor == nullptr || editor->diagnostics().empty()) {
        return;
    }
    // The editor at the first complaint, with the hover text it shows there.
    const FileEditor::Diagnostic first = editor->diagnostics().front();
    settle();
    QPixmap picture = editor->grab();
    QLabel tip(editor->diagnosticText(first.line));
    tip.setWindowFlag(Qt::ToolTip);
    tip.setPalette(QToolTip::palette());
    tip.setFrameStyle(QFrame::Box);
    tip.setMargin(4);
    tip.adjustSize();
    const int y =
        static_cast<int>(editor->SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0,
                                               editor->positionFromLineIndex(first.line - 1, 0)));
    QPainter painter(&picture);
    // Where the mouse rests: beside the line's text.
    painter.drawPixmap(editor->viewport()->x() + 220, editor->viewport()->y() + y + 4, tip.grab());
    painter.end();
    save(picture, QStringLiteral("editor-error-markers"));
}

void ScreenshotRun::captureDialogOverWindow(QDialog& dialog, const QString& name) {
    settle();
    // The screen as a user sees it: the main window where it opened, the dialog in front.
    const QRect screen = m_window.screen()->geometry();
    QPixmap picture(screen.size());
    picture.fill(QColor(58, 110, 165));
    QPainter painter(&picture);
    const auto place = [&](QWidget& window) {
        // A window's place is the place of its frame.
        painter.drawPixmap(window.pos() - screen.topLeft(), framed(window));
    };
    place(m_window);
    place(dialog);
    // The dialog's own windows, such as its help, in front of it.
    for (QWidget* child : dialog.findChildren<QWidget*>()) {
        if (child->isWindow() && child->isVisible()) {
            place(*child);
        }
    }
    painter.end();
    save(picture, name);
}

void ScreenshotRun::captureOptionsSheet() {
    bool shown = false;
    const auto capture = [this, &shown](QDialog& dialog) {
        shown = true;
        // As running it shows it: modal, at its own size, over the main window.
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.show();
        auto* sheet = qobject_cast<CProjectPropertiesSheet*>(&dialog);
        if (sheet == nullptr) {
            save(dialog, QStringLiteral("dialog-") + slug(dialog.windowTitle()));
        } else {
            settle();
            captureDialogOverWindow(dialog, QStringLiteral("dialog-over-main-window"));
            for (int page = 0; page < sheet->tabWidget().count(); ++page) {
                sheet->setActivePage(page);
                save(dialog, QStringLiteral("options-%1-%2")
                                 .arg(page + 1)
                                 .arg(slug(sheet->tabWidget().tabText(page))));
            }
            // Help comes up in front of the sheet, where the user can read it.
            if (auto* help = sheet->findChild<QPushButton*>(QStringLiteral("helpButton"))) {
                help->click();
                captureDialogOverWindow(dialog, QStringLiteral("help-over-options-sheet"));
            }
        }
        dialog.hide();
        // Cancel: the project stays as it was.
        return static_cast<int>(QDialog::Rejected);
    };
    ModalRunner::setHook(capture);
    m_window.runCommand(5);
    // The tree's own dialogs on its first source file, each cancelled.
    Zuzozuduvuruva* plugin = m_window.session().tazu();
    CProjectTree* tree = plugin == nullptr ? nullptr : plugin->tree();
    if (tree != nullptr && tree->sourceGroup() != nullptr &&
        tree->sourceGroup()->childCount() > 0) {
        tree->setCurrentItem(tree->sourceGroup()->child(0));
        tree->flows().renameSelectedFile();
        tree->flows().showFileProperties();
        tree->flows().showProjectProperties();
        tree->flows().createSourceFile();
    }
    ModalRunner::setHook({});
    Zuzozuduvuruva* tazu = m_window.session().tazu();
    if (!shown && tazu != nullptr) {
        // A plug-in that does not show its sheet for the command: the sheet on its own.
        CProjectPropertiesSheet sheet(tazu->project(), false, &m_window);
        capture(sheet);
    }
}

void ScreenshotRun::captureCommonDialogs() {
    // The dialogs of the dialog service, as it sets them up, at the project's folder.
    const QString folder =
        QFile::decodeName(QByteArray::fromStdString(m_window.session().document()->folder()));
    QFileDialog files(&m_window, QStringLiteral("Add source file"), folder,
                      QtDialogService::toQtFilter("Source File (*.c)|*.c;|All Files(*.*)|*.*|"));
    files.setOption(QFileDialog::DontUseNativeDialog);
    files.setViewMode(QFileDialog::Detail);
    QtDialogService::fitToScreen(files);
    files.show();
    save(files, QStringLiteral("dialog-add-source-file"));

    FolderBrowserDialog folders(&m_window);
    folders.selectFolder(m_window.session().document()->windowsFolder());
    folders.show();
    // The folders load in the background.
    QElapsedTimer loading;
    loading.start();
    while (loading.elapsed() < kFolderLoadTime) {
        QApplication::processEvents(QEventLoop::AllEvents, kFolderLoadTime);
    }
    save(folders, QStringLiteral("dialog-browse-for-folder"));

    QMessageBox notes(QMessageBox::Information, QApplication::applicationDisplayName(),
                      QString::fromLatin1(CTargetOptionDlg::kNotesText), QMessageBox::Ok,
                      &m_window);
    QtDialogService::keepLineBreaks(notes);
    notes.show();
    save(notes, QStringLiteral("dialog-notes"));
}

void ScreenshotRun::captureTreeMenu() {
    Zuzozuduvuruva* tazu = m_window.session().tazu();
    CProjectTree* tree = tazu == nullptr ? nullptr : tazu->tree();
    if (tree == nullptr) {
        std::cerr << "avrtazu-studio: the plug-in shows no project tree\n";
        ++m_failures;
        return;
    }
    QTreeWidgetItem* item = tree->sourceGroup() != nullptr && tree->sourceGroup()->childCount() > 0
                                ? tree->sourceGroup()->child(0)
                                : tree->rootItem();
    tree->setCurrentItem(item);
    const std::unique_ptr<QMenu> menu = tree->createContextMenu(item);
    if (!menu) {
        ++m_failures;
        return;
    }
    menu->popup(tree->viewport()->mapToGlobal(tree->visualItemRect(item).center()));
    save(*menu, QStringLiteral("tree-context-menu"));
    menu->close();
}

} // namespace avrtazu
