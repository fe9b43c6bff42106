#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Splits MEL text (Maya ASCII scenes, workspace.mel) into words and strings,
// statement by statement. A statement runs to its ';', whatever lines it
// spans; a string holds escaped quotes, and '+' joins it to the next string,
// which is how Maya writes a long path over several lines. Comments (// and
// /* */) count as space.
class MelLexer {
public:
    enum class Kind { Word, String, StatementEnd, End };
    struct Token {
        Kind kind = Kind::End;
        QByteArrayView word; // a word's bytes, within the text
        QByteArray string;   // a string's text, escapes undone and pieces joined
        int line = 0;        // the line the token starts on
    };

    explicit MelLexer(QByteArrayView text)
        : m_text(text) {}

    Token next();
    // Passes over the rest of the statement under way, its ';' included.
    void skipStatement();

    // Whether the text ended inside a statement, a string or a comment, and
    // the line where that began.
    bool endedEarly() const { return m_endedEarly; }
    int earlyEndLine() const { return m_earlyEndLine; }

private:
    bool atEnd() const { return m_pos >= m_text.size(); }
    char at(qsizetype pos) const { return pos < m_text.size() ? m_text[pos] : '\0'; }
    void skipSpace();
    bool readString(QByteArray* text); // at a '"'; false when the text ends inside it
    void skipWord();
    void startToken();
    void endEarly(int line);

    QByteArrayView m_text;
    qsizetype m_pos = 0;
    int m_line = 1;
    bool m_inStatement = false;
    int m_statementLine = 0;
    bool m_endedEarly = false;
    int m_earlyEndLine = 0;
};
