// Arbitrary server byte streams through the reply framer, the reply parser and the fetch of one
// message.
//
// Input: byte 0's low three bits give n, the next n bytes give the sizes (1..256) of the chunks in
// which the rest arrives, used in turn. The same stream is also framed in one piece: the replies,
// and where a limit stopped the stream, must not depend on how the bytes were split.
//
// With byte 0's bit 3 set, the byte after the sizes gives r and the rest is a flood: its first
// line (a FETCH being answered), then its second line 16 * (r + 1) times (untagged replies that
// keep coming; at most 16 KB of them), then whatever follows, so that a short input makes a
// stream of many replies.

#include "FuzzCheck.h"
#include "ImapCommand.h"
#include "ImapParseError.h"
#include "ImapResponse.h"
#include "ImapResponseFramer.h"
#include "MessageFetcher.h"

#include <QByteArray>
#include <QList>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

struct Framing
{
    QList<QByteArray> replies;
    bool stoppedByLimit = false;
    qsizetype pending = 0;
};

void checkProgress(const ImapResponseFramer &framer)
{
    FUZZ_CHECK(framer.literalReceived() >= 0);
    FUZZ_CHECK(framer.literalReceived() <= framer.literalSize());
    FUZZ_CHECK(framer.pendingBytes() >= 0);
}

Framing frame(const QByteArray &stream, const std::vector<qsizetype> &chunkSizes)
{
    Framing result;
    ImapResponseFramer framer;
    qsizetype offset = 0;
    std::size_t chunk = 0;
    try {
        while (offset < stream.size()) {
            const qsizetype size = chunkSizes.at(chunk++ % chunkSizes.size());
            framer.append(stream.mid(offset, size));
            offset += size;
            // Every byte counts towards the time a reply may take, announced literals too.
            FUZZ_CHECK(framer.bytesSeenOrAnnounced() >= qMin(offset, stream.size()));
            while (std::optional<QByteArray> reply = framer.takeResponse())
                result.replies.append(*reply);
            checkProgress(framer);
        }
    } catch (const ImapLimitError &) {
        result.stoppedByLimit = true;
        return result;
    }
    result.pending = framer.pendingBytes();
    // Nothing is lost or invented: every byte is in a reply, a removed CR LF, or still pending.
    qsizetype accounted = result.pending;
    for (const QByteArray &reply : result.replies)
        accounted += reply.size() + 2;
    FUZZ_CHECK(accounted == stream.size());
    return result;
}

// Reads what the connection reads from a reply; the parsed reply, if any, joins `untagged`.
void parse(const QByteArray &raw, QList<ImapResponse> &untagged)
{
    try {
        const ImapResponse response = ImapResponse::parse(raw);
        if (response.kind == ImapResponse::Kind::Untagged)
            untagged.append(response);
        FUZZ_CHECK(response.raw == raw);
        (void)response.statusText();
        if (const std::optional<ImapValue> uid = response.fetchItem("UID"))
            (void)uid->toNumber();
        if (const std::optional<ImapValue> body = response.fetchItem("BODY[]"))
            FUZZ_CHECK(!body->isString() || body->bytes().size() <= raw.size());
        for (const ImapValue &value : response.values)
            (void)value.dump();
    } catch (const ImapParseError &error) {
        FUZZ_CHECK(error.offset() >= 0 && error.offset() <= raw.size());
        (void)error.description();
    }
}

// Picks message 1 out of the replies as the fetch of one message does, by number and by UID.
void fetchFirstMessage(const QList<ImapResponse> &untagged, const QByteArray &stream)
{
    ImapReply reply;
    reply.end = ImapReply::End::Completed;
    reply.commandName = "FETCH";
    reply.completion.kind = ImapResponse::Kind::Tagged;
    reply.completion.name = "OK";
    reply.untagged = untagged;
    for (const bool byUid : {false, true}) {
        const MessageFetcher::Result result = MessageFetcher::pick(reply, 1, byUid);
        FUZZ_CHECK(result.raw.has_value() == result.failure.isNone());
        // A literal's bytes come back untouched; a quoted string's only lose their escapes.
        if (result.raw && !result.raw->contains('"') && !result.raw->contains('\\'))
            FUZZ_CHECK(stream.contains(*result.raw));
    }
}

// `input`'s second line `repeats` times between its first line and the rest, within 16 KB so
// that each run stays quick.
QByteArray flooded(const QByteArray &input, int repeats)
{
    constexpr qsizetype maxFloodBytes = 16 * 1024;
    const qsizetype first = input.indexOf("\r\n");
    const qsizetype second = first < 0 ? -1 : input.indexOf("\r\n", first + 2);
    if (second < 0)
        return input;
    const QByteArray line = input.mid(first + 2, second - first);
    const int fitting = int(qMin<qsizetype>(repeats, maxFloodBytes / line.size()));
    return input.left(first + 2) + line.repeated(fitting) + input.mid(second + 2);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t splitCount = std::min<std::size_t>(data[0] & 7, size - 1);
    std::vector<qsizetype> chunkSizes;
    for (std::size_t i = 1; i <= splitCount; ++i)
        chunkSizes.push_back(qsizetype(data[i]) + 1);
    std::size_t header = 1 + splitCount;
    const bool flood = (data[0] & 8) != 0 && header < size;
    const int repeats = flood ? 16 * (data[header++] + 1) : 1;
    const QByteArray input(reinterpret_cast<const char *>(data + header), qsizetype(size - header));
    const QByteArray stream = flood ? flooded(input, repeats) : input;
    if (chunkSizes.empty())
        chunkSizes.push_back(1);

    const Framing split = frame(stream, chunkSizes);
    const Framing whole = frame(stream, {qMax<qsizetype>(stream.size(), 1)});
    FUZZ_CHECK(split.replies == whole.replies);
    FUZZ_CHECK(split.stoppedByLimit == whole.stoppedByLimit);
    FUZZ_CHECK(split.pending == whole.pending);

    QList<ImapResponse> untagged;
    for (const QByteArray &reply : whole.replies)
        parse(reply, untagged);
    fetchFirstMessage(untagged, stream);
    return 0;
}
