#include "ui/ui_test_support.h"

#include "golden.h"

#include "model/device_catalog.h"
#include "platform/file_system.h"
#include "ui/target_option_dlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>
#include <sstream>

namespace avrtazu::uitest {

namespace {

std::string joined(const Names& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : ", ") + name;
    }
    return text;
}

std::string asText(const std::string& text) {
    return text;
}
std::string asText(bool flag) {
    return flag ? "on" : "off";
}
std::string asText(int number) {
    return std::to_string(number);
}

// Fixture values: flags and numbers as numbers.
template <typename T> T fromText(const std::string& text) {
    if constexpr (std::is_same_v<T, std::string>) {
        return text;
    } else {
        return static_cast<T>(std::stoi(text));
    }
}

using Settings = std::map<std::string, std::string>;

// Every setting of a configuration as "<configuration>.<setting>" and its value.
void addSettings(Settings& values, const std::string& name, const Configuration& c) {
    // clang-format off
#define AVRTAZU_DESCRIBE(T, getter, ...) values[name + "." #getter] = asText(c.getter());
    AVRTAZU_CONFIGURATION_SETTINGS(AVRTAZU_DESCRIBE)
#undef AVRTAZU_DESCRIBE
#define AVRTAZU_DESCRIBE(getter, ...) values[name + "." #getter] = joined(c.getter());
    AVRTAZU_CONFIGURATION_LISTS(AVRTAZU_DESCRIBE)
#undef AVRTAZU_DESCRIBE
    // clang-format on
}

Settings settings(const Project& project) {
    Settings values;
    values["extMakefile"] =
        (project.usesExtMakefile() ? "used " : "unused ") + project.extMakefile();
    values["active"] = project.currentConfigName();
    for (const auto& [name, configuration] : project.configs()) {
        addSettings(values, name, configuration);
    }
    return values;
}

} // namespace

