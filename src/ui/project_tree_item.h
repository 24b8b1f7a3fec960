#pragma once

#include "model/source_file.h"

#include <QTreeWidgetItem>

#include <memory>

namespace avrtazu {

// A file item of the project tree. Items of the project's groups point at the project's own
// record; items under "External dependencies" own a copy, freed with the item.
//
// The item's text, picture and tip are made from its record when someone asks for them, so a
// tree of thousands of files that nobody looks at costs no text: a value set on the item
// stands instead.
class ProjectTreeItem : public QTreeWidgetItem {
public:
    static constexpr int kType = QTreeWidgetItem::UserType + 1;

    // What the tree shows of a record in the first column, by role.
    class Look {
    public:
        virtual QVariant shown(const SourceFile& file, int picture, int role) const = 0;

    protected:
        ~Look() = default;
    };

    // A record of the project, not owned.
    ProjectTreeItem(SourceFile* projectRecord, const Look& look, int picture);
    // A record of the tree's own.
    ProjectTreeItem(std::unique_ptr<SourceFile> ownRecord, const Look& look, int picture);

    SourceFile* file() const { return m_file; }
    bool ownsFile() const { return m_owned != nullptr; }

    QVariant data(int column, int role) const override;
    // The tree goes before its items: from now on they show only what was set on them.
    void forgetLook() { m_look = nullptr; }

    // The record of any tree item: null for the root, the groups and a null item.
    static SourceFile* fileOf(const QTreeWidgetItem* item);

private:
    std::unique_ptr<SourceFile> m_owned;
    SourceFile* m_file;
    const Look* m_look;
    int m_picture;
};

} // namespace avrtazu
