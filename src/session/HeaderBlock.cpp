#include "HeaderBlock.h"

#include <cstring>

namespace {

bool isFieldNameByte(char byte)
{
    const auto value = static_cast<unsigned char>(byte);
    return value > 32 && value < 127 && byte != ':';
}

// "name:" with RFC 5322's field-name characters, allowing the obsolete white space before the
// colon; NUL bytes do not count, as they are dropped.
bool isFieldLine(const QByteArray &raw, qsizetype begin, qsizetype end)
{
    qsizetype at = begin;
    while (at < end && (isFieldNameByte(raw.at(at)) || raw.at(at) == '\0'))
        ++at;
    if (at == begin)
        return false;
    while (at < end && (raw.at(at) == ' ' || raw.at(at) == '\t'))
        ++at;
    return at < end && raw.at(at) == ':';
}

bool isContinuation(const QByteArray &raw, qsizetype begin, qsizetype end)
{
    return begin > 0 && begin < end && (raw.at(begin) == ' ' || raw.at(begin) == '\t');
}

bool isEmptyLine(const QByteArray &raw, qsizetype begin, qsizetype end)
{
    return begin == end || (end == begin + 1 && raw.at(begin) == '\r');
}

} // namespace

QByteArray HeaderBlock::repaired(const QByteArray &raw)
{
    qsizetype begin = 0;
    bool bodyNeedsSeparator = false;
    while (begin < raw.size()) {
        const qsizetype lineFeed = raw.indexOf('\n', begin);
        const qsizetype end = lineFeed < 0 ? raw.size() : lineFeed; // CR, if any, stays inside
        if (isEmptyLine(raw, begin, end))
            break;
        if (!isFieldLine(raw, begin, end) && !isContinuation(raw, begin, end)) {
            bodyNeedsSeparator = true;
            break;
        }
        begin = lineFeed < 0 ? raw.size() : lineFeed + 1;
    }
    const bool hasNul = std::memchr(raw.constData(), 0, size_t(begin)) != nullptr;
    if (!bodyNeedsSeparator && !hasNul)
        return raw;
    QByteArray result = raw.left(begin);
    result.replace('\0', QByteArray());
    if (bodyNeedsSeparator)
        result += "\r\n";
    result += QByteArrayView(raw).sliced(begin);
    return result;
}
