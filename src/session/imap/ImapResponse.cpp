#include "ImapResponse.h"

#include "ImapParseError.h"
#include "ImapTokenizer.h"

using namespace ImapTokenizer;

namespace {

bool isStatusName(const QByteArray &name)
{
    return name == "OK" || name == "NO" || name == "BAD" || name == "BYE" || name == "PREAUTH";
}

// resp-text: an optional [code] and free text that is never tokenized.
void readStatusText(ImapResponse &response, const QByteArray &raw, qsizetype &pos)
{
    trySkipSpaces(raw, pos);
    if (!atEnd(raw, pos) && raw.at(pos) == '[') {
        const qsizetype close = raw.indexOf(']', pos);
        if (close < 0)
            throw ImapParseError("unterminated response code", raw, pos);
        response.code = raw.mid(pos + 1, close - pos - 1);
        pos = close + 1;
        trySkipSpaces(raw, pos);
    }
    response.text = readRest(raw, pos);
}

// LIST/LSUB: (flags) delimiter name, then possibly extended data we do not need.
void readListData(ImapResponse &response, const QByteArray &raw, qsizetype &pos)
{
    skipSpaces(raw, pos);
    response.values.append(ImapValue::list(readList(raw, pos)));
    skipSpaces(raw, pos);
    const std::optional<QByteArray> delimiter = readNString(raw, pos);
    response.values.append(delimiter ? ImapValue::string(*delimiter) : ImapValue::nil());
    skipSpaces(raw, pos);
    response.values.append(ImapValue::string(readAstring(raw, pos)));
}

void readNumberedData(ImapResponse &response, const QByteArray &raw, qsizetype &pos)
{
    skipSpaces(raw, pos);
    response.name = readAtom(raw, pos).toUpper();
    if (response.name == "FETCH") {
        skipSpaces(raw, pos);
        response.values.append(ImapValue::list(readList(raw, pos)));
    }
}

void readUntagged(ImapResponse &response, const QByteArray &raw, qsizetype &pos)
{
    skipSpaces(raw, pos);
    if (!atEnd(raw, pos) && raw.at(pos) >= '0' && raw.at(pos) <= '9') {
        response.number = readNumber(raw, pos);
        readNumberedData(response, raw, pos);
        return;
    }
    response.name = readAtom(raw, pos).toUpper();
    if (isStatusName(response.name))
        readStatusText(response, raw, pos);
    else if (response.name == "LIST" || response.name == "LSUB")
        readListData(response, raw, pos);
    // Other untagged data (CAPABILITY, FLAGS, ID, ...) stays in `raw` only.
}

void readTagged(ImapResponse &response, const QByteArray &raw, qsizetype &pos)
{
    response.tag = readAtom(raw, pos);
    skipSpaces(raw, pos);
    const qsizetype nameStart = pos;
    response.name = readAtom(raw, pos).toUpper();
    if (response.name != "OK" && response.name != "NO" && response.name != "BAD")
        throw ImapParseError("tagged reply without OK, NO or BAD", raw, nameStart);
    readStatusText(response, raw, pos);
}

} // namespace

ImapResponse ImapResponse::parse(const QByteArray &raw)
{
    ImapResponse response;
    response.raw = raw;
    qsizetype pos = 0;
    if (raw.isEmpty())
        throw ImapParseError("empty reply line", raw, 0);
    if (raw.at(0) == '+') {
        response.kind = Kind::Continuation;
        pos = 1;
        trySkipSpaces(raw, pos);
        response.text = readRest(raw, pos);
    } else if (raw.at(0) == '*') {
        response.kind = Kind::Untagged;
        pos = 1;
        readUntagged(response, raw, pos);
    } else {
        response.kind = Kind::Tagged;
        readTagged(response, raw, pos);
    }
    return response;
}

bool ImapResponse::isStatus() const
{
    return kind != Kind::Continuation && isStatusName(name);
}

QByteArray ImapResponse::statusText() const
{
    QByteArray text = name;
    if (!code.isEmpty())
        text += " [" + code + ']';
    if (!this->text.isEmpty())
        text += ' ' + this->text;
    return text;
}

std::optional<ImapValue> ImapResponse::fetchItem(const QByteArray &item) const
{
    if (name != "FETCH" || values.isEmpty())
        return std::nullopt;
    const QList<ImapValue> &items = values.first().items();
    for (qsizetype i = 0; i + 1 < items.size(); i += 2) {
        if (items.at(i).isAtom() && items.at(i).bytes().toUpper() == item.toUpper())
            return items.at(i + 1);
    }
    return std::nullopt;
}
