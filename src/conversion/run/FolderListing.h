#pragma once

#include <QByteArray>

#include <string>
#include <string_view>
#include <unordered_set>

// The names in one folder, read in one pass. Telling which of many files
// exist this way spares the file system a failed lookup for each missing one,
// the slow case when a first run's targets do not exist yet. The names are
// compared as bytes: a name the folder spells otherwise (letter case or
// Unicode form on a Mac) counts as missing, which only means one conversion
// more, never one left out.
class FolderListing {
public:
    explicit FolderListing(const QByteArray& folder);

    bool isValid() const { return m_valid; }
    bool contains(std::string_view name) const { return m_names.count(name) > 0; }

private:
    std::string m_text; // every name, each ended by a NUL; the views point into it
    std::unordered_set<std::string_view> m_names;
    bool m_valid = false;
};
