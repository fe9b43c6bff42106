// The "Process" run with real child processes: verdicts per row, several at
// once, live progress, Cancel, and a converter that misbehaves.
#include "app/CorvaneGUI.h"
#include "app/QuitOnSignal.h"
#include "conversion/run/Ledger.h"
#include "conversion/run/RowConversion.h"
#include "conversion/run/RunSession.h"
#include "joblist/JobTableModel.h"
#include "joblist/customTable.h"
#include "testsupport/DialogRecorder.h"
#include "testsupport/TestSupport.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <csignal>
#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

namespace {
using G = CorvaneGUI;
namespace T = Dialogs::Testing;
using Kind = Dialogs::MessageKind;

struct Event {
    bool start;
    qint64 pid;
    qint64 ms;
};

QList<Event> events(const QString& log) {
    QList<Event> list;
    for (const QByteArray& line : TestSupport::readAll(log).split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        if (f.size() == 3)
            list << Event{f[0] == "start", f[1].toLongLong(), f[2].toLongLong()};
    }
    return list;
}

// The process ids that logged a polite end (SIGTERM), not SIGKILL.
[[maybe_unused]] QList<qint64> terminatedPids(const QString& log) {
    QList<qint64> pids;
    for (const QByteArray& line : TestSupport::readAll(log).split('\n'))
        if (line.startsWith("term "))
            pids << line.mid(5).toLongLong();
    return pids;
}

QList<qint64> startedPids(const QString& log) {
    QList<qint64> pids;
    for (const Event& e : events(log))
        if (e.start)
            pids << e.pid;
    return pids;
}

// The most stand-ins that ran at the same moment.
int maxOverlap(const QList<Event>& list) {
    QList<Event> sorted = list;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const Event& a, const Event& b) { return a.ms < b.ms; });
    int running = 0, most = 0;
    for (const Event& e : sorted) {
        running += e.start ? 1 : -1;
        most = std::max(most, running);
    }
    return most;
}

using TestFiles::processRunning;

using TestSupport::statuses;
using TestSupport::ticks;

// Run folders left in the cache.
QStringList runFolders(const QString& cache) {
    return QDir(cache).entryList({"run-*"}, QDir::Dirs | QDir::Hidden);
}

// Scripts left anywhere under the cache.
QStringList scriptsUnder(const QString& folder) {
    QStringList found;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next();
    return found;
}

void setConversionsAtOnce(int count) {
    for (QAction* item : G::groupConversions->actions()) {
        if (item->data().toInt() == count && item->text() == QString::number(count)) {
            item->trigger();
            return;
        }
    }
    G::conversionsAtOnce = count; // more than this machine's cores
}

// Looked up afresh each time: the run deletes its dialog when it ends.
QProgressDialog* progressDialog() {
    return G::frame->findChild<QProgressDialog*>();
}

QPushButton* cancelButton(QProgressDialog* dialog) {
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->text() == "Cancel")
            return button;
    return nullptr;
}
} // namespace

class TestRun : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void severalAtOnceGiveTheSameVerdicts();
    void failingRowsAnywhereAreNamed();
    void theBoxNamesTheFirstRowNotTheFirstToFail();
    void scriptsThatCannotRunFailWithoutHanging();
    void emptyTargetFails();
    void progressAndTableFollowTheRun();
    void cancelEndsRunningRowsOnly();
    void cancelKillsAConverterThatIgnoresTerminate();
    void chattyConverterNeitherBlocksNorGrows();
    void closingTheWindowEndsRunAndProgram();
    void skipDecidesFromTheLedger();
    void skippedRowsCountAsDone();
    void halfWrittenTargetsGo();
    void aLedgerThatCannotServeIsSaidOnce();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CorvaneGUI> m_window;
    QString m_log;
    QString m_args;

    QString path(const QString& name) const {
        return QDir::toNativeSeparators(m_dir->filePath(name));
    }
    QString image(const QString& name) const {
        TestSupport::writeImage(path(name));
        return path(name);
    }
    QString broken(const QString& name) const {
        TestSupport::writeFile(path(name), "not a picture");
        return path(name);
    }
    void useSwitches(const QString& switches) {
        G::checkCustom->setChecked(true);
        G::fieldCustom->setText(switches);
    }
    QString cache() const { return TestSupport::cacheLocation(); }
    QString tooltip(int row) const;
};

