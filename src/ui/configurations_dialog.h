#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace avrtazu {

class Project;

// "Edit Project Configurations": lists the project's configurations, collects new names and
// creates them on OK, and deletes configurations from the project at once.
//
// Controls by objectName: "configurationList", "rename", "delete", "newName",
// "addConfiguration", "ok", "cancel".
class CConfigurationsDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* kTitle = "Edit Project Configurations";

    explicit CConfigurationsDialog(Project& project, QWidget* parent = nullptr);

    // Runs the dialog through the ModalRunner; QDialog::Accepted after OK.
    int doModal();

    // The names in the list, in list order.
    std::vector<std::string> listedNames() const;

private:
    void onAddConfiguration();
    void onDelete();
    void onOk();

    Project& m_project;
    QListWidget* m_list = nullptr;
    QLineEdit* m_newName = nullptr;
};

} // namespace avrtazu
