// File > Exit, Edit > Theme and Edit > System.
#include "app/CorvaneGUI.h"

#include "app/RunController.h"
#include "theme/Look.h"

#include <QCoreApplication>
#include <QLayout>

void CorvaneGUI::packFrame() {
    // The new look's fonts and metrics reach the widgets through posted
    // events; let them land so the preferred size is the new one.
    QCoreApplication::sendPostedEvents();
    frame->ensurePolished();
    if (QLayout* layout = frame->layout())
        layout->activate();
    // Resizing keeps the top-left corner where it is.
    frame->resize(frame->sizeHint());
}

void CorvaneGUI::ListenerFileExit::actionPerformed() const {
    // A run under way is ended first, its converters with it.
    if (RunController* run = RunController::active()) {
        run->quitWhenStopped();
        return;
    }
    QCoreApplication::exit(0);
}

void CorvaneGUI::ListenerEditLook0::actionPerformed() const {
    if (Look::installThemed())
        packFrame();
}

void CorvaneGUI::ListenerEditLook1::actionPerformed() const {
    if (Look::installSystem())
        packFrame();
}

void CorvaneGUI::ListenerEditSystem0::actionPerformed() const {
    system = 0;
}

void CorvaneGUI::ListenerEditSystem1::actionPerformed() const {
    system = 1;
}
