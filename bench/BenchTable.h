#pragma once

// What every benchmark prints: a Markdown table of measurements, and the
// clock the converters' stamps are read against.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTextStream>

#include <algorithm>
#include <chrono>
#include <limits>
#include <vector>

namespace BenchTable {

inline QTextStream& out() {
    static QTextStream stream(stdout);
    return stream;
}

inline void row(const QString& what, const QString& value) {
    out() << "| " << what << " | " << value << " |" << Qt::endl;
}

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Microseconds since the epoch: the clock a converter's --stamp writes.
inline qint64 microsecondsNow() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// The earliest stamp in a file of them; nothing there gives the largest number.
inline qint64 firstStamp(const QString& path) {
    QFile file(path);
    qint64 first = std::numeric_limits<qint64>::max();
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : file.readAll().split('\n')) {
            if (!line.isEmpty())
                first = std::min(first, line.toLongLong());
        }
    }
    return first;
}

} // namespace BenchTable
