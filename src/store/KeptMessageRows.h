#pragma once

#include "MessageStore.h"

#include <QString>

#include <utility>

class QSqlQuery;

// How a kept message is laid out in the local copy's messages table: its columns, and a row
// written from or read into a KeptMessage.
class KeptMessageRows
{
public:
    // The columns a read selects, the UID first.
    static QString selectedColumns();
    static QString insertStatement();

    // Binds the mailbox and UIDVALIDITY, in that order.
    static void bindMailbox(QSqlQuery &query, const QString &mailbox, quint32 uidValidity);
    static bool insert(QSqlQuery &insert, const MessageKey &key, const KeptMessage &message);
    // The UID and message of the row `query` is on (selected with selectedColumns()).
    static std::pair<quint32, KeptMessage> read(const QSqlQuery &query);
};
