#pragma once

#include <QByteArray>
#include <QString>

// GMime's own type, declared here so this header stays free of GMime's headers.
typedef struct _GMimeParserOptions GMimeParserOptions;

// Header field values as a reader sees them. RFC 2047 encoded-words are decoded with GMime,
// except that a run of adjacent encoded-words in one charset is first made into a single word:
// each word's bytes are base64 or Q decoded on their own and joined before the charset
// conversion. GMime instead joins the still-encoded words, and base64 padding in the first one
// then cuts off everything after it.
class HeaderText
{
public:
    // Unstructured text (Subject, or a From header that holds no address): unfolded, decoded.
    static QString decode(const QByteArray &rawValue, GMimeParserOptions *options);

    // The raw value with each run of adjacent same-charset encoded-words made into one word
    // (NULs in it dropped); for values GMime must still parse (address lists). Unchanged when
    // there is no such run.
    static QByteArray withAdjacentWordsJoined(const QByteArray &rawValue);
};
