#include "gui/mainwindow/MainWindow.h"

#include "app/EntryText.h"
#include "app/files/EditJournal.h"
#include "app/files/ListLoader.h"
#include "core/eval/AddedEvaluation.h"
#include "core/merge/FactoryMerge.h"
#include "gui/TextFit.h"
#include "gui/Twips.h"
#include "gui/dialogs/ClassicInput.h"
#include "gui/mainwindow/EntryListView.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>

namespace quillmere {

namespace {

constexpr std::array kLists{ListId::Main, ListId::Added, ListId::Removed};

QString latin1(const std::string& text) {
    return entryToText(text);
}

QPushButton* makeButton(QWidget* parent, const char* name, const char* caption, QRect place) {
    auto* button = new QPushButton(QLatin1String(caption), parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(place);
    return button;
}

QFrame* makeFrame(QWidget* parent, const char* name) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(QLatin1String(name));
    frame->setGeometry(twips(120, 360, 5775, 6375));
    return frame;
}

QAction* makeItem(QMenu* menu, const char* name, const char* caption) {
    QAction* item = menu->addAction(QLatin1String(caption));
    item->setObjectName(QLatin1String(name));
    return item;
}

void addBar(QMenu* menu, const char* name) {
    menu->addSeparator()->setObjectName(QLatin1String(name));
}

} // namespace

MainWindow::MainWindow(Module1& module, Prompter& prompter, QueueLauncher& launcher,
                       QWidget* parent)
    : QMainWindow(parent)
    , m_module(module)
    , m_prompter(prompter)
    , m_launcher(launcher)
    , m_models(m_lists)
    , m_exitFlow(module.settings, prompter, launcher)
    , m_saveAllFlow(module.settings, prompter)
    , m_mergeFlow(m_lists, module, prompter, *this)
    , m_evaluationFlow(m_lists, module, prompter, *this) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Quillmere"));

    auto* central = new QWidget(this);
    central->setFixedSize(twips(0, 0, 5985, 6825).size());
    setCentralWidget(central);
    buildMenus();
    buildPages(central);
    buildStatusBar();
    // The design size is the window's only size: nothing moves or resizes the controls.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    fitStatusBarHeight();
    fitEveryText(*this);
    connectCommands();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    m_mnuFileOpen = makeItem(file, "mnuFileOpen", "&Merge new factory list...");
    m_mnuFileRebuild = makeItem(file, "mnuFileRebuild", "Rebuild");
    m_mnuFileRevert = makeItem(file, "mnuFileRevert", "&Revert");
    addBar(file, "mnuFileBar0");
    m_mnuFileSave = makeItem(file, "mnuFileSave", "&Save All");
    addBar(file, "mnuFileBar1");
    m_mnuFileExitNosave = makeItem(file, "mnuFileExitNosave", "Exit without saving");
    m_mnuFileExit = makeItem(file, "mnuFileExit", "E&xit");

    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    tools->setObjectName(QStringLiteral("mnuTools"));
    m_mnuQueueRestart = makeItem(tools, "mnuQueueRestart", "&Restart Queue Manager");
    m_mnuToolsEval = makeItem(tools, "mnuToolsEval", "&Evaluate added URLs...");
    m_mnuToolsOptions = makeItem(tools, "mnuToolsOptions", "&Options...");

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    m_mnuHelpAbout = makeItem(help, "mnuHelpAbout", "&About ");
}

