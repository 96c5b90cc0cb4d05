#include "gui/dialogs/OptionsDialog.h"

#include "gui/TextFit.h"
#include "gui/Twips.h"
#include "gui/dialogs/ClassicInput.h"
#include "gui/dialogs/PathChooserDialog.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <memory>

namespace quillmere {

namespace {

QPushButton* makeButton(const QString& text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    // No default button: Enter presses only the button that has the focus (keyPressEvent).
    button->setAutoDefault(false);
    return button;
}

QLabel* makeLabel(const QString& text, const char* name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

std::int16_t checkValue(bool checked) {
    return checked ? 1 : 0;
}

// The chooser as the Options dialog opens it: created afresh for each "..." and owned by the
// dialog.
class ChooserWindow final : public FolderChooser {
public:
    ChooserWindow(Module1& module, Drives& drives, Prompter& prompter, QWidget* owner)
        : m_module(module)
        , m_drives(drives)
        , m_prompter(prompter)
        , m_owner(owner) {}

    void open(const QString& caption) override {
        m_dialog = std::make_unique<PathChooserDialog>(m_module, m_drives, m_prompter, m_owner);
        m_dialog->setWindowTitle(caption);
    }
    void initData(const QString& startFolder) override { m_dialog->initData(startFolder); }
    std::optional<QString> showModal() override {
        m_dialog->exec();
        const std::optional<QString> answer = m_dialog->chosenPath();
        m_dialog.reset();
        return answer;
    }

private:
    Module1& m_module;
    Drives& m_drives;
    Prompter& m_prompter;
    QWidget* m_owner;
    std::unique_ptr<PathChooserDialog> m_dialog;
};

} // namespace

OptionsDialog::OptionsDialog(Module1& module, Registry& registry, Prompter& prompter,
                             Drives& drives, QWidget* owner)
    : ClassicDialog(owner)
    , m_module(module)
    , m_drives(drives)
    , m_prompter(prompter)
    , m_form(module, registry, prompter) {
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));
    setFixedSize(4680 / 15, 4680 / 15);

    buildPaths();
    buildSwitches();

    m_hintLabel = makeLabel(QString(), "Label6", this);
    m_hintLabel->setWordWrap(true);
    m_hintLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    placeInTwips(m_hintLabel, 120, 3120, 4455, 1095);
    QStringList hints;
    for (HintControl control : {HintControl::Label1, HintControl::Label7, HintControl::Label2,
                                HintControl::Label3, HintControl::Label4, HintControl::Label5})
        hints << OptionsForm::hintText(control);
    fitFontForTexts(*m_hintLabel, hints);

    buildButtons();

    fitEveryText(*this);
    m_form.load();
    showForm();
}

