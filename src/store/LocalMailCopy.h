#pragma once

#include "LocalCopyFile.h"
#include "MessageStore.h"

#include <QString>

class QSqlDatabase;

// The user's local copy of fetched mail text: each message's texts as read, in one SQLite file
// per account, kept only while the user asks for it. Nothing is created until the first batch is
// kept. A file that is not such a copy, or is damaged, is set aside and a new copy started; the
// notice says so. A copy that fails never stops a run: what it cannot give is downloaded again.
class LocalMailCopy final : public MessageStore
{
public:
    enum class Forgotten { Removed, NothingKept, Failed };

    explicit LocalMailCopy(const QString &account);
    ~LocalMailCopy() override;
    Q_DISABLE_COPY_MOVE(LocalMailCopy)

    QHash<quint32, bool> held(const QString &mailbox, quint32 uidValidity) override;
    QList<std::pair<quint32, KeptMessage>> find(const QString &mailbox, quint32 uidValidity,
                                                quint32 firstUid, quint32 lastUid) override;
    void keep(const QList<std::pair<MessageKey, KeptMessage>> &batch) override;
    void dropStale(const QString &mailbox, quint32 uidValidity) override;

    // What the user should be told about the copy since the last call (a file set aside, a batch
    // that could not be kept); empty text when nothing happened.
    QString takeNotice();

    // Removes every file of `account`'s copy; `problem` says why that failed.
    static Forgotten forget(const QString &account, QString *problem = nullptr);
    // Whether `account` has a copy on disk.
    static bool isKept(const QString &account);
    // Whether any account has one.
    static bool anyKept();
    // The window's stored choice "Keep a local copy of fetched mail text" (off unless ticked).
    static bool isWanted();
    static void setWanted(bool wanted);

private:
    // Opens the file when it exists (or, with `create`, after creating it) and checks it.
    bool usable(bool create);
    QString openConnection();
    bool openAndCheck();
    // Empty text when the file is a sound copy; `inUse` tells a busy file from a bad one.
    QString problemWithContents(bool *inUse);
    // Empty text when every statement ran, as one transaction.
    template<std::size_t Count>
    QString runInTransaction(const char *const (&statements)[Count], bool *inUse);
    void close();
    QSqlDatabase database() const;
    void note(const QString &text);

    LocalCopyFile m_file;
    QString m_connectionName;
    QString m_notice;
    bool m_refused = false; // a file that could not be opened or set aside is not tried again
};
