#include <QByteArrayList>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

namespace {

constexpr char LogVariable[] = "CORVANE_FAKE_IMF_COPY_LOG";

struct Run {
    bool finished = false;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// The log variable is always set or cleared explicitly so the caller's environment cannot leak in.
Run runConverter(const QStringList& args, const QString& logPath = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QString::fromLatin1(LogVariable));
    if (!logPath.isEmpty())
        env.insert(QString::fromLatin1(LogVariable), logPath);
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QString::fromUtf8(FAKE_IMF_COPY), args);
    Run run;
    run.finished = process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

bool writeImage(const QString& path, const char* format,
                QImage::Format pixelFormat = QImage::Format_RGB32,
                QRgb colour = qRgb(128, 64, 200)) {
    QImage image(37, 23, pixelFormat);
    image.fill(colour);
    return image.save(path, format);
}

// Returns the arguments of one log line, or nullopt if the line is malformed.
std::optional<QByteArrayList> decodeLogLine(const QByteArray& line) {
    QByteArrayList parts = line.split(' ');
    bool ok = false;
    const qsizetype count = parts.takeFirst().toLongLong(&ok);
    if (!ok || count != parts.size())
        return std::nullopt;
    for (QByteArray& part : parts)
        part = QByteArray::fromPercentEncoding(part);
    return parts;
}

// What the stand-in logs for its arguments: the bytes of the names, UTF-8 on Windows.
QByteArrayList encodeNames(const QStringList& args) {
    QByteArrayList encoded;
    for (const QString& arg : args)
#ifdef Q_OS_WIN
        encoded << arg.toUtf8();
#else
        encoded << QFile::encodeName(arg);
#endif
    return encoded;
}

QList<QByteArray> readLogLines(const QString& path) {
    QFile log(path);
    if (!log.open(QIODevice::ReadOnly))
        return {};
    QByteArray content = log.readAll();
    if (!content.endsWith('\n'))
        return {};
    content.chop(1);
    return content.split('\n');
}

} // namespace

class TestFakeImfCopy : public QObject {
    Q_OBJECT

private slots:
    void convertsImages_data();
    void convertsImages();
    void gammaChangesPixels_data();
    void gammaChangesPixels();
    void rejectsFailures_data();
    void rejectsFailures();
    void logRecordsArgumentsExactly_data();
    void logRecordsArgumentsExactly();
    void logKeepsEveryInvocation();
    void testSwitches();
};

void TestFakeImfCopy::convertsImages_data() {
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<int>("pixelFormat");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("trailing");

    const QStringList texture{"-p", "-r", "-g", "2.2", "-f", "1.0"};
    QTest::newRow("png") << QByteArray("png") << int(QImage::Format_RGB32) << texture
                         << QStringList();
    QTest::newRow("jpg") << QByteArray("jpg") << int(QImage::Format_RGB32) << texture
                         << QStringList();
    QTest::newRow("16-bit png with gamma")
        << QByteArray("png") << int(QImage::Format_RGBA64) << texture << QStringList();
    QTest::newRow("png, verbose, every option")
        << QByteArray("png") << int(QImage::Format_ARGB32)
        << QStringList{"-v", "-e", "-k", "1", "-q", "-0.5", "-g", "1e0"} << QStringList();
    QTest::newRow("png, outformat and outtype") << QByteArray("png") << int(QImage::Format_RGB32)
                                                << QStringList() << QStringList{"map", "rgba"};
}

void TestFakeImfCopy::convertsImages() {
    QFETCH(QByteArray, format);
    QFETCH(int, pixelFormat);
    QFETCH(QStringList, options);
    QFETCH(QStringList, trailing);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString in = dir.filePath("source." + QString::fromLatin1(format));
    const QString out = dir.filePath("result.map");
    QVERIFY(writeImage(in, format.constData(), QImage::Format(pixelFormat)));

    const Run run = runConverter(options + QStringList{in, out} + trailing);
    QVERIFY(run.finished);
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QCOMPARE(int(run.out.count('\n')), options.contains("-v") ? 1 : 0);

    QVERIFY(QFileInfo(out).size() > 0);
    QImageReader reader(out);
    const QImage result = reader.read();
    QVERIFY2(!result.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(result.size(), QSize(37, 23));
}

void TestFakeImfCopy::gammaChangesPixels_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("expected");

    // Mid grey 128 through 255 * (128 / 255)^(1 / gamma).
    QTest::newRow("no gamma") << QStringList() << 128;
    QTest::newRow("gamma 1") << QStringList{"-g", "1"} << 128;
    QTest::newRow("gamma 2.2") << QStringList{"-g", "2.2"} << 186;
    QTest::newRow("gamma 0.5") << QStringList{"-g", "0.5"} << 64;
}

