#include "CacheFolderScan.h"
#include "LocalCopyFile.h"
#include "LocalMailCopy.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>
#include <sys/stat.h>

namespace {

const QString Account = QStringLiteral("reader.one@example.com");
const QString Other = QStringLiteral("reader.two@example.com");

MessageKey keyOf(quint32 uid, quint32 uidValidity = 7,
                 const QString &mailbox = QStringLiteral("INBOX"))
{
    return MessageKey {mailbox, uidValidity, uid};
}

KeptMessage withText(const QByteArray &text)
{
    KeptMessage message;
    message.subject = "one";
    message.plainTextBody = text;
    return message;
}

std::optional<KeptMessage> findIn(LocalMailCopy &copy, const MessageKey &key)
{
    const auto found = copy.find(key.mailbox, key.uidValidity, key.uid, key.uid);
    return found.isEmpty() ? std::nullopt : std::optional(found.first().second);
}

std::optional<QByteArray> keptText(quint32 uid, const QString &account = Account)
{
    LocalMailCopy copy(account);
    const std::optional<KeptMessage> found = findIn(copy, keyOf(uid));
    return found ? std::optional(found->plainTextBody) : std::nullopt;
}

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

using Spoil = std::function<void(const QString &)>;

// Another program's SQLite database under the copy's name.
void foreignDatabase(const QString &path)
{
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QVERIFY(QSqlQuery(db).exec(QStringLiteral("CREATE TABLE notes (text TEXT)")));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));
}

// A real copy spanning many pages, then one page in the middle overwritten.
void damagedCopy(const QString &path)
{
    QList<std::pair<MessageKey, KeptMessage>> batch;
    for (quint32 uid = 1; uid <= 200; ++uid)
        batch.append({keyOf(uid), withText(QByteArray(500, char('a' + uid % 26)))});
    LocalMailCopy(Account).keep(batch);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite) && file.size() > 8 * 4096);
    file.seek(4 * 4096);
    file.write(QByteArray(4096, '\xA5'));
}

} // namespace

class tst_LocalMailCopy : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_cacheHome;

