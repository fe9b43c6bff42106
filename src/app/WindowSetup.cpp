// Class set-up: every shared widget, menu and picture is created here, once
// per window, before the window is assembled.
#include "app/CorvaneGUI.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>

#include "app/BorderLayout.h"
#include "app/DesktopNotifier.h"
#include "conversion/run/Ledger.h"

#include <QGridLayout>
#include <QHBoxLayout>

static void initCorvaneResources() {
    Q_INIT_RESOURCE(corvane);
}

namespace {
QWidget* borderPanel(int hgap, int vgap) {
    auto* panel = new QWidget;
    panel->setLayout(new BorderLayout(hgap, vgap));
    return panel;
}

QWidget* gridPanel(int hgap, int vgap) {
    auto* panel = new QWidget;
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(hgap);
    grid->setVerticalSpacing(vgap);
    return panel;
}

QWidget* flowPanel(int hgap) {
    auto* panel = new QWidget;
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(hgap);
    return panel;
}

QLineEdit* emptyField() {
    return new QLineEdit;
}
} // namespace

void CorvaneGUI::setUpClass() {
    initCorvaneResources();
    chooserDirectory.clear();
    osName.clear();
    imfCopyDefault.clear();
    system = TargetSystem::Windows;
    quitAfterRun = false;
    ledgerUnusableSaid = false;
    ledgerStateSaid = false;
    skipUpToDate = false;
    lastReport.reset();
    notifier = systemNotifier();
    includeSubfolders = false;

    menuBar = new QMenuBar;
    menuFile = new QMenu(QStringLiteral("&File"));
    menuEdit = new QMenu(QStringLiteral("&Edit"));
    menuTheme = new QMenu(QStringLiteral("Theme"));
    menuSystem = new QMenu(QStringLiteral("System"));
    menuConversions = new QMenu(QStringLiteral("Conversions at Once"));
    menuHelp = new QMenu(QStringLiteral("&Help"));
    itemAddFromScene = new QAction(QStringLiteral("Add From &Scene..."));
    itemAddFromScene->setToolTip(
        QStringLiteral("Add the textures a Maya ASCII scene, a USD ASCII layer, a MaterialX\n"
                       "document or a list of paths uses, with their UDIM tiles."));
    itemExportFarmJob = new QAction(QStringLiteral("&Export Farm Job..."));
    itemExportFarmJob->setToolTip(
        QStringLiteral("Save the ticked images as a Slurm job array and a plain task list"));
    itemSaveReport = new QAction(QStringLiteral("Save Report..."));
    itemSaveReport->setEnabled(false); // until a run has ended
    itemExit = new QAction(QStringLiteral("E&xit"));
    itemLookThemed = new QAction(QStringLiteral("&Quillmere"));
    itemLookSystem = new QAction(QStringLiteral("System &Default"));
    itemSystemWindows = new QAction(QStringLiteral("Windows"));
    itemSystemMac = new QAction(QStringLiteral("Mac"));
    itemSystemWindows->setCheckable(true);
    itemSystemMac->setCheckable(true);
    itemSkipUpToDate = new QAction(QStringLiteral("Skip Up-to-Date Images"));
    itemSkipUpToDate->setCheckable(true);
    itemSkipUpToDate->setToolTip(
        QStringLiteral("Leave out images that Corvane has converted before, when the image,\n"
                       "the flags, the converter and the .map are all as they were then."));
    itemSelectFailed = new QAction(QStringLiteral("Select Failed"));
    itemSelectUnprocessed = new QAction(QStringLiteral("Select Unprocessed"));
    itemIncludeSubfolders = new QAction(QStringLiteral("Include Subfolders"));
    itemIncludeSubfolders->setCheckable(true);
    itemIncludeSubfolders->setToolTip(
        QStringLiteral("Add Directory and dropped folders also take the images of every\n"
                       "folder below, and the output directory mirrors their folders."));
    itemAbout = new QAction(QStringLiteral("&About"));
    itemUpdate = new QAction(QStringLiteral("&Update"));
    itemDonate = new QAction(QStringLiteral("&Donate"));
    itemForums = new QAction(QStringLiteral("&Forums"));
    groupSystem = new QActionGroup(nullptr);
    groupSystem->setExclusive(true);
    groupConversions = new QActionGroup(nullptr);
    groupConversions->setExclusive(true);

    logoImage = new QPixmap(QStringLiteral(":/images/logo.png"));
    iconBanner = new QPixmap(QStringLiteral(":/images/banner-corvane.png"));
    iconMaker = new QPixmap(QStringLiteral(":/images/quillmere.png"));
    iconOpen = new QPixmap(QStringLiteral(":/images/iconOpen.png"));
    iconArrow = new QPixmap(QStringLiteral(":/images/iconArrow.png"));
    labelBanner = new QLabel;
    labelBanner->setPixmap(*iconBanner);
    labelBanner->setAlignment(Qt::AlignCenter);
    labelMaker = new QLabel;
    labelMaker->setPixmap(*iconMaker);

    panelBanner = borderPanel(0, 0);
    panelCentre = borderPanel(0, 0);
    panelAdd = gridPanel(hgap, vgap);
    panelTable = borderPanel(hgap, vgap);
    panelTableButtons = flowPanel(hgap);
    panelTableFoot = borderPanel(hgap, vgap / 2);
    panelSettings = borderPanel(hgap / 4, vgap / 4);
    panelFlags = gridPanel(hgap / 4, vgap / 4);
    panelImfCopy = borderPanel(hgap, vgap);
    panelOutput = borderPanel(hgap, vgap);
    panelDirectory = borderPanel(hgap, vgap);
    panelRun = borderPanel(hgap, vgap);

    labelDirectory = new QLabel(QStringLiteral(" Directory"));
    labelImfCopy = new QLabel(QStringLiteral(" imf_copy"));
    labelFlags = new QLabel(QStringLiteral(" Flags"));
    fieldGamma = emptyField();
    fieldFilter = emptyField();
    fieldCustom = emptyField();
    fieldImfCopy = emptyField();
    fieldDirectory = emptyField();

    buttonAddImages = new QPushButton(QStringLiteral("Add Images"));
    buttonAddDirectory = new QPushButton(QStringLiteral("Add Directory"));
    buttonOpenFile = new QPushButton(QStringLiteral("Open File"));
    buttonOpenFolder = new QPushButton(QStringLiteral("Open Folder"));
    buttonRemoveSelected = new QPushButton(QStringLiteral("Remove Selected"));
    buttonRemoveConverted = new QPushButton(QStringLiteral("Remove All Converted"));
    buttonReset = new QPushButton(QStringLiteral("Reset"));
    buttonImfCopyBrowse = new QPushButton;
    buttonDirectoryBrowse = new QPushButton;
    buttonProcess = new QPushButton(QStringLiteral("Process"));
    buttonCreateScript = new QPushButton(QStringLiteral("Create Script"));

    checkPyramid = new QCheckBox(QStringLiteral("-p (pyramid)"));
    checkTile = new QCheckBox(QStringLiteral("-r (tile)"));
    checkGamma = new QCheckBox(QStringLiteral("-g (Gamma)"));
    checkFilter = new QCheckBox(QStringLiteral("-f (Filter)"));
    checkCustom = new QCheckBox(QStringLiteral("Custom:"));
    checkSameDirectory = new QCheckBox(QStringLiteral("Create in same directory"));
}

void CorvaneGUI::clearClass() {
    // The widgets died with the window; only the parentless pieces remain.
    delete groupSystem;
    delete groupConversions;
    groupConversions = nullptr;
    lastReport.reset();
    notifier.reset();
    labelSummary = nullptr;
    for (QPixmap** picture : {&logoImage, &iconBanner, &iconMaker, &iconOpen, &iconArrow}) {
        delete *picture;
        *picture = nullptr;
    }
    delete labelMaker;
    delete ledger; // writes what is still pending
    ledger = nullptr;
    frame = nullptr;
    model = nullptr;
    table = nullptr;
    scrollPane = nullptr;
    groupSystem = nullptr;
    labelMaker = nullptr;
}
