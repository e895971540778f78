// A TCP proxy on loopback that holds every chunk for a fixed time in each direction, adding a
// round trip of twice that delay without touching the bytes (TLS passes through).
//
//   delay_proxy TARGET_PORT DELAY_MS     prints "port=N" once it listens on 127.0.0.1:N, and
//                                        "bytes down=N up=M" (totals so far, server to client
//                                        and back) each time a side closes a connection

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <cstdio>
#include <deque>

namespace {

qint64 bytesDown = 0; // server to client
qint64 bytesUp = 0;

void printTotals()
{
    std::printf("bytes down=%lld up=%lld\n", static_cast<long long>(bytesDown),
                static_cast<long long>(bytesUp));
    std::fflush(stdout);
}

// One direction of one connection: what `from` sends reaches `to` DELAY_MS later, in order.
class DelayedPipe final : public QObject
{
public:
    DelayedPipe(QTcpSocket *from, QTcpSocket *to, int delayMs, qint64 &counter)
        : QObject(from), m_from(from), m_to(to), m_delayMs(delayMs), m_counter(counter)
    {
        m_clock.start();
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, &DelayedPipe::release);
        connect(from, &QTcpSocket::readyRead, this, &DelayedPipe::hold);
        connect(from, &QTcpSocket::disconnected, this, [this] {
            hold();
            m_sourceClosed = true;
            scheduleRelease();
            printTotals();
        });
    }

private:
    struct Chunk
    {
        qint64 due;
        QByteArray bytes;
    };

    void hold()
    {
        if (!m_from)
            return;
        const QByteArray bytes = m_from->readAll();
        if (bytes.isEmpty())
            return;
        m_counter += bytes.size();
        m_chunks.push_back({m_clock.elapsed() + m_delayMs, bytes});
        scheduleRelease();
    }

    void scheduleRelease()
    {
        if (m_timer.isActive())
            return;
        if (m_chunks.empty()) {
            if (m_sourceClosed && m_to)
                m_to->disconnectFromHost();
            return;
        }
        m_timer.start(int(qMax<qint64>(0, m_chunks.front().due - m_clock.elapsed())));
    }

    void release()
    {
        const qint64 now = m_clock.elapsed();
        while (!m_chunks.empty() && m_chunks.front().due <= now) {
            if (m_to)
                m_to->write(m_chunks.front().bytes);
            m_chunks.pop_front();
        }
        scheduleRelease();
    }

    QPointer<QTcpSocket> m_from;
    QPointer<QTcpSocket> m_to;
    int m_delayMs;
    qint64 &m_counter;
    QElapsedTimer m_clock;
    QTimer m_timer;
    std::deque<Chunk> m_chunks;
    bool m_sourceClosed = false;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s TARGET_PORT DELAY_MS\n", argv[0]);
        return 2;
    }
    const quint16 targetPort = quint16(QByteArray(argv[1]).toUInt());
    const int delayMs = QByteArray(argv[2]).toInt();
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0)) {
        std::fprintf(stderr, "delay_proxy: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        while (QTcpSocket *client = server.nextPendingConnection()) {
            auto *upstream = new QTcpSocket(client);
            upstream->connectToHost(QHostAddress::LocalHost, targetPort);
            new DelayedPipe(client, upstream, delayMs, bytesUp);
            new DelayedPipe(upstream, client, delayMs, bytesDown);
            QObject::connect(client, &QTcpSocket::disconnected, client, [client] {
                QTimer::singleShot(5'000, client, &QObject::deleteLater);
            });
        }
    });
    std::printf("port=%d\n", server.serverPort());
    std::fflush(stdout);
    return QCoreApplication::exec();
}