void TestRun::initTestCase() {
#ifdef Q_OS_LINUX
    // Orphans of the runs come to this process, which never reaps them, as
    // they do to an init that does not: a zombie must not hold up Cancel.
    QVERIFY(::prctl(PR_SET_CHILD_SUBREAPER, 1) == 0);
#endif
}

void TestRun::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_log = m_dir->filePath("events.log");
    m_args = m_dir->filePath("args.log");
    qputenv("CORVANE_FAKE_IMF_COPY_EVENTS", m_log.toLocal8Bit());
    qputenv("CORVANE_FAKE_IMF_COPY_LOG", m_args.toLocal8Bit());
    m_window = TestSupport::makeWindow();
    G::system = TestSupport::hostFlavour();
    G::fieldImfCopy->setText(TestSupport::fakeConverter());
}

void TestRun::cleanup() {
    QVERIFY(TestSupport::finishRun());
    m_window.reset();
    qunsetenv("CORVANE_FAKE_IMF_COPY_EVENTS");
    qunsetenv("CORVANE_FAKE_IMF_COPY_LOG");
    m_dir.reset();
}

void TestRun::severalAtOnceGiveTheSameVerdicts() {
    useSwitches("--sleep-ms 300");
    G::addImageRows({image("a.png"), broken("b.png"), image("c.png"), image("d.png"),
                     broken("e.png"), image("f.png")});
    const QStringList expected{"Converted", "Failed", "Converted",
                               "Converted", "Failed", "Converted"};

    setConversionsAtOnce(1);
    G::processImages();
    QVERIFY(TestSupport::finishRun());
    QCOMPARE(statuses(), expected);
    QCOMPARE(maxOverlap(events(m_log)), 1);
    // One after the other, in table order.
    const QList<QByteArray> argLines = TestSupport::readAll(m_args).split('\n');
    for (int i = 0; i < 6; ++i)
        QVERIFY(
            QByteArray::fromPercentEncoding(argLines[i])
                .contains((QDir::separator() + QString("%1.png").arg(QChar('a' + i))).toUtf8()));

    for (int i = 0; i < 6; ++i) {
        G::model->setProcess(i, true);
        TestSupport::setStatus(*G::model, i, Status::Unprocessed);
    }
    QFile::remove(m_log);
    setConversionsAtOnce(3);
    G::processImages();
    QVERIFY(TestSupport::finishRun());
    QCOMPARE(statuses(), expected);
    QCOMPARE(maxOverlap(events(m_log)), 3);
    QCOMPARE(ticks(), QList<bool>({false, true, false, false, true, false}));
    QCOMPARE(scriptsUnder(cache()), QStringList());
    QCOMPARE(runFolders(cache()), QStringList());
}

