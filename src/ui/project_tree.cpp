#include "services/plug_in_utility.h"

#include "ui/project_tree.h"

#include "model/project.h"
#include "platform/drive_map.h"
#include "platform/joined_text.h"
#include "platform/win_path.h"
#include "services/bstr.h"
#include "services/dependency_scan.h"
#include "services/gui_works.h"
#include "ui/project_tree_flows.h"
#include "ui/project_tree_item.h"
#include "ui/text_conversion.h"
#include "ui/tree_commands.h"

#include <QAction>
#include <QBitmap>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPixmap>
#include <QShowEvent>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string_view>

// Resources of a static library are registered by name, outside any namespace.
static void initTreeResources() {
    Q_INIT_RESOURCE(project_tree);
}

namespace avrtazu {

namespace {

constexpr const char* kPicturesResource = ":/avrtazu/tree_pictures.png";
constexpr int kPictureSize = 16;
constexpr int kPictureCount = 10;
// The size notification that makes the tree cover its new size.
constexpr int kFollowSizeType = 9;

// Keeps the tree from repainting while it is refilled, and lets it repaint whatever happens.
class RedrawPause {
public:
    explicit RedrawPause(QWidget& widget) : m_widget(widget) { m_widget.setUpdatesEnabled(false); }
    ~RedrawPause() { m_widget.setUpdatesEnabled(true); }
    RedrawPause(const RedrawPause&) = delete;
    RedrawPause& operator=(const RedrawPause&) = delete;

private:
    QWidget& m_widget;
};

bool isFileItemPlace(CProjectTree::Place place) {
    using P = CProjectTree::Place;
    return place == P::HeaderItem || place == P::SourceItem || place == P::ExternalItem ||
           place == P::OtherItem;
}

} // namespace

CProjectTree::CProjectTree(Project& project, TreeCommands& plugin, QWidget* parent)
    : QTreeWidget(parent), m_utility(&PlugInUtility::instance()), m_project(project),
      m_plugin(plugin), m_flows(std::make_unique<ProjectTreeFlows>(*this)) {
    setObjectName(QStringLiteral("projectTree"));
    setColumnCount(1);
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(kPictureSize, kPictureSize));
    setFocusPolicy(Qt::StrongFocus);
    setRootIsDecorated(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Long paths scroll sideways instead of being cut (the column fits its names once shown).
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    header()->setStretchLastSection(false);
    // Every row is one picture and one line: the view need not measure each of thousands.
    setUniformRowHeights(true);
}

// Measuring every name for the column's width is work only a tree someone sees needs: a host
// that never shows it (the command line) is spared it.
void CProjectTree::showEvent(QShowEvent* event) {
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    QTreeWidget::showEvent(event);
}

// The items free the records they own; the project keeps its own. Whatever asks them for
// their text while the widget goes gets only what was set on them.
CProjectTree::~CProjectTree() {
    for (QTreeWidgetItem* group : {m_headerGroup, m_sourceGroup, m_externalGroup, m_otherGroup}) {
        for (int index = 0; group != nullptr && index < group->childCount(); ++index) {
            if (group->child(index)->type() == ProjectTreeItem::kType) {
                static_cast<ProjectTreeItem*>(group->child(index))->forgetLook();
            }
        }
    }
}

void CProjectTree::createWindow(QWidget* dockClient, int controlId) {
    m_controlId = controlId;
    if (m_dockClient) {
        m_dockClient->removeEventFilter(this);
    }
    m_dockClient = dockClient;
    setParent(dockClient);
    if (dockClient != nullptr) {
        setGeometry(dockClient->rect());
        dockClient->installEventFilter(this);
    }
    show();
}

void CProjectTree::initialize() {
    try {
        m_host = m_utility->host();
        setAcceptDrops(true);
        viewport()->setAcceptDrops(true);
        setDragDropMode(QAbstractItemView::DropOnly);
        setDropIndicatorShown(false);
        createPictures();
        createFixedItems();
        updateControlDataFromProject();
        m_root->setExpanded(true);
        if (!m_root->isExpanded()) {
            m_utility->logDebug("CProjectTree::initialize()", "Could not expand project item");
        }
    } catch (const std::exception& error) {
        m_utility->logDebug("CProjectTree::initialize()", error.what());
        m_utility->logError("Could not initialize Tree control.");
    }
}

void CProjectTree::createPictures() {
    initTreeResources();
    QPixmap strip(QString::fromLatin1(kPicturesResource));
    if (strip.isNull() || strip.width() < kPictureSize * kPictureCount) {
        throw std::runtime_error("Failed to create image list");
    }
    // White is the strip's transparent colour.
    strip.setMask(strip.createMaskFromColor(Qt::white));
    m_pictures.clear();
    for (int index = 0; index < kPictureCount; ++index) {
        m_pictures.emplace_back(strip.copy(index * kPictureSize, 0, kPictureSize, kPictureSize));
    }
}

void CProjectTree::createFixedItems() {
    clear();
    m_root = m_headerGroup = m_sourceGroup = m_externalGroup = m_otherGroup = nullptr;
    auto* root = new QTreeWidgetItem(this);
    root->setIcon(0, m_pictures.at(kProjectPicture));
    const auto group = [&](const char* text) {
        auto* item = new QTreeWidgetItem(root);
        item->setText(0, QString::fromLatin1(text));
        item->setIcon(0, m_pictures.at(kGroupPicture));
        return item;
    };
    m_headerGroup = group("Header files");
    m_sourceGroup = group("Source files");
    m_externalGroup = group("External dependencies");
    m_otherGroup = group("Other files");
    m_root = root;
    m_root->setText(0, qtText(rootText()));
}

std::string CProjectTree::rootText() const {
    return m_project.name() + " (" + m_project.currentConfigName() + ")";
}

void CProjectTree::updateControlDataFromProject() {
    if (m_root == nullptr) {
        // Nothing to fill before initialize has made the fixed items.
        return;
    }
    RedrawPause pause(*this);
    try {
        std::string text = rootText();
        if (m_project.isDirty()) {
            text += '*';
        } else {
            text.erase(std::remove(text.begin(), text.end(), '*'), text.end());
        }
        m_root->setText(0, qtText(text));

        for (QTreeWidgetItem* group :
             {m_headerGroup, m_sourceGroup, m_otherGroup, m_externalGroup}) {
            clearGroup(group);
        }
        m_fill = std::make_unique<FillIndex>();

        std::vector<const SourceFile*> files;
        for (const SourceFile& file : m_project.srcFiles()) {
            files.push_back(&file);
        }
        insertExistingFiles(files, m_sourceGroup);
        files.clear();
        for (const SourceFile& file : m_project.hdrFiles()) {
            files.push_back(&file);
        }
        insertExistingFiles(files, m_headerGroup);

        if (!m_project.usesExtMakefile()) {
            insertExternalDependencies();
        }
        insertOtherFiles();
    } catch (const std::exception& error) {
        m_utility->logDebug("CProjectTree::updateControlDataFromProject()", error.what());
        m_utility->logError("Could not insert Project data into Project tree");
    }
    m_fill.reset();
}

void CProjectTree::clearGroup(QTreeWidgetItem* group) {
    const QList<QTreeWidgetItem*> children = group->takeChildren();
    qDeleteAll(children);
}

// A relative name is looked for in the current folder, as the host keeps it at the project.
// The group takes its items at once: one change of the view's model instead of one per file.
void CProjectTree::insertExistingFiles(const std::vector<const SourceFile*>& files,
                                       QTreeWidgetItem* group) {
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(files.size()));
    if (m_fill) {
        m_fill->items[group].reserve(files.size());
    }
    const auto addItems = [&] {
        if (!items.isEmpty()) {
            group->addChildren(items);
            group->setExpanded(true);
        }
    };
    try {
        for (const SourceFile* file : files) {
            if (file->exists()) {
                items.append(createFileItem(file->fullName(), group, false, file));
            }
        }
    } catch (...) {
        addItems();
        throw;
    }
    addItems();
    group->setExpanded(true);
}

