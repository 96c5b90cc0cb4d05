#pragma once

#include "app/settings/AppSettings.h"

#include <optional>

namespace quillmere {

class Prompter;
class Registry;

// What start-up shows once the settings are in place: the loading window (frmLoad), then the
// main window (frmMain), whose load closes the loading window.
class StartupWindows {
public:
    virtual ~StartupWindows() = default;
    virtual void showLoadingWindow() = 0;
    virtual void createAndShowMainWindow() = 0;
};

enum class StartupResult {
    MainWindowShown, // the program lives on while the main window is open
    Ended,           // end the program at once: nothing more is shown, loaded or saved
};

// The program's start: reads the settings from the registry into Module1, detects Imail, leads a
// first run or a missing blacklist file through the Options dialog, then shows the windows.
class StartupSequence final {
public:
    StartupSequence(Module1& module, Registry& registry, Prompter& prompter,
                    StartupWindows& windows);

    StartupResult run();

private:
    std::optional<QString> readSetting(const char* valueName);
    void readSwitchesAndImportPath();
    bool showsOptionsUntilCancelled();
    void greetFirstRun(const std::optional<QString>& imailTopDir, const QString& imailVersion);

    AppSettings& m_settings;
    Registry& m_registry;
    Prompter& m_prompter;
    StartupWindows& m_windows;
};

} // namespace quillmere
