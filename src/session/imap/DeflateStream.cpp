#include "DeflateStream.h"

#include <zlib.h>

namespace {

// Raw DEFLATE, as COMPRESS DEFLATE requires (RFC 4978): a negative window size drops the zlib
// header and checksum.
constexpr int rawWindowBits = -15;
constexpr int memoryLevel = 8;
constexpr qsizetype outputStep = 16 * 1024;

} // namespace

struct DeflateStream::Streams
{
    z_stream deflater {};
    z_stream inflater {};
    bool deflaterReady = false;
    bool inflaterReady = false;
    bool broken = false;
    bool outputPending = false; // the last inflate filled its room: zlib may hold more
    QByteArray input; // pushed and not yet inflated
    qsizetype inputUsed = 0;
};

DeflateStream::DeflateStream() : d(std::make_unique<Streams>())
{
    d->deflaterReady = deflateInit2(&d->deflater, Z_DEFAULT_COMPRESSION, Z_DEFLATED, rawWindowBits,
                                    memoryLevel, Z_DEFAULT_STRATEGY)
        == Z_OK;
    d->inflaterReady = inflateInit2(&d->inflater, rawWindowBits) == Z_OK;
}

DeflateStream::~DeflateStream()
{
    if (d->deflaterReady)
        deflateEnd(&d->deflater);
    if (d->inflaterReady)
        inflateEnd(&d->inflater);
}

std::optional<QByteArray> DeflateStream::compress(const QByteArray &plain)
{
    if (!d->deflaterReady)
        return std::nullopt;
    z_stream &stream = d->deflater;
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(plain.constData()));
    stream.avail_in = uInt(plain.size());
    QByteArray compressed;
    do {
        const qsizetype used = compressed.size();
        compressed.resize(used + outputStep);
        stream.next_out = reinterpret_cast<Bytef *>(compressed.data() + used);
        stream.avail_out = uInt(outputStep);
        if (deflate(&stream, Z_SYNC_FLUSH) == Z_STREAM_ERROR)
            return std::nullopt;
        compressed.resize(used + outputStep - qsizetype(stream.avail_out));
    } while (stream.avail_out == 0);
    return compressed;
}

void DeflateStream::pushCompressed(const QByteArray &bytes)
{
    if (d->inputUsed == d->input.size()) {
        d->input = bytes;
        d->inputUsed = 0;
    } else {
        d->input.append(bytes);
    }
}

std::optional<QByteArray> DeflateStream::pullInflated(qsizetype limit)
{
    if (!d->inflaterReady || d->broken)
        return std::nullopt;
    QByteArray inflated;
    z_stream &stream = d->inflater;
    while (inflated.size() < limit && (d->inputUsed < d->input.size() || d->outputPending)) {
        const qsizetype used = inflated.size();
        const qsizetype room = qMin(outputStep, limit - used);
        inflated.resize(used + room);
        stream.next_in =
            reinterpret_cast<Bytef *>(const_cast<char *>(d->input.constData() + d->inputUsed));
        stream.avail_in = uInt(d->input.size() - d->inputUsed);
        stream.next_out = reinterpret_cast<Bytef *>(inflated.data() + used);
        stream.avail_out = uInt(room);
        const int status = inflate(&stream, Z_SYNC_FLUSH);
        d->inputUsed = d->input.size() - qsizetype(stream.avail_in);
        d->outputPending = stream.avail_out == 0;
        inflated.resize(used + room - qsizetype(stream.avail_out));
        if (status == Z_BUF_ERROR)
            break; // no progress possible until more input arrives
        if (status != Z_OK) {
            // A stream that ended or is corrupt: nothing after it can be trusted.
            d->broken = true;
            return std::nullopt;
        }
    }
    return inflated;
}
