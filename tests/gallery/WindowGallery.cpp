#include "WindowGallery.h"

#include "app/settings/StoredSettings.h"
#include "gui/dialogs/AboutBox.h"
#include "gui/dialogs/EvaluationDialog.h"
#include "gui/dialogs/LoadWindow.h"
#include "gui/dialogs/OptionsDialog.h"
#include "gui/dialogs/PathChooserDialog.h"
#include "gui/mainwindow/MainWindow.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace quillmere::test {

namespace {

template <typename T> T* child(const QWidget* window, const char* name) {
    T* found = window->findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

void clickRow(QListView* view, int row) {
    const QModelIndex index = view->model()->index(row, 0);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
}

} // namespace

WindowGallery::WindowGallery() {
    m_folder.write(QStringLiteral("imail/url-domain-bl.txt"),
                   "spam.example\r\njunk.example\r\nphish.example\r\n");
    m_folder.write(QStringLiteral("data/url-domain-add.txt"), "junk.example\r\n");
    m_folder.write(QStringLiteral("data/url-domain-rem.txt"), "ham.example\r\n");
    AppSettings& settings = m_module.settings;
    settings.regRoot = settingsKey();
    settings.imailInstalled = true;
    settings.imailPath = m_folder.filePath(QStringLiteral("imail"));
    settings.dataPath = m_folder.filePath(QStringLiteral("data"));
    settings.installPath = m_folder.path();
    settings.exitSave = 1;
    m_drives.add(m_folder.path() + QLatin1Char('/'), QStringLiteral("c:"), DriveFixed);

    addMainWindowViews();
    addOptionsViews();

    m_chooser = std::make_unique<PathChooserDialog>(m_module, m_drives, m_prompter);
    m_chooser->initData(settings.dataPath);
    m_chooser->setWindowTitle(QStringLiteral("Tracking data folder"));
    m_views.append({QStringLiteral("frmPathChooser"), m_chooser.get(), {}});

    m_about = std::make_unique<AboutBox>();
    m_views.append({QStringLiteral("frmAbout"), m_about.get(), {}});

    m_load = std::make_unique<LoadWindow>();
    m_views.append({QStringLiteral("frmLoad"), m_load.get(), {}});

    m_evaluation = std::make_unique<EvaluationDialog>();
    m_evaluation->load(
        {EntryList{"new-domain.example", "another.example"}, EntryList{"junk.example"}});
    m_views.append({QStringLiteral("frmEval"), m_evaluation.get(), {}});
}

WindowGallery::~WindowGallery() = default;

void WindowGallery::addMainWindowViews() {
    m_mainWindow = std::make_unique<MainWindow>(m_module, m_prompter, m_launcher);
    if (!m_mainWindow->formLoad())
        qFatal("the gallery's lists did not load");
    MainWindow* window = m_mainWindow.get();
    auto* tabs = child<QTabWidget>(window, "TabStrip1");
    // Edits on all three lists, so that panel 1 shows its longest summary.
    m_views.append({QStringLiteral("frmMain-Main"), window, [window, tabs] {
                        tabs->setCurrentIndex(0);
                        if (window->lists().anyModified())
                            return;
                        QTest::keyClicks(child<QLineEdit>(window, "Text1"),
                                         QStringLiteral("added-by-hand.example"));
                        QTest::keyClick(child<QLineEdit>(window, "Text1"), Qt::Key_Return);
                        clickRow(child<QListView>(window, "List1"), 0);
                        QTest::mouseClick(child<QPushButton>(window, "CommandRem"), Qt::LeftButton);
                    }});
    m_views.append({QStringLiteral("frmMain-Added"), window, [tabs] { tabs->setCurrentIndex(1); }});
    m_views.append(
        {QStringLiteral("frmMain-Removed"), window, [tabs] { tabs->setCurrentIndex(2); }});
}

void WindowGallery::addOptionsViews() {
    m_options = std::make_unique<OptionsDialog>(m_module, m_registry, m_prompter, m_drives);
    OptionsDialog* dialog = m_options.get();
    // One view per hint: the mouse over the label that shows it.
    for (const char* label : {"Label1", "Label7", "Label2", "Label3", "Label4", "Label5"}) {
        m_views.append(
            {QStringLiteral("frmOptions-") + QLatin1String(label), dialog, [dialog, label] {
                 auto* over = child<QLabel>(dialog, label);
                 QTest::mouseMove(over, over->rect().center());
             }});
    }
}

bool WindowGallery::show(const GalleryView& view) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != view.window)
            window->hide();
    }
    view.window->show();
    view.window->activateWindow();
    if (!QTest::qWaitForWindowActive(view.window))
        return false;
    if (view.prepare)
        view.prepare();
    // A window system delivers the moves and repaints of the preparation a little later.
    QTest::qWait(100);
    return true;
}

} // namespace quillmere::test
