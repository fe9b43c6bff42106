#pragma once

#include "conversion/rules/Maker.h"
#include "conversion/rules/TargetSystem.h"
#include "conversion/run/RunSession.h"
#include "joblist/rules/JobRow.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAbstractScrollArea;
class QAction;
class QActionGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPixmap;
class QPushButton;
class QWidget;
class JobTableModel;
class customTable;
class Ledger;
class JobSummaryLine;
class DesktopNotifier;
struct RunReport;
namespace Dialogs {
enum class MessageKind;
}
class ImageScan;
struct SceneTextures;
struct FlagOptions;
struct ImageGroup;
struct CommandSettings;
struct TickedJobs;

// The one main window. Its widgets and settings are class-wide, so the small
// listener classes below reach them directly without holding the window.
class CorvaneGUI final : public QMainWindow {
    Q_OBJECT
public:
    // What the window asks of the machine at start-up; tests replace it.
    struct Environment {
        QString osName;
        std::function<bool(const QString&)> fileExists;
        // The folders in a folder; none when unset (the converter probe then
        // knows only the first releases).
        std::function<QStringList(const QString&)> listFolder;
        // The MAYA_LOCATION variable; empty when unset.
        QString mayaLocation;
    };
    static Environment systemEnvironment();

    explicit CorvaneGUI(const Environment& environment = systemEnvironment());
    ~CorvaneGUI() override;

    // Settings and shared state.
    static inline const QString version = programVersion();
    // Title of the run's result boxes and of the list's questions.
    static inline const QString dialogTitle = QStringLiteral("Corvane");
    static inline CorvaneGUI* frame = nullptr;
    static inline TargetSystem system = TargetSystem::Windows; // the flavour of scripts
    static inline QString osName;
    static inline QString imfCopyDefault;
    static inline QString chooserDirectory;
    static inline const int hgap = 8;
    static inline const int vgap = 8;
    static inline const QStringList columnNames = jobColumnTitles();
    static inline JobTableModel* model = nullptr;
    static inline customTable* table = nullptr;
    static inline QAbstractScrollArea* scrollPane = nullptr; // the table scrolls itself

    // Pictures.
    static inline QPixmap* logoImage = nullptr;
    static inline QPixmap* iconBanner = nullptr;
    static inline QPixmap* iconMaker = nullptr;
    static inline QPixmap* iconOpen = nullptr;
    static inline QPixmap* iconArrow = nullptr;

    // Menus.
    static inline QMenuBar* menuBar = nullptr;
    static inline QMenu* menuFile = nullptr;
    static inline QMenu* menuEdit = nullptr;
    static inline QMenu* menuTheme = nullptr;
    static inline QMenu* menuSystem = nullptr;
    static inline QMenu* menuConversions = nullptr;
    static inline QMenu* menuHelp = nullptr;
    static inline QAction* itemAddFromScene = nullptr;
    static inline QAction* itemExportFarmJob = nullptr;
    static inline QAction* itemSaveReport = nullptr;
    static inline QAction* itemExit = nullptr;
    static inline QAction* itemLookThemed = nullptr;
    static inline QAction* itemLookSystem = nullptr;
    static inline QAction* itemSystemWindows = nullptr;
    static inline QAction* itemSystemMac = nullptr;
    static inline QAction* itemSkipUpToDate = nullptr;
    static inline QAction* itemSelectFailed = nullptr;
    static inline QAction* itemSelectUnprocessed = nullptr;
    static inline QAction* itemIncludeSubfolders = nullptr;
    static inline QAction* itemAbout = nullptr;
    static inline QAction* itemUpdate = nullptr;
    static inline QAction* itemDonate = nullptr;
    static inline QAction* itemForums = nullptr;
    static inline QActionGroup* groupSystem = nullptr;
    static inline QActionGroup* groupConversions = nullptr;
    // How many rows Process converts at once; starts at every logical core.
    static inline int conversionsAtOnce = 1;
    // The Process run under way, if any; while it lasts the table and the
    // options are locked.
    static inline QPointer<RunSession> activeRun;
    // Set when the window is closed (or File > Exit chosen) during a run: the
    // program ends once the run has ended its converters.
    static inline bool quitAfterRun = false;
    // The record of finished conversions, opened at start-up (or at the first
    // Process) on a thread of its own.
    static inline Ledger* ledger = nullptr;
    static inline bool ledgerUnusableSaid = false;
    static inline bool ledgerStateSaid = false; // a broken ledger moved aside is told once
    // Incomplete targets of runs that never ended, removed at start; the next
    // run's box says so.
    static inline int recoveredTargets = 0;
    // Whether Process leaves out rows whose .map is newer than their image.
    static inline bool skipUpToDate = false;
    // The last run that ended, for File > Save Report; none before the first.
    static inline std::shared_ptr<const RunReport> lastReport;
    // Tells the desktop when a long run ends unseen; tests replace it.
    static inline std::shared_ptr<DesktopNotifier> notifier;
    // Whether "Add Directory" and dropped folders take the folders below too.
    static inline bool includeSubfolders = false;
    // The scan for images under way, if any; while it lasts nothing can be
    // added and nothing processed.
    static inline QPointer<ImageScan> activeScan;

