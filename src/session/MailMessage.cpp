#include "MailMessage.h"

#include "GMimeHandle.h"
#include "HeaderBlock.h"
#include "HeaderText.h"
#include "MimeBodyFinder.h"

#include <gmime/gmime.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>

namespace {

void ensureGMimeInitialised()
{
    static std::once_flag once;
    std::call_once(once, [] { g_mime_init(); });
}

struct ParserOptionsDeleter
{
    void operator()(GMimeParserOptions *options) const { g_mime_parser_options_free(options); }
};
using ParserOptions = std::unique_ptr<GMimeParserOptions, ParserOptionsDeleter>;

// Undeclared 8-bit text is read as UTF-8 when it is valid UTF-8, else as Windows-1252, the
// usual superset of what Western mailers send unlabelled.
ParserOptions newParserOptions()
{
    ParserOptions options(g_mime_parser_options_new());
    const char *fallbacks[] = {"UTF-8", "windows-1252", nullptr};
    g_mime_parser_options_set_fallback_charsets(options.get(), fallbacks);
    return options;
}

QString takeUtf8(char *text)
{
    QString result = QString::fromUtf8(text);
    g_free(text);
    return result;
}

// The fallback charsets are ASCII-compatible, where a 0 byte is only ever NUL; GMime's result
// would end at the first one.
QString fromUnlabelled(QByteArray bytes, GMimeParserOptions *options)
{
    bytes.replace('\0', QByteArray());
    return takeUtf8(g_mime_utils_decode_8bit(options, bytes.constData(), size_t(bytes.size())));
}

// The converted bytes with their length, so that a NUL in the text does not end it; nullopt when
// the bytes are not text in that charset.
std::optional<QByteArray> convertedToUtf8(const QByteArray &bytes, iconv_t converter)
{
    QByteArray converted(bytes.size() * 2 + 16, Qt::Uninitialized);
    char *input = const_cast<char *>(bytes.constData());
    size_t inputLeft = size_t(bytes.size());
    size_t written = 0;
    for (;;) {
        char *output = converted.data() + written;
        size_t outputLeft = size_t(converted.size()) - written;
        const size_t result = g_mime_iconv(converter, &input, &inputLeft, &output, &outputLeft);
        written = size_t(output - converted.data());
        if (result != size_t(-1) || errno == EINVAL)
            break; // done, or a sequence cut short at the end, which is dropped
        if (errno != E2BIG)
            return std::nullopt;
        converted.resize(converted.size() + qsizetype(inputLeft) * 2 + 16);
    }
    converted.truncate(qsizetype(written));
    return converted;
}

std::optional<QString> fromCharset(const QByteArray &bytes, const char *charset)
{
    iconv_t converter = g_mime_iconv_open("UTF-8", charset);
    if (converter == iconv_t(-1))
        return std::nullopt;
    const std::optional<QByteArray> converted = convertedToUtf8(bytes, converter);
    g_mime_iconv_close(converter);
    if (!converted)
        return std::nullopt;
    return QString::fromUtf8(*converted);
}

bool isAscii(const QByteArray &bytes)
{
    return std::all_of(bytes.cbegin(), bytes.cend(),
                       [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
}

// Charsets that write the 128 ASCII characters as ASCII bytes (not UTF-16, UTF-7 or EBCDIC).
bool isAsciiCompatible(const char *charset)
{
    if (!charset)
        return true;
    const char *name = g_mime_charset_iconv_name(charset);
    for (const char *prefix : {"US-ASCII", "ANSI_X3.4", "ASCII", "ISO-8859-", "UTF-8", "CP125",
                               "WINDOWS-125", "KOI8-"}) {
        if (g_ascii_strncasecmp(name, prefix, strlen(prefix)) == 0)
            return true;
    }
    return false;
}

// A label nobody knows, or bytes the label cannot describe (8-bit text sent as "us-ascii"),
// fall back to reading the bytes as if unlabelled instead of losing the text.
QString decodeCharset(const QByteArray &bytes, const char *charset, GMimeParserOptions *options)
{
    if (bytes.isEmpty())
        return {};
    if (isAsciiCompatible(charset) && isAscii(bytes))
        return QString::fromLatin1(bytes); // the same text through any such charset
    if (charset && g_ascii_strcasecmp(g_mime_charset_iconv_name(charset), "UTF-8") == 0)
        return QString::fromUtf8(bytes); // a stray bad byte shows as U+FFFD, nothing is dropped
    if (charset) {
        if (std::optional<QString> text = fromCharset(bytes, charset))
            return *text;
    }
    return fromUnlabelled(bytes, options);
}

// The part's bytes with the transfer encoding (base64, quoted-printable) undone.
QByteArray transferDecoded(GMimePart *part)
{
    GMimeDataWrapper *content = g_mime_part_get_content(part);
    if (!content)
        return {};
    auto stream = GMimeHandle<GMimeStream>::adopt(g_mime_stream_mem_new());
    g_mime_data_wrapper_write_to_stream(content, stream.get());
    GByteArray *bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(stream.get()));
    return QByteArray(reinterpret_cast<const char *>(bytes->data), qsizetype(bytes->len));
}

bool hasOnlyCrLfLineBreaks(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\n' || (c == u'\r' && (i + 1 == text.size() || text.at(++i) != u'\n')))
            return false;
    }
    return true;
}

// MIME text is canonically CR LF; bodies written with bare LF (Unix) or lone CR (old Macs) are
// brought to that form so that they still split into lines.
QString withCrLfLineBreaks(const QString &text)
{
    if (hasOnlyCrLfLineBreaks(text))
        return text; // the usual case: nothing to change
    QString result;
    result.reserve(text.size() + text.size() / 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n') {
            result += c;
            continue;
        }
        result += QStringLiteral("\r\n");
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
    }
    return result;
}