void TestRun::failingRowsAnywhereAreNamed() {
    G::addImageRows({broken("first.png"), image("b.png"), broken("middle.png"), image("d.png"),
                     broken("last.png")});
    G::processImages();
    QVERIFY(TestSupport::finishRun());
    QCOMPARE(statuses(), QStringList({"Failed", "Converted", "Failed", "Converted", "Failed"}));
    QCOMPARE(ticks(), QList<bool>({true, false, true, false, true}));

    QCOMPARE(T::messages().size(), size_t(1));
    const T::Message& box = T::messages().back();
    QCOMPARE(box.kind, Kind::Error);
    QCOMPARE(box.title, "Corvane");
    QCOMPARE(box.text, TestSupport::failedRunText(1));
    // The details name each failed row, in table order, with the converter's words.
    const QStringList names{"first.png", "middle.png", "last.png"};
    qsizetype at = -1;
    for (const QString& name : names) {
        const qsizetype found = box.details.indexOf(path(name) + "\n");
        QVERIFY2(found > at, qPrintable(box.details));
        at = found;
    }
    QCOMPARE(box.details.count("imf_copy: cannot read image"), 3);
    QVERIFY(!box.details.contains("b.png") && !box.details.contains("d.png"));

    // A failed row tells why on its Status cell; a converted one says nothing.
    const QModelIndex failed = G::model->index(2, JobTableModel::StatusColumn);
    QVERIFY(failed.data(Qt::ToolTipRole).toString().contains("imf_copy: cannot read image"));
    QVERIFY(!G::model->index(1, JobTableModel::StatusColumn).data(Qt::ToolTipRole).isValid());

    // Mended rows that run again lose their failure.
    TestSupport::writeImage(path("middle.png"));
    G::processImages();
    QVERIFY(TestSupport::finishRun());
    QCOMPARE(G::model->row(2).status, "Converted");
    QVERIFY(G::model->row(2).note.isEmpty());
}

void TestRun::theBoxNamesTheFirstRowNotTheFirstToFail() {
    // The first row fails late with one text, the second at once with another.
    G::checkCustom->setChecked(true);
    G::fieldCustom->setText("--switches-from-image");
    TestSupport::writeFile(path("slow.png"), "#imf_copy --sleep-ms 1500 --exit-code 4\n");
    G::addImageRows({path("slow.png"), broken("quick.png"), image("fine.png")});
    setConversionsAtOnce(2);
    G::processImages();
    QVERIFY(TestSupport::finishRun());
    QCOMPARE(statuses(), QStringList({"Failed", "Failed", "Converted"}));
    QCOMPARE(T::messages().back().text, TestSupport::failedRunText(4));
    QVERIFY(T::messages().back().details.indexOf("slow.png") <
            T::messages().back().details.indexOf("quick.png"));
}

void TestRun::scriptsThatCannotRunFailWithoutHanging() {
    // A cache on a disk where nothing may run, as on hardened systems.
#ifndef Q_OS_LINUX
    QSKIP("needs a noexec mount");
#endif
    const QString noexec = m_dir->filePath("noexec");
    QVERIFY(QDir().mkpath(noexec));
    if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "noexec,size=4m", "tmpfs", noexec}) != 0)
        QSKIP("cannot mount a noexec file system here (needs root with CAP_SYS_ADMIN)");
    const auto unmount = qScopeGuard([&] { QProcess::execute("umount", {noexec}); });
    TestSupport::useCacheFolder(noexec);
    G::addImageRows({image("a.png"), image("b.png")});
    G::processImages();
    QVERIFY(TestSupport::finishRun(10000));
    QCOMPARE(statuses(), QStringList({"Failed", "Failed"}));
    QVERIFY(startedPids(m_log).isEmpty());
    const T::Message& box = T::messages().back();
    QCOMPARE(box.text, "Exception Error");
    QCOMPARE(box.details.count("The script could not be started."), 2);
    QCOMPARE(runFolders(cache()), QStringList());
}

void TestRun::emptyTargetFails() {
    useSwitches("--empty-output");
    G::addImageRows({image("a.png"), image("b.png")});
    G::processImages();
    QVERIFY(TestSupport::finishRun());
    QCOMPARE(statuses(), QStringList({"Failed", "Failed"}));
    // The empty files it left are removed: nothing passes for a texture.
    QVERIFY(!QFile::exists(path("a.map")) && !QFile::exists(path("b.map")));
    const T::Message& box = T::messages().back();
    QCOMPARE(box.text, "Error Processing Files");
    // It printed nothing, so its exit values explain it.
    QVERIFY2(box.details.contains("the script exited with 0, but the .map file is missing",
                                  Qt::CaseInsensitive), // a sentence of its own in batch files
             qPrintable(box.details));
}

