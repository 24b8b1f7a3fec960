#pragma once

#include <array>

namespace avrtazu {

// The plug-in's commands as the studio's menus offer them. The numbers are the plug-in's; the
// menus, texts and shortcuts are the studio's own.
struct StudioCommand {
    enum class Menu { Build, Project, Help };

    long id;
    Menu menu;
    const char* text;
    // Portable QKeySequence text; empty for none.
    const char* shortcut;
    // The command builds: modified editors are saved first and the build output is shown.
    bool builds;
};

inline constexpr std::array<StudioCommand, 9> kStudioCommands{{
    {0, StudioCommand::Menu::Build, "&Build", "F7", true},
    {1, StudioCommand::Menu::Build, "Build and &Run", "", true},
    {2, StudioCommand::Menu::Build, "&Rebuild All", "", true},
    {3, StudioCommand::Menu::Build, "&Compile File", "Ctrl+F7", true},
    {4, StudioCommand::Menu::Build, "C&lean", "", true},
    {5, StudioCommand::Menu::Project, "&Options...", "", false},
    {6, StudioCommand::Menu::Project, "&Export Makefile...", "", false},
    {7, StudioCommand::Menu::Help, "AVR TAZU Plug-in &Help", "F1", false},
    {8, StudioCommand::Menu::Help, "avr-&libc Help", "", false},
}};

// The command that compiles the active editor's file.
inline constexpr long kCompileFileCommand = 3;

} // namespace avrtazu
