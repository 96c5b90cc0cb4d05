#pragma once

#include "app/settings/AppSettings.h"
#include "fakes/FakeDrives.h"
#include "fakes/FakePrompter.h"
#include "fakes/FakeQueueLauncher.h"
#include "fakes/FakeRegistry.h"
#include "fakes/TempFolder.h"

#include <QList>
#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace quillmere {
class AboutBox;
class EvaluationDialog;
class LoadWindow;
class MainWindow;
class OptionsDialog;
class PathChooserDialog;
} // namespace quillmere

namespace quillmere::test {

// One view of a window: the window in one of the states its user meets, with the texts that
// state shows (a tab, a hint, the status bar after edits).
struct GalleryView {
    QString name;
    QWidget* window = nullptr;
    // Run once the window is shown and active.
    std::function<void()> prepare;
};

// Every window and dialog of the desktop program, built on lists in a temporary folder with
// fakes behind the seams: for the test that every text fits its box and for the screenshots.
class WindowGallery {
public:
    WindowGallery();
    ~WindowGallery();
    WindowGallery(const WindowGallery&) = delete;
    WindowGallery& operator=(const WindowGallery&) = delete;

    const QList<GalleryView>& views() const { return m_views; }

    // Shows the view's window alone, active, in the view's state; false when it never became
    // active.
    static bool show(const GalleryView& view);

private:
    void addMainWindowViews();
    void addOptionsViews();

    TempFolder m_folder;
    Module1 m_module;
    FakePrompter m_prompter;
    FakeQueueLauncher m_launcher;
    FakeRegistry m_registry;
    FakeDrives m_drives;
    std::unique_ptr<MainWindow> m_mainWindow;
    std::unique_ptr<OptionsDialog> m_options;
    std::unique_ptr<PathChooserDialog> m_chooser;
    std::unique_ptr<AboutBox> m_about;
    std::unique_ptr<LoadWindow> m_load;
    std::unique_ptr<EvaluationDialog> m_evaluation;
    QList<GalleryView> m_views;
};

} // namespace quillmere::test
