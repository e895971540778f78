#include "DovecotFixture.h"
#include "ImapComponent.h"
#include "MessageStore.h"
#include "ServerOverride.h"

#include <QCoreApplication>
#include <QTest>

#include <memory>

namespace {

// A mailbox of this test's own, filled from the seeded inbox, so that messages can be added,
// deleted and the mailbox made anew without touching what other tests read.
const QString scratch = QStringLiteral("Reuse scratch");

QString rowOf(const MailMessage &message)
{
    return QStringList {message.from, message.subject, message.date.toString(Qt::ISODate),
                        message.plainTextBody, message.htmlTextBody}
        .join(u'|');
}

// A local copy as small as a test needs: every batch it is handed, in memory.
class KeptCopy final : public MessageStore
{
public:
    QHash<quint32, bool> held(const QString &mailbox, quint32 uidValidity) override
    {
        QHash<quint32, bool> uids;
        for (const auto &[key, message] : std::as_const(messages)) {
            if (key.mailbox == mailbox && key.uidValidity == uidValidity)
                uids.insert(key.uid, message.htmlIncluded);
        }
        return uids;
    }
    QList<std::pair<quint32, KeptMessage>> find(const QString &mailbox, quint32 uidValidity,
                                                quint32 firstUid, quint32 lastUid) override
    {
        ++reads;
        QList<std::pair<quint32, KeptMessage>> found;
        for (const auto &[key, message] : std::as_const(messages)) {
            if (key.mailbox == mailbox && key.uidValidity == uidValidity && key.uid >= firstUid
                && key.uid <= lastUid)
                found.append({key.uid, message});
        }
        return found;
    }
    void keep(const QList<std::pair<MessageKey, KeptMessage>> &batch) override
    {
        messages += batch;
    }
    void dropStale(const QString &mailbox, quint32 uidValidity) override
    {
        messages.removeIf([&](const auto &entry) {
            return entry.first.mailbox == mailbox && entry.first.uidValidity != uidValidity;
        });
    }

    QList<std::pair<MessageKey, KeptMessage>> messages;
    int reads = 0;
};

} // namespace

// What one session fetched is not downloaded again, and never served where it no longer holds.
class tst_MessageReuseDovecot : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void secondRunFetchesOnlyWhatChanged();
    void htmlAskedForLaterIsFetched();
    void tinyBoundKeepsNothing();
    void localCopyServesAnotherSession();
    void disconnectForgets();
    void signingInAgainCountsAfresh();

private:
    std::unique_ptr<ImapComponent> signedIn() const;
    void command(const QString &line);
    // Every message of the scratch mailbox read through `component`; also counts its bytes.
    QStringList readAll(ImapComponent &component, qint64 *downloaded = nullptr);
    // The same as a component that holds nothing reads it.
    QStringList readAfresh(bool html);

    DovecotFixture m_fixture;
    std::unique_ptr<ImapComponent> m_admin; // changes the scratch mailbox
    std::unique_ptr<ImapComponent> m_client;
};

void tst_MessageReuseDovecot::init()
{
    m_fixture.exportToEnvironment();
    m_admin = signedIn();
    m_admin->SendRawLine(QStringLiteral("DELETE \"%1\"").arg(scratch));
    command(QStringLiteral("CREATE \"%1\"").arg(scratch));
    command(QStringLiteral("EXAMINE INBOX"));
    command(QStringLiteral("UID COPY 1:3 \"%1\"").arg(scratch));
    m_client = signedIn();
}

void tst_MessageReuseDovecot::cleanup()
{
    m_client.reset();
    if (m_admin)
        m_admin->SendRawLine(QStringLiteral("DELETE \"%1\"").arg(scratch));
    m_admin.reset();
}

std::unique_ptr<ImapComponent> tst_MessageReuseDovecot::signedIn() const
{
    auto component = std::make_unique<ImapComponent>();
    component->setServerOverride(ServerOverride::fromEnvironment());
    component->SetEncryption(true);
    component->SetPort(993);
    component->setFetchAheadLimits(4096, 2, 2); // several batches even for a few messages
    if (component->OpenHost(QStringLiteral("imap.gmail.com")) != 1
        || component->SignIn(m_fixture.user(), m_fixture.password()) != 1)
        qFatal("cannot sign in to the fixture: %s", qPrintable(component->FailureText()));
    return component;
}

void tst_MessageReuseDovecot::command(const QString &line)
{
    const QString reply = m_admin->SendRawLine(line);
    QVERIFY2(m_admin->FailureText().isEmpty() && !reply.isEmpty(),
             qPrintable(line + QStringLiteral(": ") + m_admin->FailureText()));
}

QStringList tst_MessageReuseDovecot::readAll(ImapComponent &component, qint64 *downloaded)
{
    const qint64 before = component.DownloadedBytes();
    QStringList rows;
    if (component.OpenMailbox(scratch) != 1)
        return {component.FailureText()};
    for (int number = 1; number <= component.MessageCount(); ++number) {
        const std::optional<MailMessage> message = component.FetchMessage(number, false);
        rows.append(message ? rowOf(*message) : component.FailureText());
    }
    if (downloaded)
        *downloaded = component.DownloadedBytes() - before;
    return rows;
}

QStringList tst_MessageReuseDovecot::readAfresh(bool html)
{
    const std::unique_ptr<ImapComponent> fresh = signedIn();
    fresh->SetFetchHtmlBodies(html);
    return readAll(*fresh);
}