    // Panels.
    static inline QWidget* panelBanner = nullptr;
    static inline QWidget* panelCentre = nullptr;
    static inline QWidget* panelAdd = nullptr;
    static inline QWidget* panelTable = nullptr;
    static inline QWidget* panelTableButtons = nullptr;
    static inline QWidget* panelTableFoot = nullptr; // the summary line above the buttons
    static inline QWidget* panelSettings = nullptr;
    static inline QWidget* panelFlags = nullptr;
    static inline QWidget* panelImfCopy = nullptr;
    static inline QWidget* panelOutput = nullptr;
    static inline QWidget* panelDirectory = nullptr;
    static inline QWidget* panelRun = nullptr;

    // Labels.
    static inline QLabel* labelBanner = nullptr;
    static inline QLabel* labelMaker = nullptr;
    static inline QLabel* labelFlags = nullptr;
    static inline QLabel* labelImfCopy = nullptr;
    static inline QLabel* labelDirectory = nullptr;
    static inline JobSummaryLine* labelSummary = nullptr;

    // Buttons.
    static inline QPushButton* buttonAddImages = nullptr;
    static inline QPushButton* buttonAddDirectory = nullptr;
    static inline QPushButton* buttonOpenFile = nullptr;
    static inline QPushButton* buttonOpenFolder = nullptr;
    static inline QPushButton* buttonRemoveSelected = nullptr;
    static inline QPushButton* buttonRemoveConverted = nullptr;
    static inline QPushButton* buttonReset = nullptr;
    static inline QPushButton* buttonImfCopyBrowse = nullptr;
    static inline QPushButton* buttonDirectoryBrowse = nullptr;
    static inline QPushButton* buttonProcess = nullptr;
    static inline QPushButton* buttonCreateScript = nullptr;

    // Check boxes.
    static inline QCheckBox* checkPyramid = nullptr;
    static inline QCheckBox* checkTile = nullptr;
    static inline QCheckBox* checkGamma = nullptr;
    static inline QCheckBox* checkFilter = nullptr;
    static inline QCheckBox* checkCustom = nullptr;
    static inline QCheckBox* checkSameDirectory = nullptr;

    // Text fields.
    static inline QLineEdit* fieldGamma = nullptr;
    static inline QLineEdit* fieldFilter = nullptr;
    static inline QLineEdit* fieldCustom = nullptr;
    static inline QLineEdit* fieldImfCopy = nullptr;
    static inline QLineEdit* fieldDirectory = nullptr;

    // Target system for an operating-system name: only names starting with
    // "Windows" (letter case included) give Windows.
    static TargetSystem systemForOsName(const QString& name);

    // The choices of Edit > Conversions at Once for a machine: 1, 2, 4, ...
    // up to `cores`; "All Cores (N)" follows them.
    static QList<int> conversionChoices(int cores);