void TestFakeImfCopy::gammaChangesPixels() {
    QFETCH(QStringList, options);
    QFETCH(int, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString in = dir.filePath("grey.png");
    const QString out = dir.filePath("grey.map");
    QVERIFY(writeImage(in, "png", QImage::Format_ARGB32, qRgba(128, 128, 128, 77)));

    const Run run = runConverter(options + QStringList{in, out});
    QVERIFY(run.finished);
    QVERIFY2(run.exitCode == 0, run.err.constData());

    const QImage result(out);
    QVERIFY(!result.isNull());
    const QRgb pixel = result.pixel(5, 5);
    QCOMPARE(qRed(pixel), expected);
    QCOMPARE(qGreen(pixel), expected);
    QCOMPARE(qBlue(pixel), expected);
    QCOMPARE(qAlpha(pixel), 77);
}

void TestFakeImfCopy::rejectsFailures_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    // IN is a valid image, TEXT a text file named like one, DIR the temporary folder.
    QTest::newRow("missing input") << QStringList{"MISSING", "OUT"} << 1 << "cannot open input";
    QTest::newRow("input is a folder") << QStringList{"DIR", "OUT"} << 1 << "cannot open input";
    QTest::newRow("non-image input") << QStringList{"TEXT", "OUT"} << 1 << "cannot read image";
    QTest::newRow("output in missing folder")
        << QStringList{"IN", "NODIR"} << 1 << "cannot write output";
    QTest::newRow("output is a folder") << QStringList{"IN", "DIR"} << 1 << "cannot write output";
    QTest::newRow("option without value") << QStringList{"-g"} << 2 << "needs a value";
    for (const char* bad : {"abc", "", "1.0x", "nan", "inf", " 1"}) {
        QTest::addRow("malformed number '%s'", bad)
            << QStringList{"-g", bad, "IN", "OUT"} << 2 << "decimal number";
    }
    QTest::newRow("path taken as value") << QStringList{"-f", "IN", "OUT"} << 2 << "decimal number";
    QTest::newRow("zero gamma") << QStringList{"-g", "0", "IN", "OUT"} << 2 << "greater than zero";
    QTest::newRow("unknown option") << QStringList{"-x", "IN", "OUT"} << 2 << "unknown option";
    QTest::newRow("combined flags") << QStringList{"-pr", "IN", "OUT"} << 2 << "unknown option";
    QTest::newRow("no positionals") << QStringList{"-p"} << 2 << "missing input";
    QTest::newRow("one positional") << QStringList{"IN"} << 2 << "missing output";
    QTest::newRow("five positionals")
        << QStringList{"IN", "OUT", "map", "rgba", "extra"} << 2 << "too many";
}

void TestFakeImfCopy::rejectsFailures() {
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString out = dir.filePath("result.map");
    const QHash<QString, QString> paths{
        {"IN", dir.filePath("source.png")},
        {"TEXT", dir.filePath("notes.png")},
        {"MISSING", dir.filePath("gone.png")},
        {"DIR", dir.path()},
        {"OUT", out},
        {"NODIR", dir.filePath("missing/result.map")},
    };
    QVERIFY(writeImage(paths["IN"], "png"));
    QFile text(paths["TEXT"]);
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("not an image\n");
    text.close();
    for (QString& arg : args)
        arg = paths.value(arg, arg);

    const Run run = runConverter(args);
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.startsWith("imf_copy: ") && run.err.contains(message.toUtf8()),
             run.err.constData());
    QVERIFY(!QFileInfo::exists(out));
    QVERIFY(!QFileInfo::exists(paths["NODIR"]));
}

void TestFakeImfCopy::logRecordsArgumentsExactly_data() {
    QTest::addColumn<QString>("name");

    QTest::newRow("spaces") << "my  texture file.png";
    QTest::newRow("quotes") << "it's \"quoted\".png";
    QTest::newRow("dollar") << "$HOME ${PATH}.png";
    QTest::newRow("backquotes") << "`id` $(id).png";
    QTest::newRow("percent") << "100% %41%2F.png";
    QTest::newRow("non-ASCII") << QString::fromUtf8("Grüße Ærø 日本.png");
    QTest::newRow("newline") << "two\nlines.png";
}

void TestFakeImfCopy::logRecordsArgumentsExactly() {
    QFETCH(QString, name);
#ifdef Q_OS_WIN
    if (name.contains('"') || name.contains('\n'))
        QSKIP("Windows names hold no double quote or line break");
#endif

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString in = dir.filePath(name);
    const QString out = dir.filePath(name + ".map");
    const QString log = dir.filePath("args.log");
    QVERIFY(writeImage(in, "png"));

    const QStringList args{"-g", "2.2", in, out, "map"};
    const Run run = runConverter(args, log);
    QVERIFY(run.finished);
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QVERIFY(QFileInfo(out).size() > 0);

    const QList<QByteArray> lines = readLogLines(log);
    QCOMPARE(lines.size(), 1);
    const std::optional<QByteArrayList> logged = decodeLogLine(lines.first());
    QVERIFY2(logged, lines.first().constData());
    QCOMPARE(*logged, encodeNames(args));
}

