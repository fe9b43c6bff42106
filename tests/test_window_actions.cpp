// The job-list buttons, the Edit, File and Help menus, driven through the
// real widgets of a fresh main window with every dialog answered by the test.
#include "app/CorvaneGUI.h"
#include "testsupport/DialogRecorder.h"
#include "joblist/JobTableModel.h"
#include "joblist/customTable.h"
#include "joblist/rules/FileFilter.h"
#include "joblist/rules/JobRow.h"
#include "testsupport/TestSupport.h"
#include "theme/Look.h"
#include "theme/QuillmereStyle.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cstdio>
#include <functional>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

using Dialogs::MessageKind;
namespace Testing = Dialogs::Testing;

namespace {

const QString mayaConverter =
    QStringLiteral("/Applications/Autodesk/maya2011/Maya.app/Contents/bin/imf_copy");

QString imagePath(int i) {
    return QStringLiteral("/jobs/img%1.png").arg(i);
}

void addRows(const QStringList& statuses) {
    std::vector<JobRow> rows;
    for (int i = 0; i < statuses.size(); ++i)
        rows.push_back(
            JobRow{true, imagePath(i), QStringLiteral("/jobs/img%1.map").arg(i), statuses[i]});
    CorvaneGUI::model->appendRows(std::move(rows));
}

QStringList tableImages() {
    QStringList images;
    for (const JobRow& row : CorvaneGUI::model->rows())
        images << row.image;
    return images;
}

QStringList asked() {
    const std::vector<QString>& questions = Testing::questions();
    return QStringList(questions.begin(), questions.end());
}

QStringList imagesOf(const QList<int>& indexes) {
    QStringList images;
    for (int i : indexes)
        images << imagePath(i);
    return images;
}

// Looked up by its label, so a button that shows one text but runs another
// action is caught.
QPushButton* buttonLabelled(const QString& label) {
    for (QPushButton* button : CorvaneGUI::frame->findChildren<QPushButton*>())
        if (button->text() == label)
            return button;
    return nullptr;
}

QAction* helpPageItem(int index) {
    return QList<QAction*>{CorvaneGUI::itemUpdate, CorvaneGUI::itemDonate,
                           CorvaneGUI::itemForums}[index];
}

// Moves every option away from its start-up value.
void changeEveryOption() {
    addRows({"Converted", "Unprocessed"});
    CorvaneGUI::checkPyramid->setChecked(false);
    CorvaneGUI::checkTile->setChecked(true);
    CorvaneGUI::checkGamma->setChecked(true);
    CorvaneGUI::fieldGamma->setText("2.2");
    CorvaneGUI::checkFilter->setChecked(true);
    CorvaneGUI::fieldFilter->setText("0.5");
    CorvaneGUI::checkCustom->setChecked(true);
    CorvaneGUI::fieldCustom->setText("-v -k 3");
    CorvaneGUI::checkSameDirectory->setChecked(false);
    CorvaneGUI::fieldDirectory->setText("/out");
    CorvaneGUI::fieldImfCopy->setText("/opt/elsewhere/imf_copy");
}

// The job list and every option control as text, so whole states compare at
// once and a difference names the control.
QStringList optionState() {
    QStringList state{QStringLiteral("rows %1").arg(CorvaneGUI::model->rowCount())};
    for (QCheckBox* box :
         {CorvaneGUI::checkPyramid, CorvaneGUI::checkTile, CorvaneGUI::checkGamma,
          CorvaneGUI::checkFilter, CorvaneGUI::checkCustom, CorvaneGUI::checkSameDirectory})
        state << QStringLiteral("%1: checked %2, enabled %3")
                     .arg(box->text())
                     .arg(int(box->isChecked()))
                     .arg(int(box->isEnabled()));
    const std::pair<const char*, QLineEdit*> fields[] = {{"gamma", CorvaneGUI::fieldGamma},
                                                         {"filter", CorvaneGUI::fieldFilter},
                                                         {"custom", CorvaneGUI::fieldCustom},
                                                         {"imf_copy", CorvaneGUI::fieldImfCopy},
                                                         {"directory", CorvaneGUI::fieldDirectory}};
    for (const auto& [name, field] : fields)
        state << QStringLiteral("%1 field: '%2', enabled %3")
                     .arg(QLatin1String(name), field->text())
                     .arg(int(field->isEnabled()));
    state << QStringLiteral("directory label enabled %1")
                 .arg(int(CorvaneGUI::labelDirectory->isEnabled()))
          << QStringLiteral("directory browse enabled %1")
                 .arg(int(CorvaneGUI::buttonDirectoryBrowse->isEnabled()));
    return state;
}

// Lines `call` writes to standard error; -1 when they cannot be captured.
int stderrLinesDuring(const std::function<void()>& call) {
#ifdef Q_OS_UNIX
    QTemporaryDir dir;
    if (!dir.isValid())
        return -1;
    const QString path = dir.filePath(QStringLiteral("stderr.txt"));
    std::fflush(stderr);
    const int saved = ::dup(2);
    const int file =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (saved < 0 || file < 0 || ::dup2(file, 2) < 0) {
        if (saved >= 0)
            ::close(saved);
        if (file >= 0)
            ::close(file);
        return -1;
    }
    ::close(file);
    call();
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    return static_cast<int>(TestSupport::readAll(path).count('\n'));
#else
    call();
    return -1;
#endif
}

} // namespace

