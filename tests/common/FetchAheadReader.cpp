#include "FetchAheadReader.h"

#include "GMimeHandle.h"
#include "HeaderBlock.h"
#include "ImapValue.h"
#include "MimeBodyFinder.h"
#include "TextSections.h"

#include <gmime/gmime.h>

#include <mutex>

namespace {

using Values = QList<ImapValue>;

ImapValue text(const char *value)
{
    return value ? ImapValue::string(value) : ImapValue::nil();
}

QByteArray streamBytes(GMimeStream *stream)
{
    GByteArray *bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(stream));
    return QByteArray(reinterpret_cast<const char *>(bytes->data), qsizetype(bytes->len));
}

// The body as it stands in the message, transfer encoding and all.
QByteArray encodedContent(GMimePart *part)
{
    GMimeDataWrapper *content = g_mime_part_get_content(part);
    if (!content)
        return {};
    auto memory = GMimeHandle<GMimeStream>::adopt(g_mime_stream_mem_new());
    GMimeStream *source = g_mime_data_wrapper_get_stream(content);
    g_mime_stream_reset(source);
    g_mime_stream_write_to_stream(source, memory.get());
    return streamBytes(memory.get());
}

// Header fields as written, one per line; `only`, when given, picks the fields by name.
QByteArray rawHeaders(GMimeObject *object, const QByteArrayList &only = {})
{
    GMimeHeaderList *headers = g_mime_object_get_header_list(object);
    QByteArray result;
    for (int i = 0; i < g_mime_header_list_get_count(headers); ++i) {
        GMimeHeader *header = g_mime_header_list_get_header_at(headers, i);
        const QByteArray name = g_mime_header_get_name(header);
        if (!only.isEmpty() && !only.contains(name.toUpper()))
            continue;
        QByteArray value = g_mime_header_get_raw_value(header);
        if (!value.endsWith('\n'))
            value += "\r\n";
        result += name + ':' + value;
    }
    return result;
}

ImapValue parameters(GMimeParamList *list, const QByteArray &rawType = {})
{
    Values items;
    for (int i = 0; list && i < g_mime_param_list_length(list); ++i) {
        GMimeParam *param = g_mime_param_list_get_parameter_at(list, i);
        QByteArray name = g_mime_param_get_name(param);
        // The server sees the parameter as written; GMime has already decoded RFC 2231.
        if (name.compare("boundary", Qt::CaseInsensitive) == 0 && rawType.contains("boundary*"))
            name += '*';
        items << ImapValue::string(name) << text(g_mime_param_get_value(param));
    }
    return items.isEmpty() ? ImapValue::nil() : ImapValue::list(items);
}

ImapValue disposition(GMimeObject *object)
{
    GMimeContentDisposition *disposition = g_mime_object_get_content_disposition(object);
    if (!disposition)
        return ImapValue::nil();
    return ImapValue::list({text(g_mime_content_disposition_get_disposition(disposition)),
                            parameters(g_mime_content_disposition_get_parameters(disposition))});
}

// The server reads Content-Type values with the body finder's rule (checked against Dovecot).
bool hasReadableType(GMimeObject *object)
{
    return MimeBodyFinder::hasReadableContentType(object);
}

ImapValue structureOf(GMimeObject *object, int depth);

ImapValue multipartStructure(GMimeMultipart *multipart, int depth)
{
    Values items;
    for (int i = 0; i < g_mime_multipart_get_count(multipart); ++i)
        items << structureOf(g_mime_multipart_get_part(multipart, i), depth + 1);
    if (items.isEmpty()) // a server reports an empty multipart as one empty text part
        items << ImapValue::list({text("text"), text("plain"), ImapValue::nil(), ImapValue::nil(),
                                  ImapValue::nil(), text("7bit"), ImapValue::atom("0"),
                                  ImapValue::atom("0")});
    GMimeContentType *type = g_mime_object_get_content_type(GMIME_OBJECT(multipart));
    items << text(g_mime_content_type_get_media_subtype(type))
          << parameters(g_mime_content_type_get_parameters(type),
                        g_mime_object_get_header(GMIME_OBJECT(multipart), "Content-Type"))
          << ImapValue::nil() << ImapValue::nil() << ImapValue::nil();
    return ImapValue::list(items);
}

