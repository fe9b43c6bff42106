// Edit > Conversions at Once and Skip Up-to-Date Images: how Process goes about a run.
#include "app/CorvaneGUI.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QThread>

QList<int> CorvaneGUI::conversionChoices(int cores) {
    QList<int> choices;
    for (int count = 1; count <= cores; count *= 2)
        choices << count;
    if (choices.isEmpty())
        choices << 1;
    return choices;
}

void CorvaneGUI::buildConversionsMenu() {
    const int cores = std::max(1, QThread::idealThreadCount());
    QList<QAction*> items;
    for (int count : conversionChoices(cores)) {
        auto* item = new QAction(QString::number(count), this);
        item->setData(count);
        items << item;
    }
    auto* allCores = new QAction(QStringLiteral("All Cores (%1)").arg(cores), this);
    allCores->setData(cores);
    items << allCores;
    for (QAction* item : items) {
        item->setCheckable(true);
        groupConversions->addAction(item);
        menuConversions->addAction(item);
        const int count = item->data().toInt();
        connect(item, &QAction::triggered, this,
                [count] { ListenerConversionsAtOnce{count}.actionPerformed(); });
    }
    // Nothing is remembered: every start uses all cores.
    allCores->setChecked(true);
    conversionsAtOnce = cores;
}

void CorvaneGUI::ListenerConversionsAtOnce::actionPerformed() const {
    conversionsAtOnce = count;
}

void CorvaneGUI::ListenerSkipUpToDate::itemStateChanged() const {
    skipUpToDate = itemSkipUpToDate->isChecked();
}
