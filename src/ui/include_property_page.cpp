#include "ui/include_property_page.h"

#include "model/project.h"
#include "model/source_file.h"
#include "ui/folder_browser.h"
#include "ui/inconsistency_report.h"
#include "ui/text_conversion.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <functional>

namespace avrtazu {

namespace {

constexpr const char* kUpdateContext = "CIncludePropertyPage::updateControlDataFromProject()";

// Clears one list of the project and adds the entries back, relative to the project
// directory where they lie below it.
void storeList(const std::vector<std::string>& entries, const std::string& homePath,
               const std::function<void()>& clear,
               const std::function<void(const std::string&)>& add) {
    clear();
    for (const std::string& entry : entries) {
        SourceFile directory(entry);
        if (entry.size() > homePath.size()) {
            directory.subtractPath(homePath);
        }
        add(directory.fullName());
    }
}

} // namespace

CIncludePropertyPage::CIncludePropertyPage(Project& project, QWidget* parent)
    : QWidget(parent), m_project(project) {
    setObjectName(QStringLiteral("pathsPage"));

    auto* grid = new QGridLayout;
    const auto makeList = [this, grid](int row, const QString& label, const QString& name) {
        DirectoryList controls{};
        auto* caption = new QLabel(label, this);
        controls.list = new QListWidget(this);
        controls.list->setObjectName(name + QStringLiteral("List"));
        controls.list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        caption->setBuddy(controls.list);
        controls.addButton = new QPushButton(QStringLiteral("Add ..."), this);
        controls.addButton->setObjectName(name + QStringLiteral("AddButton"));
        controls.removeButton = new QPushButton(QStringLiteral("Remove"), this);
        controls.removeButton->setObjectName(name + QStringLiteral("RemoveButton"));

        auto* buttons = new QVBoxLayout;
        buttons->addWidget(controls.addButton);
        buttons->addWidget(controls.removeButton);
        buttons->addStretch(1);
        grid->addWidget(caption, row * 2, 0, 1, 2);
        grid->addWidget(controls.list, row * 2 + 1, 0);
        grid->addLayout(buttons, row * 2 + 1, 1);

        QListWidget* list = controls.list;
        connect(controls.addButton, &QPushButton::clicked, this, [this, list] { addFolder(list); });
        connect(controls.removeButton, &QPushButton::clicked, this,
                [list] { removeSelected(list); });
        return controls;
    };
    m_includes = makeList(0, QStringLiteral("Include Paths:"), QStringLiteral("include"));
    m_asmIncludes = makeList(1, QStringLiteral("Asm Include Paths:"), QStringLiteral("asmInclude"));
    m_libraries = makeList(2, QStringLiteral("Library Paths:"), QStringLiteral("library"));

    m_noteText = new QPlainTextEdit(this);
    m_noteText->setObjectName(QStringLiteral("noteText"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addWidget(m_noteText);
}

void CIncludePropertyPage::onSetActive() {
    if (!m_initialised) {
        onInitDialog();
    }
    refillIfAnotherConfiguration(
        m_project, m_loadedConfiguration, [this] { updateControlDataFromProject(); },
        "CIncludePropertyPage::OnSetActive()");
    for (const DirectoryList* controls : {&m_includes, &m_asmIncludes, &m_libraries}) {
        controls->list->setEnabled(!m_externalMakefile);
        controls->addButton->setEnabled(!m_externalMakefile);
        controls->removeButton->setEnabled(!m_externalMakefile);
    }
}

void CIncludePropertyPage::onInitDialog() {
    m_noteText->setPlainText(
        qtText(kNoteText).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    m_noteText->setReadOnly(true);
    updateControlDataFromProject();
    m_initialised = true;
}

void CIncludePropertyPage::updateControlDataFromProject() {
    try {
        fillList(m_includes.list, m_project.includes());
    } catch (const std::exception& error) {
        reportInconsistency(kUpdateContext, error.what());
    }
    try {
        fillList(m_asmIncludes.list, m_project.asmincludes());
    } catch (const std::exception& error) {
        reportInconsistency(kUpdateContext, error.what());
    }
    try {
        fillList(m_libraries.list, m_project.libdirs());
    } catch (const std::exception& error) {
        reportInconsistency(kUpdateContext, error.what());
    }
    try {
        m_loadedConfiguration = m_project.currentConfigName();
    } catch (const std::exception&) {
        // Already reported by the lists above: they read the same configuration.
        m_loadedConfiguration.clear();
    }
}

void CIncludePropertyPage::fillList(QListWidget* list, const std::vector<std::string>& entries) {
    list->clear();
    for (const std::string& entry : entries) {
        list->addItem(qtText(entry));
    }
}

void CIncludePropertyPage::addFolder(QListWidget* list) {
    std::string folder = FolderBrowser(this).browse();
    if (!folder.empty() && folder.back() == '\\') {
        folder.pop_back();
    }
    // The project refuses empty directories, so the list never shows one.
    if (folder.empty()) {
        return;
    }
    const QString text = qtText(folder);
    if (!list->findItems(text, Qt::MatchExactly | Qt::MatchCaseSensitive).isEmpty()) {
        return;
    }
    list->addItem(text);
}

void CIncludePropertyPage::removeSelected(QListWidget* list) {
    qDeleteAll(list->selectedItems());
}

std::vector<std::string> CIncludePropertyPage::entries(const QListWidget* list) {
    std::vector<std::string> texts;
    texts.reserve(static_cast<std::size_t>(list->count()));
    for (int row = 0; row < list->count(); ++row) {
        texts.push_back(narrowText(list->item(row)->text()));
    }
    return texts;
}

void CIncludePropertyPage::harvestDataFromControls(Project& project) {
    if (!m_initialised) {
        return;
    }
    try {
        // Controls still showing another configuration must not overwrite the active one.
        if (project.currentConfigName() != m_loadedConfiguration) {
            return;
        }
        const std::string home = project.homePath();
        storeList(
            entries(m_includes.list), home, [&project] { project.clearIncludes(); },
            [&project](const std::string& text) { project.addIncludeDirectory(text); });
        storeList(
            entries(m_asmIncludes.list), home, [&project] { project.clearAsmIncludes(); },
            [&project](const std::string& text) { project.addAsmIncludeDirectory(text); });
        storeList(
            entries(m_libraries.list), home, [&project] { project.clearLibdirs(); },
            [&project](const std::string& text) { project.addLibraryDirectory(text); });
    } catch (const std::exception& error) {
        reportInconsistency("CIncludePropertyPage::harvestDataFromControls()", error.what());
    }
}

} // namespace avrtazu
