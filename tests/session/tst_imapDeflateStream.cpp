#include "DeflateStream.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

// Everything `stream` gives for `compressed`, pushed in pieces of `piece` bytes and pulled
// `limit` bytes at a time; nullopt when it reports a corrupt stream.
std::optional<QByteArray> inflateAll(DeflateStream &stream, const QByteArray &compressed,
                                     qsizetype piece, qsizetype limit, qsizetype *largestPull)
{
    QByteArray plain;
    for (qsizetype at = 0; at < compressed.size(); at += piece) {
        stream.pushCompressed(compressed.mid(at, piece));
        for (;;) {
            const std::optional<QByteArray> pulled = stream.pullInflated(limit);
            if (!pulled)
                return std::nullopt;
            if (pulled->isEmpty())
                break;
            *largestPull = qMax(*largestPull, pulled->size());
            plain += *pulled;
        }
    }
    return plain;
}

} // namespace

// The compression both ends switch on after COMPRESS DEFLATE.
class tst_imapDeflateStream : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void corruptStreamIsRefused();
};

void tst_imapDeflateStream::roundTrip_data()
{
    QTest::addColumn<QByteArray>("plain");
    QTest::addColumn<qsizetype>("piece");
    QTest::addColumn<qsizetype>("limit");

    QByteArray random(300000, Qt::Uninitialized);
    QRandomGenerator generator(7);
    for (char &byte : random)
        byte = char(generator.bounded(256));
    const QByteArray zeros(8 << 20, '\0'); // a few kilobytes that inflate to megabytes
    QTest::newRow("command lines, byte by byte")
        << QByteArray("a1 LOGIN user secret\r\na2 EXAMINE INBOX\r\n") << qsizetype(1)
        << qsizetype(1024);
    QTest::newRow("random bytes in odd pieces") << random << qsizetype(1777) << qsizetype(4096);
    QTest::newRow("a flood of zeros, pulled in small steps")
        << zeros << qsizetype(1 << 20) << qsizetype(65536);
}

void tst_imapDeflateStream::roundTrip()
{
    QFETCH(QByteArray, plain);
    QFETCH(qsizetype, piece);
    QFETCH(qsizetype, limit);
    DeflateStream sender;
    DeflateStream receiver;
    // Sent in two flushed writes, as two commands are.
    const qsizetype half = plain.size() / 2;
    const std::optional<QByteArray> first = sender.compress(plain.left(half));
    const std::optional<QByteArray> second = sender.compress(plain.mid(half));
    QVERIFY(first && second);
    qsizetype largestPull = 0;
    const std::optional<QByteArray> inflatedFirst =
        inflateAll(receiver, *first, piece, limit, &largestPull);
    QVERIFY(inflatedFirst);
    // A flushed write inflates completely without waiting for the next one.
    QCOMPARE(*inflatedFirst, plain.left(half));
    const std::optional<QByteArray> inflatedSecond =
        inflateAll(receiver, *second, piece, limit, &largestPull);
    QVERIFY(inflatedSecond);
    QCOMPARE(*inflatedSecond, plain.mid(half));
    QVERIFY(largestPull <= limit);
}

void tst_imapDeflateStream::corruptStreamIsRefused()
{
    DeflateStream stream;
    stream.pushCompressed(QByteArray("\xff\xff\xff\xff garbage that is no deflate stream", 38));
    QCOMPARE(stream.pullInflated(4096), std::nullopt);
    // Once broken it stays broken: nothing after a corrupt block can be trusted.
    stream.pushCompressed(*DeflateStream().compress("a1 OK\r\n"));
    QCOMPARE(stream.pullInflated(4096), std::nullopt);
}

QTEST_GUILESS_MAIN(tst_imapDeflateStream)
#include "tst_imapDeflateStream.moc"
