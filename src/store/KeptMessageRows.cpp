#include "KeptMessageRows.h"

#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <array>

namespace {

// The texts of a kept message, in the order of their columns.
struct TextColumn
{
    const char *column;
    QByteArray KeptMessage::*member;
};
const std::array<TextColumn, 6> TextColumns = {{
    {"sender", &KeptMessage::from},
    {"sender_name", &KeptMessage::fromName},
    {"sender_address", &KeptMessage::fromAddress},
    {"subject", &KeptMessage::subject},
    {"plain_body", &KeptMessage::plainTextBody},
    {"html_body", &KeptMessage::htmlTextBody},
}};

// The columns after the UID, in the order reads and writes both use.
QStringList messageColumns()
{
    QStringList columns;
    for (const TextColumn &text : TextColumns)
        columns << QString::fromLatin1(text.column);
    columns << QStringLiteral("date_seconds") << QStringLiteral("plain_is_html")
            << QStringLiteral("html_included");
    return columns;
}

// An empty text is still a text: bound as an empty blob, never as NULL.
QVariant blob(const QByteArray &bytes)
{
    return QVariant(bytes.isNull() ? QByteArray("") : bytes);
}

// The inbox goes by the empty name, which a null string would bind as NULL.
QString mailboxColumn(const QString &mailbox)
{
    return mailbox.isNull() ? QStringLiteral("") : mailbox;
}

} // namespace

QString KeptMessageRows::selectedColumns()
{
    return (QStringList {QStringLiteral("uid")} + messageColumns()).join(QStringLiteral(", "));
}

QString KeptMessageRows::insertStatement()
{
    const QStringList columns = QStringList {QStringLiteral("mailbox"),
                                             QStringLiteral("uid_validity"), QStringLiteral("uid")}
        + messageColumns();
    QStringList marks;
    marks.fill(QStringLiteral("?"), columns.size());
    return QStringLiteral("INSERT OR REPLACE INTO messages (%1) VALUES (%2)")
        .arg(columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
}

void KeptMessageRows::bindMailbox(QSqlQuery &query, const QString &mailbox, quint32 uidValidity)
{
    query.addBindValue(mailboxColumn(mailbox));
    query.addBindValue(qint64(uidValidity));
}

bool KeptMessageRows::insert(QSqlQuery &insert, const MessageKey &key, const KeptMessage &message)
{
    bindMailbox(insert, key.mailbox, key.uidValidity);
    insert.addBindValue(qint64(key.uid));
    for (const TextColumn &text : TextColumns)
        insert.addBindValue(blob(message.*text.member));
    insert.addBindValue(message.dateSeconds ? QVariant(*message.dateSeconds)
                                            : QVariant(QMetaType::fromType<qint64>()));
    insert.addBindValue(message.plainIsHtml ? 1 : 0);
    insert.addBindValue(message.htmlIncluded ? 1 : 0);
    return insert.exec();
}

std::pair<quint32, KeptMessage> KeptMessageRows::read(const QSqlQuery &query)
{
    KeptMessage message;
    int column = 1;
    for (const TextColumn &text : TextColumns)
        message.*text.member = query.value(column++).toByteArray();
    if (const QVariant date = query.value(column++); !date.isNull())
        message.dateSeconds = date.toLongLong();
    message.plainIsHtml = query.value(column++).toBool();
    message.htmlIncluded = query.value(column).toBool();
    return {quint32(query.value(0).toLongLong()), message};
}