void TestRun::progressAndTableFollowTheRun() {
    useSwitches("--sleep-ms 700");
    setConversionsAtOnce(1);
    G::addImageRows({image("one.png"), image("two.png"), image("wood_albedo.png")});
    // A drag that began before the run is dropped once the table is locked.
    QMimeData dragged;
    dragged.setUrls({QUrl::fromLocalFile(image("dropped.png"))});
    QWidget* viewport = G::table->viewport();
    const QPoint at = viewport->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    QVERIFY(enter.isAccepted());
    G::processImages();
    QDropEvent drop(at, Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &drop);
    QVERIFY(!drop.isAccepted());
    QCOMPARE(G::model->rowCount(), 3);
    const QPointer<RunSession> run = G::activeRun;
    QVERIFY(run);
    QVERIFY(progressDialog());
    QCOMPARE(progressDialog()->windowTitle(), "Corvane");
    // Nothing can change the table or the options, but the table still scrolls.
    QVERIFY(!G::panelSettings->isEnabled() && !G::buttonAddImages->isEnabled() &&
            !G::buttonReset->isEnabled() && !G::buttonProcess->isEnabled());
    QVERIFY(!G::menuEdit->isEnabled());
    QVERIFY(G::table->isEnabled());
    QVERIFY(!G::model->setData(G::model->index(1, 0), Qt::Unchecked, Qt::CheckStateRole));
    QVERIFY(G::model->row(1).process);
    G::processImages(); // a second press while running starts nothing
    QCOMPARE(G::activeRun, run);

    // The first row ends while the others still wait: the table shows it at once.
    QTRY_COMPARE_WITH_TIMEOUT(G::model->row(0).status, QString("Converted"), 10000);
    QCOMPARE(G::model->row(2).status, "Unprocessed");
    QTRY_VERIFY_WITH_TIMEOUT(progressDialog() && progressDialog()->isVisible(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(progressDialog() && progressDialog()->labelText().startsWith(
                                                     "Converting 3 of 3: wood_albedo.png"),
                             10000);
    const QPointer<QProgressDialog> dialog = progressDialog();
    QVERIFY(dialog && dialog->labelText().contains("left"));
    QCOMPARE(G::model->row(2).status, "Converting");
    QCOMPARE(dialog->value(), 2);
    QVERIFY(TestSupport::finishRun());
    QVERIFY(G::panelSettings->isEnabled() && G::buttonProcess->isEnabled() &&
            G::menuEdit->isEnabled());
    QVERIFY(G::model->setData(G::model->index(1, 0), Qt::Checked, Qt::CheckStateRole));
    QCOMPARE(T::messages().back().text, "Processed Successfully");
    QCOMPARE(T::messages().back().kind, Kind::Information);
}

void TestRun::cancelEndsRunningRowsOnly() {
    // Converters that have said something and obey SIGTERM.
    useSwitches("--say converting --sleep-ms 20000");
    setConversionsAtOnce(2);
    QStringList sources;
    for (const char* name : {"a.png", "b.png", "c.png", "d.png", "e.png"})
        sources << image(name);
    G::addImageRows(sources);
    TestSupport::setStatus(*G::model, 3, Status::Failed); // an earlier run's verdict stays

    for (const char* how : {"button", "close", "escape"}) {
        QFile::remove(m_log);
        G::processImages();
        QVERIFY(G::activeRun);
        QTRY_COMPARE_WITH_TIMEOUT(startedPids(m_log).size(), 2, 10000);
        QProgressDialog* dialog = progressDialog();
        QVERIFY(dialog);
        if (how == QLatin1String("close")) {
            dialog->close();
        } else if (how == QLatin1String("escape")) {
            QTest::keyClick(dialog, Qt::Key_Escape);
        } else {
            QPushButton* cancel = cancelButton(dialog);
            QVERIFY(cancel);
            QTest::mouseClick(cancel, Qt::LeftButton);
        }
        // The whole process group hears the polite request, and nothing left
        // waiting to be reaped holds the run for the grace period. (Windows has no
        // polite request: the job ends at once.)
        QVERIFY(TestSupport::finishRun(RowConversion::TerminateGraceMs / 2));
#ifndef Q_OS_WIN
        QList<qint64> terminated = terminatedPids(m_log), started = startedPids(m_log);
        std::sort(terminated.begin(), terminated.end());
        std::sort(started.begin(), started.end());
        QCOMPARE(terminated, started);
#endif

        QCOMPARE(statuses(),
                 QStringList({"Failed", "Failed", "Unprocessed", "Failed", "Unprocessed"}));
        QCOMPARE(ticks(), QList<bool>(5, true));
        for (qint64 pid : startedPids(m_log))
            QVERIFY2(!processRunning(pid), qPrintable(QString::number(pid)));
        QCOMPARE(scriptsUnder(cache()), QStringList());
        QCOMPARE(runFolders(cache()), QStringList());
        // Reported as cancelled, not by what the converter had printed.
        QCOMPARE(G::model->row(0).note, "Cancelled while converting.");
        const T::Message& box = T::messages().back();
        QCOMPARE(box.kind, Kind::Warning);
        QCOMPARE(box.title, "Corvane");
        QCOMPARE(box.text, "Processing Cancelled\n\n0 converted, 5 not converted.");
        QVERIFY(G::panelAdd->isEnabled());
        TestSupport::setStatus(*G::model, 0, Status::Unprocessed);
        TestSupport::setStatus(*G::model, 1, Status::Unprocessed);
    }
}

void TestRun::cancelKillsAConverterThatIgnoresTerminate() {
#ifdef Q_OS_WIN
    QSKIP("Windows has no polite request to end a console program: Cancel ends it at once");
#endif
    useSwitches("--ignore-term --sleep-ms 60000");
    G::addImageRows({image("stuck.png")});
    G::processImages();
    QTRY_COMPARE_WITH_TIMEOUT(startedPids(m_log).size(), 1, 10000);
    const qint64 pid = startedPids(m_log).first();
    G::activeRun->cancel();
    QVERIFY(processRunning(pid)); // the polite request alone does not end it
    // Killed, and the row ended, once the grace period is over: not seconds later.
    QVERIFY(TestSupport::finishRun(RowConversion::TerminateGraceMs * 3 / 2));
    QVERIFY(!processRunning(pid));
    QCOMPARE(statuses(), QStringList{"Failed"});
}

void TestRun::chattyConverterNeitherBlocksNorGrows() {
    // Megabytes on both channels: one run succeeds, one fails and keeps only
    // the end of what it printed.
    G::addImageRows({image("ok.png")});
    useSwitches("--spew-bytes 6000000");
    G::processImages();
    QVERIFY(TestSupport::finishRun());
    QCOMPARE(statuses(), QStringList{"Converted"});

    G::model->setProcess(0, true);
    useSwitches("--spew-bytes 6000000 --exit-code 3");
    G::processImages();
    QVERIFY(TestSupport::finishRun());
    const JobRow& row = G::model->row(0);
    QCOMPARE(row.status, "Failed");
    QVERIFY(row.note.size() <= 4096);
    QVERIFY(row.note.endsWith("imf_copy: failing with exit code 3 as asked"));
    QCOMPARE(T::messages().back().text, TestSupport::failedRunText(3));

    // Output that is not UTF-8 (a converter speaking Latin-1) grows as it is decoded: its end
    // is what is kept.
#ifdef Q_OS_WIN
    QVERIFY(TestSupport::writeFile(path("latin1.txt"), QByteArray(3000, '\351')));
    QVERIFY(TestSupport::writeFile(path("latin1.bat"),
                                   "@type \"" + path("latin1.txt").toLocal8Bit() +
                                       "\"\r\n@echo.\r\n@echo imf_copy: last words\r\n"
                                       "@exit /b 3\r\n"));
    G::fieldImfCopy->setText(path("latin1.bat"));
#else
    QVERIFY(TestSupport::writeFile(path("latin1.sh"),
                                   "#!/bin/sh\nhead -c 3000 /dev/zero | tr '\\0' '\\351'\n"
                                   "echo; echo 'imf_copy: last words'; exit 3\n",
                                   true));
    G::fieldImfCopy->setText(path("latin1.sh"));
#endif
    G::model->setProcess(0, true);
    G::processImages();
    QVERIFY(TestSupport::finishRun());
    QVERIFY(G::model->row(0).note.size() <= 4096);
    QVERIFY(G::model->row(0).note.endsWith("imf_copy: last words"));
}

void TestRun::closingTheWindowEndsRunAndProgram() {
    useSwitches("--ignore-term --sleep-ms 60000");
    G::addImageRows({image("a.png"), image("b.png")});
    quitOnTerminationSignals();
#ifdef Q_OS_WIN
    // No signals: a logout ends the program, and its job objects end the converters.
    const std::vector<const char*> ways{"close", "menu"};
#else
    const std::vector<const char*> ways{"close", "menu", "signal"};
#endif
    for (const char* how : ways) {
        QFile::remove(m_log);
        G::processImages();
        QTRY_VERIFY_WITH_TIMEOUT(!startedPids(m_log).isEmpty(), 10000);
        QTimer::singleShot(0, [how] {
            if (how == QLatin1String("menu"))
                G::itemExit->trigger();
            else if (how == QLatin1String("close"))
                G::frame->close();
            else
                std::raise(SIGTERM); // a logout or a kill
        });
        QTimer timeout;
        timeout.callOnTimeout([] { QCoreApplication::exit(99); });
        timeout.start(10000);
        QCOMPARE(QCoreApplication::exec(), 0); // the program's own loop ends, with 0
        QVERIFY(!G::activeRun);
        for (qint64 pid : startedPids(m_log))
            QVERIFY(!processRunning(pid));
        QVERIFY(T::messages().empty()); // the program ends: no box
        QCOMPARE(scriptsUnder(cache()), QStringList());
    }
    // A window that goes mid-run takes its converters along, without a grace period.
    QFile::remove(m_log);
    G::processImages();
    QTRY_VERIFY_WITH_TIMEOUT(!startedPids(m_log).isEmpty(), 10000);
    m_window.reset();
    for (qint64 pid : startedPids(m_log))
        QTRY_VERIFY_WITH_TIMEOUT(!processRunning(pid), RowConversion::TerminateGraceMs);
}

namespace {
void setModified(const QString& path, const QDateTime& when) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite | QIODevice::Append));
    QVERIFY(file.setFileTime(when, QFileDevice::FileModificationTime));
}