void OptionsDialog::buildPaths() {
    auto* frame = new QGroupBox(QStringLiteral("Paths"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    placeInTwips(frame, 120, 120, 4455, 1455);

    struct Row {
        PathField field;
        const char* label;
        const char* labelName;
        HintControl hint;
        const char* editName;
        const char* buttonName;
        const char* toolTip;
        int top;
    };
    const Row rows[] = {
        {PathField::ImailRoot, "Imail root folder", "Label1", HintControl::Label1, "txtImailPath",
         "cmdImailChoose", "Choose folder", 240},
        {PathField::TrackingData, "Tracking data path", "Label7", HintControl::Label7,
         "txtDataPath", "cmdDataChoose", nullptr, 600},
        {PathField::DefaultImport, "Default import folder", "Label2", HintControl::Label2,
         "txtImportPath", "cmdImportChoose", "Choose folder", 960},
    };
    QList<QWidget*> labels;
    for (const Row& row : rows) {
        QLabel* label = makeLabel(QLatin1String(row.label), row.labelName, frame);
        placeInTwips(label, 120, row.top + 30, 1455, 255);
        // Up to the text box on its right.
        fitLabel(*label, 1680 / 15);
        labels << label;
        label->setMouseTracking(true);
        label->installEventFilter(this);
        m_hintControls.insert(label, row.hint);

        auto* edit = new QLineEdit(frame);
        edit->setObjectName(QLatin1String(row.editName));
        placeInTwips(edit, 1680, row.top, 2415, 285);
        edit->installEventFilter(this);
        m_pathEdits[static_cast<std::size_t>(row.field)] = edit;
        connect(edit, &QLineEdit::textEdited, this, [this, field = row.field](const QString& text) {
            m_form.setPathText(field, text);
        });

        QPushButton* choose = makeButton(QStringLiteral("..."), row.buttonName, frame);
        placeInTwips(choose, 4080, row.top, 255, 285);
        if (row.toolTip)
            choose->setToolTip(QLatin1String(row.toolTip));
        connect(choose, &QPushButton::clicked, this,
                [this, field = row.field] { chooseFolder(field); });
    }
    shareSmallestFont(labels);
}

void OptionsDialog::buildSwitches() {
    auto* frame = new QGroupBox(QStringLiteral("Switches"), this);
    frame->setObjectName(QStringLiteral("Frame2"));
    placeInTwips(frame, 120, 1680, 4455, 1335);
    frame->setMouseTracking(true);
    frame->installEventFilter(this);
    m_switchesFrame = frame;
    m_hintControls.insert(frame, HintControl::Frame2);

    struct Row {
        QCheckBox** box;
        const char* boxName;
        HintControl boxHint;
        int boxTop;
        int boxHeight;
        const char* label;
        const char* labelName;
        HintControl labelHint;
        int labelTop;
        int labelWidth;
    };
    QList<QWidget*> labels;
    const Row rows[] = {
        {&m_checkSort, "CheckSort", HintControl::CheckSort, 240, 255, "  Sort main list on exit",
         "Label3", HintControl::Label3, 270, 2415},
        {&m_checkSave, "CheckSave", HintControl::CheckSave, 600, 255, "  Save on exit", "Label4",
         HintControl::Label4, 630, 1815},
        {&m_checkQueue, "CheckQueue", HintControl::CheckQueue, 960, 315,
         "  Restart queue manager on exit", "Label5", HintControl::Label5, 1005, 2415},
    };
    for (const Row& row : rows) {
        auto* box = new QCheckBox(frame);
        box->setObjectName(QLatin1String(row.boxName));
        placeInTwips(box, 120, row.boxTop, 255, row.boxHeight);
        *row.box = box;

        // The switch's text is a separate label: clicking it does not toggle the switch.
        QLabel* label = makeLabel(QLatin1String(row.label), row.labelName, frame);
        placeInTwips(label, 360, row.labelTop, row.labelWidth, 255);
        // Up to the frame's right edge, keeping the frame's margin of the left side.
        fitLabel(*label, frame->width() - 120 / 15);
        labels << label;

        for (QWidget* control : {static_cast<QWidget*>(box), static_cast<QWidget*>(label)}) {
            control->setMouseTracking(true);
            control->installEventFilter(this);
        }
        m_hintControls.insert(box, row.boxHint);
        m_hintControls.insert(label, row.labelHint);
    }
    shareSmallestFont(labels);
    connect(m_checkSort, &QCheckBox::clicked, this, [this](bool checked) {
        m_form.setSortSwitch(checkValue(checked));
        showForm();
    });
    connect(m_checkSave, &QCheckBox::clicked, this, [this](bool checked) {
        m_form.setSaveSwitch(checkValue(checked));
        showForm();
    });
    connect(m_checkQueue, &QCheckBox::clicked, this, [this](bool checked) {
        m_form.setQueueSwitch(checkValue(checked));
        showForm();
    });
}

void OptionsDialog::buildButtons() {
    QPushButton* okButton = makeButton(QStringLiteral("OK"), "cmdOK", this);
    placeInTwips(okButton, 2520, 4200, 975, 375);
    QPushButton* cancelButton = makeButton(QStringLiteral("Cancel"), "cmdCancel", this);
    placeInTwips(cancelButton, 3600, 4200, 975, 375);
    connect(okButton, &QPushButton::clicked, this, [this] {
        if (m_form.ok())
            accept();
    });
    connect(cancelButton, &QPushButton::clicked, this, [this] {
        m_form.cancel();
        reject();
    });

    const QList<QWidget*> focusOrder{
        okButton,
        cancelButton,
        m_pathEdits[static_cast<std::size_t>(PathField::ImailRoot)],
        m_pathEdits[static_cast<std::size_t>(PathField::DefaultImport)],
        findChild<QPushButton*>(QStringLiteral("cmdImailChoose")),
        findChild<QPushButton*>(QStringLiteral("cmdImportChoose")),
        m_checkSort,
        m_checkSave,
        m_checkQueue,
        m_pathEdits[static_cast<std::size_t>(PathField::TrackingData)],
        findChild<QPushButton*>(QStringLiteral("cmdDataChoose")),
    };
    for (qsizetype i = 1; i < focusOrder.size(); ++i)
        setTabOrder(focusOrder.at(i - 1), focusOrder.at(i));
    okButton->setFocus();
}

void OptionsDialog::showForm() {
    for (PathField field :
         {PathField::ImailRoot, PathField::TrackingData, PathField::DefaultImport}) {
        QLineEdit* edit = m_pathEdits[static_cast<std::size_t>(field)];
        if (edit->text() == m_form.pathText(field))
            continue;
        edit->setText(m_form.pathText(field));
        // A long path shows its beginning, the drive and the first folders.
        edit->setCursorPosition(0);
    }
    m_checkSort->setChecked(m_form.sortSwitch() == 1);
    m_checkSave->setChecked(m_form.saveSwitch() == 1);
    m_checkSave->setEnabled(m_form.saveEnabled());
    m_checkQueue->setChecked(m_form.queueSwitch() == 1);
    m_checkQueue->setEnabled(m_form.queueEnabled());
    m_hintLabel->setText(m_form.hint());
}

void OptionsDialog::chooseFolder(PathField field) {
    ChooserWindow chooser(m_module, m_drives, m_prompter, this);
    m_form.chooseFolder(field, chooser);
    showForm();
}

bool OptionsDialog::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseMove: {
        const auto control = m_hintControls.constFind(watched);
        if (control == m_hintControls.cend())
            break;
        // A move over a control inside the frame reaches the frame too; only its empty area
        // counts as the frame.
        if (watched == m_switchesFrame &&
            m_switchesFrame->childAt(static_cast<QMouseEvent*>(event)->position().toPoint()))
            break;
        m_form.mouseMovedOver(*control);
        showForm();
        break;
    }
    case QEvent::FocusIn:
    case QEvent::FocusOut: {
        // Another window taking the keyboard (a message box, the chooser) moves no focus here.
        if (!focusMovedWithinWindow(*static_cast<QFocusEvent*>(event)))
            break;
        for (PathField field :
             {PathField::ImailRoot, PathField::TrackingData, PathField::DefaultImport}) {
            if (watched != m_pathEdits[static_cast<std::size_t>(field)])
                continue;
            if (event->type() == QEvent::FocusIn)
                m_form.pathFieldGotFocus(field);
            else
                m_form.pathFieldLostFocus();
            showForm();
        }
        break;
    }
    default:
        break;
    }
    return ClassicDialog::eventFilter(watched, event);
}

} // namespace quillmere
