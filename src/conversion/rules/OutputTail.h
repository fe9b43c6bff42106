#pragma once

#include <QByteArray>

// The last bytes a converter printed. A chatty converter may print megabytes;
// only the end (where the error usually is) is worth keeping.
class OutputTail {
public:
    static constexpr qsizetype DefaultLimit = 4096;

    explicit OutputTail(qsizetype limit = DefaultLimit);

    void append(const char* data, qsizetype size);
    // At most `limit` bytes, the newest.
    QByteArray bytes() const;
    bool truncated() const { return m_seen > m_limit; }

private:
    qsizetype m_limit;
    qint64 m_seen = 0;
    QByteArray m_buffer; // up to twice the limit, trimmed in one move
};

// What a run may keep of its failed rows' output in all: past this, later
// failed rows keep only their exit values.
class OutputBudget {
public:
    static constexpr qint64 DefaultBytes = 64 * 1024 * 1024;

    explicit OutputBudget(qint64 bytes = DefaultBytes)
        : m_left(bytes) {}

    // Takes `size` bytes from the budget; false (taking nothing) when they do not fit.
    bool take(qsizetype size);

private:
    qint64 m_left;
};

// The tail as whole lines for a person: a line cut at the front is dropped,
// trailing blank lines go.
QString lastLines(const QByteArray& tail, bool truncated);

// The last `count` lines of `text` (its trailing line end kept).
QByteArray lastLinesOf(const QByteArray& text, int count);
