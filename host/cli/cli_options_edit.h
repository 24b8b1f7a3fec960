#pragma once

#include "cli/cli_options.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

class QDialog;
class QWidget;

namespace avrtazu {

class CConfigurationsDialog;
class CProjectPropertiesSheet;
class ScriptedDialogService;

// The changes of set and config, made in the options sheet as a user makes them: each
// KEY=VALUE goes into the control of the sheet that edits the setting (so the pages' own
// corrections follow, as a listed device filling in its memory sizes), a configuration is added
// or removed in the sheet's "Edit Project Configurations" dialog and chosen in its list, and
// the sheet's OK runs the plug-in's checked commit. What the sheet keeps closed is refused, and
// so is a value its checks refuse: the sheet is then cancelled, which puts the project back.
class CliOptionsEdit {
public:
    // Folders and files in values are Linux paths, relative to callerFolder.
    CliOptionsEdit(const CliOptions& options, ScriptedDialogService& dialogs,
                   std::ostream& messages, std::string callerFolder);

    // The message for the first KEY that names no setting; nullopt when all are known.
    static std::optional<std::string> unknownKey(const std::vector<std::string>& settings);
    // The text of set --help: every key, its page and the values it takes.
    static std::string help();

    // The modal hook of the run: answers the sheet and the configurations dialog.
    int answer(QDialog& dialog);
    // Whether the change was refused; the reason has been told.
    bool refused() const { return m_refused; }

    // A setting and the control of the sheet that edits it; the table is in the source.
    struct Key;

private:
    int answerSheet(CProjectPropertiesSheet& sheet);
    int answerConfigurations(CConfigurationsDialog& dialog);
    bool chooseConfiguration(CProjectPropertiesSheet& sheet);
    bool apply(CProjectPropertiesSheet& sheet, const Key& key, const std::string& value);
    bool applyList(QWidget& page, const Key& key, const std::string& value);
    // The Windows path of an existing folder or file named on the command line.
    std::optional<std::string> existing(const std::string& value, bool folder);
    bool refuse(const std::string& reason);

    const CliOptions& m_options;
    ScriptedDialogService& m_dialogs;
    std::ostream& m_messages;
    std::string m_callerFolder;
    int m_sheetsShown = 0;
    bool m_refused = false;
};

} // namespace avrtazu
