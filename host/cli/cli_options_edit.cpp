#include "cli/cli_options_edit.h"

#include "platform/drive_map.h"
#include "platform/scripted_dialog_service.h"
#include "ui/configurations_dialog.h"
#include "ui/project_properties_sheet.h"
#include "ui/text_conversion.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>

#include <algorithm>
#include <array>
#include <filesystem>
#include <utility>

namespace avrtazu {

namespace fs = std::filesystem;

namespace {

using Page = CProjectPropertiesSheet::Page;

enum class Kind { Text, Flag, Choice, Radio, Folder, FolderList, File };

QString latin(const char* text) {
    return QString::fromLatin1(text);
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find(separator, start), text.size());
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::optional<bool> flagValue(const std::string& value) {
    for (const char* yes : {"1", "yes", "on", "true"}) {
        if (value == yes) {
            return true;
        }
    }
    for (const char* no : {"0", "no", "off", "false"}) {
        if (value == no) {
            return false;
        }
    }
    return std::nullopt;
}

std::string comboEntries(const QComboBox& list) {
    std::string entries;
    for (int i = 0; i < list.count(); ++i) {
        entries += (i == 0 ? "" : ", ") + narrowText(list.itemText(i));
    }
    return entries;
}

} // namespace

// A setting: the page and control of the sheet that edit it. Radio keys name their buttons
// and the words for them, in the order of the stored numbers.
struct CliOptionsEdit::Key {
    const char* name;
    Page page;
    Kind kind;
    const char* control;
    const char* values;
};

namespace {

using K = CliOptionsEdit::Key;
constexpr Page G = Page::GeneralPage;
constexpr Page P = Page::PathsPage;
constexpr Page C = Page::CompilerPage;
constexpr Page T = Page::TargetPage;

// In the order they are set: a device before the fields it fills, the external Makefile before
// the pages it closes.
const std::array<K, 38>& keys() {
    static const std::array<K, 38> table{{
        {"outputFileName", G, Kind::Text, "outputFileNameEdit", "file name"},
        {"outputDir", G, Kind::Folder, "outputDirectoryBrowseButton", "folder"},
        {"externalMakefile", G, Kind::File, "externalMakefileBrowseButton",
         "Makefile (empty: the generated one)"},
        {"includes", P, Kind::FolderList, "include", "folders separated by ';' (empty: none)"},
        {"asmIncludes", P, Kind::FolderList, "asmInclude", "folders separated by ';'"},
        {"libraries", P, Kind::FolderList, "library", "folders separated by ';'"},
        {"strictCheckings", C, Kind::Flag, "strictCheckings", "0|1"},
        {"extension", C, Kind::Flag, "extension", "0|1"},
        {"intSizeEnum", C, Kind::Flag, "intSizeEnum", "0|1"},
        {"macroDefinitions", C, Kind::Text, "macroDefinitions", "NAME or NAME=VALUE, several"},
        {"undefines", C, Kind::Text, "undefines", "names"},
        {"outputFormat", C, Kind::Choice, "outputFormat", "HEX/COFF|COFF|Intel HEX"},
        {"codeCompression", C, Kind::Flag, "codeCompression",
         "0|1 (closed: the toolchain "
         "offers none)"},
        {"globalOptimizations", C, Kind::Flag, "globalOptimizations",
         "0|1 (closed: the "
         "toolchain offers none)"},
        {"ecasb", C, Kind::Text, "ecasb", "command run after a successful build"},
        {"part", T, Kind::Choice, "part", "a device of 'avrtazu devices', or Custom"},
        {"fpslicMemory", T, Kind::Choice, "fpslicMemory", "a partition of an FPSLIC device"},
        {"programMemory", T, Kind::Text, "programMemory", "number (Custom device)"},
        {"dataMemory", T, Kind::Text, "dataMemory", "number (Custom device)"},
        {"eeprom", T, Kind::Text, "eeprom", "number (Custom device)"},
        {"textAddressWord", T, Kind::Text, "textAddressWord", "number (Custom device)"},
        {"dataAddressByte", T, Kind::Text, "dataAddressByte", "number (Custom device)"},
        {"useLongCallJmp", T, Kind::Flag, "useLongCallJmp", "0|1 (Custom device)"},
        {"enhancedCore", T, Kind::Flag, "enhancedCore", "0|1 (Custom device)"},
        {"ioRegsOffsetInternalSram", T, Kind::Flag, "ioRegsOffsetInternalSram",
         "0|1 (Custom device)"},
        {"useRampzElpm", T, Kind::Flag, "useRampzElpm", "0|1"},
        {"programType", T, Kind::Radio, "application,bootLoader", "application|bootloader"},
        {"bootSize", T, Kind::Choice, "bootSize", "a boot size of the device"},
        {"sram", T, Kind::Choice, "sram", "Internal SRAM|External 32K SRAM|..."},
        {"printfVersion", T, Kind::Radio, "printfSmall,printfLong,printfFloat",
         "small|long|float (or 0|1|2)"},
        {"avrstudioIO", T, Kind::Flag, "avrstudioIO", "0|1"},
        {"additionalLib", T, Kind::Text, "additionalLib", "library names"},
        {"stringsInFlashOnly", T, Kind::Flag, "stringsInFlashOnly", "0|1"},
        {"returnStackSize", T, Kind::Text, "returnStackSize",
         "number (30 and up for "
         "long/float printf)"},
        {"nonDefaultStartup", T, Kind::Text, "nonDefaultStartup", "start-up file"},
        {"unusedRomFillBytes", T, Kind::Text, "unusedRomFillBytes", "number (empty: none)"},
        {"otherOptions", T, Kind::Text, "otherOptions", "compiler switches"},
        {"doNotUseR20ToR23", T, Kind::Flag, "doNotUseR20ToR23", "0|1"},
    }};
    return table;
}

const K* findKey(const std::string& name) {
    for (const K& key : keys()) {
        if (name == key.name) {
            return &key;
        }
    }
    return nullptr;
}

std::string keyOf(const std::string& setting) {
    return setting.substr(0, setting.find('='));
}

} // namespace

CliOptionsEdit::CliOptionsEdit(const CliOptions& options, ScriptedDialogService& dialogs,
                               std::ostream& messages, std::string callerFolder)
    : m_options(options), m_dialogs(dialogs), m_messages(messages),
      m_callerFolder(std::move(callerFolder)) {}

std::optional<std::string> CliOptionsEdit::unknownKey(const std::vector<std::string>& settings) {
    for (const std::string& setting : settings) {
        if (findKey(keyOf(setting)) == nullptr) {
            return "no setting is called '" + keyOf(setting) + "' (see 'avrtazu set --help')";
        }
    }
    return std::nullopt;
}

std::string CliOptionsEdit::help() {
    static const char* const pageNames[] = {"General", "Paths", "Compiler", "Target"};
    std::string text =
        "Usage: avrtazu set PROJECT.aps KEY=VALUE...\n"
        "       avrtazu config PROJECT.aps NAME [--add | --remove] [KEY=VALUE...]\n"
        "\n"
        "Changes the active configuration through the project options sheet: each value goes\n"
        "into the sheet's field for it, and the sheet's OK checks and commits them all. A value\n"
        "the sheet refuses is refused with its message, and the project file stays as it was.\n"
        "Fields the sheet keeps closed (those a listed device fixes, or all of them under an\n"
        "external Makefile) cannot be set. Folders and files are paths on this machine.\n"
        "\n"
        "Keys (page of the options sheet: values):\n";
    for (const K& key : keys()) {
        std::string name = "  " + std::string(key.name);
        name.resize(std::max<std::size_t>(name.size() + 1, 28), ' ');
        text += name + pageNames[key.page] + ": " + key.values + "\n";
    }
    return text;
}

bool CliOptionsEdit::refuse(const std::string& reason) {
    if (!reason.empty()) {
        m_messages << "avrtazu: " << reason << '\n';
        m_messages.flush();
    }
    m_refused = true;
    return false;
}

int CliOptionsEdit::answer(QDialog& dialog) {
    if (auto* sheet = dynamic_cast<CProjectPropertiesSheet*>(&dialog)) {
        return answerSheet(*sheet);
    }
    if (auto* configurations = dynamic_cast<CConfigurationsDialog*>(&dialog)) {
        return answerConfigurations(*configurations);
    }
    refuse("the plug-in asked \"" + narrowText(dialog.windowTitle()) +
           "\", which 'set' cannot answer");
    return QDialog::Rejected;
}

int CliOptionsEdit::answerSheet(CProjectPropertiesSheet& sheet) {
    // Shown again: the checks refused the values and told why.
    if (++m_sheetsShown > 1 || m_refused) {
        m_refused = true;
        return QDialog::Rejected;
    }
    const int shownPage = sheet.activePageIndex();
    if (!m_options.name.empty() && !chooseConfiguration(sheet)) {
        return QDialog::Rejected;
    }
    for (const K& key : keys()) {
        for (const std::string& setting : m_options.files) {
            if (keyOf(setting) == key.name &&
                !apply(sheet, key, setting.substr(setting.find('=') + 1))) {
                return QDialog::Rejected;
            }
        }
    }
    // The sheet remembers its page; a change from the command line leaves it as it was.
    sheet.setActivePage(shownPage);
    sheet.accept();
    return sheet.result();
}

bool CliOptionsEdit::chooseConfiguration(CProjectPropertiesSheet& sheet) {
    sheet.setActivePage(Page::GeneralPage);
    QWidget& page = *sheet.tabWidget().widget(Page::GeneralPage);
    if (m_options.configAction != CliOptions::ConfigAction::Switch) {
        auto* edit = page.findChild<QAbstractButton*>(latin("editConfigurationsButton"));
        edit->click();
        if (m_refused) {
            return false;
        }
        if (m_options.configAction == CliOptions::ConfigAction::Remove) {
            return true;
        }
    }
    auto* list = page.findChild<QComboBox*>(latin("configurationCombo"));
    const int entry =
        list->findText(qtText(m_options.name), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (entry < 0) {
        return refuse("the project has no configuration " + m_options.name + " (it has " +
                      comboEntries(*list) + ")");
    }
    list->setCurrentIndex(entry);
    return true;
}

int CliOptionsEdit::answerConfigurations(CConfigurationsDialog& dialog) {
    const auto listed = [&dialog, this] {
        const std::vector<std::string> names = dialog.listedNames();
        return std::find(names.begin(), names.end(), m_options.name) != names.end();
    };
    const auto click = [&dialog](const char* name) {
        dialog.findChild<QAbstractButton*>(latin(name))->click();
    };
    if (m_options.configAction == CliOptions::ConfigAction::Add) {
        dialog.findChild<QLineEdit*>(latin("newName"))->setText(qtText(m_options.name));
        const std::size_t before = dialog.listedNames().size();
        click("addConfiguration");
        // A name already there is refused with a message of the dialog's.
        if (dialog.listedNames().size() == before) {
            refuse("");
        }
    } else {
        auto* list = dialog.findChild<QListWidget*>(latin("configurationList"));
        const auto found =
            list->findItems(qtText(m_options.name), Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (found.isEmpty()) {
            refuse("the project has no configuration " + m_options.name);
        } else {
            list->setCurrentItem(found.front());
            click("delete");
            // The project refuses with a message of its own.
            if (listed()) {
                refuse("");
            }
        }
    }
    if (m_refused) {
        click("cancel");
    } else {
        click("ok");
    }
    return dialog.result();
}

std::optional<std::string> CliOptionsEdit::existing(const std::string& value, bool folder) {
    const fs::path path = (fs::path(m_callerFolder) / value).lexically_normal();
    std::error_code error;
    if (folder ? !fs::is_directory(path, error) : !fs::is_regular_file(path, error)) {
        refuse(value + (folder ? " is not a folder" : " is not a file"));
        return std::nullopt;
    }
    return DriveMap::toWindows(path.string());
}

bool CliOptionsEdit::apply(CProjectPropertiesSheet& sheet, const Key& key,
                           const std::string& value) {
    sheet.setActivePage(key.page);
    QWidget& page = *sheet.tabWidget().widget(key.page);
    const std::string setting = std::string(key.name) + "=" + value;
    const auto closed = [&](QWidget* control) {
        auto* edit = dynamic_cast<QLineEdit*>(control);
        return control == nullptr || !control->isEnabled() || !control->isVisibleTo(&page) ||
               (edit != nullptr && edit->isReadOnly());
    };
    const auto refuseClosed = [&] {
        std::string reason = std::string(key.name) + " cannot be set: the options sheet keeps it "
                                                     "closed";
        if (key.page == Page::TargetPage) {
            const auto* part = page.findChild<QComboBox*>(latin("part"));
            reason += " for the device " + narrowText(part->currentText());
        }
        return refuse(reason);
    };

    switch (key.kind) {
    case Kind::Text: {
        auto* edit = page.findChild<QLineEdit*>(latin(key.control));
        if (closed(edit)) {
            return refuseClosed();
        }
        edit->setText(qtText(value));
        return true;
    }
    case Kind::Flag: {
        auto* box = page.findChild<QCheckBox*>(latin(key.control));
        const std::optional<bool> on = flagValue(value);
        if (!on) {
            return refuse(setting + ": " + key.name + " takes 0 or 1");
        }
        if (closed(box)) {
            return refuseClosed();
        }
        if (box->isChecked() != *on) {
            box->click();
        }
        return true;
    }
    case Kind::Choice: {
        auto* list = page.findChild<QComboBox*>(latin(key.control));
        if (closed(list)) {
            return refuseClosed();
        }
        const int entry = list->findText(qtText(value), Qt::MatchFixedString);
        if (entry < 0) {
            return refuse(setting + ": " + key.name + " is one of " +
                          (std::string(key.name) == "part" ? "the devices 'avrtazu devices' lists"
                                                           : comboEntries(*list)));
        }
        list->setCurrentIndex(entry);
        return true;
    }
    case Kind::Radio: {
        const std::vector<std::string> buttons = split(key.control, ',');
        // The values text starts with the words, as "small|long|float".
        const std::vector<std::string> words = split(split(key.values, ' ').front(), '|');
        for (std::size_t i = 0; i < buttons.size(); ++i) {
            const bool named = i < words.size() && QString::compare(qtText(value), qtText(words[i]),
                                                                    Qt::CaseInsensitive) == 0;
            if (named || value == std::to_string(i)) {
                auto* button = page.findChild<QAbstractButton*>(qtText(buttons[i]));
                if (closed(button)) {
                    return refuseClosed();
                }
                button->click();
                return true;
            }
        }
        return refuse(setting + ": " + key.name + " is " + key.values);
    }
    case Kind::Folder:
    case Kind::File: {
        auto* browse = page.findChild<QAbstractButton*>(latin(key.control));
        if (key.kind == Kind::File) {
            auto* use = page.findChild<QCheckBox*>(latin("useExternalMakefileCheck"));
            if (use->isChecked() != !value.empty()) {
                use->click();
            }
            if (value.empty()) {
                return true;
            }
        }
        if (closed(browse)) {
            return refuseClosed();
        }
        const std::optional<std::string> path = existing(value, key.kind == Kind::Folder);
        if (!path) {
            return false;
        }
        if (key.kind == Kind::Folder) {
            m_dialogs.queueFolder(*path);
        } else {
            m_dialogs.queueOpenFiles({*path});
        }
        browse->click();
        return true;
    }
    case Kind::FolderList:
        return applyList(page, key, value);
    }
    return false;
}

// A list is replaced whole: its entries removed, then each folder added through the page's
// folder chooser.
bool CliOptionsEdit::applyList(QWidget& page, const Key& key, const std::string& value) {
    const std::string name = key.control;
    auto* list = page.findChild<QListWidget*>(qtText(name + "List"));
    auto* add = page.findChild<QAbstractButton*>(qtText(name + "AddButton"));
    if (list == nullptr || !list->isEnabled() || add == nullptr || !add->isEnabled()) {
        return refuse(std::string(key.name) + " cannot be set: the options sheet keeps it closed");
    }
    std::vector<std::string> folders;
    for (const std::string& folder : split(value, ';')) {
        if (!folder.empty()) {
            const std::optional<std::string> path = existing(folder, true);
            if (!path) {
                return false;
            }
            folders.push_back(*path);
        }
    }
    list->selectAll();
    page.findChild<QAbstractButton*>(qtText(name + "RemoveButton"))->click();
    for (const std::string& folder : folders) {
        m_dialogs.queueFolder(folder);
        add->click();
    }
    return true;
}

} // namespace avrtazu