void MainWindow::buildPages(QWidget* central) {
    m_tabStrip = new QTabWidget(central);
    m_tabStrip->setObjectName(QStringLiteral("TabStrip1"));
    m_tabStrip->setGeometry(twips(0, 0, 6015, 6855));
    // The tabs only choose a page; the pages are the three frames laid over the strip.
    for (const char* caption : {"Main", "Added", "Removed"})
        m_tabStrip->addTab(new QWidget(), QLatin1String(caption));

    auto makeList = [this](QWidget* frame, const char* name, ListId list, QRect place) {
        auto* listView = new EntryListView(frame);
        listView->setObjectName(QLatin1String(name));
        listView->setGeometry(place);
        // One row height for all, so millions of entries are laid out without measuring each.
        listView->setUniformItemSizes(true);
        listView->setSelectionMode(QAbstractItemView::SingleSelection);
        listView->setEditTriggers(QAbstractItemView::NoEditTriggers);
        listView->setModel(m_models.model(list));
        connect(listView, &EntryListView::userSelected, this,
                [this, list] { listSelectionChanged(list); });
        m_views[static_cast<std::size_t>(list)] = listView;
    };

    QFrame* frame1 = makeFrame(central, "Frame1");
    m_text1 = new QLineEdit(frame1);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setGeometry(twips(120, 240, 3975, 285));
    m_commandAdd = makeButton(frame1, "CommandAdd", "add", twips(4200, 240, 1455, 255));
    auto* line1 = new QFrame(frame1);
    line1->setObjectName(QStringLiteral("Line1"));
    line1->setFrameShape(QFrame::HLine);
    line1->setFrameShadow(QFrame::Sunken);
    line1->setGeometry(0, 600 / 15 - 1, 5760 / 15, 2);
    makeList(frame1, "List1", ListId::Main, twips(120, 720, 3975, 5655));
    m_commandRem = makeButton(frame1, "CommandRem", "remove", twips(4200, 720, 1455, 255));
    m_sortButtons[0] = makeButton(frame1, "CommandSort", "sort", twips(4200, 6000, 1455, 255));

    QFrame* frame2 = makeFrame(central, "Frame2");
    makeList(frame2, "List2", ListId::Added, twips(120, 330, 3975, 5910));
    m_commandRemAdded =
        makeButton(frame2, "CommandRemAdded", "remove", twips(4200, 330, 1455, 255));
    m_addedClear = makeButton(frame2, "cmdAddedClear", "clear", twips(4200, 720, 1455, 255));
    m_sortButtons[1] = makeButton(frame2, "CommandSortAdded", "sort", twips(4200, 6000, 1455, 255));

    QFrame* frame3 = makeFrame(central, "Frame3");
    makeList(frame3, "List3", ListId::Removed, twips(120, 330, 3975, 5910));
    m_commandRemRemoved =
        makeButton(frame3, "CommandRemRemoved", "re-activate", twips(4200, 330, 1455, 255));
    m_sortButtons[2] = makeButton(frame3, "CommandSortRem", "sort", twips(4200, 6000, 1455, 255));

    m_frames = {frame1, frame2, frame3};
    for (QPushButton* button : {m_commandAdd, m_commandRem, m_commandRemAdded, m_commandRemRemoved})
        button->setEnabled(false);
    showFrame(1);
    setTabOrder(m_text1, m_commandAdd);
}

void MainWindow::buildStatusBar() {
    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("sbStatusBar"));
    bar->setSizeGripEnabled(false);
    bar->setFixedHeight(270 / 15);
    setStatusBar(bar);
    auto panel = [bar](const char* name, int width) {
        auto* label = new QLabel(bar);
        label->setObjectName(QLatin1String(name));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (width > 0)
            label->setFixedWidth(width);
        // Permanent, so that no passing status tip ever hides a panel.
        bar->addPermanentWidget(label, width > 0 ? 0 : 1);
        return label;
    };
    m_panel1 = panel("sbStatusBarPanel1", 0);
    // Panel 2 is never written: kept narrow so the longest progress text fits in panel 1.
    panel("sbStatusBarPanel2", 30);
    m_panel3 = panel("sbStatusBarPanel3", 110);
    // The panels' longest texts, a progress text and the summary, and a count of ten million.
    QStringList progress;
    for (std::string_view text :
         {kMergeInitializingText, kMergeNewFileText, kMergeAddingText, kMergeSortingText,
          kMergeBuildingText, kMergeRemovingText, kEvalLoadingText, kEvalScanningText})
        progress << entryToText(text);
    progress << QStringLiteral("modified: main, added, removed");
    fitFontForTexts(*m_panel1, progress);
    fitFontForTexts(*m_panel3, {QStringLiteral("9999999 listed"), QStringLiteral("32767 added"),
                                QStringLiteral("32767 removed")});
}

void MainWindow::fitStatusBarHeight() {
    // The design's bar is lower than a line of the smallest readable font in a panel's frame: it
    // grows a pixel at a time until the panels hold their texts in that font, and no further.
    QStatusBar* bar = statusBar();
    const int design = bar->height();
    QFont smallest = bar->font();
    smallest.setPixelSize(smallestReadablePixels(*bar));
    for (QLabel* panel : {m_panel1, m_panel3})
        panel->setFont(smallest);
    for (int height = design; height <= design * 3 / 2; ++height) {
        bar->setFixedHeight(height);
        for (QLayout* placing : {layout(), bar->layout()}) {
            placing->invalidate();
            placing->activate();
        }
        if (textFits(*m_panel1) && textFits(*m_panel3))
            break;
    }
    for (QLabel* panel : {m_panel1, m_panel3})
        panel->setFont(bar->font());
}