void CProjectTree::insertExternalDependencies() {
    std::vector<std::string> candidates;
    for (const std::string& directory : m_project.libdirs()) {
        for (const std::string& library : m_project.libs()) {
            candidates.push_back(directory + "\\" + library);
        }
    }
    if (const std::string& toolchainLibraries = m_utility->libraryDirectory();
        !toolchainLibraries.empty()) {
        for (const std::string& library : m_project.libs()) {
            candidates.push_back(toolchainLibraries + "\\" + library);
        }
    }
    for (const SourceFile& header : DependencyScan::externalHeaderFiles(m_project)) {
        candidates.push_back(header.fullName());
    }
    for (const std::string& candidate : candidates) {
        // A library found in two of the folders is shown once; the refresh goes on.
        if (WinPath::fileExists(candidate) && findFileItem(m_externalGroup, candidate) == nullptr) {
            insertFileItem(candidate, m_externalGroup, false);
        }
    }
}

void CProjectTree::insertOtherFiles() {
    const std::string outputDir = m_project.outputDir();
    for (const SourceFile& file : m_project.otherFiles()) {
        const std::string fullName = file.fullName();
        const bool inOutput = outputDir.empty() ? fullName.find('\\') == std::string::npos
                                                : fullName.find(outputDir) != std::string::npos;
        if (file.exists() && inOutput) {
            insertFileItem(fullName, m_otherGroup, false);
        }
    }
    m_otherGroup->setExpanded(true);
}

