#include "ui/project_tree_item.h"

#include <utility>

namespace avrtazu {

ProjectTreeItem::ProjectTreeItem(SourceFile* projectRecord, const Look& look, int picture)
    : QTreeWidgetItem(kType), m_file(projectRecord), m_look(&look), m_picture(picture) {}

ProjectTreeItem::ProjectTreeItem(std::unique_ptr<SourceFile> ownRecord, const Look& look,
                                 int picture)
    : QTreeWidgetItem(kType), m_owned(std::move(ownRecord)), m_file(m_owned.get()), m_look(&look),
      m_picture(picture) {}

QVariant ProjectTreeItem::data(int column, int role) const {
    QVariant set = QTreeWidgetItem::data(column, role);
    if (set.isValid() || column != 0 || m_file == nullptr || m_look == nullptr) {
        return set;
    }
    return m_look->shown(*m_file, m_picture, role == Qt::EditRole ? Qt::DisplayRole : role);
}

SourceFile* ProjectTreeItem::fileOf(const QTreeWidgetItem* item) {
    if (item == nullptr || item->type() != kType) {
        return nullptr;
    }
    return static_cast<const ProjectTreeItem*>(item)->file();
}

} // namespace avrtazu