void MainWindow::connectCommands() {
    connect(m_commandAdd, &QPushButton::clicked, this, &MainWindow::commandAddClicked);
    connect(m_commandRem, &QPushButton::clicked, this, &MainWindow::commandRemClicked);
    connect(m_commandRemAdded, &QPushButton::clicked, this, &MainWindow::commandRemAddedClicked);
    connect(m_commandRemRemoved, &QPushButton::clicked, this,
            &MainWindow::commandRemRemovedClicked);
    connect(m_addedClear, &QPushButton::clicked, this, &MainWindow::addedClearClicked);
    for (ListId list : kLists) {
        connect(m_sortButtons[static_cast<std::size_t>(list)], &QPushButton::clicked, this,
                [this, list] { sortList(list); });
    }
    connect(m_text1, &QLineEdit::textChanged, this, &MainWindow::findBoxTextChanged);
    m_text1->installEventFilter(this);
    view(ListId::Main)->installEventFilter(this);
    connect(m_tabStrip, &QTabWidget::currentChanged, this, &MainWindow::tabStripClicked);

    connect(m_mnuFileOpen, &QAction::triggered, this, &MainWindow::mnuFileOpenClicked);
    connect(m_mnuFileRebuild, &QAction::triggered, this, &MainWindow::mnuFileRebuildClicked);
    connect(m_mnuFileRevert, &QAction::triggered, this, &MainWindow::revertTriggered);
    connect(m_mnuFileSave, &QAction::triggered, this, [this] { saveAll(); });
    connect(m_mnuFileExitNosave, &QAction::triggered, this, &MainWindow::exitNoSaveTriggered);
    connect(m_mnuFileExit, &QAction::triggered, this, &MainWindow::close);
    connect(m_mnuQueueRestart, &QAction::triggered, this, [this] {
        m_launcher.startQueueRestart(m_module.settings.installPath);
        // The batch file's window takes the activation and, once closed, hands it to no one:
        // taken back at once, the menus' access keys keep working.
        activateWindow();
    });
    connect(m_mnuToolsEval, &QAction::triggered, this, [this] { m_evaluationFlow.run(); });
    connect(m_mnuToolsOptions, &QAction::triggered, this,
            [this] { m_prompter.showOptionsDialog(); });
    connect(m_mnuHelpAbout, &QAction::triggered, this, [this] { m_prompter.showAboutBox(); });
}

bool MainWindow::formLoad() {
    if (!m_module.settings.imailInstalled)
        m_mnuQueueRestart->setEnabled(false);
    if (m_module.settings.exitSave == 0)
        m_mnuFileExitNosave->setVisible(false);
    m_findBox.reset();
    if (!dataInit())
        return false;
    // The focus reaches the find box only when the window becomes active, which does not count
    // as a move between controls: its focus rules are applied here.
    m_text1->setFocus();
    findBoxGotFocus();
    return true;
}

bool MainWindow::dataInit() {
    const AppSettings& settings = m_module.settings;
    for (;;) {
        const LoadOutcome outcome = loadLists(m_lists, settings.imailPath, settings.dataPath);
        m_listsAsLoaded.reset(outcome.files, m_lists);
        for (const QString& error : outcome.errors)
            m_prompter.inform(error);
        if (outcome.mainRead)
            break;
        // Without its file the Main list cannot be edited: an empty list saved in its place
        // would wipe the blacklist. Ask for the folder again, from a clean start.
        m_lists.discardAll();
        m_module.settings.imailPath.clear();
        if (m_prompter.showOptionsDialog())
            return false;
    }
    showCount(ListId::Main);
    m_mnuToolsEval->setEnabled(!m_lists.added().empty());
    m_mnuFileExitNosave->setEnabled(false);
    m_mnuFileRevert->setEnabled(false);
    m_mnuFileSave->setEnabled(false);
    showFrame(1);
    if (m_loadFinished)
        m_loadFinished();
    return true;
}

void MainWindow::changeStatus() {
    const ChangeStatus status = m_lists.changeStatus();
    setPanelText(m_panel1, latin1(status.summary));
    if (status.enableRevert)
        m_mnuFileRevert->setEnabled(true);
    if (status.evaluationEnabled)
        m_mnuToolsEval->setEnabled(*status.evaluationEnabled);
    if (status.enableSaveAndExitNoSave) {
        m_mnuFileExitNosave->setEnabled(true);
        m_mnuFileSave->setEnabled(true);
    }
}

void MainWindow::showCount(ListId list) {
    setPanelText(m_panel3, latin1(m_lists.countText(list)));
}

void MainWindow::setPanelText(QLabel* panel, const QString& text) {
    panel->setText(text);
    // The bar keeps the height of the design, lower than a line of today's fonts.
    fitFont(*panel, statusBar()->font());
}