bool CProjectTree::containsFile(const std::string& name) {
    QTreeWidgetItem* group = groupOfKind(fileKind(name));
    return group != nullptr && findFileItem(group, name) != nullptr;
}

void CProjectTree::removeFile(const std::string& name) {
    QTreeWidgetItem* group = groupOfKind(fileKind(name));
    if (group == nullptr) {
        return;
    }
    QTreeWidgetItem* item = findFileItem(group, name);
    if (item == nullptr) {
        return;
    }
    setCurrentItem(item);
    m_flows->removeSelectedFile();
}

void CProjectTree::addFileToProject(const std::string& name) {
    try {
        insertFileItem(name, groupOfKind(fileKind(name)), true);
    } catch (const std::exception& error) {
        m_utility->logDebug("CProjectTree::addFileToProject()", error.what());
        m_utility->logError("Error adding source file");
    }
}

int CProjectTree::fileKind(const std::string& name) {
    if (name.empty()) {
        return kNoFile;
    }
    const std::size_t dot = name.rfind('.');
    const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    if (extension == ".c" || extension == ".C" || extension == ".s" || extension == ".S") {
        return kSourceFile;
    }
    if (extension == ".h" || extension == ".H") {
        return kHeaderFile;
    }
    return kOtherFile;
}

QTreeWidgetItem* CProjectTree::groupOfKind(int kind) const {
    switch (kind) {
    case kSourceFile:
        return m_sourceGroup;
    case kHeaderFile:
        return m_headerGroup;
    case kOtherFile:
        return m_otherGroup;
    default:
        return nullptr;
    }
}

std::string CProjectTree::matchKey(const std::string& name) const {
    return WinPath::isRelative(name) ? m_project.homePath() + name : name;
}

QTreeWidgetItem* CProjectTree::findFileItem(QTreeWidgetItem* group, const std::string& name) const {
    if (group == nullptr) {
        return nullptr;
    }
    if (m_fill) {
        return findFilled(group, name, matchHash(name));
    }
    // The texts are compared in their parts: a search of a big project builds no strings.
    const std::string_view home = m_project.homePath();
    const bool nameRelative = WinPath::isRelative(name);
    for (int index = 0; index < group->childCount(); ++index) {
        QTreeWidgetItem* item = group->child(index);
        const SourceFile* file = ProjectTreeItem::fileOf(item);
        if (file == nullptr) {
            continue;
        }
        const std::string_view path = file->path();
        const std::string_view fileName = file->name();
        const bool storedRelative = file->isRelative();
        bool same = false;
        if (storedRelative == nameRelative) {
            same = JoinedText::equal({path, fileName}, {name});
        } else if (storedRelative) {
            same = JoinedText::equal({home, path, fileName}, {name});
        } else {
            same = JoinedText::equal({path, fileName}, {home, name});
        }
        if (same) {
            return item;
        }
    }
    return nullptr;
}

std::uint64_t CProjectTree::matchHash(const std::string& name) const {
    return WinPath::isRelative(name) ? JoinedText::hash({m_project.homePath(), name})
                                     : JoinedText::hash({name});
}

QTreeWidgetItem* CProjectTree::findFilled(QTreeWidgetItem* group, const std::string& name,
                                          std::uint64_t hash) const {
    const auto [first, last] = m_fill->items[group].equal_range(hash);
    for (auto at = first; at != last; ++at) {
        if (matchKey(ProjectTreeItem::fileOf(at->second)->fullName()) == matchKey(name)) {
            return at->second;
        }
    }
    return nullptr;
}

