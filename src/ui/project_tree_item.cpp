#include "ui/project_tree_item.h"

#include <utility>

namespace avrtazu {

ProjectTreeItem::ProjectTreeItem(SourceFile* projectRecord)
    : QTreeWidgetItem(kType), m_file(projectRecord) {}

ProjectTreeItem::ProjectTreeItem(std::unique_ptr<SourceFile> ownRecord)
    : QTreeWidgetItem(kType), m_owned(std::move(ownRecord)), m_file(m_owned.get()) {}

SourceFile* ProjectTreeItem::fileOf(const QTreeWidgetItem* item) {
    if (item == nullptr || item->type() != kType) {
        return nullptr;
    }
    return static_cast<const ProjectTreeItem*>(item)->file();
}

} // namespace avrtazu