void MainWindow::showShownListCount() {
    showCount(kLists[static_cast<std::size_t>(m_tabStrip->currentIndex())]);
}

void MainWindow::showProgress(std::string_view text) {
    setPanelText(m_panel1, entryToText(text));
    m_panel1->repaint();
}

void MainWindow::setMainListShown(bool shown) {
    view(ListId::Main)->setVisible(shown);
}

int MainWindow::selectedTab() const {
    return m_tabStrip->currentIndex() + 1;
}

void MainWindow::showFrame(int tab) {
    for (int k = 1; k <= 3; ++k)
        m_frames[static_cast<std::size_t>(k - 1)]->setVisible(k == tab);
}

bool MainWindow::saveAll() {
    const SaveAllFlow::Result result = m_saveAllFlow.run(m_lists, m_listsAsLoaded);
    if (result.saved) {
        const QString journalError =
            journalSavedEdits(m_lists, m_module.settings.dataPath, JournalProgram::Window);
        if (!journalError.isEmpty())
            m_prompter.inform(journalError);
    }
    changeStatus();
    // The lists shown now hold the other program's entries too: their count has changed.
    if (result.listsReplaced)
        showShownListCount();
    return result.saved;
}

void MainWindow::sortList(ListId list) {
    m_listsAsLoaded.sortedSince[static_cast<std::size_t>(list)] = true;
    m_lists.sort(list);
    changeStatus();
}

void MainWindow::endProgram() {
    m_endingAtOnce = true;
    close();
}

void MainWindow::commandAddClicked() {
    const QString text = m_text1->text();
    const auto entry = textToEntry(text);
    if (!entry) {
        m_prompter.inform(unstorableTextMessage(text));
        return;
    }
    if (m_lists.add(*entry) == AddOutcome::AlreadyListed) {
        m_prompter.inform(text + QStringLiteral(" is already blacklisted"));
        m_text1->clear();
        clearMainSelection();
        m_text1->setFocus();
        // The find box may have kept the focus throughout; its focus rules hold all the same.
        findBoxGotFocus();
        return;
    }
    changeStatus();
    showShownListCount();
    m_text1->clear();
}

void MainWindow::commandRemClicked() {
    if (!m_lists.removeFromMain(selectedRow(ListId::Main)))
        return;
    changeStatus();
    showShownListCount();
}

void MainWindow::commandRemAddedClicked() {
    if (!m_lists.removeFromAdded(selectedRow(ListId::Added)))
        return;
    showCount(ListId::Added);
    disableButton(m_commandRemAdded, view(ListId::Added));
    changeStatus();
}

void MainWindow::commandRemRemovedClicked() {
    if (!m_lists.reactivate(selectedRow(ListId::Removed)))
        return;
    showCount(ListId::Removed);
    disableButton(m_commandRemRemoved, view(ListId::Removed));
    changeStatus();
}

void MainWindow::addedClearClicked() {
    const PromptAnswer answer =
        m_prompter.ask(QStringLiteral("This will clear the Added list while leaving entries alone "
                                      "in the Main list. Is this what you want to do?"),
                       PromptButtons::YesNo);
    if (answer != PromptAnswer::Yes)
        return;
    m_lists.clearAdded();
    changeStatus();
    showShownListCount();
}

void MainWindow::mnuFileOpenClicked() {
    m_mergeNewFile = true;
    mergeFactoryList();
}

void MainWindow::mnuFileRebuildClicked() {
    m_mergeNewFile = false;
    mergeFactoryList();
}

void MainWindow::mergeFactoryList() {
    m_listsAsLoaded.mergedSince = true;
    m_mergeFlow.run(m_mergeNewFile);
}

void MainWindow::revertTriggered() {
    if (m_prompter.ask(QStringLiteral("Discard changes?"), PromptButtons::OkCancel) !=
        PromptAnswer::Ok)
        return;
    m_lists.discardAll();
    m_mnuFileRevert->setEnabled(false);
    changeStatus();
    if (!dataInit()) {
        endProgram();
        return;
    }
    if (m_tabStrip->currentIndex() == 0)
        tabStripClicked();
    else
        m_tabStrip->setCurrentIndex(0);
}

void MainWindow::exitNoSaveTriggered() {
    m_exitNoSave = true;
    close();
}

void MainWindow::tabStripClicked() {
    showFrame(m_tabStrip->currentIndex() + 1);
    showShownListCount();
}

