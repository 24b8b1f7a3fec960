#pragma once

#include <QPixmap>
#include <QString>

#include <string>
#include <vector>

class QDialog;
class QWidget;

namespace avrtazu {

class StudioWindow;

// The studio's screenshot mode: opens a project, builds it and writes PNG pictures of the main
// window after the build, of the simulator pane with what the firmware sent, of each page of the
// options sheet, of the sheet in front of the main window and of the project tree's context menu,
// each window at its own size in a frame. A build with errors also opens the first error's source
// line before the picture, and adds one of the editor with its marks and hover text. The project
// file is never saved.
class ScreenshotRun {
public:
    // folder is a Linux path; it is created when missing.
    ScreenshotRun(StudioWindow& window, const std::string& folder);

    // 0 when every picture was written, 1 otherwise; messages go to standard error.
    int run(const std::string& projectPath);
    // The pictures written, as paths.
    const std::vector<std::string>& written() const { return m_written; }

private:
    // A window's picture inside a frame such as a window manager draws.
    static QPixmap framed(QWidget& window);
    bool save(QWidget& widget, const QString& name);
    bool save(const QPixmap& picture, const QString& name);
    void settle();
    void captureMainWindow();
    void captureSimulator();
    void captureEditor();
    void captureDialogOverWindow(QDialog& dialog, const QString& name);
    void captureOptionsSheet();
    void captureTreeMenu();
    void captureCommonDialogs();

    StudioWindow& m_window;
    std::string m_folder;
    std::vector<std::string> m_written;
    int m_failures = 0;
};

} // namespace avrtazu
