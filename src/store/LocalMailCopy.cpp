#include "LocalMailCopy.h"

#include "KeptMessageRows.h"

#include "SettingsKeys.h"
#include "SettingsStore.h"
#include "StepFailure.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QUuid>

namespace {

constexpr int SchemaVersion = 2;

// Another run may be creating the same new file at the same moment: both must end with one schema.
const char *const SchemaStatements[] = {
    "CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)",
    "INSERT INTO schema_version (version) SELECT 2 WHERE NOT EXISTS (SELECT * FROM schema_version)",
    // UIDs start at 1; a 0 is a caller's mistake and fails the whole batch.
    "CREATE TABLE IF NOT EXISTS messages (mailbox TEXT NOT NULL, uid_validity INTEGER NOT NULL,"
    // The small columns first: listing what is kept then reads no text.
    " uid INTEGER NOT NULL CHECK (uid > 0), html_included INTEGER NOT NULL,"
    " plain_is_html INTEGER NOT NULL, date_seconds INTEGER, sender BLOB NOT NULL,"
    " sender_name BLOB NOT NULL, sender_address BLOB NOT NULL, subject BLOB NOT NULL,"
    " plain_body BLOB NOT NULL, html_body BLOB NOT NULL,"
    " PRIMARY KEY (mailbox, uid_validity, uid)) WITHOUT ROWID",
    // What is kept of a mailbox, listed without reading the pages that hold the texts.
    "CREATE INDEX IF NOT EXISTS kept_uids ON messages (mailbox, uid_validity, html_included)",
};

// The first layout kept the raw sections, which every run had to decode again. What it holds is
// only ever a copy of the server's mail: it is started afresh in the new layout.
const char *const UpgradeFromVersion1[] = {
    "DROP TABLE IF EXISTS messages",
    SchemaStatements[2],
    SchemaStatements[3],
    "UPDATE schema_version SET version = 2",
};

// Another run holds the file: a reason to wait or do without, never one to set the file aside.
bool heldByAnotherRun(const QSqlError &error)
{
    const QString code = error.nativeErrorCode();
    return code == QLatin1String("5") || code == QLatin1String("6"); // SQLITE_BUSY, SQLITE_LOCKED
}

QString latin1(const char *text)
{
    return QString::fromLatin1(text);
}

} // namespace

LocalMailCopy::LocalMailCopy(const QString &account)
    : m_file(account),
      m_connectionName(QStringLiteral("local-mail-copy-") + QUuid::createUuid().toString())
{
}

LocalMailCopy::~LocalMailCopy()
{
    close();
}

QSqlDatabase LocalMailCopy::database() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

void LocalMailCopy::close()
{
    if (!QSqlDatabase::contains(m_connectionName))
        return;
    database().close();
    QSqlDatabase::removeDatabase(m_connectionName);
}

void LocalMailCopy::note(const QString &text)
{
    if (!m_notice.isEmpty())
        m_notice += QLatin1Char('\n');
    m_notice += text;
}

QString LocalMailCopy::takeNotice()
{
    return std::exchange(m_notice, QString());
}

QHash<quint32, bool> LocalMailCopy::held(const QString &mailbox, quint32 uidValidity)
{
    QHash<quint32, bool> uids;
    if (!usable(false))
        return uids;
    QSqlQuery query(database());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT uid, html_included FROM messages WHERE mailbox = ? AND "
                                 "uid_validity = ?"));
    KeptMessageRows::bindMailbox(query, mailbox, uidValidity);
    if (!query.exec())
        return uids;
    while (query.next())
        uids.insert(quint32(query.value(0).toLongLong()), query.value(1).toBool());
    return uids;
}

QList<std::pair<quint32, KeptMessage>>
LocalMailCopy::find(const QString &mailbox, quint32 uidValidity, quint32 firstUid, quint32 lastUid)
{
    QList<std::pair<quint32, KeptMessage>> found;
    if (!usable(false))
        return found;
    QSqlQuery query(database());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT %1 FROM messages WHERE mailbox = ? AND uid_validity = ? "
                                 "AND uid BETWEEN ? AND ?")
                      .arg(KeptMessageRows::selectedColumns()));
    KeptMessageRows::bindMailbox(query, mailbox, uidValidity);
    query.addBindValue(qint64(firstUid));
    query.addBindValue(qint64(lastUid));
    if (!query.exec())
        return found;
    while (query.next())
        found.append(KeptMessageRows::read(query));
    return found;
}

void LocalMailCopy::keep(const QList<std::pair<MessageKey, KeptMessage>> &batch)
{
    if (batch.isEmpty() || !usable(true))
        return;
    QSqlDatabase db = database();
    QSqlQuery insert(db);
    bool kept = db.transaction() && insert.prepare(KeptMessageRows::insertStatement());
    for (qsizetype i = 0; kept && i < batch.size(); ++i)
        kept = KeptMessageRows::insert(insert, batch[i].first, batch[i].second);
    if (kept && db.commit())
        return;
    const QString reason =
        insert.lastError().isValid() ? insert.lastError().text() : db.lastError().text();
    insert.finish();
    db.rollback();
    note(QStringLiteral("A batch of %1 messages could not be kept in the local copy of mail text "
                        "(%2); they will be downloaded again next time.")
             .arg(batch.size())
             .arg(reason));
}

