#pragma once

// GMime's own types, declared here so this header stays free of GMime's headers.
typedef struct _GMimeObject GMimeObject;
typedef struct _GMimePart GMimePart;

// Finds the parts a reader takes as the message's text: the first text/plain and the first
// text/html part in document order that are not attachments. Embedded messages
// (message/rfc822) are attachments too and are not searched. The parts are borrowed from the
// message and live as long as it does.
class MimeBodyFinder
{
public:
    explicit MimeBodyFinder(GMimeObject *root);

    GMimePart *plainPart() const { return m_plain; }
    GMimePart *htmlPart() const { return m_html; }

    // Deeper nesting than this is hostile input, not mail; such parts are ignored.
    static constexpr int MaximumDepth = 64;

private:
    void visit(GMimeObject *object, int depth);
    void consider(GMimePart *part);

    GMimePart *m_plain = nullptr;
    GMimePart *m_html = nullptr;
};
