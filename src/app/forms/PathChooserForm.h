#pragma once

#include "app/settings/AppSettings.h"
#include "platform/Drives.h"

#include <QHash>
#include <QList>
#include <QString>
#include <optional>

namespace quillmere {

class Prompter;

// What selecting a drive does while the chooser checks drive types: move the directory list to
// the drive, or show a warning and stay (the rule's other outcomes do neither).
struct DriveRuleResult {
    bool moves = false;
    QString warning;
};

// The drive rule for a drive of this type and name (its first character is its letter).
DriveRuleResult applyDriveRule(int driveType, const QString& driveName);

// The folder chooser (frmPathChooser) without its widgets: a drive list, a directory list with a
// current folder, and its answer. Module1::checkDriveType says whether selecting a drive checks its
// type. One instance per showing; it starts on the current folder and its drive.
class PathChooserForm final {
public:
    struct FolderEntry {
        QString path;  // with "/" separators
        QString label; // as the directory list shows it
        int depth;     // 0 for the drive's root
    };

    PathChooserForm(Module1& module, Drives& drives, Prompter& prompter);

    // Places the lists on the start folder (none when empty); a folder that does not exist opens
    // the chooser on the current folder.
    void initData(const QString& startFolder);

    const QList<Drive>& drives() const { return m_drives; }
    int selectedDrive() const { return m_selectedDrive; } // -1: no drive holds the folder
    // Drive1_Change: another drive was selected.
    void changeDrive(int index);

    const QString& currentFolder() const { return m_currentFolder; }
    // The path from the drive's root down to the current folder, then its sub-folders.
    QList<FolderEntry> folderEntries() const;
    int currentEntry() const;
    // A double-click: the folder becomes the current folder.
    void openFolder(const QString& path);

    // OK: the current folder, without a closing separator unless it is a drive's root.
    void ok();
    // Cancel: an empty answer.
    void cancel();
    // The folder chosen with OK, an empty string after Cancel, no answer before either.
    const std::optional<QString>& chosenPath() const { return m_chosenPath; }

private:
    int driveOf(const QString& folder) const;
    QString driveRootOf(const QString& folder) const;
    void placeOnCurrentFolder();
    void moveToDrive(int index);

    Module1& m_module;
    Drives& m_driveSource;
    Prompter& m_prompter;
    QList<Drive> m_drives;
    int m_selectedDrive = -1;
    QString m_currentFolder;
    QHash<QString, QString> m_folderOnDrive; // drive root -> the folder last current there
    std::optional<QString> m_chosenPath;
};

} // namespace quillmere