void TestFakeImfCopy::logKeepsEveryInvocation() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString in = dir.filePath("source.png");
    const QString log = dir.filePath("args.log");
    QVERIFY(writeImage(in, "png"));

    // Rejected command lines are logged too, and an empty argument differs from none.
    const QList<QStringList> invocations{{in, dir.filePath("a.map")},
                                         {"-x", ""},
                                         {},
                                         {""},
                                         {"-g", "2.2", in, dir.filePath("b.map")}};
    for (const QStringList& args : invocations)
        QVERIFY(runConverter(args, log).finished);

    const QList<QByteArray> lines = readLogLines(log);
    QCOMPARE(lines.size(), invocations.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const std::optional<QByteArrayList> logged = decodeLogLine(lines.at(i));
        QVERIFY2(logged, lines.at(i).constData());
        QCOMPARE(*logged, encodeNames(invocations.at(i)));
    }
}

void TestFakeImfCopy::testSwitches() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString in = dir.filePath("source.png");
    const QString out = dir.filePath("out.map");
    QVERIFY(writeImage(in, "png"));

    Run run = runConverter({"--exit-code", "7", in, out});
    QCOMPARE(run.exitCode, 7);
    QVERIFY(run.err.contains("exit code 7"));
    QVERIFY(!QFile::exists(out));

    run = runConverter({"--empty-output", in, out});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(QFile::exists(out) && QFileInfo(out).size() == 0);

    run = runConverter({"--spew-bytes", "100000", in, out});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out.size(), 100000);
    QCOMPARE(run.err.size(), 100000);
    QVERIFY(QFileInfo(out).size() > 0);

    // The event log brackets each invocation with its process id.
    const QString events = dir.filePath("events.log");
    qputenv("CORVANE_FAKE_IMF_COPY_EVENTS", events.toLocal8Bit());
    run = runConverter({"--sleep-ms", "50", "--burn-ms", "20", in, out});
    qunsetenv("CORVANE_FAKE_IMF_COPY_EVENTS");
    QCOMPARE(run.exitCode, 0);
    const QList<QByteArray> lines = readLogLines(events);
    QCOMPARE(lines.size(), 2);
    const QList<QByteArray> start = lines[0].split(' ');
    const QList<QByteArray> end = lines[1].split(' ');
    QCOMPARE(start[0], "start");
    QCOMPARE(end[0], "end");
    QCOMPARE(start[1], end[1]);
    QVERIFY(end[2].toLongLong() - start[2].toLongLong() >= 50);

    QCOMPARE(runConverter({"--sleep-ms", "soon", in, out}).exitCode, 2);

    // A converter that says something, writes part of its output and fails.
    QFile::remove(out);
    run = runConverter(
        {"--say", "working on it", "--write-partial", "10", "--exit-code", "3", in, out});
    QCOMPARE(run.exitCode, 3);
    QCOMPARE(run.out, "working on it\n");
    QCOMPARE(QFileInfo(out).size(), 10);

    // An image may ask for switches of its own; a plain image asks for none.
    const QString asking = dir.filePath("asking.png");
    QFile file(asking);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#imf_copy --exit-code 4 --say hello\nrest of the file");
    file.close();
    run = runConverter({"--switches-from-image", asking, out});
    QCOMPARE(run.exitCode, 4);
    QCOMPARE(run.out, "hello\n");
    QCOMPARE(runConverter({"--switches-from-image", in, out}).exitCode, 0);

    // Ended politely, it says so in the event log. (Windows has no polite end.)
#ifdef Q_OS_WIN
    return;
#endif
    qputenv("CORVANE_FAKE_IMF_COPY_EVENTS", events.toLocal8Bit());
    QFile::remove(events);
    QProcess slow;
    slow.start(QString::fromUtf8(FAKE_IMF_COPY), {"--sleep-ms", "20000", in, out});
    QVERIFY(slow.waitForStarted());
    const qint64 pid = slow.processId();
    QTRY_VERIFY(readLogLines(events).size() == 1);
    slow.terminate();
    QVERIFY(slow.waitForFinished(5000));
    qunsetenv("CORVANE_FAKE_IMF_COPY_EVENTS");
    QCOMPARE(slow.exitCode(), 143);
    QCOMPARE(readLogLines(events).last(), "term " + QByteArray::number(pid));
}

QTEST_GUILESS_MAIN(TestFakeImfCopy)
#include "test_fake_imf_copy.moc"
