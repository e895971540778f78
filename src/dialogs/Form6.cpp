#include "Form6.h"
#include "SettingsKeys.h"

#include "DialogControls.h"
#include "SettingsStore.h"
#include "Steps.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

Form6::Form6(QString &charactersFilter, QWidget *parent)
    : FilterDialog(QStringLiteral("Form6"), parent), m_charactersFilter(charactersFilter)
{
    buildControls();
    Form_Load();
    connect(okButton(), &QPushButton::clicked, this, &Form6::PushButton1_Click);
    connect(cancelButton(), &QPushButton::clicked, this, &Form6::PushButton2_Click);
}

void Form6::buildControls()
{
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("Filter By Characters"));
    txtSearch = new QLineEdit(this);
    txtSearch->setObjectName(QStringLiteral("txtSearch"));
    Frame2 = FrameAround(txtSearch, QStringLiteral("Frame2"),
                         QStringLiteral("Filter By Characters - only emails containing these "
                                        "characters will be retrieved"),
                         this);
    txtSearch->setAccessibleName(QStringLiteral("Filter By Characters"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Frame2);
    layout->addLayout(createOkCancelRow(QStringLiteral("PushButton2")));
}

void Form6::Form_Load()
{
    Steps steps(location("Form_Load"));
    loadLook(steps, 100);
}

void Form6::Form_Activate()
{
    Steps steps(location("Form_Activate"));
    steps(100, [&] {
        if (!m_charactersFilter.isEmpty())
            txtSearch->setText(m_charactersFilter);
    });
    steps(102, [&] { txtSearch->selectAll(); }); // typing replaces the current filter
}

// OK: the text exactly as typed, blanks included.
void Form6::PushButton1_Click()
{
    Steps steps(location("PushButton1_Click"));
    steps(100, [&] { m_charactersFilter = txtSearch->text(); });
    steps(102, [&] { SaveSetting(SettingsKeys::CharactersFilter, m_charactersFilter); });
    steps(104, [&] { accept(); });
}

// Cancel
void Form6::PushButton2_Click()
{
    Steps steps(location("PushButton2_Click"));
    steps(100, [&] { reject(); });
}
