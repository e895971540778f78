#pragma once

#include "MailMessage.h"

#include <QByteArray>

#include <optional>

// Reads a raw message the way the program's fetch-ahead path does, with GMime standing in for
// the server: the body structure a server reports, TextSections' choice of sections, then either
// the header fields and the text (one part), or the header fields and each chosen part (its MIME
// header and body), read by MailMessage; and the whole message wherever that path falls back to
// it. Identical results to MailMessage::fromRfc822(raw) show that both paths give the same rows.
class FetchAheadReader
{
public:
    static std::optional<MailMessage> read(const QByteArray &raw);
};