ImapValue leafStructure(GMimeObject *object, qsizetype size, const ImapValue &embedded)
{
    GMimeContentType *type = g_mime_object_get_content_type(object);
    const bool readable = hasReadableType(object);
    const bool isText = readable && g_mime_content_type_is_type(type, "text", "*");
    Values items {text(readable ? g_mime_content_type_get_media_type(type) : ""),
                  text(readable ? g_mime_content_type_get_media_subtype(type) : ""),
                  parameters(g_mime_content_type_get_parameters(type)),
                  ImapValue::nil(),
                  ImapValue::nil(),
                  text("7bit"),
                  ImapValue::atom(QByteArray::number(size))};
    if (embedded.isList())
        items << ImapValue::nil() << embedded << ImapValue::atom("1");
    else if (isText)
        items << ImapValue::atom("1");
    items << ImapValue::nil() << disposition(object) << ImapValue::nil() << ImapValue::nil();
    return ImapValue::list(items);
}

ImapValue structureOf(GMimeObject *object, int depth)
{
    if (depth > 200)
        return leafStructure(object, 0, ImapValue::nil());
    if (GMIME_IS_MULTIPART(object))
        return multipartStructure(GMIME_MULTIPART(object), depth);
    if (GMIME_IS_MESSAGE_PART(object)) {
        GMimeMessage *inner = g_mime_message_part_get_message(GMIME_MESSAGE_PART(object));
        GMimeObject *body = inner ? g_mime_message_get_mime_part(inner) : nullptr;
        return leafStructure(object, 1, body ? structureOf(body, depth + 1) : ImapValue::list({}));
    }
    const QByteArray content = GMIME_IS_PART(object) ? encodedContent(GMIME_PART(object)) : "";
    return leafStructure(object, content.size(), ImapValue::nil());
}

GMimeObject *partAt(GMimeObject *root, const QByteArray &section)
{
    GMimeObject *part = root;
    for (const QByteArray &number : section.split('.')) {
        if (!GMIME_IS_MULTIPART(part))
            return number == "1" ? part : nullptr;
        part = g_mime_multipart_get_part(GMIME_MULTIPART(part), number.toInt() - 1);
    }
    return part;
}

std::optional<QByteArray> fetchedPart(GMimeObject *root, const QByteArray &section)
{
    if (section.isEmpty())
        return std::nullopt;
    GMimeObject *part = partAt(root, section);
    if (!part || !GMIME_IS_PART(part))
        return QByteArray();
    return rawHeaders(part) + "\r\n" + encodedContent(GMIME_PART(part));
}

// Parsed with MailMessage's options: a server splits a message by its own reading of the header
// fields, which on 8-bit garbage in a Content-Type can differ from GMime's; that is not checked.
GMimeHandle<GMimeMessage> parsed(const QByteArray &raw)
{
    static std::once_flag once;
    static GMimeParserOptions *options = nullptr;
    std::call_once(once, [] {
        g_mime_init();
        options = g_mime_parser_options_new();
        const char *fallbacks[] = {"UTF-8", "windows-1252", nullptr};
        g_mime_parser_options_set_fallback_charsets(options, fallbacks);
    });
    auto stream = GMimeHandle<GMimeStream>::adopt(
        g_mime_stream_mem_new_with_buffer(raw.constData(), size_t(raw.size())));
    auto parser = GMimeHandle<GMimeParser>::adopt(g_mime_parser_new_with_stream(stream.get()));
    return GMimeHandle<GMimeMessage>::adopt(g_mime_parser_construct_message(parser.get(), options));
}

} // namespace

std::optional<MailMessage> FetchAheadReader::read(const QByteArray &raw)
{
    const GMimeHandle<GMimeMessage> message = parsed(HeaderBlock::repaired(raw));
    GMimeObject *root = message ? g_mime_message_get_mime_part(message.get()) : nullptr;
    if (!root)
        return MailMessage::fromRfc822(raw);
    const std::optional<TextSections> sections = TextSections::locate(structureOf(root, 0));
    if (!sections)
        return MailMessage::fromRfc822(raw);
    // GMime keeps the Content-* fields with the top part, not the message.
    const QByteArray header =
        rawHeaders(GMIME_OBJECT(message.get()), {"FROM", "SUBJECT", "DATE", "MIME-VERSION"})
        + rawHeaders(root, {"CONTENT-TYPE", "CONTENT-TRANSFER-ENCODING", "CONTENT-DISPOSITION"})
        + "\r\n";
    const bool hasText = !sections->plain.isEmpty() || !sections->html.isEmpty();
    std::optional<MailMessage> result;
    if (sections->singlePart && hasText && GMIME_IS_PART(root))
        result = MailMessage::fromRfc822(header + encodedContent(GMIME_PART(root)));
    else
        result = MailMessage::fromParts(header, fetchedPart(root, sections->plain),
                                        fetchedPart(root, sections->html));
    return result ? result : MailMessage::fromRfc822(raw);
}
