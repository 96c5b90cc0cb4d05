#pragma once

#include "fakes/FakePrompter.h"
#include "fakes/FakeQueueLauncher.h"
#include "fakes/TempFolder.h"
#include "gui/mainwindow/MainWindow.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <memory>

// What the main window's tests share: the window on lists in a temporary folder.
namespace quillmere::test {

inline const QString kMainFile = QStringLiteral("imail/url-domain-bl.txt");
inline const QString kAddedFile = QStringLiteral("data/url-domain-add.txt");
inline const QString kRemovedFile = QStringLiteral("data/url-domain-rem.txt");
inline const QString kInstall = QStringLiteral("/opt/quillmere");

// A list file's bytes: every entry followed by CR LF.
QByteArray file(const QStringList& entries);

// The program's window on lists in a temporary folder, with the prompts and the queue restart
// answered by fakes.
class Harness {
public:
    Harness(const QStringList& main, const QStringList& added, const QStringList& removed) {
        m_folder.write(kMainFile, file(main));
        if (!added.isEmpty())
            m_folder.write(kAddedFile, file(added));
        if (!removed.isEmpty())
            m_folder.write(kRemovedFile, file(removed));
        m_folder.subfolder(QStringLiteral("data"));
        AppSettings& settings = module.settings;
        settings.imailPath = m_folder.filePath(QStringLiteral("imail"));
        settings.dataPath = m_folder.filePath(QStringLiteral("data"));
        settings.installPath = kInstall;
        settings.imailInstalled = true;
    }

    TempFolder& folder() { return m_folder; }

    // Form_Load, then the window shown and active as at start-up.
    bool open() {
        window = std::make_unique<MainWindow>(module, prompter, launcher);
        if (!window->formLoad())
            return false;
        window->show();
        return QTest::qWaitForWindowActive(window.get());
    }

    template <typename T> T* find(const QString& name) const {
        T* child = window->findChild<T*>(name);
        if (!child)
            qFatal("no control %s", qPrintable(name));
        return child;
    }
    QAction* item(const char* name) const { return find<QAction>(QLatin1String(name)); }
    QPushButton* button(const char* name) const { return find<QPushButton>(QLatin1String(name)); }
    QListView* list(const char* name) const { return find<QListView>(QLatin1String(name)); }
    QLineEdit* findBox() const { return find<QLineEdit>(QStringLiteral("Text1")); }
    QTabWidget* tabs() const { return find<QTabWidget>(QStringLiteral("TabStrip1")); }
    QString panel(int k) const { return panelLabel(k)->text(); }
    QLabel* panelLabel(int k) const {
        return find<QLabel>(QStringLiteral("sbStatusBarPanel%1").arg(k));
    }
    bool frameVisible(int k) const {
        return find<QFrame>(QStringLiteral("Frame%1").arg(k))->isVisible();
    }

    QStringList rows(const char* name) const {
        const QAbstractItemModel* model = list(name)->model();
        QStringList out;
        for (int row = 0; row < model->rowCount(); ++row)
            out << model->index(row, 0).data().toString();
        return out;
    }
    int selected(const char* name) const {
        const QModelIndexList rows = list(name)->selectionModel()->selectedRows();
        return rows.isEmpty() ? -1 : rows.constFirst().row();
    }

    // A click on an entry, as the administrator makes it.
    void clickRow(const char* name, int row) const {
        QListView* view = list(name);
        const QModelIndex index = view->model()->index(row, 0);
        view->scrollTo(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    }
    void showTab(int index) const { tabs()->setCurrentIndex(index); }
    void press(const char* name) const { QTest::mouseClick(button(name), Qt::LeftButton); }
    void type(const QString& text) const { QTest::keyClicks(findBox(), text); }

    Module1 module;
    FakePrompter prompter;
    FakeQueueLauncher launcher;
    std::unique_ptr<MainWindow> window;

private:
    TempFolder m_folder;
};

// What a message box or the file dialog does to the window while it is open: it becomes the
// active window and takes the keys, and gives them back when it closes.
void anotherWindowTakesTheKeys(QWidget* window);

} // namespace quillmere::test
