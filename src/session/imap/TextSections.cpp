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

// "attachment" always marks an attachment; a file name without "inline" does too, as older
// mailers attach files that way.
bool isAttachment(const QList<ImapValue> &part, bool isText)
{
    const int field = isText ? textDispositionField : basicDispositionField;
    const ImapValue disposition = part.size() > field ? part.at(field) : ImapValue::nil();
    const QList<ImapValue> &dispositionItems = disposition.items();
    const ImapValue kind = dispositionItems.isEmpty() ? ImapValue::nil() : dispositionItems.first();
    if (equalsText(kind, "attachment"))
        return true;
    const bool named = hasParameter(part.value(parameterField), "name")
        || (dispositionItems.size() > 1 && hasParameter(dispositionItems.at(1), "filename"));
    return named && !equalsText(kind, "inline");
}

class Locator
{
public:
    explicit Locator(TextSections &found) : m_found(found) { }

    // false when the structure cannot be read
    bool visit(const ImapValue &body, const QByteArray &section, int depth)
    {
        if (!body.isList() || body.items().isEmpty())
            return false;
        if (depth > TextSections::MaximumDepth || isComplete())
            return true;
        if (body.items().first().isList())
            return visitChildren(body.items(), section, depth);
        return considerPart(body.items(), section.isEmpty() ? QByteArray("1") : section);
    }

private:
    bool isComplete() const { return !m_found.plain.isEmpty() && !m_found.html.isEmpty(); }

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
        return number > 0;
    }

    bool considerPart(const QList<ImapValue> &part, const QByteArray &section)
    {
        if (part.size() <= sizeField)
            return false;
        const std::optional<qint64> size = part.at(sizeField).toNumber();
        if (!size)
            return false;
        const bool isText = equalsText(part.at(typeField), "text");
        if (!isText || isAttachment(part, isText))
            return true;
        if (m_found.plain.isEmpty() && equalsText(part.at(subtypeField), "plain")) {
            m_found.plain = section;
            m_found.plainSize = *size;
        } else if (m_found.html.isEmpty() && equalsText(part.at(subtypeField), "html")) {
            m_found.html = section;
            m_found.htmlSize = *size;
        }
        return true;
    }

    TextSections &m_found;
};

} // namespace

std::optional<TextSections> TextSections::locate(const ImapValue &structure)
{
    TextSections found;
    if (!structure.isList() || structure.items().isEmpty())
        return std::nullopt;
    found.singlePart = !structure.items().first().isList();
    if (!Locator(found).visit(structure, {}, 0))
        return std::nullopt;
    return found;
}