// NUL characters are dropped: every text after them is kept, but a NUL itself shows nothing and
// would end the text wherever it meets a C string.
QString bodyText(GMimePart *part, GMimeParserOptions *options)
{
    if (!part)
        return {};
    GMimeContentType *type = g_mime_object_get_content_type(GMIME_OBJECT(part));
    const char *charset = type ? g_mime_content_type_get_parameter(type, "charset") : nullptr;
    QString text = decodeCharset(transferDecoded(part), charset, options);
    text.remove(QChar(u'\0'));
    return withCrLfLineBreaks(text);
}

InternetAddressMailbox *firstMailbox(InternetAddressList *list)
{
    const int count = list ? internet_address_list_length(list) : 0;
    for (int index = 0; index < count; ++index) {
        InternetAddress *address = internet_address_list_get_address(list, index);
        if (INTERNET_ADDRESS_IS_MAILBOX(address))
            return INTERNET_ADDRESS_MAILBOX(address);
        if (INTERNET_ADDRESS_IS_GROUP(address)) {
            InternetAddressList *members =
                internet_address_group_get_members(INTERNET_ADDRESS_GROUP(address));
            if (InternetAddressMailbox *member = firstMailbox(members))
                return member;
        }
    }
    return nullptr;
}

QString mailboxName(InternetAddressMailbox *mailbox)
{
    return QString::fromUtf8(internet_address_get_name(INTERNET_ADDRESS(mailbox))).trimmed();
}

QString mailboxAddress(InternetAddressMailbox *mailbox)
{
    return QString::fromUtf8(internet_address_mailbox_get_addr(mailbox));
}

QString displayForm(const QString &name, const QString &address)
{
    if (name.isEmpty())
        return address;
    return name + QStringLiteral(" <") + address + u'>';
}

QByteArray rawHeader(GMimeMessage *message, const char *name)
{
    GMimeHeaderList *headers = g_mime_object_get_header_list(GMIME_OBJECT(message));
    GMimeHeader *header = headers ? g_mime_header_list_get_header(headers, name) : nullptr;
    return header ? QByteArray(g_mime_header_get_raw_value(header)) : QByteArray();
}

// Fills the three sender texts. A From header that holds no address at all keeps its decoded
// text as the display form, so nothing the sender wrote is lost.
void readSender(GMimeMessage *message, GMimeParserOptions *options, MailMessage &result)
{
    const QByteArray raw = rawHeader(message, "From");
    const auto senders = GMimeHandle<InternetAddressList>::adopt(
        internet_address_list_parse(options, HeaderText::withAdjacentWordsJoined(raw).constData()));
    if (InternetAddressMailbox *sender = firstMailbox(senders.get())) {
        result.fromName = mailboxName(sender);
        result.fromAddress = mailboxAddress(sender);
        result.from = displayForm(result.fromName, result.fromAddress);
        return;
    }
    result.from = HeaderText::decode(raw, options).trimmed();
}

QDateTime localDate(GMimeMessage *message)
{
    GDateTime *date = g_mime_message_get_date(message);
    if (!date)
        return {};
    return QDateTime::fromSecsSinceEpoch(g_date_time_to_unix(date));
}

bool hasHeaderFields(GMimeMessage *message)
{
    return g_mime_header_list_get_count(g_mime_object_get_header_list(GMIME_OBJECT(message))) > 0;
}

GMimeHandle<GMimeMessage> parseMessage(const QByteArray &raw, GMimeParserOptions *options)
{
    // The memory stream copies the bytes, so `raw` need not outlive the parse.
    auto stream = GMimeHandle<GMimeStream>::adopt(
        g_mime_stream_mem_new_with_buffer(raw.constData(), size_t(raw.size())));
    auto parser = GMimeHandle<GMimeParser>::adopt(g_mime_parser_new_with_stream(stream.get()));
    return GMimeHandle<GMimeMessage>::adopt(g_mime_parser_construct_message(parser.get(), options));
}