void LocalMailCopy::dropStale(const QString &mailbox, quint32 uidValidity)
{
    if (!usable(false))
        return;
    QSqlQuery query(database());
    query.prepare(QStringLiteral("DELETE FROM messages WHERE mailbox = ? AND uid_validity <> ?"));
    KeptMessageRows::bindMailbox(query, mailbox, uidValidity);
    query.exec();
}

bool LocalMailCopy::usable(bool create)
{
    // Forgotten while open: the file is gone and a later batch starts a new one.
    if (database().isOpen() && m_file.exists())
        return true;
    close();
    if (m_refused)
        return false;
    // Twice at most: a file set aside leaves room for one new copy.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!m_file.exists()) {
            if (!create)
                return false;
            if (const QString problem = m_file.createPrivate(); !problem.isEmpty()) {
                note(
                    QStringLiteral("The local copy of mail text cannot be kept: %1.").arg(problem));
                return false;
            }
        }
        if (openAndCheck())
            return true;
        if (m_refused)
            return false;
    }
    return false;
}

QString LocalMailCopy::openConnection()
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    if (!db.isValid())
        return QStringLiteral("the SQLite driver of Qt SQL is missing");
    db.setDatabaseName(m_file.path());
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    return db.open() ? QString() : db.lastError().text();
}

bool LocalMailCopy::openAndCheck()
{
    if (const QString problem = openConnection(); !problem.isEmpty()) {
        close();
        note(QStringLiteral("The local copy of mail text cannot be kept: %1.").arg(problem));
        m_refused = true;
        return false;
    }
    bool inUse = false;
    const QString problem = problemWithContents(&inUse);
    if (problem.isEmpty())
        return true;
    close();
    if (inUse) {
        note(QStringLiteral("The local copy of mail text is in use by another run of the "
                            "program (%1); this run does without it.")
                 .arg(problem));
        m_refused = true; // not waited for again at every message
        return false;
    }
    const QString aside = m_file.setAside();
    if (aside.isEmpty()) {
        note(QStringLiteral("The local copy of mail text in %1 cannot be used (%2) and could not "
                            "be set aside; it is left alone and nothing is kept.")
                 .arg(m_file.path(), problem));
        m_refused = true;
        return false;
    }
    note(QStringLiteral("The local copy of mail text in %1 could not be used (%2). It was set "
                        "aside as %3 and a new copy is started.")
             .arg(m_file.path(), problem, aside));
    return false;
}

QString LocalMailCopy::problemWithContents(bool *inUse)
{
    QSqlDatabase db = database();
    QSqlQuery check(db);
    if (!check.exec(QStringLiteral("PRAGMA quick_check"))) {
        *inUse = heldByAnotherRun(check.lastError());
        return QStringLiteral("not an SQLite database: %1").arg(check.lastError().text());
    }
    if (!check.next() || check.value(0).toString() != QLatin1String("ok"))
        return QStringLiteral("it failed its integrity check");
    check.finish();
    const QStringList tables = db.tables();
    if (tables.isEmpty())
        return runInTransaction(SchemaStatements, inUse);
    QSqlQuery version(db);
    if (!tables.contains(QStringLiteral("schema_version"))
        || !version.exec(QStringLiteral("SELECT version FROM schema_version")) || !version.next())
        return QStringLiteral("it is not a local copy of this program");
    const QString found = version.value(0).toString();
    const bool single = !version.next();
    version.finish();
    if (found == QLatin1String("1") && single)
        return runInTransaction(UpgradeFromVersion1, inUse);
    if (found != QString::number(SchemaVersion) || !single)
        return QStringLiteral("it is kept in another layout, version %1").arg(found);
    QSqlQuery columns(db);
    if (!columns.exec(QStringLiteral("SELECT %1 FROM messages LIMIT 0")
                          .arg(KeptMessageRows::selectedColumns())))
        return QStringLiteral("its messages table is not the expected one");
    return {};
}

template<std::size_t Count>
QString LocalMailCopy::runInTransaction(const char *const (&statements)[Count], bool *inUse)
{
    QSqlDatabase db = database();
    QSqlQuery query(db);
    bool done = db.transaction();
    for (const char *statement : statements)
        done = done && query.exec(latin1(statement));
    if (done && db.commit())
        return {};
    const QSqlError error = query.lastError().isValid() ? query.lastError() : db.lastError();
    query.finish();
    db.rollback();
    *inUse = heldByAnotherRun(error);
    return error.text();
}

LocalMailCopy::Forgotten LocalMailCopy::forget(const QString &account, QString *problem)
{
    const QStringList files = LocalCopyFile(account).allFiles();
    if (files.isEmpty())
        return Forgotten::NothingKept;
    for (const QString &path : files) {
        QFile file(path);
        if (!file.remove()) {
            if (problem)
                *problem = QStringLiteral("cannot remove %1: %2").arg(path, file.errorString());
            return Forgotten::Failed;
        }
    }
    return Forgotten::Removed;
}

bool LocalMailCopy::isKept(const QString &account)
{
    return !LocalCopyFile(account).allFiles().isEmpty();
}

bool LocalMailCopy::anyKept()
{
    return !QDir(LocalCopyFile::folder()).entryList(QDir::Files | QDir::Hidden).isEmpty();
}

bool LocalMailCopy::isWanted()
{
    try {
        return ReadBooleanSetting(SettingsKeys::KeepLocalCopy, 0);
    } catch (const StepFailure &) {
        return false; // a value no version wrote: keep nothing
    }
}

void LocalMailCopy::setWanted(bool wanted)
{
    SaveSetting(SettingsKeys::KeepLocalCopy, CheckForm(wanted));
}
