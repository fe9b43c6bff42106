#include "app/Startup.h"

#include "app/CorvaneGUI.h"
#include "conversion/run/AbandonedRuns.h"
#include "theme/Look.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QProcess>
#include <QScreen>

const QString& attribCommand() {
    static const QString command = QStringLiteral("attrib -r \"%USERPROFILE%\\My Documents\"");
    return command;
}

void showMainWindow(CorvaneGUI& window) {
    window.setWindowTitle(QStringLiteral("Corvane v") + CorvaneGUI::version +
                          QStringLiteral(" - Quillmere Software"));
    window.resize(400, 700);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect placed(QPoint(), QSize(400, 700));
        placed.moveCenter(screen->availableGeometry().center());
        window.move(placed.topLeft());
    }
    if (CorvaneGUI::logoImage && !CorvaneGUI::logoImage->isNull())
        window.setWindowIcon(QIcon(*CorvaneGUI::logoImage));
    if (Look::installThemed())
        CorvaneGUI::packFrame();
    window.show();
}

void recoverAbandonedRunsAtStart() {
    CorvaneGUI::recoveredTargets = recoverAbandonedRuns().targets;
}

bool startAttribCommand() {
    QStringList arguments = QProcess::splitCommand(attribCommand());
    if (arguments.isEmpty())
        return false;
    const QString program = arguments.takeFirst();
    return QProcess::startDetached(program, arguments);
}