void MainWindow::findBoxKeyReleased(int key) {
    const EntryList& main = m_lists.main();
    if (key == Qt::Key_Escape) {
        m_text1->clear();
        if (!main.empty()) {
            // Back to the top of the list, with nothing selected.
            selectMainRow(0);
            clearMainSelection();
        }
        return;
    }
    const QString text = m_text1->text();
    const auto bytes = textToEntry(text);
    FindBoxSearch::Text searched;
    searched.length = static_cast<std::size_t>(text.size());
    if (bytes)
        searched.bytes = *bytes;
    const auto found = m_findBox.keyReleased(main, searched, selectedRow(ListId::Main));
    if (!found)
        return;
    selectMainRow(found->first);
    selectMainRow(found->match);
}

void MainWindow::findBoxTextChanged(const QString& text) {
    // "add" disables itself by emptying the find box. Passed on down the chain, the focus would
    // land in the Main list, where the next domain typed would select an entry by type-ahead for
    // Enter to remove: it goes back to the find box instead.
    if (text.isEmpty())
        disableButton(m_commandAdd, m_text1);
    else
        m_commandAdd->setEnabled(true);
}

void MainWindow::disableButton(QPushButton* button, QWidget* focusTarget) {
    // A disabled button that has the focus passes it on down the chain, to whatever control comes
    // next: the Added tab's "remove" to "clear", whose question Enter answers Yes, "re-activate"
    // to "sort".
    if (button->hasFocus())
        focusTarget->setFocus(Qt::OtherFocusReason);
    button->setEnabled(false);
}

void MainWindow::findBoxGotFocus() {
    clearMainSelection();
    setDefaultButton(m_commandAdd);
}

void MainWindow::listSelectionChanged(ListId list) {
    switch (list) {
    case ListId::Main:
        m_commandRem->setEnabled(true);
        break;
    case ListId::Added:
        m_commandRemAdded->setEnabled(true);
        break;
    case ListId::Removed:
        m_commandRemRemoved->setEnabled(true);
        break;
    }
}

std::optional<std::size_t> MainWindow::selectedRow(ListId list) const {
    const QModelIndexList rows = view(list)->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return std::nullopt;
    return static_cast<std::size_t>(rows.constFirst().row());
}

void MainWindow::selectMainRow(std::size_t row) {
    QListView* list = view(ListId::Main);
    const QModelIndex index = list->model()->index(static_cast<int>(row), 0);
    list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    list->scrollTo(index);
}

void MainWindow::clearMainSelection() {
    view(ListId::Main)->selectionModel()->clear();
}

void MainWindow::setDefaultButton(QPushButton* button) {
    if (m_defaultButton)
        m_defaultButton->setDefault(false);
    m_defaultButton = button;
    m_defaultButton->setDefault(true);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_text1) {
        switch (event->type()) {
        case QEvent::FocusIn: {
            const auto* focus = static_cast<QFocusEvent*>(event);
            if (focusMovedWithinWindow(*focus))
                findBoxGotFocus();
            // Tab and Shift+Tab are released over the control they moved the focus to.
            m_findBoxOwnsKeyRelease =
                focus->reason() == Qt::TabFocusReason || focus->reason() == Qt::BacktabFocusReason;
            break;
        }
        case QEvent::FocusOut:
            m_findBoxOwnsKeyRelease = false;
            break;
        case QEvent::KeyPress:
            m_findBoxOwnsKeyRelease = true;
            break;
        case QEvent::KeyRelease: {
            const auto* key = static_cast<QKeyEvent*>(event);
            // One release per key stroke, however long the key is held.
            if (m_findBoxOwnsKeyRelease && !key->isAutoRepeat())
                findBoxKeyReleased(key->key());
            break;
        }
        default:
            break;
        }
    } else if (watched == view(ListId::Main) && event->type() == QEvent::FocusIn) {
        setDefaultButton(m_commandRem);
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // Enter that no control took: a focused button is pressed, otherwise the default button.
    if (pressFocusedButton(*this, *event))
        return;
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && m_defaultButton &&
        m_defaultButton->isEnabled() && m_defaultButton->isVisibleTo(this)) {
        m_defaultButton->click();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void MainWindow::closeOtherWindows() {
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if (*it != this && (*it)->isVisible())
            (*it)->close();
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_endingAtOnce) {
        event->accept();
        return;
    }
    ExitSteps steps;
    steps.closeOtherWindows = [this] { closeOtherWindows(); };
    steps.sortMainList = [this] { sortList(ListId::Main); };
    steps.saveAll = [this] { return saveAll(); };
    if (m_exitFlow.run(m_lists, m_exitNoSave, steps) == ExitDecision::Close)
        event->accept();
    else
        event->ignore();
}

} // namespace quillmere
