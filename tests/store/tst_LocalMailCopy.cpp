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

using Batch = QList<std::pair<MessageKey, FetchedMessage>>;

const QString Account = QStringLiteral("reader.one@example.com");

MessageKey keyOf(quint32 uid, quint32 uidValidity = 7,
                 const QString &mailbox = QStringLiteral("INBOX"))
{
    return MessageKey {mailbox, uidValidity, uid};
}

FetchedMessage headerAndText(const QByteArray &text)
{
    FetchedMessage message;
    message.header = "Subject: one\r\n\r\n";
    message.text = text;
    return message;
}

QFileDevice::Permissions modeOf(const QString &path)
{
    return QFile::permissions(path)
        & ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
}

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Runs SQL on a file outside the class under test, as another program would have.
void runSql(const QString &path, const QStringList &statements)
{
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery query(db);
        for (const QString &statement : statements)
            QVERIFY2(query.exec(statement), qPrintable(statement));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));
}

// A real copy with enough rows to span many pages, then one page in the middle overwritten.
void damagedCopy(const QString &path)
{
    {
        LocalMailCopy copy(Account);
        Batch batch;
        for (quint32 uid = 1; uid <= 200; ++uid)
            batch.append({keyOf(uid), headerAndText(QByteArray(500, char('a' + uid % 26)))});
        copy.keep(batch);
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.size() > 8 * 4096);
    file.seek(4 * 4096);
    file.write(QByteArray(4096, '\xA5'));
}

} // namespace

