#include "conversion/run/Ledger.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTimer>
#include <QVariant>

#include <atomic>

namespace {
constexpr char schema[] = "CREATE TABLE IF NOT EXISTS conversions ("
                          " target TEXT PRIMARY KEY NOT NULL,"
                          " source TEXT NOT NULL,"
                          " source_size INTEGER NOT NULL,"
                          " source_ns INTEGER NOT NULL,"
                          " options TEXT NOT NULL,"
                          " converter TEXT NOT NULL,"
                          " converter_size INTEGER,"
                          " converter_ns INTEGER,"
                          " target_size INTEGER NOT NULL,"
                          " target_ns INTEGER NOT NULL,"
                          " recorded_ms INTEGER NOT NULL"
                          ") WITHOUT ROWID";

constexpr char columns[] = "target, source, source_size, source_ns, options, converter, "
                           "converter_size, converter_ns, target_size, target_ns, recorded_ms";

std::atomic<int> s_connections{0};

QString connectionName(const char* role) {
    return QStringLiteral("corvane-ledger-%1-%2").arg(QLatin1String(role)).arg(++s_connections);
}

// Opens a connection and makes sure the file is a ledger: WAL, a busy
// timeout, the table, and a quick check that the file is a sound database.
QString openConnection(const QString& name, const QString& path) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open())
        return db.lastError().text();
    QSqlQuery query(db);
    const auto run = [&](const QString& statement) {
        return query.exec(statement) ? QString() : query.lastError().text();
    };
    for (const char* statement : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=NORMAL", schema}) {
        if (QString error = run(QString::fromLatin1(statement)); !error.isEmpty())
            return error;
    }
    if (!query.exec(QStringLiteral("PRAGMA quick_check(1)")) || !query.next())
        return query.lastError().text();
    const QString verdict = query.value(0).toString();
    return verdict == QLatin1String("ok") ? QString() : verdict;
}

void closeConnection(const QString& name) {
    if (QSqlDatabase::contains(name)) {
        QSqlDatabase::database(name, false).close();
        QSqlDatabase::removeDatabase(name);
    }
}

// A free name beside `path` for a file that is not a ledger.
QString asideName(const QString& path) {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = path + QStringLiteral(".unreadable-") + stamp;
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = path + QStringLiteral(".unreadable-%1-%2").arg(stamp).arg(n);
    return name;
}

// Qt binds a null string as SQL NULL; an empty text is still a text.
QString text(const QString& value) {
    return value.isNull() ? QStringLiteral("") : value;
}

std::optional<FileStamp> stampFrom(const QVariant& size, const QVariant& ns) {
    if (size.isNull() || ns.isNull())
        return std::nullopt;
    return FileStamp{size.toLongLong(), ns.toLongLong()};
}

// Opens the ledger at `path` on `connection`; a file that is not a ledger
// (garbage, cut short, a folder in its place) is kept aside for whoever wants
// to look, and a fresh one started.
Ledger::Status openLedger(const QString& connection, const QString& path) {
    Ledger::Status status;
    status.path = QDir::toNativeSeparators(path);
    const QFileInfo file(path);
    if (!QDir().mkpath(file.absolutePath())) {
        status.error = QStringLiteral("its folder cannot be made");
        return status;
    }
    status.error = openConnection(connection, path);
    if (!status.error.isEmpty() && (file.exists() || file.isSymLink())) {
        closeConnection(connection);
        const QString aside = asideName(path);
        if (QDir().rename(path, aside)) {
            for (const char* sidecar : {"-wal", "-shm"})
                QFile::remove(path + QLatin1String(sidecar));
            status.asidePath = QDir::toNativeSeparators(aside);
            status.error = openConnection(connection, path);
            if (status.error.isEmpty())
                status.state = Ledger::State::RenamedAside;
        }
    } else if (status.error.isEmpty()) {
        status.state = Ledger::State::Ready;
    }
    if (status.state == Ledger::State::Unusable)
        closeConnection(connection);
    return status;
}
} // namespace

// Lives on the ledger's thread, with a connection of its own.
class LedgerWriter final : public QObject {
public:
    LedgerWriter(QString path, QMutex& mutex, std::vector<LedgerRecord>& pending,
                 Ledger::Status& status, std::promise<void> opened)
        : m_path(std::move(path))
        , m_mutex(mutex)
        , m_pending(pending)
        , m_status(status)
        , m_opened(std::move(opened)) {}

