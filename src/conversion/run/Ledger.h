#pragma once

#include "conversion/rules/LedgerRecord.h"

#include <QMutex>
#include <QString>
#include <QThread>

#include <future>
#include <optional>
#include <vector>

class LedgerWriter;

// The record of finished conversions that Skip Up-to-Date Images decides
// from: a SQLite file in the user's data location, kept through Qt SQL.
// Records are written in batches by a thread of the ledger's own, never one
// per row on the caller's thread; WAL mode and a busy timeout let every
// window of the program share the file. One record per target: a newer one
// replaces the older.
//
// The file is opened and checked on that thread too (a check reads all of
// it: a tenth of a second for 100,000 records), so making a ledger never
// holds up the first conversion of a run. What needs the file's answer
// (status, lookup) waits for the check; record never waits.
class Ledger final {
public:
    enum class State {
        Ready,
        RenamedAside, // the file was not a database: moved aside, a new one started
        Unusable,     // nothing can be written there: nothing is recorded or found
    };
    struct Status {
        State state = State::Unusable;
        QString path;
        QString asidePath; // where an unreadable file went
        QString error;
    };

    // The ledger in the user's data location: "ledger.sqlite".
    static QString defaultPath();

    explicit Ledger(const QString& path = defaultPath());
    ~Ledger(); // writes what is still pending
    Ledger(const Ledger&) = delete;
    Ledger& operator=(const Ledger&) = delete;

    // Waits until the file has been opened and checked.
    const Status& status() const;
    // Whether that is done, without waiting.
    bool isOpen() const;
    bool usable() const { return status().state != State::Unusable; }

    // Hands a record over to the writing thread; safe from any thread. A
    // ledger that turns out unusable forgets it.
    void record(LedgerRecord record);
    // Waits until every record handed over so far is written.
    void flush();
    // The records of these targets (absolute, as recorded), in the same order;
    // nothing for a target without one. Call from the thread that made the ledger.
    std::vector<std::optional<LedgerRecord>> lookup(const std::vector<QString>& targets) const;

    // How long records wait to be written together.
    static constexpr int BatchMs = 250;

private:
    Status m_status; // written by the ledger's thread before m_opened is set
    std::shared_future<void> m_opened;
    QString m_path;
    mutable QString m_readConnection; // opened on the first look-up
    QMutex m_mutex;                   // guards m_pending
    std::vector<LedgerRecord> m_pending;
    QThread m_thread;
    LedgerWriter* m_writer = nullptr; // lives on m_thread
};
