#include "gui/dialogs/PathChooserDialog.h"

#include "gui/TextFit.h"
#include "gui/Twips.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QListView>
#include <QPushButton>
#include <QStandardItemModel>

namespace quillmere {

namespace {

constexpr int folderPathRole = Qt::UserRole + 1;

QPushButton* makeButton(const QString& text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    // No default button: Enter presses only the button that has the focus (keyPressEvent).
    button->setAutoDefault(false);
    return button;
}

} // namespace

PathChooserDialog::PathChooserDialog(Module1& module, Drives& drives, Prompter& prompter,
                                     QWidget* owner)
    : ClassicDialog(owner)
    , m_form(module, drives, prompter) {
    setObjectName(QStringLiteral("frmPathChooser"));
    setWindowTitle(QStringLiteral("Choose Path"));
    setFixedSize(3480 / 15, 2745 / 15);

    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    placeInTwips(frame, 120, 0, 3255, 2175);

    m_driveList = new QComboBox(frame);
    m_driveList->setObjectName(QStringLiteral("Drive1"));
    placeInTwips(m_driveList, 120, 240, 3015, 315);
    for (const Drive& drive : m_form.drives())
        m_driveList->addItem(drive.name);

    m_directories = new QStandardItemModel(this);
    m_directoryList = new QListView(frame);
    m_directoryList->setObjectName(QStringLiteral("Dir1"));
    m_directoryList->setModel(m_directories);
    m_directoryList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    placeInTwips(m_directoryList, 120, 600, 3015, 1440);

    auto* okButton = makeButton(QStringLiteral("OK"), "cmdOK", this);
    placeInTwips(okButton, 960, 2280, 1095, 375);
    auto* cancelButton = makeButton(QStringLiteral("Cancel"), "cmdCancel", this);
    placeInTwips(cancelButton, 2160, 2280, 1095, 375);

    setTabOrder(m_directoryList, cancelButton);
    setTabOrder(cancelButton, okButton);
    setTabOrder(okButton, m_driveList);

    connect(m_driveList, &QComboBox::activated, this, [this](int index) {
        m_form.changeDrive(index);
        showForm();
    });
    connect(m_directoryList, &QListView::doubleClicked, this, [this](const QModelIndex& index) {
        m_form.openFolder(index.data(folderPathRole).toString());
        showForm();
    });
    connect(okButton, &QPushButton::clicked, this, [this] {
        m_form.ok();
        accept();
    });
    connect(cancelButton, &QPushButton::clicked, this, [this] {
        m_form.cancel();
        reject();
    });

    fitEveryText(*this);
    initData(module.lastChosenPath);
    m_directoryList->setFocus();
}

void PathChooserDialog::initData(const QString& startFolder) {
    m_form.initData(startFolder);
    showForm();
}

void PathChooserDialog::showForm() {
    m_driveList->setCurrentIndex(m_form.selectedDrive());
    m_directories->clear();
    const QList<PathChooserForm::FolderEntry> entries = m_form.folderEntries();
    for (const PathChooserForm::FolderEntry& entry : entries) {
        auto* item = new QStandardItem(QString(entry.depth * 2, QLatin1Char(' ')) + entry.label);
        item->setData(entry.path, folderPathRole);
        item->setToolTip(QDir::toNativeSeparators(entry.path));
        m_directories->appendRow(item);
    }
    const QModelIndex current = m_directories->index(m_form.currentEntry(), 0);
    m_directoryList->setCurrentIndex(current);
    m_directoryList->scrollTo(current);
}

} // namespace quillmere
