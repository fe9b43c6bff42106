#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

// The files of folders, each folder listed at most once however many
// textures are looked for in it: a set of a thousand UDIM tiles costs one
// listing, not a thousand look-ups. Counts what it asked of the file system.
class FolderNames {
public:
    enum class State { Found, Absent, Unreadable };

    // Letter case counts in file names here (not on Windows, nor on a Mac's usual disks).
    static Qt::CaseSensitivity caseSensitivity();

    // The names of the regular files in a folder (links to files among them),
    // sorted for tilesIn(); nothing when the folder is absent or cannot be listed.
    const QStringList* files(const QString& folder, State* state = nullptr);

    // Whether a path is a file that can be read, looked up on its own.
    State file(const QString& path);

    int listings() const { return m_listings; }
    int lookups() const { return m_lookups; }

private:
    struct Listing {
        State state;
        QStringList names;
    };
    QHash<QString, Listing> m_folders;
    int m_listings = 0;
    int m_lookups = 0;
};
