#include "app/QuitOnSignal.h"

#include "app/CorvaneGUI.h"
#include "conversion/run/TerminationSignals.h"

#include <QAction>

void quitOnTerminationSignals() {
    QObject::connect(&TerminationSignals::watch(), &TerminationSignals::requested,
                     CorvaneGUI::frame, [] {
                         if (CorvaneGUI::itemExit)
                             CorvaneGUI::itemExit->trigger();
                     });
}