void choose(const QWidget& parent, const std::string& comboBox, const std::string& entry) {
    auto& list = control<QComboBox>(parent, comboBox);
    const int index =
        list.findText(QString::fromStdString(entry), Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (index < 0) {
        throw std::runtime_error("no entry " + entry + " in " + comboBox);
    }
    list.setCurrentIndex(index);
}

Names entries(const QComboBox& list) {
    Names texts;
    for (int i = 0; i < list.count(); ++i) {
        texts.push_back(list.itemText(i).toStdString());
    }
    return texts;
}

Names deviceNames() {
    Names names;
    for (int i = 0; i < DeviceCatalog::deviceCount; ++i) {
        names.push_back(DeviceCatalog::device(i).name);
    }
    return names;
}

std::string describe(const QWidget& parent, const Names& only) {
    std::string out = parent.isWindow() && only.empty()
                          ? "title: " + parent.windowTitle().toStdString() + "\n"
                          : std::string();
    for (const QWidget* widget : parent.findChildren<QWidget*>()) {
        const std::string name = widget->objectName().toStdString();
        if (name.empty() || name.starts_with("qt_") ||
            (!only.empty() && std::find(only.begin(), only.end(), name) == only.end())) {
            continue;
        }
        QString value;
        if (const auto* edit = qobject_cast<const QLineEdit*>(widget)) {
            value = edit->text() + (edit->isReadOnly() ? " [read-only]" : "");
        } else if (const auto* text = qobject_cast<const QPlainTextEdit*>(widget)) {
            value = text->toPlainText().replace("\n", "\n    ") +
                    (text->isReadOnly() ? " [read-only]" : "");
        } else if (const auto* combo = qobject_cast<const QComboBox*>(widget)) {
            const Names all = entries(*combo);
            value = "<" + combo->currentText() + "> " +
                    (all.size() > 12 ? QString::number(all.size()) + " entries"
                                     : QString::fromStdString(joined(all)));
        } else if (const auto* list = qobject_cast<const QListWidget*>(widget)) {
            for (int i = 0; i < list->count(); ++i) {
                value += (i > 0 ? ", " : "") + list->item(i)->text();
            }
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
            value = button->text() +
                    (button->isCheckable() ? (button->isChecked() ? " [x]" : " [ ]") : "");
        } else if (const auto* group = qobject_cast<const QGroupBox*>(widget)) {
            value = group->title();
        } else if (const auto* label = qobject_cast<const QLabel*>(widget)) {
            value = label->text();
        }
        out += name + ": " + value.toStdString() + (widget->isEnabled() ? "" : " [disabled]") +
               (widget->isHidden() ? " [hidden]" : "") + "\n";
    }
    return out;
}

std::string changes(const Project& before, const Project& after) {
    // A new configuration shows how it differs from a blank one.
    Settings old = settings(before);
    std::string out;
    for (const auto& [name, configuration] : after.configs()) {
        if (before.configs().count(name) == 0) {
            out += name + ": new\n";
            addSettings(old, name, Configuration(name));
        }
    }
    for (const auto& [name, configuration] : before.configs()) {
        if (after.configs().count(name) == 0) {
            out += name + ": gone\n";
            std::erase_if(old,
                          [&](const auto& entry) { return entry.first.starts_with(name + "."); });
        }
    }
    for (const auto& [name, value] : settings(after)) {
        if (old[name] != value) {
            out += name + ": " + old[name] + " -> " + value + "\n";
        }
    }
    return out;
}

void UiTest::TearDown() {
    if (!seen.empty()) {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        test::expectGolden(std::string(info->test_suite_name()) + "." + info->name() + ".txt",
                           seen + events());
    }
}

std::string UiTest::events() {
    const char* const levels[] = {"info", "warning", "error", "debug"};
    const char* const icons[] = {"", " (information)", " (warning)", " (error)", " (question)"};
    const char* const buttons[] = {"OK", "OK/Cancel", "Yes/No", "Yes/No/Cancel"};
    const char* const kinds[] = {"open", "save", "folder"};
    std::string out;
    for (const auto& line : hub->logs) {
        out += std::string("log ") + levels[line.level] + ": " +
               (line.level == 3 ? line.context + "|" : "") + line.message + "\n";
    }
    for (; m_messagesSeen < dialogs.messages().size(); ++m_messagesSeen) {
        const auto& box = dialogs.messages()[m_messagesSeen];
        out += "box \"" + box.caption + "\"" + icons[static_cast<int>(box.icon)] + " [" +
               buttons[static_cast<int>(box.buttons)] + "]: " + box.text + "\n";
    }
    for (; m_dialogsSeen < dialogs.dialogs().size(); ++m_dialogsSeen) {
        const auto& dialog = dialogs.dialogs()[m_dialogsSeen];
        // The current folder outside the test drives differs between machines.
        const bool here = dialog.startFolder == FileSystem::currentFolder() &&
                          dialog.startFolder.starts_with("Z:");
        out += std::string(kinds[static_cast<int>(dialog.kind)]) + " dialog \"" + dialog.title +
               "\" at " + (here ? "(current folder)" : dialog.startFolder) +
               (dialog.filter.empty() ? "" : " " + dialog.filter) +
               (dialog.allowMultiple ? " (several)" : "") + "\n";
    }
    for (const auto& [file, flags] : works.openedFiles) {
        out += "opened " + file + "\n";
    }
    works.openedFiles.clear();
    hub->logs.clear();
    const auto take = [&out](const char* what, Names& lines) {
        for (const std::string& line : lines) {
            out += what + line + "\n";
        }
        lines.clear();
    };
    take("modal ", modalDialogs);
    take("closed ", works.closedFiles);
    take("help ", works.helpRequests);
    take("part ", hub->partNamesSet);
    return out;
}

void UiTest::answerDialogs(const std::string& text, const std::string& editName,
                           const std::string& buttonName) {
    onModal([this, text, editName, buttonName](QDialog& dialog) {
        modalDialogs.push_back(dialog.metaObject()->className());
        type(dialog, editName, text);
        if (!buttonName.empty()) {
            click(dialog, buttonName);
        } else {
            dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        }
        return dialog.result();
    });
}

void UiTest::cancelDialogs() {
    onModal([this](QDialog& dialog) {
        modalDialogs.push_back(dialog.metaObject()->className());
        return static_cast<int>(QDialog::Rejected);
    });
}

void load(Project& project, const std::string& fixture) {
    const std::map<std::string, void (Project::*)(const SourceFile&)> fileAdders = {
        {"source", &Project::addSrcFile},
        {"header", &Project::addHdrFile},
        {"other", &Project::addOtherFile}};
    std::istringstream in(test::golden(fixture));
    std::vector<Configuration> read;
    std::string key;
    std::string value;
    while (in >> key && std::getline(in >> std::ws, value)) {
        if (fileAdders.count(key) != 0) {
            (project.*fileAdders.at(key))(SourceFile(value));
            continue;
        }
        if (key == "config") {
            read.emplace_back(value);
        }
        // clang-format off
#define AVRTAZU_LOAD(T, getter, setter, ...) \
        if (key == #getter) { read.back().setter(fromText<T>(value)); }
        AVRTAZU_CONFIGURATION_SETTINGS(AVRTAZU_LOAD)
#undef AVRTAZU_LOAD
#define AVRTAZU_LOAD(getter, adder, ...) \
        if (key == #getter) { read.empty() ? project.adder(value) : read.back().adder(value); }
        AVRTAZU_CONFIGURATION_LISTS(AVRTAZU_LOAD)
#undef AVRTAZU_LOAD
        // clang-format on
    }
    for (const Configuration& c : read) {
        project.addConfig(c);
    }
}

OptionsTest::OptionsTest(const std::string& fixture) {
    load(project, fixture);
}

std::unique_ptr<CProjectPropertiesSheet> OptionsTest::makeSheet(Project& edited) {
    auto sheet = std::make_unique<CProjectPropertiesSheet>(edited, false);
    sheet->targetPage().setSupportedParts(deviceNames());
    return sheet;
}

int OptionsTest::runSheet(Project& edited,
                          const std::function<void(CProjectPropertiesSheet&)>& user,
                          const std::string& button) {
    const Project before = edited;
    const auto sheet = makeSheet(edited);
    onModal([&](QDialog& dialog) {
        user(*sheet);
        click(dialog, button);
        return dialog.result();
    });
    const int result = sheet->DoModal();
    onModal({});
    seen += changes(before, edited);
    seen += events();
    return result;
}

} // namespace avrtazu::uitest
