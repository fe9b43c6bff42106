// Plays Corvane for a test that kills it mid-run: it starts as the program
// does, adds the images named on its command line, presses Process and runs
// until it is killed. Given no image, it only starts (cleaning up after runs
// whose program died), says how many targets that removed, and ends.
//
// The converter and its switches come from CORVANE_TEST_CONVERTER and
// CORVANE_TEST_SWITCHES. Windows has no variable that moves the user's folders:
// there CORVANE_TEST_APP_NAME names the program, and so its folders.
#include "app/CorvaneGUI.h"
#include "testsupport/DialogRecorder.h"
#include "app/QuitOnSignal.h"
#include "app/Startup.h"
#include "conversion/run/GroupWatchdog.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTextStream>

int main(int argc, char* argv[]) {
    GroupWatchdog::start();
    QApplication application(argc, argv);
    QCoreApplication::setApplicationName(
        qEnvironmentVariable("CORVANE_TEST_APP_NAME", QStringLiteral("corvane")));
    recoverAbandonedRunsAtStart();
    QTextStream out(stdout);
    const QStringList images = application.arguments().mid(1);
    if (images.isEmpty()) {
        out << "recovered " << CorvaneGUI::recoveredTargets << Qt::endl;
        return 0;
    }
    Dialogs::Testing::enable();
    CorvaneGUI window;
#ifdef Q_OS_WIN
    CorvaneGUI::system = TargetSystem::Windows;
#else
    CorvaneGUI::system = TargetSystem::Mac;
#endif
    CorvaneGUI::conversionsAtOnce = 2; // whatever this machine's cores
    CorvaneGUI::fieldImfCopy->setText(qEnvironmentVariable("CORVANE_TEST_CONVERTER"));
    CorvaneGUI::checkCustom->setChecked(true);
    CorvaneGUI::fieldCustom->setText(qEnvironmentVariable("CORVANE_TEST_SWITCHES"));
    CorvaneGUI::addImageRows(images);
    CorvaneGUI::processImages();
    quitOnTerminationSignals();
    out << "running" << Qt::endl;
    return application.exec();
}