// The source files the converter was run for, sorted.
QStringList convertedSources(const QString& argLog) {
    QStringList sources;
    for (const QByteArray& line : TestSupport::readAll(argLog).split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() >= 3)
            sources << QFileInfo(QString::fromUtf8(
                                     QByteArray::fromPercentEncoding(fields[fields.size() - 2])))
                           .fileName();
    }
    sources.sort();
    return sources;
}
} // namespace

QString TestRun::tooltip(int row) const {
    return G::model->index(row, JobTableModel::StatusColumn).data(Qt::ToolTipRole).toString();
}

void TestRun::skipDecidesFromTheLedger() {
    const QStringList names{"same.png", "older.png", "edited.png", "removed.png"};
    QStringList sources;
    for (const QString& name : names)
        sources << image(name);
    G::addImageRows(sources);
    G::processImages(); // converts and records all four, Skip or not
    QVERIFY(TestSupport::finishRun());
    QCOMPARE(statuses(), QStringList(4, "Converted"));

    G::itemSkipUpToDate->trigger();
    QVERIFY(G::skipUpToDate);
    const auto runAgain = [&] {
        for (int i = 0; i < G::model->rowCount(); ++i)
            G::model->setProcess(i, true);
        QFile::remove(m_args);
        G::processImages();
        QVERIFY(TestSupport::finishRun());
    };
    // An image restored from a backup: older, and of another size.
    setModified(path("older.png"), QDateTime::currentDateTime().addDays(-30));
    QVERIFY(TestSupport::writeImage(path("older.png"), 16, 16));
    setModified(path("older.png"), QDateTime::currentDateTime().addDays(-30));
    QVERIFY(TestSupport::writeFile(path("edited.map"), "touched up by hand"));
    QVERIFY(QFile::remove(path("removed.map")));
    // A .map that Corvane never wrote, fresh as it looks, is not trusted.
    G::addImageRow(image("foreign.png"));
    QVERIFY(TestSupport::writeFile(path("foreign.map"), "a texture from elsewhere"));
    runAgain();
    QCOMPARE(convertedSources(m_args),
             QStringList({"edited.png", "foreign.png", "older.png", "removed.png"}));
    QVERIFY(tooltip(0).startsWith("up to date since "));
    QCOMPARE(tooltip(1), "image changed since");
    QCOMPARE(tooltip(2), ".map changed or removed since");
    QCOMPARE(tooltip(3), ".map changed or removed since");
    QCOMPARE(tooltip(4), "no record of converting it");
    const T::Message& box = T::messages().back();
    QCOMPARE(box.text, "Processed Successfully\n\n1 image was up to date.");
    QVERIFY2(box.details.contains(path("foreign.png") + "\n    no record of converting it"),
             qPrintable(box.details));

    // Other flags, then another converter: every row runs again, and says why.
    G::checkTile->setChecked(true);
    runAgain();
    QCOMPARE(convertedSources(m_args).size(), 5);
    QCOMPARE(tooltip(0), "flags changed: -p \u2192 -p -r");
    runAgain();
    QVERIFY(convertedSources(m_args).isEmpty()); // nothing changed since
    QVERIFY(TestSupport::finishRun());
    const QString copy = path("bin/" + QFileInfo(TestSupport::fakeConverter()).fileName());
    QVERIFY(QDir().mkpath(path("bin")) && QFile::copy(TestSupport::fakeConverter(), copy));
    G::fieldImfCopy->setText(copy);
    runAgain();
    QCOMPARE(convertedSources(m_args).size(), 5);
    QCOMPARE(tooltip(3), "converter changed");
}

