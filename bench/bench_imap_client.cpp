// The baselines of the retrieval benchmark: a minimal IMAP client that signs in, selects one
// mailbox and either fetches every message with one command (the bulk limit) or one message at a
// time, waiting for each (the naive client), or times the server's search for one word (what a
// narrowed run cannot go below) and prints the UIDs it matched. Blocking socket calls are fine
// here: no window.
//
//   bench_imap_client bulk|naive HOST PORT CA_FILE USER MAILBOX [LIMIT]
//   bench_imap_client search HOST PORT CA_FILE USER MAILBOX WORD
//   (the password: BENCH_PASSWORD)

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSslConfiguration>
#include <QSslSocket>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace {

constexpr int WaitMs = 120'000;

class MinimalImap
{
public:
    void connect(const QString &host, quint16 port, const QString &caFile)
    {
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.addCaCertificates(caFile);
        m_socket.setSslConfiguration(configuration);
        m_socket.setReadBufferSize(0);
        m_socket.connectToHostEncrypted(host, port);
        if (!m_socket.waitForEncrypted(WaitMs))
            throw std::runtime_error(m_socket.errorString().toStdString());
        readLine(); // greeting
    }

    // Runs one command to its tagged reply; returns the untagged lines and counts literal bytes.
    QByteArrayList run(const QByteArray &command)
    {
        const QByteArray tag = "b" + QByteArray::number(++m_tag);
        m_socket.write(tag + ' ' + command + "\r\n");
        QByteArrayList untagged;
        for (;;) {
            QByteArray line = readLine();
            while (line.endsWith("}\r\n")) {
                const qsizetype open = line.lastIndexOf('{');
                const qint64 size = line.mid(open + 1, line.size() - open - 4).toLongLong();
                skip(size);
                m_literalBytes += size;
                ++m_literals;
                line = readLine();
            }
            if (line.startsWith(tag + ' ')) {
                if (!line.mid(tag.size() + 1).startsWith("OK"))
                    throw std::runtime_error(line.trimmed().toStdString());
                return untagged;
            }
            untagged.append(line);
        }
    }

    qint64 literalBytes() const { return m_literalBytes; }
    qint64 literals() const { return m_literals; }

private:
    void waitForData()
    {
        if (!m_socket.waitForReadyRead(WaitMs))
            throw std::runtime_error("no answer: " + m_socket.errorString().toStdString());
    }

    QByteArray readLine()
    {
        while (!m_socket.canReadLine())
            waitForData();
        return m_socket.readLine();
    }

    void skip(qint64 size)
    {
        while (size > 0) {
            if (m_socket.bytesAvailable() == 0)
                waitForData();
            size -= m_socket.skip(size);
        }
    }

    QSslSocket m_socket;
    int m_tag = 0;
    qint64 m_literalBytes = 0;
    qint64 m_literals = 0;
};

QByteArray Quoted(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    bytes.replace('\\', "\\\\").replace('"', "\\\"");
    return '"' + bytes + '"';
}

int MessageCount(const QByteArrayList &selectReply)
{
    for (const QByteArray &line : selectReply) {
        const QByteArrayList words = line.trimmed().split(' ');
        if (words.size() == 3 && words.at(2) == "EXISTS")
            return words.at(1).toInt();
    }
    return 0;
}

// The UIDs of the untagged SEARCH replies, in the server's order.
QByteArrayList SearchMatches(const QByteArrayList &searchReply)
{
    QByteArrayList uids;
    for (const QByteArray &line : searchReply)
        if (line.startsWith("* SEARCH"))
            uids += line.trimmed().split(' ').mid(2);
    return uids;
}

bool IsKnownMode(const QString &mode, qsizetype argumentCount)
{
    if (mode == u"search")
        return argumentCount == 8;
    return argumentCount >= 7 && (mode == u"bulk" || mode == u"naive");
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2 || !IsKnownMode(arguments.at(1), arguments.size())) {
        std::fprintf(stderr,
                     "usage: %s bulk|naive HOST PORT CA_FILE USER MAILBOX [LIMIT]\n"
                     "       %s search HOST PORT CA_FILE USER MAILBOX WORD\n",
                     argv[0], argv[0]);
        return 2;
    }
    try {
        QElapsedTimer timer;
        timer.start();
        MinimalImap imap;
        imap.connect(arguments.at(2), quint16(arguments.at(3).toUInt()), arguments.at(4));
        imap.run("LOGIN " + Quoted(arguments.at(5)) + ' '
                 + Quoted(qEnvironmentVariable("BENCH_PASSWORD")));
        const int count = MessageCount(imap.run("EXAMINE " + Quoted(arguments.at(6))));
        if (arguments.at(1) == u"search") {
            QElapsedTimer searchTimer;
            searchTimer.start();
            const QByteArrayList uids =
                SearchMatches(imap.run("UID SEARCH TEXT " + Quoted(arguments.at(7))));
            std::printf("matches=%lld search_seconds=%.3f uids=%s\n", qlonglong(uids.size()),
                        searchTimer.nsecsElapsed() / 1e9, uids.join(',').constData());
            imap.run("LOGOUT");
            return 0;
        }
        const int last = arguments.size() > 7 ? qMin(count, arguments.at(7).toInt()) : count;
        if (arguments.at(1) == u"bulk") {
            imap.run("FETCH 1:" + QByteArray::number(last) + " (BODY.PEEK[])");
        } else {
            for (int number = 1; number <= last; ++number)
                imap.run("FETCH " + QByteArray::number(number) + " (BODY.PEEK[])");
        }
        imap.run("LOGOUT");
        std::printf("messages=%lld bytes=%lld seconds=%.3f\n", imap.literals(), imap.literalBytes(),
                    timer.nsecsElapsed() / 1e9);
        return imap.literals() == last ? 0 : 1;
    } catch (const std::exception &failure) {
        std::fprintf(stderr, "bench_imap_client: %s\n", failure.what());
        return 1;
    }
}
