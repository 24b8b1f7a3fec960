#include "services/plug_in_utility.h"

#include "ui/project_properties_sheet.h"

#include "model/project.h"
#include "services/bstr.h"
#include "services/gui_works.h"
#include "ui/compiler_option.h"
#include "ui/general_property_page.h"
#include "ui/include_property_page.h"
#include "ui/modal_runner.h"
#include "ui/target_option_dlg.h"
#include "ui/text_conversion.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <array>
#include <exception>

namespace avrtazu {

namespace {

constexpr std::array<const char*, CProjectPropertiesSheet::PageCount> kHelpTopics = {
    "General Options", "Paths", "Compiler Options", "Target Options"};

std::string helpRequest(const std::string& topic) {
    std::string request = CProjectPropertiesSheet::kHelpRequest;
    request.replace(request.find("%s"), 2, topic);
    return request;
}

} // namespace

CProjectPropertiesSheet::CProjectPropertiesSheet(Project& project, bool newProject, QWidget* parent)
    : QDialog(parent), m_project(project) {
    setObjectName(QStringLiteral("projectPropertiesSheet"));
    setWindowTitle(qtText(project.name() + " project options"));

    m_generalPage = new CGeneralPropertyPage(project, this);
    m_includePage = new CIncludePropertyPage(project);
    m_compilerPage = new CCompilerOption(project);
    m_targetPage = new CTargetOptionDlg(project, newProject);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("pages"));
    m_tabs->addTab(m_generalPage, QStringLiteral("General"));
    m_tabs->addTab(m_includePage, QStringLiteral("Paths"));
    m_tabs->addTab(m_compilerPage, QStringLiteral("Compiler"));
    m_tabs->addTab(m_targetPage, QStringLiteral("Target"));

    m_buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    m_buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    m_buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    m_buttons->button(QDialogButtonBox::Help)->setObjectName(QStringLiteral("helpButton"));
    connect(m_buttons, &QDialogButtonBox::accepted, this, &CProjectPropertiesSheet::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &CProjectPropertiesSheet::reject);
    connect(m_buttons, &QDialogButtonBox::helpRequested, this, &CProjectPropertiesSheet::onHelp);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(m_buttons);

    // An index that names no page leaves the first one active.
    try {
        m_tabs->setCurrentIndex(project.optionTabIndex());
    } catch (const std::exception&) {
        m_tabs->setCurrentIndex(GeneralPage);
    }
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (m_started) {
            activatePage(index);
        }
    });
}

int CProjectPropertiesSheet::DoModal() {
    start();
    return ModalRunner::exec(*this);
}

void CProjectPropertiesSheet::showEvent(QShowEvent* event) {
    start();
    QDialog::showEvent(event);
}

// Pages are filled when they are first shown; the sheet shows its active page when it opens.
void CProjectPropertiesSheet::start() {
    if (m_started) {
        return;
    }
    m_started = true;
    activatePage(m_tabs->currentIndex());
}

void CProjectPropertiesSheet::activatePage(int index) {
    switch (index) {
    case GeneralPage:
        m_generalPage->onSetActive();
        break;
    case PathsPage:
        m_includePage->onSetActive();
        break;
    case CompilerPage:
        m_compilerPage->onSetActive();
        break;
    case TargetPage:
        m_targetPage->onSetActive();
        break;
    default:
        break;
    }
}

void CProjectPropertiesSheet::setExternalMakefile(bool external) {
    m_includePage->setExternalMakefile(external);
    m_compilerPage->setExternalMakefile(external);
    m_targetPage->setExternalMakefile(external);
}

int CProjectPropertiesSheet::activePageIndex() const {
    return m_tabs->currentIndex();
}

void CProjectPropertiesSheet::setActivePage(int index) {
    m_tabs->setCurrentIndex(index);
}

std::string CProjectPropertiesSheet::helpTopic(int pageIndex) {
    if (pageIndex < 0 || pageIndex >= PageCount) {
        return std::string();
    }
    return kHelpTopics[static_cast<std::size_t>(pageIndex)];
}

void CProjectPropertiesSheet::accept() {
    // The pages report their own failures; nothing may keep the others from writing, nor the
    // sheet from closing.
    const auto guarded = [](const auto& step) {
        try {
            step();
        } catch (...) {
        }
    };
    guarded([this] { m_project.setOptionTabIndex(activePageIndex()); });
    guarded([this] { m_generalPage->harvestDataFromControls(m_project); });
    guarded([this] { m_includePage->harvestDataFromControls(m_project); });
    guarded([this] { m_compilerPage->harvestDataFromControls(m_project); });
    guarded([this] { m_targetPage->harvestDataFromControls(m_project); });
    QDialog::accept();
}

void CProjectPropertiesSheet::onHelp() {
    try {
        const std::string topic = helpTopic(activePageIndex());
        IGuiWorks* host = PlugInUtility::instance().host();
        if (host != nullptr && !topic.empty()) {
            host->ShowHelp(toWide(helpRequest(topic)));
        }
    } catch (...) {
        // A help request that fails changes nothing in the sheet.
    }
}

} // namespace avrtazu
