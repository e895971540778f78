#include "Form1Controls.h"

#include "LocalCopyPanel.h"
#include "ResultListView.h"
#include "SignInChoice.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// About 7300 twips at 96 dots per inch: the width the result column was designed for.
constexpr int ResultColumnWidth = 487;

template<typename Widget> Widget *named(Widget *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = named(new QPushButton(caption, parent), name);
    button->setAutoDefault(false);
    return button;
}

QLineEdit *makeTextBox(QWidget *parent, const char *name, const QString &accessibleName)
{
    auto *box = named(new QLineEdit(parent), name);
    box->setAccessibleName(accessibleName);
    return box;
}

QGroupBox *makeFrame(QWidget *parent, const char *name, const QString &caption)
{
    return named(new QGroupBox(caption, parent), name);
}

} // namespace

void Form1Controls::build(QWidget *window)
{
    auto *columns = new QHBoxLayout(window);
    auto *left = new QVBoxLayout;
    left->addWidget(buildLoginFrame(window));
    left->addWidget(buildFolderFrame(window));
    left->addWidget(buildFilterFrame(window));
    left->addWidget(buildBetweenFrame(window));
    left->addWidget(buildExtractionFrame(window));
    localCopy = new LocalCopyPanel(window);
    left->addWidget(localCopy);
    left->addStretch(1);
    columns->addLayout(left, 0);
    columns->addWidget(buildResultsArea(window), 1);
    setTabOrder(window);
}

QWidget *Form1Controls::buildLoginFrame(QWidget *parent)
{
    Frame5 = makeFrame(parent, "Frame5", QStringLiteral("Gmail Login"));
    auto *grid = new QGridLayout(Frame5);
    lblLabels[0] = named(new QLabel(QStringLiteral("Username:"), Frame5), "lblLabels0");
    lblLabels[1] = named(new QLabel(QStringLiteral("Password:"), Frame5), "lblLabels1");
    Text7 = makeTextBox(Frame5, "Text7", QStringLiteral("Username:"));
    Text6 = makeTextBox(Frame5, "Text6", QStringLiteral("Password:"));
    Text6->setEchoMode(QLineEdit::Password);
    lblLabels[0]->setBuddy(Text7);
    lblLabels[1]->setBuddy(Text6);
    Check1 = named(new QCheckBox(QStringLiteral("Remember me"), Frame5), "Check1");
    Check2 =
        named(new QCheckBox(QStringLiteral("Autoconnect when software loads"), Frame5), "Check2");
    PushButton17 = makeButton(Frame5, "PushButton17", QStringLiteral("1. Connect"));
    PushButton15 = makeButton(Frame5, "PushButton15", QStringLiteral("Help"));

    grid->addWidget(lblLabels[0], 0, 0);
    grid->addWidget(Text7, 0, 1, 1, 2);
    grid->addWidget(lblLabels[1], 1, 0);
    grid->addWidget(Text6, 1, 1, 1, 2);
    signInChoice = new SignInChoice(Frame5);
    signInChoice->attachPasswordBox(lblLabels[1], Text6);
    grid->addWidget(signInChoice, 2, 0, 1, 3);
    grid->addWidget(Check1, 3, 0, 1, 3);
    grid->addWidget(Check2, 4, 0, 1, 3);
    grid->addWidget(PushButton17, 5, 0, 1, 2);
    grid->addWidget(PushButton15, 5, 2);
    return Frame5;
}

QWidget *Form1Controls::buildFolderFrame(QWidget *parent)
{
    Frame4 = makeFrame(parent, "Frame4", QStringLiteral("Folder"));
    auto *grid = new QGridLayout(Frame4);
    static const char *const names[] = {"Option3", "Option4", "Option5", "Option6",
                                        "Option7", "Option8", "Option9", "Option10"};
    for (int i = 0; i < 8; ++i) {
        const QString caption = i == 0 ? QStringLiteral("Inbox") : DesignFolderCaptions[i - 1];
        folderOptions[i] = named(new QRadioButton(caption, Frame4), names[i]);
        grid->addWidget(folderOptions[i], i / 4, i % 4);
    }
    folderOptions[0]->setChecked(true);
    gmailSearchLabel =
        named(new QLabel(QStringLiteral("Gmail search:"), Frame4), "gmailSearchLabel");
    gmailSearch = makeTextBox(Frame4, "gmailSearch", QStringLiteral("Gmail search"));
    gmailSearch->setPlaceholderText(
        QStringLiteral("optional, e.g. from:ann after:2024/01/31 invoice"));
    gmailSearchLabel->setBuddy(gmailSearch);
    grid->addWidget(gmailSearchLabel, 2, 0);
    grid->addWidget(gmailSearch, 2, 1, 1, 3);
    return Frame4;
}

