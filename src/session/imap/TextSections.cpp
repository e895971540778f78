#include "TextSections.h"

#include "ImapValue.h"

namespace {

// Positions in a non-multipart body structure (RFC 3501, body-type-1part).
constexpr int typeField = 0;
constexpr int subtypeField = 1;
constexpr int parameterField = 2;
constexpr int sizeField = 6;
// The disposition follows the MD5 extension field, which follows the type-specific fields.
constexpr int textDispositionField = 9; // text: lines, md5, disposition
constexpr int basicDispositionField = 8; // other types: md5, disposition

bool equalsText(const ImapValue &value, const char *text)
{
    return value.isString() || value.isAtom()
        ? value.bytes().compare(text, Qt::CaseInsensitive) == 0
        : false;
}

bool isFileNameParameter(const QByteArray &name, const char *base)
{
    // RFC 2231 continuations and charset forms ("filename*0*") name a file just the same.
    const QByteArray lower = name.toLower();
    return lower == base || lower.startsWith(QByteArray(base) + '*');
}

bool hasParameter(const ImapValue &parameters, const char *base)
{
    const QList<ImapValue> &items = parameters.items();
    for (qsizetype i = 0; i + 1 < items.size(); i += 2) {
        if (isFileNameParameter(items.at(i).bytes(), base))
            return true;
    }
    return false;
}

enum class AttachmentKind { None, Named, Marked };

// "attachment" always marks an attachment; a file name without "inline" makes a named part, which
// older mailers send as attachments too.
AttachmentKind attachmentKind(const QList<ImapValue> &part, bool isText)
{
    const int field = isText ? textDispositionField : basicDispositionField;
    const ImapValue disposition = part.size() > field ? part.at(field) : ImapValue::nil();
    const QList<ImapValue> &dispositionItems = disposition.items();
    const ImapValue kind = dispositionItems.isEmpty() ? ImapValue::nil() : dispositionItems.first();
    if (equalsText(kind, "attachment"))
        return AttachmentKind::Marked;
    const bool named = hasParameter(part.value(parameterField), "name")
        || (dispositionItems.size() > 1 && hasParameter(dispositionItems.at(1), "filename"));
    return named && !equalsText(kind, "inline") ? AttachmentKind::Named : AttachmentKind::None;
}

// A Content-Type the server could not read comes as an empty or NIL type or subtype; such a
// part is text/plain (RFC 2045 section 5.2).
bool isUnreadableType(const QList<ImapValue> &part)
{
    return part.at(typeField).bytes().isEmpty() || part.at(subtypeField).bytes().isEmpty();
}

// An RFC 2231 boundary ("boundary*"): servers cannot split such a message into its parts.
bool hasExtendedBoundary(const ImapValue &parameters)
{
    const QList<ImapValue> &items = parameters.items();
    for (qsizetype i = 0; i + 1 < items.size(); i += 2) {
        if (items.at(i).bytes().toLower().startsWith("boundary*"))
            return true;
    }
    return false;
}

struct Candidate
{
    QByteArray section;
    qint64 size = 0;
    bool isEmpty() const { return section.isEmpty(); }
};

class Locator
{
public:
    // false when the structure cannot be read
    bool visit(const ImapValue &body, const QByteArray &section, int depth)
    {
        if (!body.isList() || body.items().isEmpty())
            return false;
        if (depth > TextSections::MaximumDepth)
            return true;
        if (body.items().first().isList())
            return visitChildren(body.items(), section, depth);
        return considerPart(body.items(), section.isEmpty() ? QByteArray("1") : section);
    }

    // The MIME reader's choice: unnamed text parts first, then named ones that are not marked
    // "attachment"; when there are neither, the text of the first attached message, which this
    // reader leaves to the whole message (nullopt), as it does a message the server may have
    // split wrongly.
    std::optional<TextSections> chosen(bool singlePart) const
    {
        const bool unnamed = !m_plain[0].isEmpty() || !m_html[0].isEmpty();
        const int rank = unnamed ? 0 : 1;
        const Candidate &plain = m_plain[rank];
        const Candidate &html = m_html[rank];
        if (m_extendedBoundary || (plain.isEmpty() && html.isEmpty() && m_attachedMessage))
            return std::nullopt;
        if ((!plain.isEmpty() && plain.size == 0) || (!html.isEmpty() && html.size == 0))
            return std::nullopt; // an empty text part may be a message the server did not split
        TextSections found;
        found.singlePart = singlePart;
        found.plain = plain.section;
        found.plainSize = plain.size;
        found.html = html.section;
        found.htmlSize = html.size;
        return found;
    }

private:
    bool visitChildren(const QList<ImapValue> &items, const QByteArray &section, int depth)
    {
        int number = 0;
        for (const ImapValue &child : items) {
            if (!child.isList())
                break; // the subtype and extension data follow the children
            const QByteArray childSection =
                (section.isEmpty() ? QByteArray() : section + '.') + QByteArray::number(++number);
            if (!visit(child, childSection, depth + 1))
                return false;
        }
        if (items.size() > number + 1 && hasExtendedBoundary(items.at(number + 1)))
            m_extendedBoundary = true;
        return number > 0;
    }

    bool considerPart(const QList<ImapValue> &part, const QByteArray &section)
    {
        if (part.size() <= sizeField)
            return false;
        const std::optional<qint64> size = part.at(sizeField).toNumber();
        if (!size)
            return false;
        if (equalsText(part.at(typeField), "message"))
            m_attachedMessage = true;
        const bool unreadable = isUnreadableType(part);
        const bool isText = equalsText(part.at(typeField), "text");
        if (!isText && !unreadable)
            return true;
        const AttachmentKind kind = attachmentKind(part, isText);
        if (kind == AttachmentKind::Marked)
            return true;
        const int rank = kind == AttachmentKind::Named ? 1 : 0;
        if (unreadable || equalsText(part.at(subtypeField), "plain"))
            offer(m_plain[rank], section, *size);
        else if (equalsText(part.at(subtypeField), "html"))
            offer(m_html[rank], section, *size);
        return true;
    }

    static void offer(Candidate &candidate, const QByteArray &section, qint64 size)
    {
        if (candidate.isEmpty())
            candidate = Candidate {section, size};
    }

    // Index 0: the first unnamed part of the kind; 1: the first named one.
    Candidate m_plain[2];
    Candidate m_html[2];
    bool m_attachedMessage = false;
    bool m_extendedBoundary = false;
};

} // namespace

std::optional<TextSections> TextSections::locate(const ImapValue &structure)
{
    if (!structure.isList() || structure.items().isEmpty())
        return std::nullopt;
    Locator locator;
    if (!locator.visit(structure, {}, 0))
        return std::nullopt;
    return locator.chosen(!structure.items().first().isList());
}