QTreeWidgetItem* CProjectTree::insertFileItem(const std::string& name, QTreeWidgetItem* group,
                                              bool addToProject) {
    ProjectTreeItem* item = createFileItem(name, group, addToProject, nullptr);
    group->addChild(item);
    group->setExpanded(true);
    return item;
}

ProjectTreeItem* CProjectTree::createFileItem(const std::string& name, QTreeWidgetItem* group,
                                              bool addToProject, const SourceFile* listed) {
    if (name.empty()) {
        throw std::runtime_error("File name is empty");
    }
    SourceFile record(name);
    // A refill keeps the hash it looked for as the new item's.
    const bool filling = m_fill && group != nullptr;
    const std::uint64_t hash = filling ? matchHash(name) : 0;
    if ((filling ? findFilled(group, name, hash) : findFileItem(group, name)) != nullptr) {
        throw std::runtime_error(name + " is already a part of this project.");
    }
    const std::string& home = m_project.homePath();
    if (name.find(home) != std::string::npos) {
        record.subtractPath(home);
    }
    // Before initialize every group is null, and so is an unknown one.
    const bool isHeaders = group != nullptr && group == m_headerGroup;
    const bool isSources = group != nullptr && group == m_sourceGroup;
    const bool isOthers = group != nullptr && group == m_otherGroup;
    const bool projectGroup = isHeaders || isSources || isOthers;
    if (addToProject) {
        if (isHeaders) {
            m_project.addHdrFile(record);
        } else if (isSources) {
            m_project.addSrcFile(record);
        } else if (isOthers) {
            m_project.addOtherFile(record);
        } else {
            throw std::runtime_error("Invalid parent item");
        }
        m_plugin.saveProject();
        m_project.setDirty(true);
    }
    if (!projectGroup && (group == nullptr || group != m_externalGroup)) {
        throw std::runtime_error("Invalid parent item");
    }
    const int picture = isHeaders ? kHeaderPicture : isSources ? kSourcePicture : kFilePicture;

    ProjectTreeItem* item = nullptr;
    if (projectGroup) {
        const std::list<SourceFile>& list = isHeaders   ? m_project.hdrFiles()
                                            : isSources ? m_project.srcFiles()
                                                        : m_project.otherFiles();
        // The list holds no two equal records, so the one the name came from is the one.
        const SourceFile* found =
            listed != nullptr && *listed == record ? listed : findRecord(list, record);
        if (found == nullptr) {
            throw std::runtime_error("Could not find project file in Project datastructure");
        }
        // The project keeps the record; the item only points at it.
        item = new ProjectTreeItem(const_cast<SourceFile*>(found), *this, picture);
    } else {
        item = new ProjectTreeItem(std::make_unique<SourceFile>(record), *this, picture);
    }
    if (m_fill) {
        const std::string stored = item->file()->fullName();
        m_fill->items[group].emplace(filling && stored == name ? hash : matchHash(stored), item);
    }
    return item;
}

const SourceFile* CProjectTree::findRecord(const std::list<SourceFile>& list,
                                           const SourceFile& record) const {
    const auto key = [](const SourceFile& file) { return file.path() + '\n' + file.name(); };
    if (!m_fill) {
        const auto found = std::find(list.begin(), list.end(), record);
        return found == list.end() ? nullptr : &*found;
    }
    auto [records, made] = m_fill->records.try_emplace(&list);
    if (made) {
        for (const SourceFile& file : list) {
            records->second.emplace(key(file), &file);
        }
    }
    const auto found = records->second.find(key(record));
    return found == records->second.end() ? nullptr : found->second;
}

QVariant CProjectTree::shown(const SourceFile& file, int picture, int role) const {
    switch (role) {
    case Qt::DisplayRole:
        return qtText(itemText(file));
    case Qt::DecorationRole:
        if (static_cast<std::size_t>(picture) < m_pictures.size()) {
            return m_pictures[static_cast<std::size_t>(picture)];
        }
        return {};
    case Qt::ToolTipRole:
        return qtText(absolutePath(file));
    default:
        return {};
    }
}

std::string CProjectTree::itemText(const SourceFile& file) const {
    return m_showPaths ? file.fullName() : file.name();
}

