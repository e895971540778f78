#include "Form3.h"
#include "SettingsKeys.h"

#include "ApplicationTitle.h"
#include "DialogControls.h"
#include "HelpTexts.h"
#include "PointerFeedback.h"
#include "Prompts.h"
#include "SettingsStore.h"
#include "Steps.h"
#include "TextSetList.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

Form3::Form3(MainWindowLink &link, QWidget *parent)
    : RunOptionsDialog(link, QStringLiteral("Form3"), parent)
{
    buildControls();
    Form_Load();
    connectSignals();
}

QString Form3::currentTextSetEntry() const
{
    return Combo1->currentText();
}

void Form3::buildControls()
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Extract Lines Containing These Text Sets"));

    PushButton11 = NamedButton(QStringLiteral("PushButton11"), QStringLiteral("Help"), this);
    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Combo1->setMinimumContentsLength(30);
    Frame2 = FrameAround(Combo1, QStringLiteral("Frame2"), QStringLiteral("Containing Text"), this);

    PushButton2 = NamedButton(QStringLiteral("PushButton2"), QStringLiteral("Add Item"), this);
    PushButton1 =
        NamedButton(QStringLiteral("PushButton1"), QStringLiteral("Remove Selected Item"), this);
    PushButton5 =
        NamedButton(QStringLiteral("PushButton5"), QStringLiteral("Clear All Items"), this);
    PushButton3 = NamedButton(QStringLiteral("PushButton3"),
                              QStringLiteral("Load Multiple Items From Text File"), this);
    PushButton4 = createStartButton();

    auto *editButtons = new QGridLayout;
    editButtons->addWidget(PushButton2, 0, 0);
    editButtons->addWidget(PushButton1, 0, 1);
    editButtons->addWidget(PushButton5, 1, 0);
    editButtons->addWidget(PushButton3, 1, 1);
    editButtons->setColumnStretch(0, 1);
    editButtons->setColumnStretch(1, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PushButton11);
    layout->addWidget(Frame2);
    layout->addLayout(editButtons);
    layout->addWidget(PushButton4);

    for (QPushButton *button : {PushButton11, PushButton2, PushButton1, PushButton5, PushButton3})
        pointerFeedback()->handWhenIdle(button);
}

void Form3::connectSignals()
{
    connect(PushButton1, &QPushButton::clicked, this, &Form3::PushButton1_Click);
    connect(PushButton2, &QPushButton::clicked, this, &Form3::PushButton2_Click);
    connect(PushButton3, &QPushButton::clicked, this, &Form3::PushButton3_Click);
    connect(PushButton4, &QPushButton::clicked, this, &Form3::PushButton4_Click);
    connect(PushButton5, &QPushButton::clicked, this, &Form3::PushButton5_Click);
    connect(PushButton11, &QPushButton::clicked, this, &Form3::PushButton11_Click);
}

void Form3::Form_Load()
{
    Steps steps(location("Form_Load"));
    const int step = loadLook(steps, 100);
    steps(step, [&] {
        AppendTextSets(Combo1, TextSetsFromStoredForm(GetSetting(SettingsKeys::TextSets)));
    });
}

// Remove Selected Item
void Form3::PushButton1_Click()
{
    Steps steps(location("PushButton1_Click"));
    steps(100, [&] {
        const int selected = Combo1->currentIndex();
        if (selected < 0)
            return;
        Combo1->removeItem(selected);
        Combo1->setCurrentIndex(-1); // the list would move on to a neighbour of its own accord
    });
    steps(102, [&] { SaveComboList(Combo1); });
}

// Add Item
void Form3::PushButton2_Click()
{
    Steps steps(location("PushButton2_Click"));
    steps(100, [&] {
        const std::optional<QString> text =
            Prompts::current().input(ApplicationTitle(), QStringLiteral("Enter text:"));
        if (!text || text->isEmpty())
            return;
        AppendTextSets(Combo1, {*text});
    });
    steps(102, [&] { SaveComboList(Combo1); });
}

// Load Multiple Items From Text File. The loaded entries reach the store with the next add,
// remove or clear.
void Form3::PushButton3_Click()
{
    Steps steps(location("PushButton3_Click"));
    QStringList paths;
    steps(100, [&] {
        paths = ChosenFilePaths(Prompts::current().openFileNames(
            QStringLiteral("Add File(s) - Hold Ctrl to select multiple files"),
            QStringLiteral("All Files (*)")));
    });
    for (const QString &path : paths)
        steps(102, [&] { LoadFileToCombo(Combo1, path); });
}

void Form3::PushButton4_Click()
{
    startOrStop(ExtractionMode::ContainingList);
}

// Clear All Items
void Form3::PushButton5_Click()
{
    Steps steps(location("PushButton5_Click"));
    steps(100, [&] { Combo1->clear(); });
    steps(102, [&] { SaveComboList(Combo1); });
}

void Form3::PushButton11_Click()
{
    Steps steps(location("PushButton11_Click"));
    steps(100, [&] { Prompts::inform(TextSetHelpText()); });
}
