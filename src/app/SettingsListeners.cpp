// File > Exit, Edit > Theme and Edit > System.
#include "app/CorvaneGUI.h"

#include "conversion/run/RunSession.h"
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

void CorvaneGUI::quitProgram() {
    // A run under way is ended first, its converters with it; its end then
    // ends the program.
    if (activeRun) {
        quitAfterRun = true;
        activeRun->cancel();
        return;
    }
    QCoreApplication::exit(0);
}

void CorvaneGUI::ListenerFileExit::actionPerformed() const {
    quitProgram();
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
    system = TargetSystem::Windows;
}

void CorvaneGUI::ListenerEditSystem1::actionPerformed() const {
    system = TargetSystem::Mac;
}
