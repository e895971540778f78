#include "MimeBodyFinder.h"

#include <gmime/gmime.h>

namespace {

// Content-Disposition "attachment" always marks an attachment. A part that carries a file name
// without saying "inline" is one too: older mailers attach files that way.
bool isAttachment(GMimePart *part)
{
    if (g_mime_part_is_attachment(part))
        return true;
    if (!g_mime_part_get_filename(part))
        return false;
    GMimeContentDisposition *disposition =
        g_mime_object_get_content_disposition(GMIME_OBJECT(part));
    const char *kind =
        disposition ? g_mime_content_disposition_get_disposition(disposition) : nullptr;
    return !kind || g_ascii_strcasecmp(kind, GMIME_DISPOSITION_INLINE) != 0;
}

} // namespace

MimeBodyFinder::MimeBodyFinder(GMimeObject *root)
{
    if (root)
        visit(root, 0);
}

void MimeBodyFinder::visit(GMimeObject *object, int depth)
{
    if (depth > MaximumDepth || (m_plain && m_html))
        return;
    if (GMIME_IS_MULTIPART(object)) {
        GMimeMultipart *multipart = GMIME_MULTIPART(object);
        const int count = g_mime_multipart_get_count(multipart);
        for (int index = 0; index < count; ++index)
            visit(g_mime_multipart_get_part(multipart, index), depth + 1);
    } else if (GMIME_IS_PART(object)) {
        consider(GMIME_PART(object));
    }
}

void MimeBodyFinder::consider(GMimePart *part)
{
    GMimeContentType *type = g_mime_object_get_content_type(GMIME_OBJECT(part));
    if (!type || isAttachment(part))
        return;
    if (!m_plain && g_mime_content_type_is_type(type, "text", "plain"))
        m_plain = part;
    else if (!m_html && g_mime_content_type_is_type(type, "text", "html"))
        m_html = part;
}