    // Shared operations of the listeners; they read the widgets and hand
    // plain values to the rules.
    static bool addImageRow(const QString& path);
    // Adds rows in one insertion; `root` is the folder they were added from
    // (empty: each image's own).
    static void addImageRows(const QStringList& paths, const QString& root = {});
    static void addImageGroups(const std::vector<ImageGroup>& groups);
    // Looks through folders and files (chosen or dropped) for images on a
    // worker thread, then adds them; Include Subfolders decides how deep.
    static void scanAndAdd(const QStringList& paths);
    // Adds the textures that scenes (read by a scan) use, each file once in
    // the table, and says in one box what was added and what was not.
    static void addSceneTextures(const std::vector<SceneTextures>& scenes);
    static void recomputeTargets();
    // Where a save dialog for the output starts: the output folder when one is
    // chosen and there, else the dialog's own choice.
    static QString outputFolderToStartIn();
    static int selectedRowIndex();
    static std::vector<int> selectedRowIndexes(); // ascending
    // Selects every row whose status is exactly `status`.
    static void selectRowsWithStatus(const QString& status);
    static void openRowFile(int row);
    static void openRowFolder(int row);
    // The menu of a right click on a row.
    static void showRowMenu(int row, const QPoint& globalPos);
    static void showRowReport(int row);
    static void copyCommandLine(int row);
    static FlagOptions flagOptions();
    static CommandSettings commandSettings();
    static QString buildFlagString();
    static std::optional<QString> commandTargetPath(int row);
    static std::optional<QString> buildConverterCommand(int row);
    static void setFlagControlsEnabled(bool enabled);
    static void locateConverter(const Environment& environment);
    static bool openWithDesktop(const QString& path);
    static void openWebPage(const QString& address);
    static void showAboutBox();
    static void packFrame();
    static void processImages();
    static void createScript();
    // Starts a run, wired to the window: the lock, the progress dialog, the
    // result box (or the program's end, when it was asked for meanwhile).
    static void startRun(RunSession::Request request);
    // Starts opening the ledger, without waiting for it.
    static void openLedger();
    // The ledger, opened (and a broken one replaced, with a word) on first use.
    static Ledger& runLedger();
    // The word on a broken ledger moved aside, once: when the file's check is
    // done, or at once when `wait` (the end of a run) allows waiting for it.
    static void tellLedgerState(bool wait);
    // Whether the converter field names a program that can run here; if not,
    // says so in a warning box.
    static bool converterReadyToRun();
    // Keeps a run's report, tells the desktop if the run ended unseen, and
    // shows the result box, which offers to save the report.
    static void announceRunEnd(RunReport report, Dialogs::MessageKind kind, const QString& text,
                               const QString& details);
    static void saveReport();
    static void exportFarmJob();
    // Puts every option back to its state at start: used at start and by Reset.
    static void applyDefaultOptions();
    // Locks whatever could change the table or the options, or unlocks it.
    static void lockForRun(bool locked);
    // Locks adding (buttons and drops) and Process while a scan runs, or unlocks them.
    static void lockForScan(bool locked);
    // Ends the program, after the run under way (if any) has ended its converters.
    static void quitProgram();

    // Action listeners.
    struct ListenerAddImages {
        void actionPerformed() const;
    };
    struct ListenerAddDirectory {
        void actionPerformed() const;
    };
    struct ListenerAddFromScene {
        void actionPerformed() const;
    };
    struct ListenerOpenDirectory {
        void actionPerformed() const;
    };
    struct ListenerImfCopyBrowse {
        void actionPerformed() const;
    };
    struct ListenerProcessImages {
        void actionPerformed() const;
    };
    struct ListenerTableOpenFile {
        void actionPerformed() const;
    };
    struct ListenerTableOpenFolder {
        void actionPerformed() const;
    };
    struct ListenerTableDelete {
        void actionPerformed() const;
    };
    struct ListenerTableDeleteCon {
        void actionPerformed() const;
    };
    struct ListenerTableReset {
        void actionPerformed() const;
    };
    struct ListenerCreateScript {
        void actionPerformed() const;
    };
    struct ListenerExportFarmJob {
        void actionPerformed() const;
    };
    struct ListenerFileSaveReport {
        void actionPerformed() const;
    };
    struct ListenerSelectFailed {
        void actionPerformed() const;
    };
    struct ListenerSelectUnprocessed {
        void actionPerformed() const;
    };
    struct ListenerFileExit {
        void actionPerformed() const;
    };
    struct ListenerEditLook0 {
        void actionPerformed() const;
    };
    struct ListenerEditLook1 {
        void actionPerformed() const;
    };
    struct ListenerEditSystem0 {
        void actionPerformed() const;
    };
    struct ListenerEditSystem1 {
        void actionPerformed() const;
    };
    struct ListenerSkipUpToDate {
        void itemStateChanged() const;
    };
    struct ListenerIncludeSubfolders {
        void itemStateChanged() const;
    };
    struct ListenerConversionsAtOnce {
        int count;
        void actionPerformed() const;
    };
    struct ListenerHelpAbout {
        void actionPerformed() const;
    };
    struct ListenerHelpWebsite {
        void actionPerformed() const;
    };
    struct ListenerHelpDonate {
        void actionPerformed() const;
    };
    struct ListenerHelpForum {
        void actionPerformed() const;
    };
    // State-change listeners of the option check boxes.
    struct ListenerCustom {
        void itemStateChanged() const;
    };
    struct ListenerGamma {
        void itemStateChanged() const;
    };
    struct ListenerFilter {
        void itemStateChanged() const;
    };
    struct ListenerSameDirectory {
        void itemStateChanged() const;
    };
    // Text-change listener of the output directory field.
    struct ListenerDirectory {
        void textChanged() const;
    };

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    static void setUpClass();
    static void clearClass();
    void buildMenus();
    void buildConversionsMenu();
    void detectSystem(const QString& name);
    void buildLayout();
    void setIcons();
    void attachListeners();
};
