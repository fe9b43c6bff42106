// Attaches every control to the listener class that serves it.
#include "app/CorvaneGUI.h"

#include "joblist/customTable.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

namespace {
template <typename Listener> void onClick(QPushButton* button, QObject* context) {
    QObject::connect(button, &QPushButton::clicked, context, [] { Listener{}.actionPerformed(); });
}

template <typename Listener> void onTrigger(QAction* item, QObject* context) {
    QObject::connect(item, &QAction::triggered, context, [] { Listener{}.actionPerformed(); });
}

template <typename Listener> void onToggle(QCheckBox* box, QObject* context) {
    QObject::connect(box, &QCheckBox::toggled, context, [] { Listener{}.itemStateChanged(); });
}
} // namespace

void CorvaneGUI::attachListeners() {
    onClick<ListenerAddImages>(buttonAddImages, this);
    onClick<ListenerAddDirectory>(buttonAddDirectory, this);
    onClick<ListenerOpenDirectory>(buttonDirectoryBrowse, this);
    onClick<ListenerProcessImages>(buttonProcess, this);
    onClick<ListenerTableOpenFile>(buttonOpenFile, this);
    onClick<ListenerTableOpenFolder>(buttonOpenFolder, this);
    onClick<ListenerTableDelete>(buttonRemoveSelected, this);
    onClick<ListenerTableDeleteCon>(buttonRemoveConverted, this);
    onClick<ListenerTableReset>(buttonReset, this);
    onClick<ListenerCreateScript>(buttonCreateScript, this);
    onToggle<ListenerCustom>(checkCustom, this);
    onToggle<ListenerGamma>(checkGamma, this);
    onToggle<ListenerFilter>(checkFilter, this);
    onToggle<ListenerSameDirectory>(checkSameDirectory, this);
    connect(fieldDirectory, &QLineEdit::textChanged, this,
            [] { ListenerDirectory{}.textChanged(); });
    onTrigger<ListenerAddFromScene>(itemAddFromScene, this);
    onTrigger<ListenerExportFarmJob>(itemExportFarmJob, this);
    onTrigger<ListenerFileSaveReport>(itemSaveReport, this);
    onTrigger<ListenerFileExit>(itemExit, this);
    onTrigger<ListenerEditLook0>(itemLookThemed, this);
    onTrigger<ListenerEditLook1>(itemLookSystem, this);
    onTrigger<ListenerEditSystem0>(itemSystemWindows, this);
    onTrigger<ListenerEditSystem1>(itemSystemMac, this);
    connect(itemSkipUpToDate, &QAction::toggled, this,
            [] { ListenerSkipUpToDate{}.itemStateChanged(); });
    onTrigger<ListenerSelectFailed>(itemSelectFailed, this);
    onTrigger<ListenerSelectUnprocessed>(itemSelectUnprocessed, this);
    connect(itemIncludeSubfolders, &QAction::toggled, this,
            [] { ListenerIncludeSubfolders{}.itemStateChanged(); });
    onTrigger<ListenerHelpAbout>(itemAbout, this);
    onTrigger<ListenerHelpWebsite>(itemUpdate, this);
    onTrigger<ListenerHelpDonate>(itemDonate, this);
    onTrigger<ListenerHelpForum>(itemForums, this);
    connect(table, &customTable::pathsDropped, this,
            [](const QStringList& paths) { scanAndAdd(paths); });
    connect(table, &customTable::removeRequested, this,
            [] { ListenerTableDelete{}.actionPerformed(); });
    connect(table, &customTable::rowMenuRequested, this, &CorvaneGUI::showRowMenu);
    // The converter's browse button opens a file chooser for the converter.
    onClick<ListenerImfCopyBrowse>(buttonImfCopyBrowse, this);
}
