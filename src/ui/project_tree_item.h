#pragma once

#include "model/source_file.h"

#include <QTreeWidgetItem>

#include <memory>

namespace avrtazu {

// A file item of the project tree. Items of the project's groups point at the project's own
// record; items under "External dependencies" own a copy, freed with the item.
class ProjectTreeItem : public QTreeWidgetItem {
public:
    static constexpr int kType = QTreeWidgetItem::UserType + 1;

    // A record of the project, not owned.
    explicit ProjectTreeItem(SourceFile* projectRecord);
    // A record of the tree's own.
    explicit ProjectTreeItem(std::unique_ptr<SourceFile> ownRecord);

    SourceFile* file() const { return m_file; }
    bool ownsFile() const { return m_owned != nullptr; }

    // The record of any tree item: null for the root, the groups and a null item.
    static SourceFile* fileOf(const QTreeWidgetItem* item);

private:
    std::unique_ptr<SourceFile> m_owned;
    SourceFile* m_file;
};

} // namespace avrtazu
