#pragma once

#include "build/build_tree_view.h"
#include "ui/project_tree_item.h"

#include <QIcon>
#include <QMenu>
#include <QPointer>
#include <QTreeWidget>

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace avrtazu {

class IGuiWorks;
class PlugInUtility;
class Project;
class ProjectTreeFlows;
class SourceFile;
class TreeCommands;

// The project inside the host's docked window: one root item named after the project, the
// groups "Header files", "Source files", "External dependencies" and "Other files", and the
// files under them. It is where the user adds, creates, removes, renames, deletes, opens and
// compiles files, and reaches the builds, the options sheet and the property dialogs.
//
// File items point at the project's records, so every change of the project's file lists made
// elsewhere must be followed by updateControlDataFromProject before the tree is used again.
class CProjectTree : public QTreeWidget, public BuildTreeView, private ProjectTreeItem::Look {
    Q_OBJECT

public:
    // Kinds of files by extension, with the numbers the system uses.
    enum FileKind { kNoFile = 0, kSourceFile = 1, kHeaderFile = 2, kOtherFile = 4 };
    // Where an item stands in the tree.
    enum class Place {
        None,
        Root,
        HeaderGroup,
        SourceGroup,
        ExternalGroup,
        OtherGroup,
        HeaderItem,
        SourceItem,
        ExternalItem,
        OtherItem
    };
    // Pictures of the strip that the tree uses.
    enum Picture {
        kProjectPicture = 0,
        kGroupPicture,
        kSourcePicture,
        kHeaderPicture,
        kFilePicture
    };
    // The control id of the tree inside the docked window.
    static constexpr int kControlId = 2001;
    // At most this many files are taken from one drop.
    static constexpr int kMaxDroppedFiles = 256;
    // A dropped path passes through a buffer of this many characters, terminator included.
    static constexpr std::size_t kDropPathBuffer = 512;

    // Takes the PlugInUtility singleton. The project and the plug-in object outlive the tree.
    CProjectTree(Project& project, TreeCommands& plugin, QWidget* parent = nullptr);
    ~CProjectTree() override;

    // Makes the tree a child of the docked window's client area, covering it and following its
    // size, and shows it.
    void createWindow(QWidget* dockClient, int controlId = kControlId);
    int controlId() const { return m_controlId; }

    // Builds the pictures and the fixed items, fills the tree and expands the root.
    void initialize();
    // Rebuilds the four groups from the project and refreshes the root text.
    void updateControlDataFromProject();

    // BuildTreeView.
    bool containsFile(const std::string& name) override;
    void removeFile(const std::string& name) override;
    void addFileToProject(const std::string& name) override;

    static int fileKind(const std::string& name);
    // The first item of the group whose file is the named one, relative or absolute.
    QTreeWidgetItem* findFileItem(QTreeWidgetItem* group, const std::string& name) const;
    // Creates the item of a file under a group, adding the file to the project's list of that
    // group first when addToProject is set. Throws std::runtime_error with the system's text.
    QTreeWidgetItem* insertFileItem(const std::string& name, QTreeWidgetItem* group,
                                    bool addToProject);

    // The item's file as a path that does not depend on the current folder.
    std::string absolutePath(const SourceFile& file) const;
    Place placeOf(const QTreeWidgetItem* item) const;
    // The group of a file kind; null for kNoFile.
    QTreeWidgetItem* groupOfKind(int kind) const;

    QTreeWidgetItem* rootItem() const { return m_root; }
    QTreeWidgetItem* headerGroup() const { return m_headerGroup; }
    QTreeWidgetItem* sourceGroup() const { return m_sourceGroup; }
    QTreeWidgetItem* externalGroup() const { return m_externalGroup; }
    QTreeWidgetItem* otherGroup() const { return m_otherGroup; }

    bool showPaths() const { return m_showPaths; }
    // "Show file paths": toggles between names and stored full names on every file item.
    void toggleShowPaths();

    // The item menu for an item (null: no item); its entries run in the tree.
    std::unique_ptr<QMenu> createContextMenu(QTreeWidgetItem* item);
    // Opens the file of a file item in the host's editor.
    void openItemFile(const QTreeWidgetItem* item);
    // Follows a size notification; type 9 makes the tree cover the new size.
    void onSize(int type, int cx, int cy);

    ProjectTreeFlows& flows() { return *m_flows; }
    Project& project() { return m_project; }
    TreeCommands& plugin() { return m_plugin; }
    PlugInUtility& utility() { return *m_utility; }
    // Null before initialize.
    IGuiWorks* host() const { return m_host; }

protected:
    void showEvent(QShowEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createPictures();
    void createFixedItems();
    std::string rootText() const;
    std::string itemText(const SourceFile& file) const;
    // ProjectTreeItem::Look: the text, picture and tip of a file item.
    QVariant shown(const SourceFile& file, int picture, int role) const override;
    void clearGroup(QTreeWidgetItem* group);
    void insertExistingFiles(const std::vector<const SourceFile*>& files, QTreeWidgetItem* group);
    // insertFileItem without putting the item under the group. listed, when given, is the
    // project's record the name was taken from.
    ProjectTreeItem* createFileItem(const std::string& name, QTreeWidgetItem* group,
                                    bool addToProject, const SourceFile* listed);
    void insertExternalDependencies();
    void insertOtherFiles();
    std::vector<std::string> droppedPaths(const QDropEvent& event) const;
    bool isGroup(const QTreeWidgetItem* item) const;
    // The text findFileItem compares: a relative name joined to the project directory.
    std::string matchKey(const std::string& name) const;
    // The hash of matchKey(name).
    std::uint64_t matchHash(const std::string& name) const;
    // findFileItem while the groups are refilled, by the hash of the name's match key.
    QTreeWidgetItem* findFilled(QTreeWidgetItem* group, const std::string& name,
                                std::uint64_t hash) const;
    // The record of the list equal to record, or null.
    const SourceFile* findRecord(const std::list<SourceFile>& list, const SourceFile& record) const;

    // While the groups are refilled: each group's items by match key and each project list's
    // records by name, so that a refill takes time in proportion to the files.
    // Items are kept by a hash of their match key, made without building the key; the keys
    // themselves are compared only where two hashes meet.
    struct FillIndex {
        std::unordered_map<const QTreeWidgetItem*,
                           std::unordered_multimap<std::uint64_t, QTreeWidgetItem*>>
            items;
        std::unordered_map<const std::list<SourceFile>*,
                           std::unordered_map<std::string, const SourceFile*>>
            records;
    };
    std::unique_ptr<FillIndex> m_fill;

    QTreeWidgetItem* m_root = nullptr;
    QTreeWidgetItem* m_headerGroup = nullptr;
    QTreeWidgetItem* m_sourceGroup = nullptr;
    QTreeWidgetItem* m_externalGroup = nullptr;
    QTreeWidgetItem* m_otherGroup = nullptr;
    std::vector<QIcon> m_pictures;
    IGuiWorks* m_host = nullptr;
    PlugInUtility* m_utility;
    Project& m_project;
    TreeCommands& m_plugin;
    bool m_showPaths = false;
    int m_controlId = 0;
    QPointer<QWidget> m_dockClient;
    std::unique_ptr<ProjectTreeFlows> m_flows;
};

} // namespace avrtazu