class TestWindowActions : public QObject {
    Q_OBJECT

    QString m_systemStyle;

private slots:
    void initTestCase() {
        Look::rememberSystemLook();
        m_systemStyle = QApplication::style()->name();
    }

    void openFileChoosesByStatus_data() {
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const QString& status, const QString& expected) {
            QTest::newRow(name) << status << expected;
        };
        row("converted opens the map", "Converted", "/out/a.map");
        row("unprocessed opens the source", "Unprocessed", "/in/a.png");
        row("failed opens the source", "Failed", "/in/a.png");
        row("status case matters", "converted", "/in/a.png");
    }

    void openFileChoosesByStatus() {
        QFETCH(QString, status);
        QFETCH(QString, expected);
        auto window = TestSupport::makeWindow();
        CorvaneGUI::model->appendRow(JobRow{true, "/in/other.png", "/out/other.map", "Converted"});
        CorvaneGUI::model->appendRow(JobRow{true, "/in/a.png", "/out/a.map", status});
        CorvaneGUI::table->selectRow(1);
        CorvaneGUI::buttonOpenFile->click();
        QCOMPARE(Testing::openedUrls().size(), size_t(1));
        QCOMPARE(Testing::openedUrls().front(), QUrl::fromLocalFile(expected));
    }

    void openFolderTakesLastSeparator_data() {
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("image");
        QTest::addColumn<QString>("expected"); // empty: nothing may be opened
        auto row = [](const char* name, const QString& status, const QString& image,
                      const QString& expected) {
            QTest::newRow(name) << status << image << expected;
        };
        row("converted opens the map's folder", "Converted", "/in/a.png", "/out");
        row("unprocessed opens the source's folder", "Unprocessed", "/in/a.png", "/in");
        row("status case matters", "converted", "/in/a.png", "/in");
        row("backslash after slash", "Failed", "/in/sub\\a.png", "/in/sub");
        row("slash after backslash", "Failed", "/in\\sub/a.png", "/in\\sub");
        row("no separator", "Failed", "a.png", "");
    }

    void openFolderTakesLastSeparator() {
        QFETCH(QString, status);
        QFETCH(QString, image);
        QFETCH(QString, expected);
        auto window = TestSupport::makeWindow();
        CorvaneGUI::model->appendRow(JobRow{true, image, "/out/a.map", status});
        CorvaneGUI::table->selectRow(0);
        CorvaneGUI::buttonOpenFolder->click();
        if (expected.isEmpty()) {
            QVERIFY(Testing::openedUrls().empty());
            return;
        }
        QCOMPARE(Testing::openedUrls().size(), size_t(1));
        // Windows' file addresses take either separator for its own.
        QCOMPARE(QDir::fromNativeSeparators(Testing::openedUrls().front().toLocalFile()),
                 QDir::fromNativeSeparators(expected));
    }

    void openNeedsSelectionAndFailsQuietly() {
        auto window = TestSupport::makeWindow();
        addRows({"Converted", "Unprocessed"});
        CorvaneGUI::buttonOpenFile->click();
        CorvaneGUI::buttonOpenFolder->click();
        QVERIFY(Testing::openedUrls().empty());

        // The desktop refusing is not worth a message box.
        Testing::setOpenUrlResult(false);
        CorvaneGUI::table->selectRow(1);
        CorvaneGUI::buttonOpenFile->click();
        CorvaneGUI::buttonOpenFolder->click();
        QCOMPARE(Testing::openedUrls().size(), size_t(2));
        QVERIFY(Testing::messages().empty());
    }

    void removalsNeedYes_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("question");
        QTest::addColumn<int>("answer"); // -1: the box is closed without an answer
        QTest::addColumn<QList<int>>("kept");
        struct Case {
            const char* button;
            const char* question;
            QList<int> keptOnYes;
        };
        // Rows: Converted, Unprocessed (selected), Converted.
        for (const Case& c : {Case{"Remove Selected", "Remove selected?", {0, 2}},
                              Case{"Remove All Converted", "Remove converted files?", {1}},
                              Case{"Reset", "Reset all?", {}}}) {
            QTest::addRow("%s, yes", c.button) << c.button << c.question << 1 << c.keptOnYes;
            QTest::addRow("%s, no", c.button) << c.button << c.question << 0 << QList<int>{0, 1, 2};
            QTest::addRow("%s, unanswered", c.button)
                << c.button << c.question << -1 << QList<int>{0, 1, 2};
        }
    }

    void removalsNeedYes() {
        QFETCH(QString, button);
        QFETCH(QString, question);
        QFETCH(int, answer);
        QFETCH(QList<int>, kept);
        auto window = TestSupport::makeWindow();
        addRows({"Converted", "Unprocessed", "Converted"});
        CorvaneGUI::table->selectRow(1);
        if (answer >= 0)
            Testing::queueAnswer(answer == 1);
        QPushButton* pushed = buttonLabelled(button);
        QVERIFY(pushed);
        pushed->click();
        QCOMPARE(asked(), QStringList{question});
        QCOMPARE(Testing::questionTitles(), std::vector<QString>{"Corvane"});
        QCOMPARE(tableImages(), imagesOf(kept));
    }

    void questionsOnlyWhenSomethingToDo() {
        auto window = TestSupport::makeWindow();
        Testing::queueAnswer(true);
        CorvaneGUI::buttonRemoveConverted->click(); // empty table
        QVERIFY(Testing::questions().empty());

        addRows({"Converted", "Unprocessed"});
        CorvaneGUI::buttonRemoveSelected->click(); // no row selected
        QVERIFY(Testing::questions().empty());
        QCOMPARE(CorvaneGUI::model->rowCount(), 2);

        // Reset also clears the options, so it asks even with nothing listed.
        CorvaneGUI::model->clear();
        CorvaneGUI::buttonReset->click();
        QCOMPARE(asked(), QStringList{"Reset all?"});
        QCOMPARE(Testing::questionTitles(), std::vector<QString>{"Corvane"});
    }

    void removeConvertedKeepsOrder_data() {
        QTest::addColumn<QStringList>("statuses");
        QTest::addColumn<QList<int>>("kept");
        QTest::newRow("mixed") << QStringList{"Converted", "Converted", "Failed", "Converted",
                                              "Unprocessed"}
                               << QList<int>{2, 4};
        QTest::newRow("status case matters")
            << QStringList{"converted", "Converted"} << QList<int>{0};
        QTest::newRow("none converted") << QStringList{"Failed", "Unprocessed"} << QList<int>{0, 1};
        QTest::newRow("all converted") << QStringList{"Converted", "Converted"} << QList<int>{};

        // Many separate runs of converted rows, as a long batch leaves them.
        QStringList alternate, pairs;
        QList<int> odd, secondPairs;
        for (int i = 0; i < 1000; ++i) {
            alternate << (i % 2 == 0 ? "Converted" : "Unprocessed");
            if (i % 2 == 1)
                odd << i;
        }
        for (int i = 0; i < 100; ++i) {
            pairs << ((i / 2) % 2 == 0 ? "Converted" : "Failed");
            if ((i / 2) % 2 == 1)
                secondPairs << i;
        }
        QTest::newRow("every other of 1000") << alternate << odd;
        QTest::newRow("runs of two") << pairs << secondPairs;
    }

    void removeConvertedKeepsOrder() {
        QFETCH(QStringList, statuses);
        QFETCH(QList<int>, kept);
        auto window = TestSupport::makeWindow();
        addRows(statuses);
        Testing::queueAnswer(true);
        CorvaneGUI::buttonRemoveConverted->click();
        QCOMPARE(tableImages(), imagesOf(kept));
    }

    void resetRestoresStartUpState() {
        // A located converter, so start-up differs from the bare program name.
        auto window =
            TestSupport::makeWindow("Linux", [](const QString& p) { return p == mayaConverter; });
        const QStringList startUp = optionState();
        changeEveryOption();
        CorvaneGUI::itemSystemWindows->trigger();
        QVERIFY(!CorvaneGUI::checkPyramid->isEnabled()); // custom flags lock the others

        Testing::queueAnswer(true);
        CorvaneGUI::buttonReset->click();
        QCOMPARE(optionState(), startUp);
        // The start-up values themselves, as the user sees them.
        QCOMPARE(CorvaneGUI::model->rowCount(), 0);
        QVERIFY(CorvaneGUI::checkPyramid->isChecked() && CorvaneGUI::checkPyramid->isEnabled());
        QVERIFY(!CorvaneGUI::checkGamma->isChecked() && !CorvaneGUI::checkCustom->isChecked());
        QCOMPARE(CorvaneGUI::fieldGamma->text(), QString("1.0"));
        QCOMPARE(CorvaneGUI::fieldFilter->text(), QString("1.0"));
        QVERIFY(!CorvaneGUI::fieldGamma->isEnabled() && !CorvaneGUI::fieldFilter->isEnabled());
        QVERIFY(CorvaneGUI::fieldCustom->text().isEmpty() && !CorvaneGUI::fieldCustom->isEnabled());
        QVERIFY(CorvaneGUI::checkSameDirectory->isChecked());
        QVERIFY(CorvaneGUI::fieldDirectory->text().isEmpty());
        QVERIFY(!CorvaneGUI::fieldDirectory->isEnabled() &&
                !CorvaneGUI::labelDirectory->isEnabled() &&
                !CorvaneGUI::buttonDirectoryBrowse->isEnabled());
        QCOMPARE(CorvaneGUI::fieldImfCopy->text(), mayaConverter);
        // The target system is a menu choice, not an option of the job list.
        QCOMPARE(CorvaneGUI::system, TargetSystem::Windows);
        QVERIFY(CorvaneGUI::itemSystemWindows->isChecked());
    }

    void resetAnsweredNoKeepsEverything() {
        auto window = TestSupport::makeWindow();
        changeEveryOption();
        const QStringList changed = optionState();
        Testing::queueAnswer(false);
        CorvaneGUI::buttonReset->click();
        QCOMPARE(optionState(), changed);
    }

    void startUpSystem_data() {
        QTest::addColumn<QString>("osName");
        QTest::addColumn<int>("system");
        QTest::newRow("Windows 10") << "Windows 10" << 0;
        QTest::newRow("Linux") << "Linux" << 1;
        QTest::newRow("Mac OS X") << "Mac OS X" << 1;
    }

    void startUpSystem() {
        QFETCH(QString, osName);
        QFETCH(int, system);
        auto window = TestSupport::makeWindow(osName);
        QCOMPARE(int(CorvaneGUI::system), system);
        QCOMPARE(CorvaneGUI::itemSystemWindows->isChecked(), system == 0);
        QCOMPARE(CorvaneGUI::itemSystemMac->isChecked(), system == 1);
    }

    void systemMenuChoosesScriptFlavour_data() {
        QTest::addColumn<QString>("startOs");
        QTest::addColumn<bool>("chooseMac");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("firstLine");
        QTest::addColumn<QString>("offeredExtension");
        // Each starts on the other system, so only the menu can give the result.
        auto row = [](const char* name, const QString& startOs, bool chooseMac, const QString& file,
                      const QString& firstLine, const QString& extension) {
            QTest::newRow(name) << startOs << chooseMac << file << firstLine << extension;
        };
        row("Mac", "Windows 10", true, "convert.sh", "#!/bin/bash", "sh");
        row("Windows", "Linux", false, "convert.bat", "@echo.", "bat");
    }

    void systemMenuChoosesScriptFlavour() {
        QFETCH(QString, startOs);
        QFETCH(bool, chooseMac);
        QFETCH(QString, fileName);
        QFETCH(QString, firstLine);
        QFETCH(QString, offeredExtension);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        auto window = TestSupport::makeWindow(startOs);
        (chooseMac ? CorvaneGUI::itemSystemMac : CorvaneGUI::itemSystemWindows)->trigger();
        QCOMPARE(CorvaneGUI::system, chooseMac ? TargetSystem::Mac : TargetSystem::Windows);
        QVERIFY(CorvaneGUI::itemSystemMac->isChecked() == chooseMac);
        QVERIFY(CorvaneGUI::itemSystemWindows->isChecked() != chooseMac);

        QVERIFY(CorvaneGUI::addImageRow("/jobs/a.png"));
        const QString path = dir.filePath(fileName);
        Testing::queueFiles(Dialogs::FileAnswer{{path}, 1});
        CorvaneGUI::buttonCreateScript->click();
        QCOMPARE(Testing::messages().size(), size_t(1));
        QCOMPARE(Testing::messages().front().text.section('\n', 0, 0), QString("Script created!"));
        QByteArray first = TestSupport::readAll(path).split('\n').first();
        if (first.endsWith('\r'))
            first.chop(1); // a Windows host's line end of a batch file
        QCOMPARE(first, firstLine.toUtf8());

        const Dialogs::FileRequest& request = Testing::fileRequests().back();
        QVERIFY(request.currentFilter >= 0 &&
                size_t(request.currentFilter) < request.filters.size());
        QCOMPARE(request.filters[size_t(request.currentFilter)]->extensions(),
                 QStringList{offeredExtension});
    }

    void processWithWindowsTargetFailsHere() {
#ifdef Q_OS_WIN
        QSKIP("a batch file does run on Windows");
#endif
        auto window = TestSupport::makeWindow("Linux");
        CorvaneGUI::fieldImfCopy->setText(TestSupport::fakeConverter()); // found here
        CorvaneGUI::itemSystemWindows->trigger();
        for (const char* path : {"/jobs/a.png", "/jobs/b.png", "/jobs/c.png"})
            QVERIFY(CorvaneGUI::addImageRow(path));
        CorvaneGUI::model->setProcess(2, false);
        CorvaneGUI::buttonProcess->click();
        QVERIFY(TestSupport::finishRun());
        QCOMPARE(Testing::messages().size(), size_t(1));
        const Testing::Message& message = Testing::messages().front();
        QVERIFY(message.kind == MessageKind::Error);
        QCOMPARE(message.title, QString("Corvane"));
        QCOMPARE(message.text, QString("Exception Error"));
        QCOMPARE(CorvaneGUI::model->row(0).status, QString("Failed"));
        QCOMPARE(CorvaneGUI::model->row(1).status, QString("Failed"));
        QCOMPARE(CorvaneGUI::model->row(2).status, QString("Unprocessed"));
    }

    void processWithMacTargetConverts() {
#ifdef Q_OS_WIN
        QSKIP("the Mac flavour needs a POSIX shell");
#endif
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString image = dir.filePath("photo.png");
        QVERIFY(TestSupport::writeImage(image));
        auto window = TestSupport::makeWindow("Windows 10");
        CorvaneGUI::itemSystemMac->trigger();
        CorvaneGUI::fieldImfCopy->setText(TestSupport::fakeConverter());
        QVERIFY(CorvaneGUI::addImageRow(image));
        CorvaneGUI::buttonProcess->click();
        QVERIFY(TestSupport::finishRun());
        QCOMPARE(Testing::messages().size(), size_t(1));
        const Testing::Message& message = Testing::messages().front();
        QVERIFY(message.kind == MessageKind::Information);
        QCOMPARE(message.title, QString("Corvane"));
        QCOMPARE(message.text, QString("Processed Successfully"));
        const JobRow& row = CorvaneGUI::model->row(0);
        QCOMPARE(row.status, QString("Converted"));
        QVERIFY(!row.process);
        QVERIFY(QFileInfo(row.newImage).size() > 0);
    }

    void lookSwitchPacksWindow() {
        auto window = TestSupport::makeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        // Twice round, so coming back to a look already used works too.
        for (int round = 0; round < 2; ++round) {
            for (bool themed : {true, false}) {
                window->move(37, 41);
                const QSize large = window->sizeHint() + QSize(180, 120);
                window->resize(large);
                QTRY_COMPARE(window->size(), large);
                const QPoint corner = window->pos();

                (themed ? CorvaneGUI::itemLookThemed : CorvaneGUI::itemLookSystem)->trigger();
                QCOMPARE(Look::themedLookActive(), themed);
                if (themed)
                    QVERIFY(qobject_cast<QuillmereStyle*>(QApplication::style()));
                else
                    QCOMPARE(QApplication::style()->name().toLower(), m_systemStyle.toLower());
                QTRY_COMPARE(window->size(), window->sizeHint());
                QCOMPARE(window->pos(), corner);
            }
        }
    }

    void exitEndsEventLoop() {
        auto window = TestSupport::makeWindow();
        window->show();
        // Ends a loop that Exit failed to end, so the failure shows as a wrong code.
        QTimer fallback;
        fallback.setSingleShot(true);
        connect(&fallback, &QTimer::timeout, this, [] { QCoreApplication::exit(99); });
        fallback.start(10000);
        QTimer::singleShot(0, CorvaneGUI::itemExit, &QAction::trigger);
        QCOMPARE(QApplication::exec(), 0);
    }

    void helpPages_data() {
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("desktopOpens");
        const char* addresses[] = {"http://www.quillmere-software.example/corvane/",
                                   "http://www.quillmere-software.example/donate/",
                                   "http://www.quillmere-software.example/forum/"};
        const char* names[] = {"Update", "Donate", "Forums"};
        for (int i = 0; i < 3; ++i) {
            QTest::addRow("%s", names[i]) << i << addresses[i] << true;
            QTest::addRow("%s, desktop refuses", names[i]) << i << addresses[i] << false;
        }
    }

    void helpPages() {
        QFETCH(int, item);
        QFETCH(QString, address);
        QFETCH(bool, desktopOpens);
        auto window = TestSupport::makeWindow();
        Testing::setOpenUrlResult(desktopOpens);
        const int lines = stderrLinesDuring([item] { helpPageItem(item)->trigger(); });
        QCOMPARE(Testing::openedUrls().size(), size_t(1));
        QCOMPARE(Testing::openedUrls().front(), QUrl(address));
        QVERIFY(Testing::messages().empty());
#ifdef Q_OS_UNIX
        QCOMPARE(lines, desktopOpens ? 0 : 1);
#else
        Q_UNUSED(lines);
#endif
    }

    void aboutWindowsAreModeless() {
        auto window = TestSupport::makeWindow();
        window->show();
        CorvaneGUI::itemAbout->trigger();
        CorvaneGUI::itemAbout->trigger();

        QList<QDialog*> abouts;
        for (QDialog* dialog : window->findChildren<QDialog*>(Qt::FindDirectChildrenOnly))
            if (dialog->windowTitle() == "About")
                abouts << dialog;
        QCOMPARE(abouts.size(), 2);
        auto hasLogo = [](const QDialog* about) {
            for (const QLabel* label : about->findChildren<QLabel*>())
                if (!label->pixmap().isNull() && label->pixmap().size() == QSize(640, 200))
                    return true;
            return false;
        };
        for (QDialog* about : abouts) {
            QVERIFY(about->isVisible());
            QVERIFY(!about->isModal());
            QVERIFY(about->parentWidget() == window.get());
            QCOMPARE(about->minimumSize(), QSize(640, 350));
            QCOMPARE(about->maximumSize(), QSize(640, 350));
            QVERIFY(!about->windowIcon().isNull());
            QVERIFY(hasLogo(about));
            bool credits = false;
            for (const QLabel* label : about->findChildren<QLabel*>())
                credits = credits || label->text().contains("Developed by ");
            QVERIFY(credits);
        }
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(window->isEnabled());

        QPointer<QDialog> first = abouts[0], second = abouts[1];
        QVERIFY(first->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull());
        QVERIFY(second && second->isVisible());
        QVERIFY(hasLogo(second)); // the closed window must not take the other's logo along
        QVERIFY(window->isVisible());
    }
};

QTEST_MAIN(TestWindowActions)
#include "test_window_actions.moc"
