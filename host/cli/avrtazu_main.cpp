#include "cli/cli_interrupt.h"
#include "cli/cli_options.h"
#include "cli/cli_session.h"
#include "lib/executable_folder.h"
#include "plugin/registration.h"

#include <QApplication>
#include <QLibraryInfo>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

bool showQtMessages = false;

// Qt's notes about the unseen platform mean nothing to a user of the command line; only
// --verbose shows them, and real failures always show.
void qtMessage(QtMsgType type, const QMessageLogContext&, const QString& text) {
    const bool failure = type == QtCriticalMsg || type == QtFatalMsg;
    if (failure || showQtMessages) {
        std::cerr << (failure ? "error: qt: " : "debug: qt: ") << text.toStdString() << '\n';
    }
}

} // namespace

int main(int argc, char** argv) {
    const bool terminal = isatty(STDOUT_FILENO) != 0;
    if (!terminal) {
        // Build output into a file or pipe goes in large pieces.
        std::setvbuf(stdout, nullptr, _IOFBF, std::size_t{1} << 16);
    }
    for (int i = 1; i < argc && std::string(argv[i]) != "--"; ++i) {
        showQtMessages = showQtMessages || std::string(argv[i]) == "--verbose";
    }
    qInstallMessageHandler(qtMessage);
    // The plug-in's windows exist on the command line too, only nobody sees them: the minimal
    // platform draws nothing and reads no font configuration.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "minimal", 1);
    }
    // Ctrl+C or a stop request ends a running tool through the tool runner, not this process
    // in the middle of writing the project.
    avrtazu::CliInterrupt::install();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    // Help, the version and a command line that does not fit need no windows at all.
    std::string ignored;
    const auto options = avrtazu::CliOptions::parse(arguments, &ignored);
    const bool runsPlugin = options && options->command != avrtazu::CliOptions::Command::Help &&
                            options->command != avrtazu::CliOptions::Command::Version;
    std::optional<QApplication> application;
    if (runsPlugin) {
        // Nothing is drawn, so Qt needs no plug-in but its platform: no picture reader or style
        // is looked for, let alone loaded, when the plug-in makes its pictures.
        if (std::getenv("QT_QPA_PLATFORM_PLUGIN_PATH") == nullptr) {
            const QString platforms =
                QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms");
            setenv("QT_QPA_PLATFORM_PLUGIN_PATH", platforms.toLocal8Bit().constData(), 1);
        }
        QCoreApplication::setLibraryPaths({});
        application.emplace(argc, argv);
        avrtazu::registerPluginClass();
    }
    const bool colour = terminal && std::getenv("NO_COLOR") == nullptr;
    const int status = avrtazu::CliSession::main(arguments, std::cout, std::cerr, colour,
                                                 avrtazu::ExecutableFolder::of(argv[0]));
#if defined(__SANITIZE_ADDRESS__)
    // The leak check runs at a normal exit.
    return status;
#else
    // The session has saved, unlocked and closed everything; what is left is freeing memory the
    // system takes back anyway, a tenth of a big project's add.
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(status);
#endif
}
