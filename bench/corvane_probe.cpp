// Corvane's own start-up, reporting when its window is shown; with a row
// count, it first fills the table so the resident memory can be read.
#include "BenchPaths.h"
#include "ProbeReport.h"

#include "app/CorvaneGUI.h"
#include "app/Startup.h"
#include "theme/Look.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    Look::rememberSystemLook();
    CorvaneGUI window;
    showMainWindow(window);
    startAttribCommand();
    // A row count, and the folder the rows were added from (as a library), if any.
    const int rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 0;
    const QString root = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    if (rows > 0)
        CorvaneGUI::addImageRows(benchPaths(rows), root);
    return reportWhenShown(window);
}