void TestRun::skippedRowsCountAsDone() {
    useSwitches("--switches-from-image"); // the same flags in both runs
    G::addImageRow(image("done.png"));
    G::processImages();
    QVERIFY(TestSupport::finishRun());
    // Ticked again with Skip on: left out, while a slow row that has no record runs.
    G::itemSkipUpToDate->trigger();
    QVERIFY(TestSupport::writeFile(path("slow.png"), "#imf_copy --sleep-ms 20000\n"));
    G::addImageRow(path("slow.png"));
    G::model->setProcess(0, true);
    G::processImages();
    QTRY_VERIFY_WITH_TIMEOUT(
        progressDialog() && progressDialog()->labelText().startsWith("Converting 2 of 2: slow.png"),
        10000);
    QCOMPARE(ticks(), QList<bool>({false, true}));
    G::activeRun->cancel();
    QVERIFY(TestSupport::finishRun());
    QCOMPARE(T::messages().back().text,
             "Processing Cancelled\n\n1 converted, 1 not converted.\n\n1 image was up to date.");
    QCOMPARE(tooltip(1), "no record of converting it\nCancelled while converting.");
}

void TestRun::halfWrittenTargetsGo() {
    // One .map from an earlier conversion, one never written.
    G::addImageRows({image("earlier.png"), image("fresh.png")});
    QVERIFY(TestSupport::writeFile(path("earlier.map"), "an earlier conversion"));

    // A converter that fails before it touches its target leaves it alone.
    useSwitches("--exit-code 3");
    G::processImages();
    QVERIFY(TestSupport::finishRun());
    QCOMPARE(TestSupport::readAll(path("earlier.map")), "an earlier conversion");
    QVERIFY(!QFile::exists(path("fresh.map")));

    // One that writes part of it and fails, or is cancelled, leaves nothing.
    useSwitches("--write-partial 10 --exit-code 3");
    G::processImages();
    QVERIFY(TestSupport::finishRun());
    QCOMPARE(statuses(), QStringList({"Failed", "Failed"}));
    QVERIFY(!QFile::exists(path("earlier.map")) && !QFile::exists(path("fresh.map")));
    QVERIFY(tooltip(1).endsWith("removed the incomplete fresh.map"));

    QVERIFY(TestSupport::writeFile(path("earlier.map"), "an earlier conversion"));
    useSwitches("--write-partial 10 --sleep-ms 20000");
    QFile::remove(m_log);
    G::processImages();
    QTRY_COMPARE_WITH_TIMEOUT(startedPids(m_log).size(), 2, 10000);
    QTRY_VERIFY(QFileInfo(path("fresh.map")).size() == 10);
    G::activeRun->cancel();
    QVERIFY(TestSupport::finishRun());
    QVERIFY(!QFile::exists(path("earlier.map")) && !QFile::exists(path("fresh.map")));
    QVERIFY(T::messages().back().details.contains("removed the incomplete earlier.map"));
}

