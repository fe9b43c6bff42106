// Skip Up-to-Date Images: a row is left out only when the record of its
// converted target still matches everything that made it.
#include "conversion/rules/RunTexts.h"
#include "conversion/rules/UpToDate.h"

#include <QTest>

namespace {
const FileStamp image{1000, 5000};
const FileStamp map{300, 9000};
const ConverterIdentity converter{"/opt/maya/bin/imf_copy", FileStamp{70000, 100}};

LedgerRecord recorded() {
    return {"/out/a.map", "/in/a.png", image, "-p ", converter, map, 1700000000000};
}
} // namespace

Q_DECLARE_METATYPE(std::optional<RunReason>)
Q_DECLARE_METATYPE(std::optional<LedgerRecord>)

class TestUpToDate : public QObject {
    Q_OBJECT
private slots:
    void decisions_data();
    void decisions();
    void reasonsForPeople();
};

void TestUpToDate::decisions_data() {
    QTest::addColumn<std::optional<LedgerRecord>>("record");
    QTest::addColumn<std::optional<FileStamp>>("source");
    QTest::addColumn<std::optional<FileStamp>>("target");
    QTest::addColumn<QString>("options");
    QTest::addColumn<ConverterIdentity>("now");
    QTest::addColumn<std::optional<RunReason>>("reason");
    using S = std::optional<FileStamp>;
    using R = std::optional<RunReason>;
    const ConverterIdentity replaced{converter.path, FileStamp{71000, 200}};
    const ConverterIdentity other{"/usr/autodesk/maya2024/bin/imf_copy", converter.stamp};
    const ConverterIdentity missing{};
    const std::optional<LedgerRecord> rec = recorded(), none;
    std::optional<LedgerRecord> unknownThen = recorded();
    unknownThen->converter = missing;
    std::optional<LedgerRecord> fromAnother = recorded();
    fromAnother->source = "/in/a.tif";
    QTest::newRow("all as recorded") << rec << S(image) << S(map) << "-p " << converter << R();
    QTest::newRow("no record") << none << S(image) << S(map) << "-p " << converter
                               << R(RunReason::NoRecord);
    QTest::newRow("image rewritten") << rec << S(FileStamp{1000, 6000}) << S(map) << "-p "
                                     << converter << R(RunReason::ImageChanged);
    QTest::newRow("image restored, older, another size")
        << rec << S(FileStamp{999, 4000}) << S(map) << "-p " << converter
        << R(RunReason::ImageChanged);
    QTest::newRow("image gone") << rec << S() << S(map) << "-p " << converter
                                << R(RunReason::ImageChanged);
    QTest::newRow("another image of the same size and time")
        << fromAnother << S(image) << S(map) << "-p " << converter << R(RunReason::ImageChanged);
    QTest::newRow("flags") << rec << S(image) << S(map) << "-p -r " << converter
                           << R(RunReason::FlagsChanged);
    QTest::newRow("converter replaced")
        << rec << S(image) << S(map) << "-p " << replaced << R(RunReason::ConverterChanged);
    QTest::newRow("another converter")
        << rec << S(image) << S(map) << "-p " << other << R(RunReason::ConverterChanged);
    QTest::newRow("converter not found")
        << rec << S(image) << S(map) << "-p " << missing << R(RunReason::ConverterChanged);
    QTest::newRow("converter not found, then either")
        << unknownThen << S(image) << S(map) << "-p " << missing << R(RunReason::ConverterChanged);
    QTest::newRow(".map edited") << rec << S(image) << S(FileStamp{301, 9000}) << "-p " << converter
                                 << R(RunReason::MapChanged);
    QTest::newRow(".map removed") << rec << S(image) << S() << "-p " << converter
                                  << R(RunReason::MapChanged);
    QTest::newRow("flags and converter: the flags are named")
        << rec << S(image) << S(map) << "-p -r " << other << R(RunReason::FlagsChanged);
    QTest::newRow("the image is named first")
        << rec << S(FileStamp{1, 1}) << S() << "" << other << R(RunReason::ImageChanged);
}

void TestUpToDate::decisions() {
    QFETCH(std::optional<LedgerRecord>, record);
    QFETCH(std::optional<FileStamp>, source);
    QFETCH(std::optional<FileStamp>, target);
    QFETCH(QString, options);
    QFETCH(ConverterIdentity, now);
    QFETCH(std::optional<RunReason>, reason);
    const SkipDecision decision = decideSkip(record, {source, target, "/in/a.png"}, options, now);
    QCOMPARE(decision.reason, reason);
    QCOMPARE(decision.upToDate(), !reason);
}

void TestUpToDate::reasonsForPeople() {
    const auto text = [](RunReason reason, const QString& before, const QString& now) {
        return skipDecisionText({reason, before, 0}, now);
    };
    QCOMPARE(text(RunReason::NoRecord, "", "-p "), "no record of converting it");
    QCOMPARE(text(RunReason::ImageChanged, "-p ", "-p "), "image changed since");
    QCOMPARE(text(RunReason::FlagsChanged, "-p ", "-p -r "), "flags changed: -p \u2192 -p -r");
    QCOMPARE(text(RunReason::FlagsChanged, "", "-g  2.2 "), "flags changed: none \u2192 -g 2.2");
    QCOMPARE(text(RunReason::ConverterChanged, "", ""), "converter changed");
    QCOMPARE(text(RunReason::MapChanged, "", ""), ".map changed or removed since");
    const QDateTime when(QDate(2026, 3, 4), QTime(5, 6));
    QCOMPARE(skipDecisionText({std::nullopt, "-p ", when.toMSecsSinceEpoch()}, "-p "),
             "up to date since 2026-03-04 05:06:00");
}

QTEST_GUILESS_MAIN(TestUpToDate)
#include "test_up_to_date.moc"