QWidget *Form1Controls::buildFilterFrame(QWidget *parent)
{
    Frame1 = makeFrame(parent, "Frame1", QStringLiteral("Filter Options"));
    auto *grid = new QGridLayout(Frame1);
    PushButton20 = makeButton(Frame1, "PushButton20", QStringLiteral("?"));
    PushButton20->setAccessibleName(QStringLiteral("Help on Filter By Characters"));
    PushButton19 = makeButton(Frame1, "PushButton19", QStringLiteral("Filter By Characters"));
    Label3 = named(new QLabel(QStringLiteral("No Character Filter set"), Frame1), "Label3");
    PushButton22 = makeButton(Frame1, "PushButton22", QStringLiteral("Clear Filter"));
    PushButton22->setAccessibleName(QStringLiteral("Clear Character Filter"));
    PushButton21 = makeButton(Frame1, "PushButton21", QStringLiteral("?"));
    PushButton21->setAccessibleName(QStringLiteral("Help on Filter By Label"));
    PushButton5 = makeButton(Frame1, "PushButton5", QStringLiteral("Filter By Label"));
    Label4 = named(new QLabel(QStringLiteral("No Label Filter set"), Frame1), "Label4");
    PushButton23 = makeButton(Frame1, "PushButton23", QStringLiteral("Clear Filter"));
    PushButton23->setAccessibleName(QStringLiteral("Clear Label Filter"));

    const QList<QWidget *> rows[] = {{PushButton20, PushButton19, Label3, PushButton22},
                                     {PushButton21, PushButton5, Label4, PushButton23}};
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 4; ++column)
            grid->addWidget(rows[row][column], row, column);
    grid->setColumnStretch(2, 1);
    return Frame1;
}

QWidget *Form1Controls::buildBetweenFrame(QWidget *parent)
{
    Frame6 = makeFrame(parent, "Frame6", QStringLiteral("Extract Between Option"));
    auto *layout = new QVBoxLayout(Frame6);
    Check3 =
        named(new QCheckBox(QStringLiteral("Show duplicate items in results"), Frame6), "Check3");
    layout->addWidget(Check3);
    return Frame6;
}

QWidget *Form1Controls::buildExtractionFrame(QWidget *parent)
{
    Frame2 = makeFrame(parent, "Frame2", QStringLiteral("Extraction"));
    auto *grid = new QGridLayout(Frame2);
    PushButton13 = makeButton(Frame2, "PushButton13", QStringLiteral("Extract All Email Data"));
    PushButton2 = makeButton(Frame2, "PushButton2",
                             QStringLiteral("Extract All Lines Containing This Text:"));
    Text1 = makeTextBox(Frame2, "Text1", QStringLiteral("Text to contain"));
    PushButton8 = makeButton(Frame2, "PushButton8",
                             QStringLiteral("Extract All Lines Not Contain. This Text:"));
    Text2 = makeTextBox(Frame2, "Text2", QStringLiteral("Text not to contain"));
    PushButton7 = makeButton(Frame2, "PushButton7", QStringLiteral("Extract Lines By Number:"));
    Text5 = makeTextBox(Frame2, "Text5", QStringLiteral("Line numbers"));
    PushButton10 = makeButton(Frame2, "PushButton10", QStringLiteral("Help >"));
    PushButton10->setAccessibleName(QStringLiteral("Help on Extract Lines By Number"));
    PushButton4 =
        makeButton(Frame2, "PushButton4", QStringLiteral("Extract Between X and Y (Repeatedly)"));
    PushButton16 = makeButton(Frame2, "PushButton16", QStringLiteral("Help >"));
    PushButton16->setAccessibleName(QStringLiteral("Help on Extract Between X and Y"));
    PushButton11 = makeButton(Frame2, "PushButton11",
                              QStringLiteral("Extract Lines Containing These Text Sets"));
    PushButton18 = makeButton(Frame2, "PushButton18", QStringLiteral("Help >"));
    PushButton18->setAccessibleName(QStringLiteral("Help on Extract Lines Containing Text Sets"));

    grid->addWidget(PushButton13, 0, 0);
    grid->addWidget(PushButton2, 1, 0);
    grid->addWidget(Text1, 1, 1, 1, 2);
    grid->addWidget(PushButton8, 2, 0);
    grid->addWidget(Text2, 2, 1, 1, 2);
    grid->addWidget(PushButton7, 3, 0);
    grid->addWidget(Text5, 3, 1);
    grid->addWidget(PushButton10, 3, 2);
    grid->addWidget(PushButton4, 4, 0);
    grid->addWidget(PushButton16, 4, 2);
    grid->addWidget(PushButton11, 5, 0);
    grid->addWidget(PushButton18, 5, 2);
    grid->setColumnStretch(1, 1);
    return Frame2;
}

