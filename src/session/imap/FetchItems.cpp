#include "FetchItems.h"

#include "ImapReply.h"
#include "MessageList.h"

#include <cstdint>

QHash<qint64, FetchItems> FetchItems::byMessage(const ImapReply &reply, const MessageList &messages,
                                                qint64 first, qint64 last)
{
    QHash<qint64, FetchItems> found;
    for (const ImapResponse &response : reply.untagged) {
        if (response.name != "FETCH" || response.values.isEmpty())
            continue;
        const std::optional<ImapValue> uid = response.fetchItem("UID");
        const std::optional<qint64> uidNumber = uid ? uid->toNumber() : std::nullopt;
        const std::optional<qint64> position = uidNumber && *uidNumber <= UINT32_MAX
            ? messages.positionOf(quint32(*uidNumber))
            : std::nullopt;
        if (!position || *position < first || *position > last)
            continue;
        FetchItems &items = found[*position];
        const QList<ImapValue> &list = response.values.first().items();
        for (qsizetype i = 0; i + 1 < list.size(); i += 2)
            items.append(list.at(i).bytes().toUpper(), list.at(i + 1));
    }
    return found;
}

const ImapValue *FetchItems::find(const QByteArray &name) const
{
    for (const auto &[itemName, value] : m_items) {
        if (itemName == name)
            return &value;
    }
    return nullptr;
}

std::optional<QByteArray> FetchItems::string(const QByteArray &name) const
{
    const ImapValue *found = find(name);
    if (!found || !found->isString())
        return std::nullopt;
    return found->bytes();
}

// Servers echo the field list as they like; any header item is the one asked for.
std::optional<QByteArray> FetchItems::header() const
{
    for (const auto &[name, value] : m_items) {
        if (name.startsWith("BODY[HEADER") && value.isString())
            return value.bytes();
    }
    return std::nullopt;
}

// The header must end in an empty line for the two to be told apart again; a server that leaves
// the header out gives the defaults (plain ASCII text).
std::optional<QByteArray> FetchItems::part(const QByteArray &section) const
{
    const std::optional<QByteArray> body = string("BODY[" + section + ']');
    if (!body)
        return std::nullopt;
    QByteArray header = string("BODY[" + section + ".MIME]").value_or(QByteArray());
    while (header.endsWith('\n') || header.endsWith('\r'))
        header.chop(1);
    return header + (header.isEmpty() ? "\r\n" : "\r\n\r\n") + *body;
}
