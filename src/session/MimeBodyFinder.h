#pragma once

// GMime's own types, declared here so this header stays free of GMime's headers.
typedef struct _GMimeObject GMimeObject;
typedef struct _GMimePart GMimePart;
typedef struct _GMimeMessagePart GMimeMessagePart;

// Finds the parts a reader takes as the message's text: the first text/plain and the first
// text/html part in document order that are not attachments. A part carrying a file name
// counts as an attachment unless it says "inline", but when no text part is left that way, named
// parts not marked "attachment" are taken. Parts inside attached messages (message/rfc822) are
// not searched, unless the message has no text of its own: then the first attached message's
// text, found by these same rules, is the message's. A part whose Content-Type cannot be read
// is text/plain (RFC 2045 section 5.2). The parts are borrowed from the message and live as long
// as it does.
class MimeBodyFinder
{
public:
    explicit MimeBodyFinder(GMimeObject *root) : MimeBodyFinder(root, 0) { }

    GMimePart *plainPart() const { return m_plain; }
    GMimePart *htmlPart() const { return m_html; }

    // "type/subtype" and then parameters or nothing; any other Content-Type value (no subtype,
    // quoted, followed by other words) cannot be read.
    static bool isReadableContentType(const char *value);
    // Whether the part has no Content-Type field or one that can be read.
    static bool hasReadableContentType(GMimeObject *object);

    // Deeper nesting than this is hostile input, not mail; such parts are ignored.
    static constexpr int MaximumDepth = 64;

private:
    enum class Pass { UnnamedOnly, NamedToo };

    MimeBodyFinder(GMimeObject *root, int depth);
    bool hasText() const { return m_plain || m_html; }
    void visit(GMimeObject *object, int depth, Pass pass);
    void consider(GMimePart *part, Pass pass);
    void takeFirstAttachedMessage();

    GMimePart *m_plain = nullptr;
    GMimePart *m_html = nullptr;
    GMimeMessagePart *m_firstMessage = nullptr;
    int m_firstMessageDepth = 0;
};