std::string CProjectTree::absolutePath(const SourceFile& file) const {
    return file.absoluteName(m_project.homePath());
}

bool CProjectTree::isGroup(const QTreeWidgetItem* item) const {
    return item != nullptr && (item == m_headerGroup || item == m_sourceGroup ||
                               item == m_externalGroup || item == m_otherGroup);
}

CProjectTree::Place CProjectTree::placeOf(const QTreeWidgetItem* item) const {
    if (item == nullptr) {
        return Place::None;
    }
    if (item == m_root) {
        return Place::Root;
    }
    if (item == m_headerGroup) {
        return Place::HeaderGroup;
    }
    if (item == m_sourceGroup) {
        return Place::SourceGroup;
    }
    if (item == m_externalGroup) {
        return Place::ExternalGroup;
    }
    if (item == m_otherGroup) {
        return Place::OtherGroup;
    }
    if (ProjectTreeItem::fileOf(item) == nullptr) {
        return Place::None;
    }
    const QTreeWidgetItem* parent = item->parent();
    if (parent == m_headerGroup) {
        return Place::HeaderItem;
    }
    if (parent == m_sourceGroup) {
        return Place::SourceItem;
    }
    if (parent == m_externalGroup) {
        return Place::ExternalItem;
    }
    if (parent == m_otherGroup) {
        return Place::OtherItem;
    }
    return Place::None;
}

void CProjectTree::toggleShowPaths() {
    m_showPaths = !m_showPaths;
    for (QTreeWidgetItem* group : {m_headerGroup, m_sourceGroup, m_externalGroup, m_otherGroup}) {
        if (group == nullptr) {
            continue;
        }
        for (int index = 0; index < group->childCount(); ++index) {
            QTreeWidgetItem* item = group->child(index);
            if (const SourceFile* file = ProjectTreeItem::fileOf(item)) {
                item->setText(0, qtText(itemText(*file)));
            }
        }
    }
}

std::unique_ptr<QMenu> CProjectTree::createContextMenu(QTreeWidgetItem* item) {
    auto menu = std::make_unique<QMenu>(this);
    ProjectTreeFlows& flows = *m_flows;
    const auto entry = [&](const char* text, auto run) {
        QAction* action = menu->addAction(QString::fromLatin1(text));
        connect(action, &QAction::triggered, this, run);
    };
    const auto command = [this](long number) {
        return [this, number] { m_plugin.ExecuteCommand(number); };
    };
    const auto fileEntries = [&] {
        entry("Remove file from project", [&flows] { flows.removeSelectedFile(); });
        entry("Rename file...", [&flows] { flows.renameSelectedFile(); });
        entry("Delete file...", [&flows] { flows.deleteSelectedFile(); });
        entry("File properties...", [&flows] { flows.showFileProperties(); });
        menu->addSeparator();
    };

    switch (placeOf(item)) {
    case Place::Root:
        entry("Build Project", command(TreeCommands::kBuildCommand));
        entry("Rebuild Project", command(TreeCommands::kRebuildCommand));
        entry("Clean project", command(TreeCommands::kCleanCommand));
        entry("Add existing file...", [&flows] { flows.addProjectFiles(); });
        entry("Create new file...", [&flows] { flows.createProjectFile(); });
        entry("Properties...", [&flows] { flows.showProjectProperties(); });
        menu->addSeparator();
        break;
    case Place::HeaderGroup:
        entry("Add existing header file(s)...", [&flows] { flows.addHeaderFiles(); });
        entry("Create new header file...", [&flows] { flows.createHeaderFile(); });
        menu->addSeparator();
        break;
    case Place::SourceGroup:
        entry("Add existing source file(s)...", [&flows] { flows.addSourceFiles(); });
        entry("Create new source file...", [&flows] { flows.createSourceFile(); });
        menu->addSeparator();
        break;
    case Place::SourceItem:
        entry("Compile file", [&flows] { flows.compileSelectedFile(); });
        fileEntries();
        break;
    case Place::HeaderItem:
    case Place::OtherItem:
        fileEntries();
        break;
    case Place::ExternalItem:
        entry("File properties...", [&flows] { flows.showFileProperties(); });
        menu->addSeparator();
        break;
    default:
        break;
    }

    QAction* showPathsAction = menu->addAction(QStringLiteral("Show file paths"));
    showPathsAction->setCheckable(true);
    showPathsAction->setChecked(m_showPaths);
    connect(showPathsAction, &QAction::triggered, this, [this] { toggleShowPaths(); });
    entry("Edit project options...", command(TreeCommands::kOptionsCommand));
    return menu;
}

