#pragma once

#include "app/CommandDisplay.h"
#include "app/Prompter.h"
#include "app/flows/AddedEvaluationFlow.h"
#include "app/flows/ExitFlow.h"
#include "app/flows/FactoryMergeFlow.h"
#include "app/flows/SaveAllFlow.h"
#include "app/settings/AppSettings.h"
#include "core/lists/TrackedLists.h"
#include "core/search/FindBoxSearch.h"
#include "gui/mainwindow/EntryListModel.h"
#include "platform/QueueLauncher.h"

#include <QMainWindow>
#include <array>
#include <functional>
#include <optional>

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QTabWidget;

namespace quillmere {

// frmMain: the three lists on three tabs, the editing buttons, the find box, the menus and the
// exit. The lists live in TrackedLists alone; the list views show them through models. The merge
// and the evaluation run as flows of their own that show their progress through CommandDisplay.
class MainWindow final : public QMainWindow, private CommandDisplay {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    MainWindow(Module1& module, Prompter& prompter, QueueLauncher& launcher,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // Run at the end of every load of the lists (start-up and Revert); start-up uses it to close
    // its loading window, and must accept being called when that window is gone.
    void setLoadFinishedHook(std::function<void()> hook) { m_loadFinished = std::move(hook); }

    // Form_Load: the menu states that hold for the whole run, then the lists. False when the Main
    // list file was missing and the Options dialog was cancelled: the program ends, nothing shown.
    bool formLoad();

    const TrackedLists& lists() const { return m_lists; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildPages(QWidget* central);
    void buildStatusBar();
    void fitStatusBarHeight();
    void connectCommands();

    bool dataInit();
    void changeStatus() override;
    void showCount(ListId list) override;
    // The count panel after a command: the true count of the list whose tab is shown.
    void showShownListCount();
    void setPanelText(QLabel* panel, const QString& text);
    void showProgress(std::string_view text) override;
    void setMainListShown(bool shown) override;
    int selectedTab() const override;
    void showFrame(int tab);
    bool saveAll();
    void sortList(ListId list);
    void endProgram();

    void commandAddClicked();
    void commandRemClicked();
    void commandRemAddedClicked();
    void commandRemRemovedClicked();
    void addedClearClicked();
    void mnuFileOpenClicked();
    void mnuFileRebuildClicked();
    void mergeFactoryList();
    void revertTriggered();
    void exitNoSaveTriggered();
    void tabStripClicked();
    // Text1_Change: "add" is enabled exactly while the find box holds text.
    void findBoxTextChanged(const QString& text);
    void findBoxKeyReleased(int key);
    void findBoxGotFocus();
    // The user selected an entry of that list (List1_Click and its siblings).
    void listSelectionChanged(ListId list);
    void closeOtherWindows();

    std::optional<std::size_t> selectedRow(ListId list) const;
    void selectMainRow(std::size_t row);
    void clearMainSelection();
    void setDefaultButton(QPushButton* button);
    // Disables a button; when it has the focus, the focus goes to the control given first.
    void disableButton(QPushButton* button, QWidget* focusTarget);
    QListView* view(ListId list) const { return m_views[static_cast<std::size_t>(list)]; }

    Module1& m_module;
    Prompter& m_prompter;
    QueueLauncher& m_launcher;
    TrackedLists m_lists;
    TrackedListModels m_models;
    FindBoxSearch m_findBox;
    ExitFlow m_exitFlow;
    SaveAllFlow m_saveAllFlow;
    // What the list files were at the last load or save, for the change check of the next save.
    ListsAsLoaded m_listsAsLoaded;
    FactoryMergeFlow m_mergeFlow;
    AddedEvaluationFlow m_evaluationFlow;
    // Set by the two menu items just before each merge: a new factory file, or a rebuild only.
    bool m_mergeNewFile = false;
    std::function<void()> m_loadFinished;
    bool m_exitNoSave = false;
    bool m_endingAtOnce = false;
    QPushButton* m_defaultButton = nullptr;
    // Whether the key released over the find box was pressed there, or moved the focus there. A
    // message box or the file dialog closes on the press of Enter, and the release then reaches
    // the find box: a press made in another window must not search.
    bool m_findBoxOwnsKeyRelease = false;

    QTabWidget* m_tabStrip = nullptr;
    std::array<QFrame*, 3> m_frames{};
    std::array<QListView*, 3> m_views{};
    QLineEdit* m_text1 = nullptr;
    QPushButton* m_commandAdd = nullptr;
    QPushButton* m_commandRem = nullptr;
    QPushButton* m_commandRemAdded = nullptr;
    QPushButton* m_commandRemRemoved = nullptr;
    QPushButton* m_addedClear = nullptr;
    std::array<QPushButton*, 3> m_sortButtons{};
    QLabel* m_panel1 = nullptr;
    QLabel* m_panel3 = nullptr;
    QAction* m_mnuFileOpen = nullptr;
    QAction* m_mnuFileRebuild = nullptr;
    QAction* m_mnuFileRevert = nullptr;
    QAction* m_mnuFileSave = nullptr;
    QAction* m_mnuFileExitNosave = nullptr;
    QAction* m_mnuFileExit = nullptr;
    QAction* m_mnuQueueRestart = nullptr;
    QAction* m_mnuToolsEval = nullptr;
    QAction* m_mnuToolsOptions = nullptr;
    QAction* m_mnuHelpAbout = nullptr;
};

} // namespace quillmere
