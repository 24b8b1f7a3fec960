// avrtazu-studio: the desktop host of the AVR TAZU compiler plug-in.
#include "studio/screenshot_run.h"
#include "studio/studio_resources.h"
#include "studio/studio_window.h"

#include "lib/executable_folder.h"
#include "platform/dialog_service.h"
#include "platform/registry.h"
#include "plugin/registration.h"
#include "ui/qt_dialog_service.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QIcon>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>

#ifndef AVRTAZU_VERSION
#define AVRTAZU_VERSION "0"
#endif

namespace {

std::string toLocal(const QString& text) {
    return QFile::encodeName(text).toStdString();
}

} // namespace

int main(int argc, char** argv) {
    // Screenshots, the help and the version need no display.
    for (int i = 1; i < argc; ++i) {
        const bool unseen =
            std::strcmp(argv[i], "--screenshots") == 0 || std::strcmp(argv[i], "--help") == 0 ||
            std::strcmp(argv[i], "--help-all") == 0 || std::strcmp(argv[i], "-h") == 0 ||
            std::strcmp(argv[i], "--version") == 0 || std::strcmp(argv[i], "-v") == 0;
        if (unseen && std::getenv("QT_QPA_PLATFORM") == nullptr) {
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        }
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(avrtazu::StudioWindow::kApplicationName));
    QApplication::setApplicationVersion(QStringLiteral(AVRTAZU_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("avrtazu-studio"));
    avrtazu::loadStudioResources();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/studio/avrtazu-studio.png")));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Builds C projects for AVR microcontrollers with the AVR TAZU plug-in."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption registryOption(
        QStringLiteral("registry"),
        QStringLiteral("The registry file (default: avrtazu.reg beside the program)."),
        QStringLiteral("FILE"));
    const QCommandLineOption screenshotsOption(
        QStringLiteral("screenshots"),
        QStringLiteral("Open PROJECT, build it, write pictures of the windows into DIR, quit."),
        QStringLiteral("DIR"));
    parser.addOption(registryOption);
    parser.addOption(screenshotsOption);
    parser.addPositionalArgument(QStringLiteral("PROJECT"),
                                 QStringLiteral("The project file (.aps) to open."),
                                 QStringLiteral("[PROJECT.aps]"));
    parser.process(application);
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1) {
        std::cerr << "avrtazu-studio: one project at a time\n";
        return 2;
    }
    const std::string project = positional.isEmpty() ? std::string() : toLocal(positional.front());

    const std::string folder = avrtazu::ExecutableFolder::of(argv[0]);
    if (parser.isSet(registryOption)) {
        const std::string registry = toLocal(parser.value(registryOption));
        if (!std::filesystem::is_regular_file(registry)) {
            std::cerr << "avrtazu-studio: cannot read the registry file " << registry << '\n';
            return 2;
        }
        avrtazu::Registry::setFile(std::filesystem::absolute(registry).string());
    } else {
        avrtazu::Registry::setDefaultFile((std::filesystem::path(folder) / "avrtazu.reg").string());
    }
    avrtazu::registerPluginClass();
    avrtazu::QtDialogService dialogs;
    avrtazu::DialogService::install(&dialogs);

    // Pictures show the window as it first opens, not where this user left it.
    const QTemporaryDir freshSettings;
    if (parser.isSet(screenshotsOption)) {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, freshSettings.path());
    }

    int status = 0;
    {
        avrtazu::StudioWindow window(folder);
        if (parser.isSet(screenshotsOption)) {
            if (project.empty()) {
                std::cerr << "avrtazu-studio: --screenshots needs a project file\n";
                status = 2;
            } else {
                avrtazu::ScreenshotRun run(window, toLocal(parser.value(screenshotsOption)));
                status = run.run(project);
            }
        } else {
            window.show();
            if (!project.empty()) {
                window.openProject(project);
            }
            status = QApplication::exec();
        }
    }
    avrtazu::DialogService::install(nullptr);
    return status;
}