class tst_LocalMailCopy : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_cacheHome;
    QString copyPath() const { return LocalCopyFile(Account).path(); }

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
        QVERIFY(!QFileInfo::exists(LocalCopyFile::folder()));

        copy.keep({{keyOf(1), headerAndText("body")}});
        ::umask(previous);
        QCOMPARE(FilesUnderCacheLocation(), QStringList {copyPath()});
        QCOMPARE(modeOf(copyPath()), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(modeOf(LocalCopyFile::folder()),
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(copy.takeNotice(), QString());
    }

    void accountNamesNeverBecomePaths()
    {
        const QString hostile = QStringLiteral("../../x/..\\evil\n@example.com");
        QCOMPARE(QFileInfo(LocalCopyFile(hostile).path()).absolutePath(),
                 QFileInfo(LocalCopyFile::folder()).absoluteFilePath());
        QVERIFY(!LocalCopyFile(hostile).path().contains(QLatin1String("evil")));
        QCOMPARE(LocalCopyFile(QStringLiteral(" Reader.One@Example.com")).path(), copyPath());
        QVERIFY(LocalCopyFile(QStringLiteral("reader.two@example.com")).path() != copyPath());
    }

    void everySectionComesBackAsKept_data()
    {
        QTest::addColumn<FetchedMessage>("message");
        FetchedMessage whole;
        whole.whole = QByteArray("From: a\r\n\r\nbinary \0 byte\r\n", 26);
        QTest::newRow("whole message") << whole;
        QTest::newRow("empty text is still text") << headerAndText(QByteArray(""));
        FetchedMessage parts;
        parts.header = "From: b\r\n\r\n";
        parts.plainPart = "Content-Type: text/plain\r\n\r\nplain \xC3\xA9";
        parts.htmlIncluded = true; // asked for, but the message has none
        QTest::newRow("plain part, html asked for and absent") << parts;
        parts.htmlPart = QByteArray("Content-Type: text/html\r\n\r\n<p>\0</p>", 38);
        QTest::newRow("both parts") << parts;
        FetchedMessage emptyHeader;
        emptyHeader.text = QByteArray("x");
        QTest::newRow("no header at all") << emptyHeader;
    }

    void everySectionComesBackAsKept()
    {
        QFETCH(FetchedMessage, message);
        LocalMailCopy(Account).keep({{keyOf(3), message}});
        // A new instance reads what is on disk, not anything held in memory.
        const std::optional<FetchedMessage> found = LocalMailCopy(Account).find(keyOf(3));
        QVERIFY(found);
        QCOMPARE(found->whole, message.whole);
        QCOMPARE(found->header, message.header);
        QCOMPARE(found->text, message.text);
        QCOMPARE(found->plainPart, message.plainPart);
        QCOMPARE(found->htmlPart, message.htmlPart);
        QCOMPARE(found->htmlIncluded, message.htmlIncluded);
        QVERIFY(!LocalMailCopy(Account).find(keyOf(3, 8)));
        QVERIFY(!LocalMailCopy(Account).find(keyOf(3, 7, QStringLiteral("Sent"))));
    }

    void aBatchThatFailsPartWayKeepsNothingOfIt()
    {
        LocalMailCopy copy(Account);
        copy.keep({{keyOf(1), headerAndText("earlier")}});
        // The second message cannot be stored (UIDs start at 1): the first goes with it.
        copy.keep({{keyOf(2), headerAndText("new")},
                   {keyOf(1), headerAndText("replacement")},
                   {keyOf(0), headerAndText("bad")}});
        QVERIFY(copy.takeNotice().contains(QLatin1String("could not be kept")));
        QVERIFY(!copy.find(keyOf(2)));
        QCOMPARE(copy.find(keyOf(1))->text, QByteArray("earlier"));
        // The copy goes on working after the failed batch.
        copy.keep({{keyOf(2), headerAndText("new")}});
        QCOMPARE(LocalMailCopy(Account).find(keyOf(2))->text, QByteArray("new"));
    }

    void aFileThatCannotBeTrustedIsSetAsideAndANewCopyStarted_data()
    {
        QTest::addColumn<std::function<void(const QString &)>>("spoil");
        QTest::newRow("not SQLite")
            << std::function<void(const QString &)>([](const QString &path) {
                   writeFile(path, "Subject: a text file someone put here\r\n\r\nkeep me\r\n");
               });
        QTest::newRow("another program's database")
            << std::function<void(const QString &)>([](const QString &path) {
                   runSql(path,
                          {QStringLiteral("CREATE TABLE notes (text TEXT)"),
                           QStringLiteral("INSERT INTO notes VALUES ('keep me')")});
               });
        QTest::newRow("another layout")
            << std::function<void(const QString &)>([](const QString &path) {
                   LocalMailCopy(Account).keep({{keyOf(1), headerAndText("kept")}});
                   runSql(path, {QStringLiteral("UPDATE schema_version SET version = 2")});
               });
        QTest::newRow("damaged") << std::function<void(const QString &)>(damagedCopy);
    }

    void aFileThatCannotBeTrustedIsSetAsideAndANewCopyStarted()
    {
        QFETCH(std::function<void(const QString &)>, spoil);
        QVERIFY(QDir().mkpath(LocalCopyFile::folder()));
        spoil(copyPath());
        const QByteArray spoilt = contentsOf(copyPath());

        LocalMailCopy copy(Account);
        QVERIFY(!copy.find(keyOf(1)));
        const QString notice = copy.takeNotice();
        QVERIFY2(notice.contains(QLatin1String("set aside")), qPrintable(notice));
        QVERIFY(!QFileInfo::exists(copyPath()));
        copy.keep({{keyOf(1), headerAndText("fresh")}});
        QCOMPARE(LocalMailCopy(Account).find(keyOf(1))->text, QByteArray("fresh"));

        const QStringList aside =
            QDir(LocalCopyFile::folder()).entryList({QStringLiteral("*.set-aside-*")}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        const QString asidePath = QDir(LocalCopyFile::folder()).filePath(aside.at(0));
        QCOMPARE(contentsOf(asidePath), spoilt);
        QVERIFY(notice.contains(asidePath));
    }

    void dropStaleRemovesOnlyThatMailboxUnderOtherValidities()
    {
        LocalMailCopy copy(Account);
        copy.keep({{keyOf(1, 7), headerAndText("old")},
                   {keyOf(2, 8), headerAndText("current")},
                   {keyOf(1, 7, QStringLiteral("Sent")), headerAndText("other mailbox")}});
        copy.dropStale(QStringLiteral("INBOX"), 8);
        QVERIFY(!copy.find(keyOf(1, 7)));
        QVERIFY(copy.find(keyOf(2, 8)));
        QVERIFY(copy.find(keyOf(1, 7, QStringLiteral("Sent"))));
    }

    void forgetRemovesEveryFileOfTheAccountAndSaysWhenThereIsNone()
    {
        QCOMPARE(LocalMailCopy::forget(Account), LocalMailCopy::Forgotten::NothingKept);
        LocalMailCopy copy(Account);
        copy.keep({{keyOf(1), headerAndText("one")}});
        LocalMailCopy(QStringLiteral("reader.two@example.com"))
            .keep({{keyOf(1), headerAndText("two")}});
        QVERIFY(LocalMailCopy::isKept(Account));

        QCOMPARE(LocalMailCopy::forget(Account), LocalMailCopy::Forgotten::Removed);
        QVERIFY(!LocalMailCopy::isKept(Account));
        QVERIFY(LocalMailCopy::isKept(QStringLiteral("reader.two@example.com")));
        // The copy still open does not keep reading or writing the removed file.
        QVERIFY(!copy.find(keyOf(1)));
        copy.keep({{keyOf(2), headerAndText("after")}});
        QVERIFY(!LocalMailCopy(Account).find(keyOf(1)));
        QCOMPARE(LocalMailCopy(Account).find(keyOf(2))->text, QByteArray("after"));
    }
};

QTEST_GUILESS_MAIN(tst_LocalMailCopy)
#include "tst_LocalMailCopy.moc"