    // On the ledger's thread, where the connection and the timer must live.
    void open() {
        m_timer = new QTimer(this);
        m_timer->setSingleShot(true);
        m_timer->setInterval(Ledger::BatchMs);
        connect(m_timer, &QTimer::timeout, this, &LedgerWriter::commit);
        m_connection = connectionName("write");
        m_status = openLedger(m_connection, m_path);
        m_open = m_status.state != Ledger::State::Unusable;
        m_opened.set_value();
    }

    void close() {
        commit();
        if (m_open)
            closeConnection(m_connection);
    }

    void schedule() {
        if (!m_timer->isActive())
            m_timer->start();
    }

    // Everything pending, in one transaction.
    void commit() {
        m_timer->stop();
        std::vector<LedgerRecord> batch;
        {
            QMutexLocker lock(&m_mutex);
            batch.swap(m_pending);
        }
        if (batch.empty() || !m_open)
            return;
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.transaction();
        QSqlQuery insert(db);
        insert.prepare(QStringLiteral("INSERT OR REPLACE INTO conversions (%1) "
                                      "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                           .arg(QLatin1String(columns)));
        for (const LedgerRecord& r : batch) {
            const QVariant none(QMetaType::fromType<qlonglong>());
            insert.addBindValue(text(r.target));
            insert.addBindValue(text(r.source));
            insert.addBindValue(r.sourceStamp.size);
            insert.addBindValue(r.sourceStamp.modifiedNs);
            insert.addBindValue(text(r.options));
            insert.addBindValue(text(r.converter.path));
            insert.addBindValue(r.converter.stamp ? QVariant(r.converter.stamp->size) : none);
            insert.addBindValue(r.converter.stamp ? QVariant(r.converter.stamp->modifiedNs) : none);
            insert.addBindValue(r.targetStamp.size);
            insert.addBindValue(r.targetStamp.modifiedNs);
            insert.addBindValue(r.recordedAtMs);
            // A record that cannot be written only means one conversion more
            // next time: never an image left out wrongly.
            insert.exec();
        }
        db.commit();
    }

private:
    QString m_path;
    QMutex& m_mutex;
    std::vector<LedgerRecord>& m_pending;
    Ledger::Status& m_status;
    std::promise<void> m_opened;
    QString m_connection;
    QTimer* m_timer = nullptr;
    bool m_open = false;
};

QString Ledger::defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/ledger.sqlite");
}

Ledger::Ledger(const QString& path)
    : m_path(path) {
    m_status.path = QDir::toNativeSeparators(path);
    // The driver is loaded here, on the thread that makes the ledger, not by the ledger's own
    // thread: on Windows (under Wine at least) a driver first loaded by that thread, which
    // has ended by then, hangs the exit of the process.
    const QString loading = connectionName("load");
    QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), loading);
    QSqlDatabase::removeDatabase(loading);
    std::promise<void> opened;
    m_opened = opened.get_future().share();
    m_writer = new LedgerWriter(path, m_mutex, m_pending, m_status, std::move(opened));
    m_writer->moveToThread(&m_thread);
    m_thread.setObjectName(QStringLiteral("corvane-ledger"));
    m_thread.start();
    // Records handed over before the file is open wait for it.
    QMetaObject::invokeMethod(m_writer, &LedgerWriter::open, Qt::QueuedConnection);
}