void CProjectTree::contextMenuEvent(QContextMenuEvent* event) {
    try {
        QTreeWidgetItem* item =
            event->reason() == QContextMenuEvent::Mouse ? itemAt(event->pos()) : currentItem();
        // A click beside every item selects none.
        setCurrentItem(item);
        if (currentItem() != item) {
            throw std::runtime_error("Could not select tree item");
        }
        std::unique_ptr<QMenu> menu = createContextMenu(item);
        menu->exec(event->globalPos());
    } catch (const std::exception& error) {
        m_utility->logDebug("CProjectTree::OnContextMenu()", error.what());
        m_utility->logError("Could not create context menu");
    }
    event->accept();
}

void CProjectTree::openItemFile(const QTreeWidgetItem* item) {
    const SourceFile* file = ProjectTreeItem::fileOf(item);
    if (file != nullptr && m_host != nullptr) {
        m_host->OpenFile(toWide(absolutePath(*file)), 0);
    }
}

void CProjectTree::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        QTreeWidgetItem* item = currentItem();
        if (isFileItemPlace(placeOf(item))) {
            openItemFile(item);
        } else if (item != nullptr && (item == m_root || isGroup(item))) {
            item->setExpanded(!item->isExpanded());
        }
        QTreeWidget::keyPressEvent(event);
        return;
    }
    case Qt::Key_Insert:
        m_flows->addProjectFiles();
        event->accept();
        return;
    case Qt::Key_Delete:
        m_flows->removeSelectedFile();
        event->accept();
        return;
    case Qt::Key_F10:
        // The desktop's other key for the context menu, beside the Menu key.
        if (event->modifiers() == Qt::ShiftModifier) {
            const QPoint place = currentItem() == nullptr
                                     ? QPoint(0, 0)
                                     : visualItemRect(currentItem()).bottomLeft();
            QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, place,
                                        viewport()->mapToGlobal(place));
            contextMenuEvent(&menuEvent);
            event->accept();
            return;
        }
        QTreeWidget::keyPressEvent(event);
        return;
    default:
        QTreeWidget::keyPressEvent(event);
    }
}

void CProjectTree::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeWidgetItem* item = itemAt(event->position().toPoint());
    if (isFileItemPlace(placeOf(item))) {
        openItemFile(item);
    }
    QTreeWidget::mouseDoubleClickEvent(event);
}

void CProjectTree::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
        return;
    }
    QTreeWidget::dragEnterEvent(event);
}

void CProjectTree::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
        return;
    }
    QTreeWidget::dragMoveEvent(event);
}

void CProjectTree::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasUrls()) {
        QTreeWidget::dropEvent(event);
        return;
    }
    event->acceptProposedAction();
    m_flows->dropFiles(droppedPaths(*event));
}

std::vector<std::string> CProjectTree::droppedPaths(const QDropEvent& event) const {
    std::vector<std::string> paths;
    for (const QUrl& url : event.mimeData()->urls()) {
        if (!url.isLocalFile()) {
            continue;
        }
        std::string path = DriveMap::toWindows(QFile::encodeName(url.toLocalFile()).toStdString());
        if (path.size() >= kDropPathBuffer) {
            path.resize(kDropPathBuffer - 1);
        }
        paths.push_back(path);
    }
    return paths;
}

bool CProjectTree::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_dockClient && event->type() == QEvent::Resize) {
        const QSize size = static_cast<QResizeEvent*>(event)->size();
        onSize(kFollowSizeType, size.width(), size.height());
    }
    return QTreeWidget::eventFilter(watched, event);
}

void CProjectTree::onSize(int type, int cx, int cy) {
    std::string text;
    if (type == kFollowSizeType) {
        setGeometry(0, 0, cx, cy);
        update();
        char line[128];
        std::snprintf(line, sizeof line, "CProjectTree::Onsize: , cx=%d, cy = %d, nType = %d", cx,
                      cy, type);
        text = line;
    }
    m_utility->logDebug("CProjectTree::OnSize()", text);
}

} // namespace avrtazu
