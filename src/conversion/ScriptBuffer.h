#pragma once

#include <QByteArray>
#include <QString>
#include <QStringEncoder>

class QIODevice;

// Builds a script's bytes line by line, each line followed by the host's line
// end and encoded as the host expects, without an intermediate copy of the
// whole text: exported scripts may hold a hundred thousand lines.
class ScriptBuffer {
public:
    explicit ScriptBuffer(qsizetype expectedChars = 0);

    void addLine(QStringView line);
    // Pieces of a line; endLine() closes it with the line end.
    ScriptBuffer& operator+=(QStringView text);
    void endLine();
    QByteArray take();

    // Bytes gathered so far; flushTo() hands them to a device and starts
    // over in the same memory, so a long script streams through a buffer
    // that stays in the processor's cache.
    qsizetype size() const { return m_used; }
    bool flushTo(QIODevice& device);

private:
    char* reserveFor(qsizetype chars);

    QStringEncoder m_encoder;
    QString m_separator;
    QByteArray m_bytes;
    qsizetype m_used = 0;
};