Ledger::~Ledger() {
    QMetaObject::invokeMethod(m_writer, &LedgerWriter::close, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    delete m_writer;
    closeConnection(m_readConnection);
}

bool Ledger::isOpen() const {
    return m_opened.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

const Ledger::Status& Ledger::status() const {
    m_opened.wait();
    return m_status;
}

void Ledger::record(LedgerRecord record) {
    bool first = false;
    {
        QMutexLocker lock(&m_mutex);
        first = m_pending.empty();
        m_pending.push_back(std::move(record));
    }
    if (first)
        QMetaObject::invokeMethod(m_writer, &LedgerWriter::schedule, Qt::QueuedConnection);
}

void Ledger::flush() {
    QMetaObject::invokeMethod(m_writer, &LedgerWriter::commit, Qt::BlockingQueuedConnection);
}

namespace {
LedgerRecord recordAt(const QSqlQuery& query) {
    LedgerRecord r;
    r.target = query.value(0).toString();
    r.source = query.value(1).toString();
    r.sourceStamp = {query.value(2).toLongLong(), query.value(3).toLongLong()};
    r.options = query.value(4).toString();
    r.converter.path = query.value(5).toString();
    r.converter.stamp = stampFrom(query.value(6), query.value(7));
    r.targetStamp = {query.value(8).toLongLong(), query.value(9).toLongLong()};
    r.recordedAtMs = query.value(10).toLongLong();
    return r;
}

// Looks the targets up by key, a few hundred a query: one query a target
// costs Qt SQL about 8 us, which a hundred thousand rows would wait for.
void lookupByKeys(QSqlDatabase db, const std::vector<QString>& targets,
                  std::vector<std::optional<LedgerRecord>>& found) {
    constexpr size_t chunk = 500;
    db.transaction(); // one snapshot for all of them, and no lock taken per look-up
    QSqlQuery query(db);
    query.setForwardOnly(true);
    QString prepared;
    QHash<QString, LedgerRecord> chunkRecords;
    for (size_t from = 0; from < targets.size(); from += chunk) {
        const size_t count = std::min(chunk, targets.size() - from);
        const QString text = QStringLiteral("SELECT %1 FROM conversions WHERE target IN (%2)")
                                 .arg(QLatin1String(columns),
                                      QStringLiteral("?,").repeated(qsizetype(count)).chopped(1));
        if (text != prepared) {
            query.prepare(text);
            prepared = text;
        }
        for (size_t i = 0; i < count; ++i)
            query.bindValue(int(i), targets[from + i]);
        if (!query.exec())
            continue;
        chunkRecords.clear();
        while (query.next()) {
            LedgerRecord r = recordAt(query);
            const QString key = r.target;
            chunkRecords.insert(key, std::move(r));
        }
        // A target may stand twice in the list: each place gets its record.
        for (size_t i = from; i < from + count; ++i) {
            if (const auto record = chunkRecords.constFind(targets[i]);
                record != chunkRecords.cend())
                found[i] = *record;
        }
    }
    query.finish();
    db.rollback();
}

size_t recordCount(QSqlDatabase db) {
    QSqlQuery query(db);
    return query.exec(QStringLiteral("SELECT count(*) FROM conversions")) && query.next()
               ? size_t(query.value(0).toLongLong())
               : 0;
}

// Looks the targets up by reading the whole table once.
void lookupByScan(QSqlDatabase db, const std::vector<QString>& targets,
                  std::vector<std::optional<LedgerRecord>>& found) {
    // Each target's first place in the list, counted from 1; a target that
    // stands twice has its later places noted. One hash of each long path.
    QHash<QStringView, size_t> wanted;
    wanted.reserve(qsizetype(targets.size()));
    std::vector<std::pair<size_t, size_t>> repeated; // (place, first place)
    for (size_t i = 0; i < targets.size(); ++i) {
        size_t& first = wanted[targets[i]];
        if (first == 0)
            first = i + 1;
        else
            repeated.emplace_back(i, first - 1);
    }
    db.transaction(); // one snapshot, as in lookupByKeys
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (query.exec(QStringLiteral("SELECT %1 FROM conversions").arg(QLatin1String(columns)))) {
        while (query.next()) {
            const auto at = wanted.constFind(query.value(0).toString());
            if (at != wanted.cend())
                found[*at - 1] = recordAt(query);
        }
    }
    query.finish();
    db.rollback();
    for (const auto& [place, first] : repeated)
        found[place] = found[first];
}
} // namespace

std::vector<std::optional<LedgerRecord>> Ledger::lookup(const std::vector<QString>& targets) const {
    std::vector<std::optional<LedgerRecord>> found(targets.size());
    if (!usable())
        return found;
    if (m_readConnection.isEmpty()) {
        // The file is checked and in WAL mode already: reading needs only the wait for a writer.
        m_readConnection = connectionName("read");
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_readConnection);
        db.setDatabaseName(m_path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        db.open();
    }
    QSqlDatabase db = QSqlDatabase::database(m_readConnection, false);
    // Reading the whole table costs less a record than looking each one up,
    // so it pays when the records asked for are a good part of it: a run over
    // a library that was converted before.
    if (targets.size() >= 1000 && recordCount(db) <= 3 * targets.size())
        lookupByScan(db, targets, found);
    else
        lookupByKeys(db, targets, found);
    return found;
}
