#include "ImapValue.h"

ImapValue ImapValue::atom(const QByteArray &text)
{
    ImapValue value;
    value.m_type = Type::Atom;
    value.m_bytes = text;
    return value;
}

ImapValue ImapValue::string(const QByteArray &bytes)
{
    ImapValue value;
    value.m_type = Type::String;
    value.m_bytes = bytes;
    return value;
}

ImapValue ImapValue::list(const QList<ImapValue> &items)
{
    ImapValue value;
    value.m_type = Type::List;
    value.m_items = items;
    return value;
}

std::optional<qint64> ImapValue::toNumber() const
{
    if (m_type != Type::Atom || m_bytes.isEmpty() || m_bytes.size() > 18)
        return std::nullopt;
    qint64 number = 0;
    for (char c : m_bytes) {
        if (c < '0' || c > '9')
            return std::nullopt;
        number = number * 10 + (c - '0');
    }
    return number;
}

QByteArray ImapValue::dump() const
{
    switch (m_type) {
    case Type::Nil:
        return QByteArrayLiteral("NIL");
    case Type::Atom:
        return m_bytes;
    case Type::String: {
        QByteArray escaped = m_bytes;
        escaped.replace('\\', "\\\\").replace('"', "\\\"");
        return '"' + escaped + '"';
    }
    case Type::List: {
        QByteArrayList parts;
        for (const ImapValue &item : m_items)
            parts.append(item.dump());
        return '(' + parts.join(' ') + ')';
    }
    }
    return {};
}
