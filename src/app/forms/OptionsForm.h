#pragma once

#include "app/settings/AppSettings.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace quillmere {

class Prompter;
class Registry;

enum class PathField { ImailRoot, TrackingData, DefaultImport };

// The controls of the Options dialog that show a hint when the mouse moves over them.
enum class HintControl {
    Label1, // "Imail root folder"
    Label7, // "Tracking data path"
    Label2, // "Default import folder"
    Label3, // "  Sort main list on exit"
    CheckSort,
    Label4, // "  Save on exit"
    CheckSave,
    Label5, // "  Restart queue manager on exit"
    CheckQueue,
    Frame2, // the empty area of the "Switches" frame
};

// The folder chooser (frmPathChooser) as the Options dialog drives it.
class FolderChooser {
public:
    virtual ~FolderChooser() = default;
    // Creates the chooser with this caption; its load places it on Module1::lastChosenPath.
    virtual void open(const QString& caption) = 0;
    // Places the chooser on the folder it starts from.
    virtual void initData(const QString& startFolder) = 0;
    // Modal, owned by the Options dialog: the folder chosen with OK, an empty string after Cancel,
    // no answer when the chooser was closed from its window frame.
    virtual std::optional<QString> showModal() = 0;
};

// The Options dialog (frmOptions) without its widgets: what it shows, the coupling of its
// switches, its hints and what OK and Cancel store. One instance per showing.
class OptionsForm final {
public:
    OptionsForm(Module1& module, Registry& registry, Prompter& prompter);

    static QString hintText(HintControl control);
    static QString pathHintText(PathField field);
    static QString chooserCaption(PathField field);

    // Form_Load: copies the settings in.
    void load();

    const QString& pathText(PathField field) const;
    void setPathText(PathField field, const QString& text);

    std::int16_t saveSwitch() const { return m_save; }
    std::int16_t sortSwitch() const { return m_sort; }
    std::int16_t queueSwitch() const { return m_queue; }
    bool saveEnabled() const { return m_saveEnabled; }
    bool queueEnabled() const { return m_queueEnabled; }
    // The user sets a switch; a disabled one does not change.
    void setSaveSwitch(std::int16_t value);
    void setSortSwitch(std::int16_t value);
    void setQueueSwitch(std::int16_t value);

    // The hint label (Label6).
    const QString& hint() const { return m_hint; }
    void pathFieldGotFocus(PathField field);
    void pathFieldLostFocus();
    void mouseMovedOver(HintControl control);

    // A "..." button: runs the chooser on the field's text and takes the folder it returns.
    void chooseFolder(PathField field, FolderChooser& chooser);

    // OK: stores the six values in the registry, then in the settings. False when a registry
    // write failed: that has been reported, the values already written were taken back, no
    // setting changed and the dialog stays open.
    bool ok();
    // Cancel: nothing is stored.
    void cancel();
    // Whether the dialog was left with Cancel.
    bool cancelled() const { return m_cancelled; }

private:
    // CheckSort_Click: while sorting on exit is on, saving on exit is forced on.
    void sortSwitchChanged();

    Module1& m_module;
    Registry& m_registry;
    Prompter& m_prompter;
    std::array<QString, 3> m_paths;
    std::int16_t m_save = 0;
    std::int16_t m_sort = 0;
    std::int16_t m_queue = 0;
    bool m_saveEnabled = true;
    bool m_queueEnabled = true;
    QString m_hint;
    QString m_focusHint;
    bool m_cancelled = false;
};

} // namespace quillmere
