#include "MimeBodyFinder.h"

#include <gmime/gmime.h>

#include <cstring>

namespace {

enum class TextKind { None, Plain, Html };

// 8-bit bytes count as token bytes, as servers and GMime read them.
bool isTokenByte(char byte)
{
    const auto value = static_cast<unsigned char>(byte);
    return value > 32 && value != 127 && !std::strchr("()<>@,;:\\\"/[]?=", byte);
}

const char *skipComment(const char *at)
{
    int depth = 0;
    for (; *at; ++at) {
        if (*at == '\\' && at[1])
            ++at;
        else if (*at == '(')
            ++depth;
        else if (*at == ')' && --depth == 0)
            return at + 1;
    }
    return at;
}

// White space and comments, as RFC 2045 allows them around the type's parts.
const char *skipSpace(const char *at)
{
    for (;;) {
        while (*at == ' ' || *at == '\t' || *at == '\r' || *at == '\n')
            ++at;
        if (*at != '(')
            return at;
        at = skipComment(at);
    }
}

const char *skipToken(const char *at)
{
    while (*at && isTokenByte(*at))
        ++at;
    return at;
}

} // namespace

bool MimeBodyFinder::isReadableContentType(const char *value)
{
    const char *type = skipSpace(value);
    const char *slash = skipSpace(skipToken(type));
    if (slash == type || *slash != '/')
        return false;
    const char *subtype = skipSpace(slash + 1);
    const char *after = skipToken(subtype);
    if (after == subtype)
        return false;
    after = skipSpace(after);
    return !*after || *after == ';';
}

bool MimeBodyFinder::hasReadableContentType(GMimeObject *object)
{
    // The bytes as written: GMime's decoded value may have replaced 8-bit bytes with '?'.
    GMimeHeaderList *headers = g_mime_object_get_header_list(object);
    GMimeHeader *header =
        headers ? g_mime_header_list_get_header(headers, "Content-Type") : nullptr;
    return !header || isReadableContentType(g_mime_header_get_raw_value(header));
}

namespace {

TextKind textKind(GMimePart *part)
{
    if (!MimeBodyFinder::hasReadableContentType(GMIME_OBJECT(part)))
        return TextKind::Plain;
    GMimeContentType *type = g_mime_object_get_content_type(GMIME_OBJECT(part));
    if (type && g_mime_content_type_is_type(type, "text", "plain"))
        return TextKind::Plain;
    if (type && g_mime_content_type_is_type(type, "text", "html"))
        return TextKind::Html;
    return TextKind::None;
}

// Older mailers attach files by naming them without saying "attachment".
bool isNamedWithoutInline(GMimePart *part)
{
    if (!g_mime_part_get_filename(part))
        return false;
    GMimeContentDisposition *disposition =
        g_mime_object_get_content_disposition(GMIME_OBJECT(part));
    const char *kind =
        disposition ? g_mime_content_disposition_get_disposition(disposition) : nullptr;
    return !kind || g_ascii_strcasecmp(kind, GMIME_DISPOSITION_INLINE) != 0;
}

} // namespace

MimeBodyFinder::MimeBodyFinder(GMimeObject *root, int depth)
{
    if (!root)
        return;
    visit(root, depth, Pass::UnnamedOnly);
    if (!hasText())
        visit(root, depth, Pass::NamedToo);
    if (!hasText())
        takeFirstAttachedMessage();
}

void MimeBodyFinder::visit(GMimeObject *object, int depth, Pass pass)
{
    if (depth > MaximumDepth || (m_plain && m_html))
        return;
    if (GMIME_IS_MULTIPART(object)) {
        GMimeMultipart *multipart = GMIME_MULTIPART(object);
        const int count = g_mime_multipart_get_count(multipart);
        for (int index = 0; index < count; ++index)
            visit(g_mime_multipart_get_part(multipart, index), depth + 1, pass);
    } else if (GMIME_IS_MESSAGE_PART(object)) {
        if (!m_firstMessage) {
            m_firstMessage = GMIME_MESSAGE_PART(object);
            m_firstMessageDepth = depth;
        }
    } else if (GMIME_IS_PART(object)) {
        consider(GMIME_PART(object), pass);
    }
}

void MimeBodyFinder::consider(GMimePart *part, Pass pass)
{
    if (g_mime_part_is_attachment(part)
        || (pass == Pass::UnnamedOnly && isNamedWithoutInline(part)))
        return;
    const TextKind kind = textKind(part);
    if (!m_plain && kind == TextKind::Plain)
        m_plain = part;
    else if (!m_html && kind == TextKind::Html)
        m_html = part;
}

void MimeBodyFinder::takeFirstAttachedMessage()
{
    GMimeMessage *message =
        m_firstMessage ? g_mime_message_part_get_message(m_firstMessage) : nullptr;
    if (!message)
        return;
    const MimeBodyFinder inner(g_mime_message_get_mime_part(message), m_firstMessageDepth + 1);
    m_plain = inner.m_plain;
    m_html = inner.m_html;
}
