#pragma once

#include "ImapCommand.h"

#include <QString>

#include <optional>

// A search as the user types it in Gmail's own syntax, made into the UID SEARCH that finds the
// same messages. A server with Gmail's extensions gets the text as it is (X-GM-RAW). Any other
// server gets standard SEARCH keys for a subset: from:, to:, subject:, after:YYYY/MM/DD,
// before:YYYY/MM/DD, plain words and quoted phrases; anything else is refused by name.
// Either way the server only narrows the run: every rule is still applied to each message.
class SearchTranslation
{
public:
    std::optional<ImapCommand> command; // nullopt when refused
    QString refusal; // names the part that has no translation

    static SearchTranslation translate(const QString &search, bool gmailExtensions);

private:
    static SearchTranslation raw(const QString &search);
    static SearchTranslation standard(const QString &search);
};
