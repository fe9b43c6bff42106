#include "app/CorvaneGUI.h"
#include "app/QuitOnSignal.h"
#include "app/Startup.h"
#include "conversion/run/GroupWatchdog.h"
#include "theme/Look.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    // First, while the program is small: the watcher is a copy of it.
    GroupWatchdog::start();
    QApplication application(argc, argv); // the arguments are not options of ours
    // Names the folder under the user's cache where runs keep their scripts.
    QCoreApplication::setApplicationName(QStringLiteral("corvane"));
    recoverAbandonedRunsAtStart();
    Look::rememberSystemLook();
    CorvaneGUI window;
    showMainWindow(window);
    // Opened and checked meanwhile: the first Process finds it ready.
    CorvaneGUI::openLedger();
    quitOnTerminationSignals();
    startAttribCommand();
    return application.exec();
}