private Q_SLOTS:
    void init()
    {
        m_cacheHome = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_cacheHome->path()));
    }

    void nothingIsCreatedUntilABatchIsKept_thenOnlyItsOwnerCanReadIt()
    {
        const mode_t previous = ::umask(0);
        LocalMailCopy copy(Account);
        QVERIFY(!findIn(copy, keyOf(1)));
        copy.dropStale(QStringLiteral("INBOX"), 9);
        QCOMPARE(FilesUnderCacheLocation(), QStringList());

        copy.keep({{keyOf(1), withText("body")}});
        ::umask(previous);
        const QString path = LocalCopyFile(Account).path();
        QCOMPARE(FilesUnderCacheLocation(), QStringList {path});
        // Owner, group and others as the file system holds them.
        const auto mode = [](const QString &file) {
            return QFileInfo(file).permissions() & 0x7077;
        };
        QCOMPARE(mode(path), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(mode(LocalCopyFile::folder()),
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        // User names never become paths; letter case does not make another copy.
        const QString hostile = QStringLiteral("../../evil/..\\x\n");
        QCOMPARE(QFileInfo(LocalCopyFile(hostile).path()).dir(), QDir(LocalCopyFile::folder()));
        QVERIFY(!LocalCopyFile(hostile).path().contains(QLatin1String("evil")));
        QCOMPARE(LocalCopyFile(QStringLiteral(" Reader.One@Example.com")).path(), path);
    }

    void everyTextComesBackAsKept_data()
    {
        QTest::addColumn<KeptMessage>("message");
        KeptMessage full;
        full.from = "\xC3\x89mile <e@example.com>";
        full.fromName = "\xC3\x89mile";
        full.fromAddress = "e@example.com";
        full.subject = QByteArray("a \0 byte", 8);
        full.dateSeconds = -86400; // before the epoch is a date too
        full.plainTextBody = "line one\r\nline two";
        full.htmlTextBody = "<p>one</p>";
        full.htmlIncluded = true;
        QTest::newRow("every field") << full;
        QTest::newRow("empty text is still text, no date") << withText(QByteArray(""));
        KeptMessage htmlOnly;
        htmlOnly.htmlTextBody = "<p>only</p>";
        htmlOnly.plainIsHtml = true;
        QTest::newRow("the HTML source stands in for plain text") << htmlOnly;
    }

    void everyTextComesBackAsKept()
    {
        QFETCH(KeptMessage, message);
        LocalMailCopy(Account).keep({{keyOf(3), message}});
        // A new instance reads what is on disk.
        LocalMailCopy copy(Account);
        QCOMPARE(findIn(copy, keyOf(3)), message);
        QCOMPARE(copy.held(QStringLiteral("INBOX"), 7),
                 (QHash<quint32, bool> {{3, message.htmlIncluded}}));
        QVERIFY(!findIn(copy, keyOf(3, 8)));
        QVERIFY(copy.held(QStringLiteral("INBOX"), 8).isEmpty());
    }

    void aRangeIsReadInOneGoAndOnlyWithinIt()
    {
        LocalMailCopy copy(Account);
        copy.keep({{keyOf(2), withText("two")},
                   {keyOf(5), withText("five")},
                   {keyOf(9), withText("nine")},
                   {keyOf(5, 7, QStringLiteral("Sent")), withText("other mailbox")}});
        QList<quint32> uids;
        for (const auto &[uid, message] : copy.find(QStringLiteral("INBOX"), 7, 2, 5))
            uids.append(uid);
        std::sort(uids.begin(), uids.end());
        QCOMPARE(uids, (QList<quint32> {2, 5}));
    }

    void theFirstLayoutIsStartedAfreshWithoutANotice()
    {
        const QString path = LocalCopyFile(Account).path();
        QVERIFY(QDir().mkpath(LocalCopyFile::folder()));
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("v1"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery query(db);
            QVERIFY(query.exec(QStringLiteral("CREATE TABLE schema_version (version INTEGER)")));
            QVERIFY(query.exec(QStringLiteral("INSERT INTO schema_version VALUES (1)")));
            QVERIFY(query.exec(QStringLiteral(
                "CREATE TABLE messages (mailbox TEXT, uid_validity INTEGER, uid INTEGER, "
                "whole BLOB, header BLOB, body_text BLOB, plain_part BLOB, html_part BLOB, "
                "html_included INTEGER)")));
            QVERIFY(query.exec(QStringLiteral(
                "INSERT INTO messages VALUES ('INBOX', 7, 1, NULL, 'Subject: x', 'raw', NULL, "
                "NULL, 0)")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("v1"));
        LocalMailCopy copy(Account);
        QVERIFY(!findIn(copy, keyOf(1))); // raw sections are not texts
        copy.keep({{keyOf(1), withText("fresh")}});
        QCOMPARE(copy.takeNotice(), QString());
        QCOMPARE(keptText(1), QByteArray("fresh"));
        QCOMPARE(FilesUnderCacheLocation(), QStringList {path});
    }

    void aBatchThatFailsPartWayKeepsNothingOfIt()
    {
        LocalMailCopy copy(Account);
        copy.keep({{keyOf(1), withText("earlier")}});
        // UIDs start at 1: the last message cannot be stored, and the others go with it.
        copy.keep({{keyOf(2), withText("new")}, {keyOf(1), withText("replaced")}, {keyOf(0), {}}});
        QVERIFY(copy.takeNotice().contains(QLatin1String("could not be kept")));
        QCOMPARE(keptText(2), std::nullopt);
        QCOMPARE(keptText(1), QByteArray("earlier"));
        copy.keep({{keyOf(2), withText("new")}});
        QCOMPARE(keptText(2), QByteArray("new"));
    }

    void aFileThatCannotBeTrustedIsSetAsideAndANewCopyStarted_data()
    {
        QTest::addColumn<Spoil>("spoil");
        QTest::newRow("not SQLite") << Spoil([](const QString &path) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly)
                    && file.write("Subject: a note\r\n\r\nkeep me"));
        });
        QTest::newRow("another program's database") << Spoil(foreignDatabase);
        QTest::newRow("damaged") << Spoil(damagedCopy);
    }

    void aFileThatCannotBeTrustedIsSetAsideAndANewCopyStarted()
    {
        QFETCH(Spoil, spoil);
        const QString path = LocalCopyFile(Account).path();
        QVERIFY(QDir().mkpath(LocalCopyFile::folder()));
        spoil(path);
        const QByteArray spoilt = contentsOf(path);

        LocalMailCopy copy(Account);
        QVERIFY(!findIn(copy, keyOf(1)));
        const QString notice = copy.takeNotice();
        copy.keep({{keyOf(1), withText("fresh")}});
        QCOMPARE(keptText(1), QByteArray("fresh"));
        const QStringList aside =
            QDir(LocalCopyFile::folder()).entryList({QStringLiteral("*.set-aside-*")}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        const QString asidePath = QDir(LocalCopyFile::folder()).filePath(aside.at(0));
        QCOMPARE(contentsOf(asidePath), spoilt);
        QVERIFY2(notice.contains(asidePath), qPrintable(notice));
    }

    void aCopyAnotherRunHoldsIsLeftAlone()
    {
        LocalMailCopy(Account).keep({{keyOf(1), withText("kept")}});
        {
            QSqlDatabase other =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other run"));
            other.setDatabaseName(LocalCopyFile(Account).path());
            QVERIFY(other.open() && QSqlQuery(other).exec(QStringLiteral("BEGIN EXCLUSIVE")));
            LocalMailCopy copy(Account);
            QVERIFY(!findIn(copy, keyOf(1)));
            QVERIFY(copy.takeNotice().contains(QLatin1String("in use")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("other run"));
        QCOMPARE(keptText(1), QByteArray("kept"));
    }

    void dropStaleRemovesOnlyThatMailboxUnderOtherValidities()
    {
        LocalMailCopy copy(Account);
        copy.keep({{keyOf(1, 7), withText("old")},
                   {keyOf(2, 8), withText("current")},
                   {keyOf(1, 7, QStringLiteral("Sent")), withText("other mailbox")},
                   {keyOf(1, 7, QString()), withText("the inbox by its empty name")}});
        QVERIFY(copy.takeNotice().isEmpty());
        copy.dropStale(QStringLiteral("INBOX"), 8);
        QVERIFY(!findIn(copy, keyOf(1, 7)));
        QVERIFY(findIn(copy, keyOf(2, 8)));
        QVERIFY(findIn(copy, keyOf(1, 7, QStringLiteral("Sent"))));
        QVERIFY(findIn(copy, keyOf(1, 7, QString())));
        copy.dropStale(QString(), 8);
        QVERIFY(!findIn(copy, keyOf(1, 7, QString())));
    }

    void forgettingLeavesOtherAccountsAndAnOpenCopyStartsAgain()
    {
        QCOMPARE(LocalMailCopy::forget(Account), LocalMailCopy::Forgotten::NothingKept);
        LocalMailCopy copy(Account);
        copy.keep({{keyOf(1), withText("one")}});
        LocalMailCopy(Other).keep({{keyOf(1), withText("two")}});

        QCOMPARE(LocalMailCopy::forget(Account), LocalMailCopy::Forgotten::Removed);
        QCOMPARE(keptText(1, Other), QByteArray("two"));
        // The copy still open neither reads the removed file nor writes where no one looks.
        QVERIFY(!findIn(copy, keyOf(1)));
        copy.keep({{keyOf(2), withText("after")}});
        QCOMPARE(keptText(2), QByteArray("after"));
    }
};

QTEST_GUILESS_MAIN(tst_LocalMailCopy)
#include "tst_LocalMailCopy.moc"
