#include "Form2.h"
#include "SettingsKeys.h"

#include "DialogControls.h"
#include "HelpTexts.h"
#include "PointerFeedback.h"
#include "Prompts.h"
#include "SettingsStore.h"
#include "StepFailure.h"
#include "Steps.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// The boxes may hold line breaks; their text uses CR LF, the line break of the mail bodies they
// are matched against.
QString boxText(const QPlainTextEdit *box)
{
    return box->toPlainText().replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

void setBoxText(QPlainTextEdit *box, QString text)
{
    box->setPlainText(text.replace(QLatin1String("\r\n"), QLatin1String("\n")));
}

QPlainTextEdit *markerBox(const QString &name, QWidget *parent)
{
    auto *box = new QPlainTextEdit(parent);
    box->setObjectName(name);
    box->setTabChangesFocus(true);
    box->setFixedHeight(box->fontMetrics().lineSpacing() * 3 + 2 * box->frameWidth() + 8);
    return box;
}

// A stored check value: 1 ticked, 0 clear; anything else is refused.
Qt::CheckState checkStateFromSetting(const QString &key)
{
    switch (ReadWholeNumberSetting(key, 1)) {
    case 0:
        return Qt::Unchecked;
    case 1:
        return Qt::Checked;
    default:
        throw StepFailure(QStringLiteral("Invalid property value"));
    }
}
} // namespace

Form2::Form2(MainWindowLink &link, QWidget *parent)
    : RunOptionsDialog(link, QStringLiteral("Form2"), parent)
{
    buildControls();
    Form_Load();
    connectSignals();
}

QString Form2::startMarker() const
{
    return boxText(Text1);
}

QString Form2::endMarker() const
{
    return boxText(Text2);
}

bool Form2::includeStart() const
{
    return Check1->checkState() == Qt::Checked;
}

bool Form2::includeEnd() const
{
    return Check2->checkState() == Qt::Checked;
}

void Form2::buildControls()
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Extract Between X and Y (Repeatedly)"));

    PushButton11 = NamedButton(QStringLiteral("PushButton11"), QStringLiteral("Help"), this);
    Text1 = markerBox(QStringLiteral("Text1"), this);
    Frame2 = FrameAround(Text1, QStringLiteral("Frame2"), QStringLiteral("Start with (X)"), this);
    Text2 = markerBox(QStringLiteral("Text2"), this);
    Frame1 = FrameAround(Text2, QStringLiteral("Frame1"), QStringLiteral("End with (Y)"), this);

    Frame3 = new QGroupBox(QStringLiteral("Include Option"), this);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    Check1 = new QCheckBox(QStringLiteral("Include (X) text in Results"), Frame3);
    Check1->setObjectName(QStringLiteral("Check1"));
    Check2 = new QCheckBox(QStringLiteral("Include (Y) text in Results"), Frame3);
    Check2->setObjectName(QStringLiteral("Check2"));
    auto *includeRow = new QHBoxLayout(Frame3);
    includeRow->addWidget(Check1);
    includeRow->addWidget(Check2);

    PushButton4 = createStartButton();
    PushButton1 =
        NamedButton(QStringLiteral("PushButton1"), QStringLiteral("Close This Window"), this);
    auto *bottomRow = new QHBoxLayout;
    bottomRow->addWidget(PushButton4);
    bottomRow->addWidget(PushButton1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PushButton11);
    layout->addWidget(Frame2);
    layout->addWidget(Frame1);
    layout->addWidget(Frame3);
    layout->addLayout(bottomRow);

    pointerFeedback()->handWhenIdle(PushButton11);
    pointerFeedback()->handWhenIdle(PushButton1);
}

void Form2::connectSignals()
{
    connect(Text1, &QPlainTextEdit::textChanged, this, &Form2::Text1_Change);
    connect(Text2, &QPlainTextEdit::textChanged, this, &Form2::Text2_Change);
    connect(Check1, &QCheckBox::clicked, this, &Form2::Check1_Click);
    connect(Check2, &QCheckBox::clicked, this, &Form2::Check2_Click);
    connect(PushButton1, &QPushButton::clicked, this, &Form2::PushButton1_Click);
    connect(PushButton4, &QPushButton::clicked, this, &Form2::PushButton4_Click);
    connect(PushButton11, &QPushButton::clicked, this, &Form2::PushButton11_Click);
}

void Form2::Form_Load()
{
    Steps steps(location("Form_Load"));
    const int step = loadLook(steps, 100);
    steps(step, [&] {
        setBoxText(Text1, GetSetting(SettingsKeys::StartWith));
        setBoxText(Text2, GetSetting(SettingsKeys::EndWith));
    });
    steps(step + 2,
          [&] { Check1->setCheckState(checkStateFromSetting(SettingsKeys::IncludeStart)); });
    steps(step + 4,
          [&] { Check2->setCheckState(checkStateFromSetting(SettingsKeys::IncludeEnd)); });
}

void Form2::Text1_Change()
{
    SaveSetting(SettingsKeys::StartWith, startMarker());
}

void Form2::Text2_Change()
{
    SaveSetting(SettingsKeys::EndWith, endMarker());
}

void Form2::Check1_Click()
{
    SaveSetting(SettingsKeys::IncludeStart, CheckForm(includeStart()));
}

void Form2::Check2_Click()
{
    SaveSetting(SettingsKeys::IncludeEnd, CheckForm(includeEnd()));
}

void Form2::PushButton1_Click()
{
    Steps steps(location("PushButton1_Click"));
    steps(100, [&] { close(); });
}

void Form2::PushButton4_Click()
{
    startOrStop(ExtractionMode::Between);
}

void Form2::PushButton11_Click()
{
    Steps steps(location("PushButton11_Click"));
    steps(100, [&] { Prompts::inform(ExtractBetweenHelpText()); });
}
