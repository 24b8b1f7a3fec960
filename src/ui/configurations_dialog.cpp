#include "services/plug_in_utility.h"

#include "ui/configurations_dialog.h"

#include "model/configuration.h"
#include "model/project.h"
#include "platform/dialog_service.h"
#include "ui/modal_runner.h"
#include "ui/text_conversion.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <exception>

namespace avrtazu {

namespace {

// Names sort as the platform's sorted list box sorts them: letter case ignored.
class NameItem : public QListWidgetItem {
public:
    explicit NameItem(const QString& name) : QListWidgetItem(name) {}
    bool operator<(const QListWidgetItem& other) const override {
        const int order = text().compare(other.text(), Qt::CaseInsensitive);
        return order != 0 ? order < 0 : text() < other.text();
    }
};

QPushButton* makeButton(const char* text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(QString::fromLatin1(text), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

CConfigurationsDialog::CConfigurationsDialog(Project& project, QWidget* parent)
    : QDialog(parent), m_project(project) {
    setWindowTitle(QString::fromLatin1(kTitle));

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("configurationList"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSortingEnabled(true);

    auto* rename = makeButton("Rename", "rename", this);
    auto* remove = makeButton("Delete", "delete", this);
    m_newName = new QLineEdit(this);
    m_newName->setObjectName(QStringLiteral("newName"));
    auto* add = makeButton("Add Configuration", "addConfiguration", this);
    auto* ok = makeButton("Ok", "ok", this);
    auto* cancel = makeButton("Cancel", "cancel", this);
    ok->setDefault(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_list, 0, 0, 3, 1);
    grid->addWidget(rename, 0, 1);
    grid->addWidget(remove, 1, 1);
    grid->addWidget(m_newName, 3, 0);
    grid->addWidget(add, 3, 1);
    auto* buttons = new QHBoxLayout();
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 4, 0, 1, 2);

    // The rename button has never done anything; it stays for the familiar layout.
    connect(remove, &QPushButton::clicked, this, [this] { onDelete(); });
    connect(add, &QPushButton::clicked, this, [this] { onAddConfiguration(); });
    connect(ok, &QPushButton::clicked, this, [this] { onOk(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    for (const auto& [name, configuration] : m_project.configs()) {
        m_list->addItem(new NameItem(qtText(name)));
    }
}

int CConfigurationsDialog::doModal() {
    return ModalRunner::exec(*this);
}

std::vector<std::string> CConfigurationsDialog::listedNames() const {
    std::vector<std::string> names;
    for (int i = 0; i < m_list->count(); ++i) {
        names.push_back(narrowText(m_list->item(i)->text()));
    }
    return names;
}

void CConfigurationsDialog::onAddConfiguration() {
    const QString name = m_newName->text();
    if (name.isEmpty()) {
        DialogService::current().messageBox("The new configuration name is empty.", "",
                                            MessageIcon::None, MessageButtons::Ok);
        return;
    }
    for (int i = 0; i < m_list->count(); ++i) {
        if (m_list->item(i)->text() == name) {
            DialogService::current().messageBox("A configuration with the name " +
                                                    narrowText(name) + " already exists",
                                                "", MessageIcon::None, MessageButtons::Ok);
            return;
        }
    }
    m_list->addItem(new NameItem(name));
}

void CConfigurationsDialog::onDelete() {
    PlugInUtility& utility = PlugInUtility::instance();
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty()) {
        utility.logError("Failed to remove configuration");
        return;
    }
    QListWidgetItem* item = selected.front();
    const std::string name = narrowText(item->text());
    if (m_project.removeConfiguration(name)) {
        delete m_list->takeItem(m_list->row(item));
        utility.logInfo("Removed the " + name + " configuration.");
    } else {
        utility.logInfo("Failed to remove configuration");
    }
}

void CConfigurationsDialog::onOk() {
    try {
        const std::map<std::string, Configuration>& existing = m_project.configs();
        for (const std::string& name : listedNames()) {
            if (existing.find(name) == existing.end()) {
                m_project.addConfig(Configuration(name, m_project.name() + ".o"));
            }
        }
    } catch (const std::exception& error) {
        // Names already created stay; the dialog ends as the user asked.
        PlugInUtility::instance().logDebug("CConfigurationsDialog::OnOK()", error.what());
    }
    accept();
}

} // namespace avrtazu
