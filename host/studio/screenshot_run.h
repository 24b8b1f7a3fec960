#pragma once

#include <QString>

#include <string>
#include <vector>

class QWidget;

namespace avrtazu {

class StudioWindow;

// The studio's screenshot mode: opens a project, builds it and writes PNG pictures of the main
// window after the build, of each page of the options sheet and of the project tree's context
// menu. A build with errors also opens the first error's source line before the picture. The
// project file is never saved.
class ScreenshotRun {
public:
    // folder is a Linux path; it is created when missing.
    ScreenshotRun(StudioWindow& window, const std::string& folder);

    // 0 when every picture was written, 1 otherwise; messages go to standard error.
    int run(const std::string& projectPath);
    // The pictures written, as paths.
    const std::vector<std::string>& written() const { return m_written; }

private:
    bool save(QWidget& widget, const QString& name);
    void settle();
    void captureMainWindow();
    void captureOptionsSheet();
    void captureTreeMenu();

    StudioWindow& m_window;
    std::string m_folder;
    std::vector<std::string> m_written;
    int m_failures = 0;
};

} // namespace avrtazu
