#include "SearchTranslation.h"

#include <QDate>
#include <QLocale>
#include <QStringList>

namespace {

bool isAscii(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() > 0x7e || c.unicode() < 0x20)
            return false;
    }
    return true;
}

// Words of the search, a quoted phrase kept whole with its quotes ("from:\"Ann B\"" is one).
QStringList terms(const QString &search)
{
    QStringList found;
    QString current;
    bool quoted = false;
    for (const QChar c : search) {
        if (c == u'"')
            quoted = !quoted;
        if (c.isSpace() && !quoted) {
            if (!current.isEmpty())
                found.append(std::exchange(current, QString()));
            continue;
        }
        current += c;
    }
    if (!current.isEmpty())
        found.append(current);
    return found;
}

QString unquoted(const QString &text)
{
    if (text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"'))
        return text.mid(1, text.size() - 2);
    return text;
}

// IMAP's date form, "1-Feb-2024", from Gmail's "2024/02/01"; nullopt when it is no such date.
std::optional<QByteArray> imapDate(const QString &value)
{
    const QDate date = QDate::fromString(value, QStringLiteral("yyyy/MM/dd"));
    if (!date.isValid())
        return std::nullopt;
    return QLocale::c().toString(date, QStringLiteral("d-MMM-yyyy")).toLatin1();
}

struct Key
{
    QByteArray name; // "FROM", "TEXT", ...
    QByteArray value;
    bool isDate = false;
};

// One term as a SEARCH key; nullopt when it has none.
std::optional<Key> keyOf(const QString &term)
{
    static const QList<std::pair<QString, QByteArray>> operators {
        {QStringLiteral("from:"), "FROM"},       {QStringLiteral("to:"), "TO"},
        {QStringLiteral("subject:"), "SUBJECT"}, {QStringLiteral("after:"), "SINCE"},
        {QStringLiteral("before:"), "BEFORE"},
    };
    for (const auto &[prefix, name] : operators) {
        if (!term.startsWith(prefix, Qt::CaseInsensitive))
            continue;
        const QString value = unquoted(term.mid(prefix.size()));
        if (value.isEmpty())
            return std::nullopt;
        if (name == "SINCE" || name == "BEFORE") {
            const std::optional<QByteArray> date = imapDate(value);
            return date ? std::optional(Key {name, *date, true}) : std::nullopt;
        }
        return Key {name, value.toUtf8()};
    }
    const QString word = unquoted(term);
    const bool quoted = word.size() != term.size();
    // Gmail's operators and its grouping have no standard counterpart.
    if (word.isEmpty() || word.contains(u'"')
        || (!quoted
            && (word.contains(u':') || word.startsWith(u'-') || word.contains(u'(')
                || word.contains(u')') || word.contains(u'{') || word.contains(u'}')
                || word == u"OR" || word == u"AND" || word == u"AROUND")))
        return std::nullopt;
    return Key {"TEXT", word.toUtf8()};
}

} // namespace

SearchTranslation SearchTranslation::translate(const QString &search, bool gmailExtensions)
{
    return gmailExtensions ? raw(search.trimmed()) : standard(search.trimmed());
}

SearchTranslation SearchTranslation::raw(const QString &search)
{
    ImapCommand command("UID SEARCH");
    if (!isAscii(search))
        command.arg("CHARSET UTF-8");
    command.arg("X-GM-RAW").string(search.toUtf8());
    return SearchTranslation {command, {}};
}

SearchTranslation SearchTranslation::standard(const QString &search)
{
    ImapCommand command("UID SEARCH");
    if (!isAscii(search))
        command.arg("CHARSET UTF-8");
    const QStringList found = terms(search);
    if (found.isEmpty())
        return SearchTranslation {std::nullopt, QStringLiteral("the search is empty")};
    for (const QString &term : found) {
        const std::optional<Key> key = keyOf(term);
        if (!key)
            return SearchTranslation {
                std::nullopt,
                QStringLiteral("\"%1\" cannot be searched on this server: it understands only "
                               "from:, to:, subject:, after:YYYY/MM/DD, before:YYYY/MM/DD and "
                               "words")
                    .arg(term)};
        command.arg(key->name);
        if (key->isDate)
            command.arg(key->value);
        else
            command.string(key->value);
    }
    return SearchTranslation {command, {}};
}
