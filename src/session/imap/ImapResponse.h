#pragma once

#include "ImapValue.h"

#include <QByteArray>
#include <QList>

#include <optional>

// One reply from the server, parsed: "+ text", "* ..." or "tag ...".
struct ImapResponse
{
    enum class Kind { Continuation, Untagged, Tagged };

    Kind kind = Kind::Untagged;
    QByteArray tag; // tagged replies only
    // Upper-case name: OK, NO, BAD, BYE, PREAUTH, EXISTS, EXPUNGE, FETCH, LIST, ID, ...
    QByteArray name;
    std::optional<qint64> number; // "* 3 EXISTS", "* 3 FETCH ..."
    QByteArray code; // response code of a status reply, without brackets: "READ-ONLY"
    QByteArray text; // human-readable text of a status reply or continuation
    // FETCH: one list of item names and values. LIST: flags, delimiter, mailbox name.
    QList<ImapValue> values;
    QByteArray raw; // the reply as received, literals included, without the final CR LF

    // Parses one complete reply as the framer delivers it; throws ImapParseError.
    static ImapResponse parse(const QByteArray &raw);

    bool isStatus() const;
    // "OK"/"NO"/"BAD" completion with an optional code, for failure texts.
    QByteArray statusText() const;
    // The value following `item` in a FETCH reply, e.g. "BODY[]" or "UID".
    std::optional<ImapValue> fetchItem(const QByteArray &item) const;
};
