#include "joblist/scene/MelLexer.h"

#include <array>

namespace {
bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

char escaped(char c) {
    switch (c) {
    case 'n':
        return '\n';
    case 't':
        return '\t';
    case 'r':
        return '\r';
    default:
        return c; // \" and \\ among them
    }
}
} // namespace

void MelLexer::endEarly(int line) {
    if (!m_endedEarly) {
        m_endedEarly = true;
        m_earlyEndLine = line;
    }
    m_pos = m_text.size();
}

void MelLexer::skipSpace() {
    while (!atEnd()) {
        const char c = m_text[m_pos];
        if (c == '\n') {
            ++m_line;
            ++m_pos;
        } else if (isSpace(c)) {
            ++m_pos;
        } else if (c == '/' && at(m_pos + 1) == '/') {
            while (!atEnd() && m_text[m_pos] != '\n')
                ++m_pos;
        } else if (c == '/' && at(m_pos + 1) == '*') {
            const int startLine = m_line;
            m_pos += 2;
            while (!atEnd() && !(m_text[m_pos] == '*' && at(m_pos + 1) == '/')) {
                if (m_text[m_pos] == '\n')
                    ++m_line;
                ++m_pos;
            }
            if (atEnd()) {
                endEarly(startLine);
                return;
            }
            m_pos += 2;
        } else {
            return;
        }
    }
}

bool MelLexer::readString(QByteArray* text) {
    ++m_pos; // the opening quote
    qsizetype plainStart = m_pos;
    auto flushPlain = [&] {
        if (text && m_pos > plainStart)
            text->append(m_text.sliced(plainStart, m_pos - plainStart));
    };
    while (!atEnd()) {
        const char c = m_text[m_pos];
        if (c == '"') {
            flushPlain();
            ++m_pos;
            return true;
        }
        if (c == '\\') {
            flushPlain();
            if (m_pos + 1 >= m_text.size())
                break;
            const char next = m_text[m_pos + 1];
            if (next == '\n')
                ++m_line;
            if (text)
                text->append(escaped(next));
            m_pos += 2;
            plainStart = m_pos;
            continue;
        }
        if (c == '\n')
            ++m_line;
        ++m_pos;
    }
    m_pos = m_text.size();
    return false;
}

void MelLexer::skipWord() {
    while (!atEnd()) {
        const char c = m_text[m_pos];
        if (isSpace(c) || c == ';' || c == '"')
            return;
        ++m_pos;
    }
}

void MelLexer::startToken() {
    if (!m_inStatement) {
        m_inStatement = true;
        m_statementLine = m_line;
    }
}

MelLexer::Token MelLexer::next() {
    Token token;
    skipSpace();
    if (atEnd()) {
        if (m_inStatement)
            endEarly(m_statementLine);
        return token;
    }
    startToken();
    token.line = m_line;
    const char c = m_text[m_pos];
    if (c == ';') {
        ++m_pos;
        m_inStatement = false;
        token.kind = Kind::StatementEnd;
        return token;
    }
    if (c == '"') {
        token.kind = Kind::String;
        for (;;) {
            const int pieceLine = m_line;
            if (!readString(&token.string)) {
                endEarly(pieceLine);
                token.kind = Kind::End;
                return token;
            }
            // "a" + "b" is one string; anything else after it is left for the next token.
            const qsizetype afterPos = m_pos;
            const int afterLine = m_line;
            skipSpace();
            if (at(m_pos) == '+') {
                ++m_pos;
                skipSpace();
                if (at(m_pos) == '"')
                    continue;
            }
            m_pos = afterPos;
            m_line = afterLine;
            return token;
        }
    }
    const qsizetype start = m_pos;
    skipWord();
    token.kind = Kind::Word;
    token.word = m_text.sliced(start, m_pos - start);
    return token;
}

void MelLexer::skipStatement() {
    // Most of a large scene is numbers in statements no one asks about: look
    // only at the bytes that can end a statement, start a string or a
    // comment, or a line.
    static constexpr auto special = [] {
        std::array<bool, 256> table{};
        for (unsigned char c : {'\n', ';', '"', '/'})
            table[c] = true;
        return table;
    }();
    startToken();
    const qsizetype size = m_text.size();
    while (m_pos < size) {
        const char c = m_text[m_pos];
        if (!special[static_cast<unsigned char>(c)]) {
            ++m_pos;
            continue;
        }
        if (c == '\n') {
            ++m_line;
            ++m_pos;
        } else if (c == ';') {
            ++m_pos;
            m_inStatement = false;
            return;
        } else if (c == '"') {
            const int stringLine = m_line;
            if (!readString(nullptr)) {
                endEarly(stringLine);
                return;
            }
        } else if ((at(m_pos + 1) == '/' || at(m_pos + 1) == '*') &&
                   (m_pos == 0 || isSpace(m_text[m_pos - 1]) || m_text[m_pos - 1] == '"')) {
            skipSpace(); // a comment starts where a word could
        } else {
            ++m_pos;
        }
    }
    endEarly(m_statementLine);
}