void tst_MessageReuseDovecot::secondRunFetchesOnlyWhatChanged()
{
    QCOMPARE(m_client->OpenMailbox(scratch), 1);
    const std::optional<qint64> estimate = m_client->EstimateDownload(1, 3);
    QVERIFY2(estimate && *estimate > 0, qPrintable(m_client->FailureText()));
    qint64 first = 0;
    const QStringList rows = readAll(*m_client, &first);
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows, readAfresh(false));
    QCOMPARE(m_client->EstimateDownload(1, 3), std::optional<qint64>(0)); // all of it is held

    qint64 second = 0;
    QCOMPARE(readAll(*m_client, &second), rows);
    QVERIFY2(second * 4 < first, qPrintable(QStringLiteral("%1 then %2").arg(first).arg(second)));

    // One added, one deleted: the numbering follows the mailbox as it is now.
    command(QStringLiteral("UID COPY 4 \"%1\"").arg(scratch));
    command(QStringLiteral("SELECT \"%1\"").arg(scratch));
    command(QStringLiteral("UID STORE 1 +FLAGS.SILENT (\\Deleted)"));
    command(QStringLiteral("EXPUNGE"));
    const QStringList changed = readAll(*m_client);
    QCOMPARE(changed, readAfresh(false));
    QCOMPARE(changed.mid(0, 2), rows.mid(1, 2));

    // Made anew: the same UIDs now name other messages, and nothing held may stand in for them.
    command(QStringLiteral("UNSELECT"));
    command(QStringLiteral("DELETE \"%1\"").arg(scratch));
    command(QStringLiteral("CREATE \"%1\"").arg(scratch));
    command(QStringLiteral("EXAMINE INBOX"));
    command(QStringLiteral("UID COPY 5:7 \"%1\"").arg(scratch));
    const QStringList renewed = readAll(*m_client);
    QCOMPARE(renewed, readAfresh(false));
    QVERIFY(renewed != rows);
}

void tst_MessageReuseDovecot::htmlAskedForLaterIsFetched()
{
    command(QStringLiteral("UID COPY 5:6 \"%1\"").arg(scratch)); // the seeds with an HTML part
    readAll(*m_client);
    m_client->SetFetchHtmlBodies(true);
    const QStringList rows = readAll(*m_client);
    QCOMPARE(rows, readAfresh(true));
    QVERIFY(rows.join(QString()).contains(QLatin1Char('<')));
}

void tst_MessageReuseDovecot::tinyBoundKeepsNothing()
{
    m_client->setMemoryBound(1);
    qint64 first = 0;
    const QStringList rows = readAll(*m_client, &first);
    qint64 second = 0;
    QCOMPARE(readAll(*m_client, &second), rows);
    QVERIFY2(second * 2 > first, qPrintable(QStringLiteral("%1 then %2").arg(first).arg(second)));
}

void tst_MessageReuseDovecot::localCopyServesAnotherSession()
{
    qint64 first = 0;
    const QStringList rows = readAll(*m_client, &first);
    // Asked for only now: what the session read goes to the copy, not downloaded again.
    const auto copy = std::make_shared<KeptCopy>();
    m_client->SetLocalCopy(copy);
    qint64 fromMemory = 0;
    QCOMPARE(readAll(*m_client, &fromMemory), rows);
    QCOMPARE(copy->messages.size(), 3);
    QVERIFY(fromMemory * 4 < first);

    const std::unique_ptr<ImapComponent> other = signedIn();
    other->SetLocalCopy(copy);
    qint64 second = 0;
    QCOMPARE(readAll(*other, &second), rows);
    QCOMPARE(copy->reads, 1); // read ahead in one go, and not again to hand each message out
    QVERIFY2(second * 4 < first, qPrintable(QStringLiteral("%1 then %2").arg(first).arg(second)));
}

void tst_MessageReuseDovecot::disconnectForgets()
{
    qint64 first = 0;
    const QStringList rows = readAll(*m_client, &first);
    QCOMPARE(m_client->CloseConnection(), 1);
    QCOMPARE(m_client->OpenHost(QStringLiteral("imap.gmail.com")), 1);
    QCOMPARE(m_client->SignIn(m_fixture.user(), m_fixture.password()), 1);
    qint64 afterDisconnect = 0;
    QCOMPARE(readAll(*m_client, &afterDisconnect), rows);
    QVERIFY2(afterDisconnect * 2 > first,
             qPrintable(QStringLiteral("%1 then %2").arg(first).arg(afterDisconnect)));
}

// A run that found everything held sends nothing after its list; a later run that signs in
// again on the kept connection must still select anew and see a message added since.
void tst_MessageReuseDovecot::signingInAgainCountsAfresh()
{
    const QStringList rows = readAll(*m_client);
    QCOMPARE(readAll(*m_client), rows); // all of it held
    command(QStringLiteral("UID COPY 4 \"%1\"").arg(scratch));
    QCOMPARE(m_client->OpenHost(QStringLiteral("imap.gmail.com")), 1);
    QCOMPARE(m_client->SignIn(m_fixture.user(), m_fixture.password()), 1);
    const QStringList later = readAll(*m_client);
    QCOMPARE(later.size(), rows.size() + 1);
    QCOMPARE(later, readAfresh(false));
}

QTEST_GUILESS_MAIN(tst_MessageReuseDovecot)
#include "tst_MessageReuseDovecot.moc"