QWidget *Form1Controls::buildResultsArea(QWidget *parent)
{
    auto *area = named(new QWidget(parent), "resultsArea");
    auto *layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    resultsHeading = named(new QLabel(QStringLiteral("Results"), area), "resultsHeading");
    ListView1 = named(new ResultListView(area), "ListView1");
    ListView1->setAccessibleName(QStringLiteral("Results"));
    ListView1->setMinimumWidth(ResultColumnWidth);
    resultsHeading->setBuddy(ListView1);
    ProgressBar1 = named(new QProgressBar(area), "ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(true);
    ProgressBar1->setAlignment(Qt::AlignCenter);

    PushButton1 = makeButton(area, "PushButton1", QStringLiteral("Copy Results To Clipboard"));
    PushButton3 = makeButton(area, "PushButton3", QStringLiteral("Copy To Clipboard (With Tabs)"));
    PushButton14 =
        makeButton(area, "PushButton14", QStringLiteral("Copy To Clipboard (With Spaces)"));
    PushButton6 = makeButton(area, "PushButton6", QStringLiteral("Save Results As Text File"));
    PushButton12 = makeButton(area, "PushButton12", QStringLiteral("Save As Comma Delimited"));
    PushButton9 = makeButton(area, "PushButton9", QStringLiteral("Clear List"));

    auto *buttons = new QGridLayout;
    QPushButton *const order[] = {PushButton1, PushButton3,  PushButton14,
                                  PushButton6, PushButton12, PushButton9};
    for (int i = 0; i < 6; ++i)
        buttons->addWidget(order[i], i / 3, i % 3);

    layout->addWidget(resultsHeading);
    layout->addWidget(ListView1, 1);
    layout->addWidget(ProgressBar1);
    layout->addLayout(buttons);
    return area;
}

void Form1Controls::setTabOrder(QWidget *window) const
{
    QList<QWidget *> order {Text7, Text6};
    order += signInChoice->focusOrder();
    order += {Check1, Check2, PushButton17, PushButton15};
    for (QRadioButton *option : folderOptions)
        order.append(option);
    order += {PushButton20, PushButton19, PushButton22, PushButton21, PushButton5,  PushButton23,
              Check3,       PushButton13, PushButton2,  Text1,        PushButton8,  Text2,
              PushButton7,  Text5,        PushButton10, PushButton4,  PushButton16, PushButton11,
              PushButton18, ListView1,    PushButton1,  PushButton3,  PushButton14, PushButton6,
              PushButton12, PushButton9};
    // The local copy's frame ends the left column.
    for (QWidget *control : localCopy->focusOrder())
        order.insert(order.indexOf(ListView1), control);
    for (qsizetype i = 1; i < order.size(); ++i)
        window->setTabOrder(order[i - 1], order[i]);
}

QRadioButton *Form1Controls::option(int number) const
{
    return folderOptions.at(static_cast<std::size_t>(number - 3));
}

QList<QPushButton *> Form1Controls::pushButtons() const
{
    return {PushButton17, PushButton15, PushButton20, PushButton19, PushButton22, PushButton21,
            PushButton5,  PushButton23, PushButton13, PushButton2,  PushButton8,  PushButton7,
            PushButton10, PushButton4,  PushButton16, PushButton11, PushButton18, PushButton1,
            PushButton3,  PushButton14, PushButton6,  PushButton12, PushButton9};
}

QList<QPushButton *> Form1Controls::extractionStartButtons() const
{
    return {PushButton13, PushButton2, PushButton7, PushButton8};
}

QList<QWidget *> Form1Controls::plainPointerAreas() const
{
    return {Frame1, Frame4, Frame5, Frame6, localCopy, ListView1, ListView1->viewport(),
            Text6,  Text7};
}
