#include "app/CorvaneGUI.h"

#include "app/BorderLayout.h"
#include "conversion/rules/ConverterLocation.h"
#include "conversion/run/Machine.h"
#include "conversion/run/RunSession.h"
#include "joblist/JobSummaryLine.h"
#include "joblist/JobTableModel.h"
#include "joblist/customTable.h"
#include "joblist/scan/ImageScan.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

CorvaneGUI::Environment CorvaneGUI::systemEnvironment() {
    const ConverterProbe probe = systemConverterProbe();
    return {operatingSystemName(), probe.exists, probe.listFolder, probe.mayaLocation};
}

TargetSystem CorvaneGUI::systemForOsName(const QString& name) {
    return targetSystemForOsName(name);
}

CorvaneGUI::CorvaneGUI(const Environment& environment) {
    setUpClass();
    setCentralWidget(new QWidget);
    centralWidget()->setLayout(new BorderLayout(0, 0));
    setMenuBar(menuBar);
    buildMenus();
    detectSystem(environment.osName);
    model = new JobTableModel(this);
    table = new customTable;
    table->setModel(model);
    table->configureColumns();
    scrollPane = table;
    labelSummary = new JobSummaryLine(*model);
    buildLayout();
    setIcons();
    locateConverter(environment);
    applyDefaultOptions(); // before the listeners: none of them runs for the defaults
    attachListeners();
    frame = this;
}

CorvaneGUI::~CorvaneGUI() {
    delete activeRun.data();  // a run never outlives its window, nor do its converters
    delete activeScan.data(); // nor does a scan's worker thread
    clearClass();
}

void CorvaneGUI::buildMenus() {
    // An export like Create Script, but of files for other machines: it sits in
    // the File menu rather than crowding the row of the two run buttons.
    menuFile->addAction(itemAddFromScene);
    menuFile->addSeparator();
    menuFile->addAction(itemExportFarmJob);
    menuFile->addAction(itemSaveReport);
    menuFile->addSeparator();
    menuFile->addAction(itemExit);
    menuBar->addMenu(menuFile);

    menuEdit->addMenu(menuTheme);
    menuTheme->addAction(itemLookThemed);
    menuTheme->addAction(itemLookSystem);
    menuEdit->addMenu(menuSystem);
    menuSystem->addAction(itemSystemWindows);
    menuSystem->addAction(itemSystemMac);
    menuEdit->addMenu(menuConversions);
    buildConversionsMenu();
    menuEdit->addAction(itemSkipUpToDate);
    menuEdit->addAction(itemIncludeSubfolders);
    menuEdit->addSeparator();
    menuEdit->addAction(itemSelectFailed);
    menuEdit->addAction(itemSelectUnprocessed);
    menuEdit->setToolTipsVisible(true);
    menuBar->addMenu(menuEdit);

    for (QAction* item : {itemAbout, itemUpdate, itemDonate, itemForums})
        menuHelp->addAction(item);
    menuBar->addMenu(menuHelp);

    groupSystem->addAction(itemSystemWindows);
    groupSystem->addAction(itemSystemMac);

    // The menus and actions were made without a parent; the window owns them now.
    for (QMenu* menu : {menuFile, menuEdit, menuTheme, menuSystem, menuConversions, menuHelp})
        menu->setParent(this, menu->windowFlags());
    for (QAction* item :
         {itemAddFromScene, itemExportFarmJob, itemSaveReport, itemExit, itemLookThemed,
          itemLookSystem, itemSystemWindows, itemSystemMac, itemSkipUpToDate, itemIncludeSubfolders,
          itemSelectFailed, itemSelectUnprocessed, itemAbout, itemUpdate, itemDonate, itemForums})
        item->setParent(this);
}

void CorvaneGUI::detectSystem(const QString& name) {
    osName = name;
    system = systemForOsName(osName);
    (system == TargetSystem::Windows ? itemSystemWindows : itemSystemMac)->setChecked(true);
}

