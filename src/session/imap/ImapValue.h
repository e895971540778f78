#pragma once

#include <QByteArray>
#include <QList>

#include <optional>

// One token of a server reply: NIL, an atom, a string (quoted or literal, already unescaped) or a
// parenthesised list of values.
class ImapValue
{
public:
    enum class Type { Nil, Atom, String, List };

    ImapValue() = default;
    static ImapValue nil() { return ImapValue(); }
    static ImapValue atom(const QByteArray &text);
    static ImapValue string(const QByteArray &bytes);
    static ImapValue list(const QList<ImapValue> &items);

    Type type() const { return m_type; }
    bool isNil() const { return m_type == Type::Nil; }
    bool isAtom() const { return m_type == Type::Atom; }
    bool isString() const { return m_type == Type::String; }
    bool isList() const { return m_type == Type::List; }

    // The text of an atom or the bytes of a string; empty otherwise.
    const QByteArray &bytes() const { return m_bytes; }
    const QList<ImapValue> &items() const { return m_items; }
    // An atom made only of digits, read as a number.
    std::optional<qint64> toNumber() const;

    // Canonical text: atoms bare, strings quoted with escapes, NIL, lists in parentheses.
    QByteArray dump() const;

    bool operator==(const ImapValue &other) const = default;

private:
    Type m_type = Type::Nil;
    QByteArray m_bytes;
    QList<ImapValue> m_items;
};