GMimeHandle<GMimeObject> parsePart(const QByteArray &raw, GMimeParserOptions *options)
{
    auto stream = GMimeHandle<GMimeStream>::adopt(
        g_mime_stream_mem_new_with_buffer(raw.constData(), size_t(raw.size())));
    auto parser = GMimeHandle<GMimeParser>::adopt(g_mime_parser_new_with_stream(stream.get()));
    return GMimeHandle<GMimeObject>::adopt(g_mime_parser_construct_part(parser.get(), options));
}

enum class TextKind { Plain, Html };

// The text of a part fetched on its own; nullopt when it is not a body part of that kind.
std::optional<QString> partText(const QByteArray &raw, TextKind kind, GMimeParserOptions *options)
{
    const GMimeHandle<GMimeObject> part = parsePart(raw, options);
    if (!part)
        return std::nullopt;
    const MimeBodyFinder body(part.get());
    GMimePart *text = kind == TextKind::Plain ? body.plainPart() : body.htmlPart();
    if (!text)
        return std::nullopt;
    return bodyText(text, options);
}

void setReason(QString *failureReason, const QString &reason)
{
    if (failureReason)
        *failureReason = reason;
}

bool refuseOversized(qsizetype size, QString *failureReason)
{
    if (size <= MailMessage::MaximumSize)
        return false;
    setReason(failureReason,
              QStringLiteral("The message is larger than the %1 MB limit (%2 bytes).")
                  .arg(MailMessage::MaximumSize / (1024 * 1024))
                  .arg(size));
    return true;
}

// A whole message needs no header field to be read (its text is then all body); the header
// fetched without its message does, or there is nothing to read it by.
bool refuseNonMessage(GMimeMessage *message, bool needsHeaderFields, QString *failureReason)
{
    if (message && (!needsHeaderFields || hasHeaderFields(message)))
        return false;
    setReason(failureReason, QStringLiteral("The server's data is not a mail message."));
    return true;
}

void readHeaderFields(GMimeMessage *message, GMimeParserOptions *options, MailMessage &result)
{
    readSender(message, options, result);
    result.subject = HeaderText::decode(rawHeader(message, "Subject"), options);
    result.date = localDate(message);
}

} // namespace

std::optional<MailMessage> MailMessage::fromRfc822(const QByteArray &raw, QString *failureReason)
{
    if (refuseOversized(raw.size(), failureReason))
        return std::nullopt;
    ensureGMimeInitialised();
    // Declared before the message: the message reads its headers through these options.
    const ParserOptions options = newParserOptions();
    const GMimeHandle<GMimeMessage> message =
        parseMessage(HeaderBlock::repaired(raw), options.get());
    if (refuseNonMessage(message.get(), false, failureReason))
        return std::nullopt;

    MailMessage result;
    readHeaderFields(message.get(), options.get(), result);
    const MimeBodyFinder body(g_mime_message_get_mime_part(message.get()));
    result.htmlTextBody = bodyText(body.htmlPart(), options.get());
    result.plainTextBody =
        body.plainPart() ? bodyText(body.plainPart(), options.get()) : result.htmlTextBody;
    setReason(failureReason, {});
    return result;
}

std::optional<MailMessage> MailMessage::fromParts(const QByteArray &header,
                                                  const std::optional<QByteArray> &plainPart,
                                                  const std::optional<QByteArray> &htmlPart,
                                                  QString *failureReason)
{
    const QByteArray none;
    if (refuseOversized(header.size() + plainPart.value_or(none).size()
                            + htmlPart.value_or(none).size(),
                        failureReason))
        return std::nullopt;
    ensureGMimeInitialised();
    const ParserOptions options = newParserOptions();
    const GMimeHandle<GMimeMessage> message =
        parseMessage(HeaderBlock::repaired(header), options.get());
    if (refuseNonMessage(message.get(), true, failureReason))
        return std::nullopt;

    MailMessage result;
    readHeaderFields(message.get(), options.get(), result);
    std::optional<QString> plain;
    std::optional<QString> html;
    if (plainPart)
        plain = partText(*plainPart, TextKind::Plain, options.get());
    if (htmlPart)
        html = partText(*htmlPart, TextKind::Html, options.get());
    if ((plainPart && !plain) || (htmlPart && !html)) {
        setReason(failureReason, QStringLiteral("A text part is not what the server described."));
        return std::nullopt;
    }
    result.htmlTextBody = html.value_or(QString());
    result.plainTextBody = plain ? *plain : result.htmlTextBody;
    setReason(failureReason, {});
    return result;
}
