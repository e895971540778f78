#include "Form5.h"
#include "SettingsKeys.h"

#include "DialogControls.h"
#include "SettingsStore.h"
#include "Steps.h"
#include "clsImapSession.h"

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

Form5::Form5(QString &labelFilter, QWidget *parent)
    : FilterDialog(QStringLiteral("Form5"), parent), m_labelFilter(labelFilter)
{
    buildControls();
    Form_Load();
    connect(okButton(), &QPushButton::clicked, this, &Form5::PushButton1_Click);
    connect(cancelButton(), &QPushButton::clicked, this, &Form5::PushButton3_Click);
}

void Form5::buildControls()
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Filter By Label"));
    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Combo1->setMinimumContentsLength(30);
    Frame2 = FrameAround(Combo1, QStringLiteral("Frame2"), QStringLiteral("Filter By Label"), this);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Frame2);
    layout->addLayout(createOkCancelRow(QStringLiteral("PushButton3")));
}

void Form5::Form_Load()
{
    Steps steps(location("Form_Load"));
    loadLook(steps, 100);
}

void Form5::Form_Activate()
{
    Steps steps(location("Form_Activate"));
    steps(100, [&] {
        Combo1->clear();
        Combo1->addItems(mailboxLabels);
        // Only the exact name: a label the account no longer has is dropped by the next OK.
        Combo1->setCurrentIndex(m_labelFilter.isEmpty() ? -1
                                                        : mailboxLabels.indexOf(m_labelFilter));
    });
}

// OK
void Form5::PushButton1_Click()
{
    Steps steps(location("PushButton1_Click"));
    steps(100, [&] { m_labelFilter = Combo1->currentText(); });
    steps(102, [&] { SaveSetting(SettingsKeys::LabelFilter, m_labelFilter); });
    steps(104, [&] { accept(); });
}

// Cancel
void Form5::PushButton3_Click()
{
    Steps steps(location("PushButton3_Click"));
    steps(100, [&] { reject(); });
}
