#pragma once

#include <QByteArray>

#include <memory>
#include <optional>

// Both directions of an IMAP connection after COMPRESS DEFLATE: raw DEFLATE streams with no
// header, each command flushed so that the server can read it at once.
class DeflateStream
{
public:
    DeflateStream();
    ~DeflateStream();
    DeflateStream(const DeflateStream &) = delete;
    DeflateStream &operator=(const DeflateStream &) = delete;

    // `plain` compressed and flushed; nullopt only when zlib fails.
    std::optional<QByteArray> compress(const QByteArray &plain);

    // Takes bytes from the server; pullInflated() then gives what they stand for.
    void pushCompressed(const QByteArray &bytes);
    // Up to `limit` inflated bytes, so that a small input that inflates hugely is read a piece at
    // a time; empty once everything pushed is inflated. nullopt when the stream is corrupt.
    std::optional<QByteArray> pullInflated(qsizetype limit);

private:
    struct Streams;
    std::unique_ptr<Streams> d;
};
