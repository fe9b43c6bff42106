// The yardstick: a main window with an empty four-column table, shown, then gone.
#include "ProbeReport.h"

#include <QApplication>
#include <QMainWindow>
#include <QStandardItemModel>
#include <QTableView>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QMainWindow window;
    QStandardItemModel model(0, 4);
    auto* table = new QTableView;
    table->setModel(&model);
    window.setCentralWidget(table);
    window.show();
    return reportWhenShown(window);
}