void TestRun::aLedgerThatCannotServeIsSaidOnce() {
    G::addImageRows({image("a.png"), image("b.png")});
    const auto processAll = [&] {
        for (int i = 0; i < 2; ++i)
            G::model->setProcess(i, true);
        G::processImages();
        QVERIFY(TestSupport::finishRun());
    };
    // Garbage where the ledger should be: moved aside, with one word.
    const QString ledger = Ledger::defaultPath();
    QVERIFY(QDir().mkpath(QFileInfo(ledger).path()));
    QVERIFY(TestSupport::writeFile(ledger, QByteArray(4096, '\x7f')));
    processAll();
    QCOMPARE(T::messages().size(), size_t(2));
    const T::Message& warning = T::messages().front();
    QCOMPARE(warning.kind, Kind::Warning);
    QVERIFY(warning.text.contains(QDir::toNativeSeparators(ledger) + "\" could not be read"));
    QVERIFY(warning.text.contains(QDir::toNativeSeparators(ledger) + ".unreadable-"));
    QCOMPARE(statuses(), QStringList(2, "Converted"));

    // No place for a ledger at all: Skip counts nothing as up to date, and says so once.
    m_window.reset();
    m_window = TestSupport::makeWindow();
    G::system = TestSupport::hostFlavour();
    G::fieldImfCopy->setText(TestSupport::fakeConverter());
    QVERIFY(TestSupport::writeFile(path("data-file"), "not a folder"));
    TestSupport::useDataFolder(path("data-file"));
    G::addImageRows({path("a.png"), path("b.png")});
    G::itemSkipUpToDate->trigger();
    processAll();
    QFile::remove(m_args);
    processAll();
    QCOMPARE(convertedSources(m_args).size(), 2); // the second time too
    const auto said = std::count_if(T::messages().begin(), T::messages().end(),
                                    [](const T::Message& m) { return m.kind == Kind::Warning; });
    QCOMPARE(said, 1);
    QCOMPARE(statuses(), QStringList(2, "Converted"));
}

QTEST_MAIN(TestRun)
#include "test_run.moc"
