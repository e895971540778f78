#include "CacheFolderScan.h"
#include "LocalCopyFile.h"
#include "LocalMailCopy.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

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

FetchedMessage withText(const QByteArray &text)
{
    FetchedMessage message;
    message.header = "Subject: one\r\n\r\n";
    message.text = text;
    return message;
}

std::optional<QByteArray> keptText(quint32 uid, const QString &account = Account)
{
    const std::optional<FetchedMessage> found = LocalMailCopy(account).find(keyOf(uid));
    return found ? found->text : std::nullopt;
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
    QList<std::pair<MessageKey, FetchedMessage>> batch;
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
        QVERIFY(!copy.find(keyOf(1)));
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

    void everySectionComesBackAsKept_data()
    {
        QTest::addColumn<FetchedMessage>("message");
        FetchedMessage whole;
        whole.whole = QByteArray("From: a\r\n\r\nbinary \0 byte\r\n", 26);
        QTest::newRow("whole message, no header") << whole;
        QTest::newRow("empty text is still text") << withText(QByteArray(""));
        FetchedMessage parts;
        parts.header = "From: b\r\n\r\n";
        parts.plainPart = "Content-Type: text/plain\r\n\r\nplain \xC3\xA9";
        parts.htmlIncluded = true; // asked for, and the message has none
        QTest::newRow("html asked for, absent") << parts;
        parts.htmlPart = QByteArray("Content-Type: text/html\r\n\r\n<p>\0</p>", 38);
        QTest::newRow("both parts") << parts;
    }

    void everySectionComesBackAsKept()
    {
        QFETCH(FetchedMessage, message);
        LocalMailCopy(Account).keep({{keyOf(3), message}});
        // A new instance reads what is on disk.
        const std::optional<FetchedMessage> found = LocalMailCopy(Account).find(keyOf(3));
        QVERIFY(found);
        QCOMPARE(found->whole, message.whole);
        QCOMPARE(found->header, message.header);
        QCOMPARE(found->text, message.text);
        QCOMPARE(found->plainPart, message.plainPart);
        QCOMPARE(found->htmlPart, message.htmlPart);
        QCOMPARE(found->htmlIncluded, message.htmlIncluded);
        QVERIFY(!LocalMailCopy(Account).find(keyOf(3, 8)));
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
        QVERIFY(!copy.find(keyOf(1)));
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
            QVERIFY(!copy.find(keyOf(1)));
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
        QVERIFY(!copy.find(keyOf(1, 7)));
        QVERIFY(copy.find(keyOf(2, 8)));
        QVERIFY(copy.find(keyOf(1, 7, QStringLiteral("Sent"))));
        QVERIFY(copy.find(keyOf(1, 7, QString())));
        copy.dropStale(QString(), 8);
        QVERIFY(!copy.find(keyOf(1, 7, QString())));
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
        QVERIFY(!copy.find(keyOf(1)));
        copy.keep({{keyOf(2), withText("after")}});
        QCOMPARE(keptText(2), QByteArray("after"));
    }
};

QTEST_GUILESS_MAIN(tst_LocalMailCopy)
#include "tst_LocalMailCopy.moc"
