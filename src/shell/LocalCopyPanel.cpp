#include "LocalCopyPanel.h"

#include "ApplicationTitle.h"
#include "LocalCopyFile.h"
#include "LocalMailCopy.h"
#include "Prompts.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>

namespace {

QString keepHelp()
{
    return QStringLiteral(
               "Keeps the sender, date, subject and text of each fetched message "
               "(never its attachments) in a file only you can read, in %1, so that a later run "
               "need not download them again. Unticked, nothing more is kept; what "
               "was kept stays until you press \"Forget local copy\".")
        .arg(LocalCopyFile::folder());
}

bool asked(const QString &question)
{
    return Prompts::current().message(ApplicationTitle(), question, Prompts::Buttons::YesNo,
                                      Prompts::Icon::None)
        == Prompts::Answer::Yes;
}

} // namespace

LocalCopyPanel::LocalCopyPanel(QWidget *parent)
    : QGroupBox(QStringLiteral("Local Copy"), parent),
      m_keep(new QCheckBox(QStringLiteral("Keep a local copy of fetched mail text"), this)),
      m_forget(new QPushButton(QStringLiteral("Forget local copy"), this))
{
    setObjectName(QStringLiteral("localCopyFrame"));
    m_keep->setObjectName(QStringLiteral("keepLocalCopy"));
    m_forget->setObjectName(QStringLiteral("forgetLocalCopy"));
    m_forget->setAutoDefault(false);
    const QString help = keepHelp();
    m_keep->setToolTip(help);
    m_keep->setWhatsThis(help);
    m_keep->setAccessibleDescription(help);
    m_forget->setToolTip(QStringLiteral("Removes the local copy of mail text kept for the user "
                                        "name above."));
    m_forget->setAccessibleDescription(m_forget->toolTip());
    m_keep->setChecked(LocalMailCopy::isWanted());

    auto *row = new QHBoxLayout(this);
    row->addWidget(m_keep, 1);
    row->addWidget(m_forget);
    connect(m_keep, &QCheckBox::clicked, this, &LocalCopyPanel::keepClicked);
    connect(m_forget, &QPushButton::clicked, this, &LocalCopyPanel::forgetClicked);
}

void LocalCopyPanel::setAccountSource(std::function<QString()> account)
{
    m_account = std::move(account);
}

QList<QWidget *> LocalCopyPanel::focusOrder() const
{
    return {m_keep, m_forget};
}

void LocalCopyPanel::keepClicked(bool ticked)
{
    LocalMailCopy::setWanted(ticked);
}

void LocalCopyPanel::forgetClicked()
{
    const QString account = m_account ? m_account().trimmed() : QString();
    if (account.isEmpty()) {
        Prompts::inform(QStringLiteral("Enter the user name whose local copy to forget."));
        return;
    }
    if (!LocalMailCopy::isKept(account)) {
        Prompts::inform(QStringLiteral("There is no local copy of mail text for %1.").arg(account));
        return;
    }
    if (!asked(QStringLiteral("Forget the local copy of mail text for %1? Its messages are "
                              "downloaded again the next time a run reads them.")
                   .arg(account)))
        return;
    QString problem;
    if (LocalMailCopy::forget(account, &problem) == LocalMailCopy::Forgotten::Failed)
        Prompts::inform(QStringLiteral("The local copy of mail text for %1 could not be removed: "
                                       "%2.")
                            .arg(account, problem));
    else
        Prompts::inform(
            QStringLiteral("The local copy of mail text for %1 was removed.").arg(account));
}
