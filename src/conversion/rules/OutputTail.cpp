#include "conversion/rules/OutputTail.h"

#include <QString>

OutputTail::OutputTail(qsizetype limit)
    : m_limit(limit) {}

void OutputTail::append(const char* data, qsizetype size) {
    m_seen += size;
    if (size >= m_limit) {
        m_buffer = QByteArray(data + size - m_limit, m_limit);
        return;
    }
    m_buffer.append(data, size);
    if (m_buffer.size() > 2 * m_limit)
        m_buffer.remove(0, m_buffer.size() - m_limit);
}

QByteArray OutputTail::bytes() const {
    if (m_buffer.size() <= m_limit)
        return m_buffer;
    return m_buffer.right(m_limit);
}

bool OutputBudget::take(qsizetype size) {
    if (size > m_left)
        return false;
    m_left -= size;
    return true;
}

QString lastLines(const QByteArray& tail, bool truncated) {
    QByteArray text = tail;
    if (truncated) {
        const qsizetype newline = text.indexOf('\n');
        if (newline >= 0 && newline + 1 < text.size())
            text.remove(0, newline + 1);
    }
    QString lines = QString::fromLocal8Bit(text);
#ifdef Q_OS_WIN
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); // console programs' line ends
#endif
    while (lines.endsWith(QLatin1Char('\n')) || lines.endsWith(QLatin1Char('\r')))
        lines.chop(1);
    return lines;
}

QByteArray lastLinesOf(const QByteArray& text, int count) {
    qsizetype from = text.size();
    if (text.endsWith('\n'))
        --from;
    for (int line = 0; line < count && from > 0; ++line) {
        from = text.lastIndexOf('\n', from - 1);
        if (from < 0)
            return text;
    }
    return from > 0 ? text.mid(from + 1) : text;
}
