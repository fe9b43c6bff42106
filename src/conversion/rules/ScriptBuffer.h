#pragma once

#include "conversion/rules/BatchCodePage.h"
#include "conversion/rules/TargetSystem.h"

#include <QByteArray>
#include <QString>
#include <QStringEncoder>

#include <functional>
#include <optional>

class QIODevice;

// The bytes a script is written in: UTF-8, or the code page batch files are
// read in (see BatchCodePage).
enum class ScriptEncoding { Utf8, CodePage };

// Builds a script's bytes line by line, each line followed by its line end
// (scriptLineSeparator), without an intermediate copy of the whole text: exported scripts may
// hold a hundred thousand lines.
class ScriptBuffer {
public:
    ScriptBuffer(ScriptEncoding encoding, QString lineEnd, qsizetype expectedChars = 0);

    // The one place a script's encoding is chosen: bash scripts are UTF-8
    // whatever they hold; a batch file goes in the code page when `heldBy` says
    // the code page holds all of its text, else in UTF-8 behind utf8BatchLine(),
    // which the buffer then already holds.
    static ScriptBuffer forScript(TargetSystem system,
                                  const std::function<bool(const BatchCodePage&)>& heldBy,
                                  qsizetype expectedChars = 0);

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
    void encode(QStringView text);
    char* appendToCodePage(char* out, QStringView text);

    QStringEncoder m_utf8;
    std::optional<BatchCodePage> m_codePage; // set when the script goes in the code page
    QString m_separator;
    QString m_line; // the open line of a code page script; its memory serves every line
    QByteArray m_bytes;
    qsizetype m_used = 0;
};
