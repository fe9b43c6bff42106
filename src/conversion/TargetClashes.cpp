#include "conversion/TargetClashes.h"

#include "joblist/TargetPaths.h"

#include <QDir>

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
// A target as two pieces, so that the output directory and a row's file name
// need not be joined into a new string for each of a hundred thousand rows.
struct Target {
    QStringView head;
    QStringView tail;
    QString joined() const { return head.toString().append(tail); }
};

// One character as compared: letter case folded, "\" read as "/".
char16_t folded(char16_t c) {
    if (c < 0x80) {
        if (c >= u'A' && c <= u'Z')
            return static_cast<char16_t>(c + (u'a' - u'A'));
        return c == u'\\' ? u'/' : c;
    }
    const char32_t fold = QChar::toCaseFolded(static_cast<char32_t>(c));
    return fold <= 0xffff ? static_cast<char16_t>(fold) : c;
}

// The compared characters of four UTF-16 units, as one word.
quint64 foldedWord(const char16_t* in) {
    return quint64(folded(in[0])) | quint64(folded(in[1])) << 16 | quint64(folded(in[2])) << 32 |
           quint64(folded(in[3])) << 48;
}

// Mixes one word into one of two independent lanes, so the multiplications
// do not form a single chain through the whole text.
void mixInto(quint64& lane, quint64 word) {
    lane = (lane ^ word) * 0x9e3779b97f4a7c15ull;
    lane ^= lane >> 31;
}

// A hash of the compared text, computed without building it: the check runs
// before every conversion, over every ticked row.
size_t foldedHash(QStringView text) {
    const char16_t* in = text.utf16();
    const qsizetype size = text.size();
    quint64 lanes[2] = {0x243f6a8885a308d3ull ^ quint64(size), 0x13198a2e03707344ull};
    qsizetype i = 0;
#if defined(__SSE2__)
    // Eight characters at a time while they are ASCII, which paths nearly always are.
    const __m128i nonAscii = _mm_set1_epi16(static_cast<short>(0xff80));
    const __m128i upperA = _mm_set1_epi16('A');
    const __m128i letters = _mm_set1_epi16(26);
    const __m128i below = _mm_set1_epi16(-1);
    const __m128i caseBit = _mm_set1_epi16(0x20);
    const __m128i backslash = _mm_set1_epi16('\\');
    const __m128i slash = _mm_set1_epi16('/');
    for (; i + 8 <= size; i += 8) {
        __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        const __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(chunk, nonAscii), _mm_setzero_si128());
        quint64 words[2];
        if (_mm_movemask_epi8(ascii) != 0xffff) {
            words[0] = foldedWord(in + i);
            words[1] = foldedWord(in + i + 4);
        } else {
            const __m128i offset = _mm_sub_epi16(chunk, upperA);
            const __m128i upper =
                _mm_and_si128(_mm_cmpgt_epi16(offset, below), _mm_cmplt_epi16(offset, letters));
            chunk = _mm_add_epi16(chunk, _mm_and_si128(upper, caseBit));
            const __m128i isBackslash = _mm_cmpeq_epi16(chunk, backslash);
            chunk = _mm_or_si128(_mm_andnot_si128(isBackslash, chunk),
                                 _mm_and_si128(isBackslash, slash));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(words), chunk);
        }
        mixInto(lanes[0], words[0]);
        mixInto(lanes[1], words[1]);
    }
#endif
    for (int lane = 0; i + 4 <= size; i += 4, lane ^= 1)
        mixInto(lanes[lane], foldedWord(in + i));
    quint64 rest = 0;
    for (int shift = 0; i < size; ++i, shift += 16)
        rest |= quint64(folded(in[i])) << shift;
    mixInto(lanes[0], rest);
    mixInto(lanes[1], lanes[0]);
    return static_cast<size_t>(lanes[1]);
}

bool foldedEqual(QStringView a, QStringView b) {
    if (a.size() != b.size()) // folding keeps every UTF-16 unit a unit
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (folded(a[i].unicode()) != folded(b[i].unicode()))
            return false;
    }
    return true;
}

// Every target is `head` followed by its tail; the head is the same for all,
// so only the tails are compared.
TargetClashes findClashes(QStringView head, const std::vector<QStringView>& tails,
                          int maxExamples) {
    // Open addressing over the keys' hashes: each slot holds the first job
    // with that key. A later job whose key matches marks that first job.
    size_t capacity = 16;
    while (capacity < 2 * tails.size())
        capacity *= 2;
    struct Slot {
        size_t hash = 0;
        int job = -1;
    };
    std::vector<Slot> table(capacity);
    std::vector<char> clashes(tails.size(), 0);
    for (size_t job = 0; job < tails.size(); ++job) {
        const size_t hash = foldedHash(tails[job]);
        size_t at = hash & (capacity - 1);
        for (; table[at].job >= 0; at = (at + 1) & (capacity - 1)) {
            // Equal hashes are nearly always equal keys; compare to be sure.
            if (table[at].hash == hash &&
                foldedEqual(tails[static_cast<size_t>(table[at].job)], tails[job])) {
                clashes[static_cast<size_t>(table[at].job)] = 1;
                break;
            }
        }
        if (table[at].job < 0)
            table[at] = {hash, static_cast<int>(job)};
    }

    TargetClashes result;
    for (size_t job = 0; job < tails.size(); ++job) {
        if (!clashes[job])
            continue;
        if (result.count++ < maxExamples)
            result.examples << Target{head, tails[job]}.joined();
    }
    return result;
}
} // namespace

TargetClashes findTargetClashes(const std::vector<QString>& targets, int maxExamples) {
    const std::vector<QStringView> tails(targets.begin(), targets.end());
    return findClashes({}, tails, maxExamples);
}

TargetClashes findTargetClashes(const std::vector<JobRow>& rows, bool sameDirectory,
                                const QString& outputDirectory, int maxExamples) {
    // As commandTargetPath builds it: the row's target, or the output
    // directory followed by the target from its last separator on.
    std::vector<QStringView> tails;
    for (const JobRow& row : rows) {
        if (!row.process)
            continue;
        if (sameDirectory) {
            tails.emplace_back(row.newImage);
            continue;
        }
        const qsizetype separator = lastSeparator(row.newImage);
        if (separator >= 0)
            tails.push_back(QStringView(row.newImage).mid(separator));
    }
    return findClashes(sameDirectory ? QStringView() : QStringView(outputDirectory), tails,
                       maxExamples);
}

QString clashQuestionText(const TargetClashes& clashes) {
    QStringList lines{QStringLiteral("Some images would write the same .map file:")};
    for (const QString& target : clashes.examples)
        lines << QDir::toNativeSeparators(target);
    const qsizetype more = clashes.count - clashes.examples.size();
    if (more > 0)
        lines << QStringLiteral("and %1 more").arg(more);
    lines << QStringLiteral("Continue?");
    return lines.join(QLatin1Char('\n'));
}
