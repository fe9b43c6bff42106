#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// The folders rows were added from, shared by the rows: each row keeps a
// small index instead of a copy of the path (a library holds a hundred
// thousand images from a handful of folders). Index 0 stands for the image's
// own folder, the root of every image added one by one; it mirrors nothing.
// Copies share the same memory until one of them changes.
class ImageRoots {
public:
    static constexpr quint32 OwnFolder = 0;

    ImageRoots();

    // The index of `folder`, added at the end the first time it is seen; an
    // empty folder is the image's own.
    quint32 add(const QString& folder);

    // The folder of an index; empty for OwnFolder and for an index never given out.
    const QString& at(quint32 index) const;

    qsizetype size() const { return m_folders.size(); }

    // Back to OwnFolder alone.
    void clear();

private:
    QStringList m_folders;
    QHash<QString, quint32> m_indices;
};