void CorvaneGUI::buildLayout() {
    auto border = [](QWidget* panel) { return static_cast<BorderLayout*>(panel->layout()); };
    auto* content = static_cast<BorderLayout*>(centralWidget()->layout());

    panelBanner->setAutoFillBackground(true);
    QPalette bannerPalette = panelBanner->palette();
    bannerPalette.setColor(QPalette::Window,
                           QColor(0x22, 0x30, 0x3c)); // the banner art's own colour
    panelBanner->setPalette(bannerPalette);
    border(panelBanner)->addWidget(labelBanner, BorderLayout::Center);
    content->addWidget(panelBanner, BorderLayout::North);
    content->addWidget(panelCentre, BorderLayout::Center);
    // A margin keeps the controls off the window's edge; the banner stays full width.
    panelCentre->layout()->setContentsMargins(hgap, vgap, hgap, vgap);

    auto* addGrid = static_cast<QGridLayout*>(panelAdd->layout());
    addGrid->addWidget(buttonAddImages, 0, 0);
    addGrid->addWidget(buttonAddDirectory, 0, 1);
    border(panelCentre)->addWidget(panelAdd, BorderLayout::North);

    border(panelCentre)->addWidget(panelTable, BorderLayout::Center);
    border(panelTable)->addWidget(scrollPane);
    auto* buttons = static_cast<QHBoxLayout*>(panelTableButtons->layout());
    buttons->addStretch();
    for (QPushButton* button : {buttonOpenFile, buttonOpenFolder, buttonRemoveSelected,
                                buttonRemoveConverted, buttonReset})
        buttons->addWidget(button);
    buttons->addStretch();
    // The summary line sits between the table and its buttons.
    border(panelTableFoot)->addWidget(labelSummary, BorderLayout::North);
    border(panelTableFoot)->addWidget(panelTableButtons, BorderLayout::Center);
    border(panelTable)->addWidget(panelTableFoot, BorderLayout::South);

    border(panelCentre)->addWidget(panelSettings, BorderLayout::South);
    auto* flags = static_cast<QGridLayout*>(panelFlags->layout());
    const QList<QWidget*> cells{labelFlags,  nullptr,   nullptr,     checkPyramid, checkGamma,
                                nullptr,     checkTile, fieldGamma,  nullptr,      checkCustom,
                                checkFilter, nullptr,   fieldCustom, fieldFilter,  nullptr};
    for (int i = 0; i < cells.size(); ++i)
        flags->addWidget(cells[i] ? cells[i] : new QLabel(QStringLiteral(" ")), i / 3, i % 3);
    for (int column = 0; column < 3; ++column)
        flags->setColumnStretch(column, 1);
    border(panelSettings)->addWidget(panelFlags, BorderLayout::North);

    border(panelImfCopy)->addWidget(labelImfCopy, BorderLayout::West);
    border(panelImfCopy)->addWidget(fieldImfCopy, BorderLayout::Center);
    border(panelImfCopy)->addWidget(buttonImfCopyBrowse, BorderLayout::East);
    border(panelSettings)->addWidget(panelImfCopy, BorderLayout::Center);

    border(panelSettings)->addWidget(panelOutput, BorderLayout::South);
    border(panelOutput)->addWidget(checkSameDirectory, BorderLayout::North);
    border(panelDirectory)->addWidget(labelDirectory, BorderLayout::West);
    border(panelDirectory)->addWidget(fieldDirectory, BorderLayout::Center);
    border(panelDirectory)->addWidget(buttonDirectoryBrowse, BorderLayout::East);
    border(panelOutput)->addWidget(panelDirectory, BorderLayout::Center);
    border(panelRun)->addWidget(buttonProcess, BorderLayout::Center);
    border(panelRun)->addWidget(buttonCreateScript, BorderLayout::East);
    border(panelOutput)->addWidget(panelRun, BorderLayout::South);
}

void CorvaneGUI::setIcons() {
    for (QPushButton* button :
         {buttonAddImages, buttonAddDirectory, buttonImfCopyBrowse, buttonDirectoryBrowse})
        button->setIcon(QIcon(*iconOpen));
    buttonProcess->setIcon(QIcon(*iconArrow));
    buttonProcess->setIconSize(iconArrow->size());
}

void CorvaneGUI::locateConverter(const Environment& environment) {
    fieldImfCopy->setText(::locateConverter(
        ConverterProbe{environment.fileExists, environment.listFolder, environment.mayaLocation}));
    imfCopyDefault = fieldImfCopy->text();
}

void CorvaneGUI::applyDefaultOptions() {
    // In this order, each change running its control's listener once the
    // listeners are attached, as a click would.
    const FlagOptions defaults;
    checkPyramid->setChecked(defaults.pyramid);
    checkTile->setChecked(defaults.tile);
    checkGamma->setChecked(defaults.gamma);
    fieldGamma->setText(defaults.gammaValue);
    checkFilter->setChecked(defaults.filter);
    fieldFilter->setText(defaults.filterValue);
    checkCustom->setChecked(defaults.custom);
    fieldCustom->setEnabled(false);
    fieldCustom->setText(defaults.customText);
    checkSameDirectory->setChecked(OutputChoice{}.sameDirectory);
    fieldDirectory->setText(OutputChoice{}.directory);
    fieldImfCopy->setText(imfCopyDefault);
    // The enabled states follow the ticks whether or not a listener ran.
    for (QWidget* widget :
         {static_cast<QWidget*>(labelDirectory), static_cast<QWidget*>(fieldDirectory),
          static_cast<QWidget*>(buttonDirectoryBrowse)})
        widget->setEnabled(!checkSameDirectory->isChecked());
    fieldGamma->setEnabled(false);
    fieldFilter->setEnabled(false);
    setFlagControlsEnabled(true);
}

void CorvaneGUI::closeEvent(QCloseEvent* event) {
    if (activeRun) {
        event->ignore();
        quitProgram();
        return;
    }
    QMainWindow::closeEvent(event);
}
