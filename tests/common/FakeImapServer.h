#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <utility>

class QSslServer;
class QSslSocket;

// A scripted IMAP server for conversation tests, for the faults a real server will not produce
// on demand. It listens on 127.0.0.1 with a port chosen by the system and speaks TLS with a
// certificate from a throw-away CA made by openssl when the test starts.
//
// Each incoming connection plays the next scenario, one step per entry:
//   "S: text"   the server sends text and CR LF (text may hold a whole literal, see literal())
//   "P: text"   the server sends text without CR LF (part of a reply)
//   "C: text"   the next line from the client must be exactly text
//   "W: ms"     the server pauses before the next step
//   "F: n text" the server sends text and CR LF n times, as fast as the client reads (a flood)
//   "L: n"      the server sends a literal of n bytes of lines of text, made as it goes
//   "T: ms text" the server sends text one byte every ms (a trickle)
//   "Z"         from here on both directions are compressed (after the OK to COMPRESS DEFLATE)
//   "X"         the server closes the connection
// A scenario that runs out of steps stays silent, like a stalled server. A client line that
// does not match is recorded and the connection closed; the test asserts in its own code.
class FakeImapServer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FakeImapServer)

public:
    explicit FakeImapServer(QObject *parent = nullptr);
    ~FakeImapServer() override;

    // Starts listening; false (with errorString()) when the certificates or the port failed.
    bool listen();
    QString errorString() const { return m_error; }
    quint16 port() const;
    // PEM file of the CA that signed the server's certificate.
    QString caFile() const;
    // Points TESSALINE_IMAP_HOST and TESSALINE_CA_FILE at this server.
    void exportEnvironment(const QString &hostName = QStringLiteral("127.0.0.1")) const;

    void addScenario(const QList<QByteArray> &steps);
    // Every scenario added was played to its end by a connection.
    bool isAllScenarioDone() const;
    QStringList mismatches() const { return m_mismatches; }
    int connectionCount() const { return m_connectionCount; }

    // "{n}" CR LF followed by the bytes: a literal inside an "S:" step.
    static QByteArray literal(const QByteArray &bytes);
    // The usual opening: greeting, identification, sign-in as "user"/"secret", EXAMINE INBOX
    // with `exists` messages. Tags a1 to a3.
    static QList<QByteArray> signedInOpening(int exists);
    // A second sign-in on a connection kept signed in: EXAMINE INBOX again under `tag`, with no
    // identification (the server heard it on this connection already) and no LOGIN.
    static QList<QByteArray> signedInAgain(int tag, int exists);

    // The client asking for the UIDs of the selected mailbox under `tag`, and the server listing
    // 1..count (UID i is message i throughout these scripts).
    static QList<QByteArray> uidListExchange(int tag, int count);
    // `steps` as a client plays them that lists the UIDs after its first selection, before
    // fetching: that exchange goes in after the EXAMINE's completion, and every later tag moves
    // on by one.
    // The first command after that list, when it asks for structures, goes by sequence numbers
    // (the client sends it with the list, before the UIDs are known).
    static QList<QByteArray> withUidList(const QList<QByteArray> &steps, int count);
    // A structures request by UID as the same window asked for by sequence numbers.
    static QByteArray firstWindowBySequence(const QByteArray &request);
    // `steps` whose first is such a request, asked for by sequence numbers.
    static QList<QByteArray> firstWindowBySequence(QList<QByteArray> steps);
    // Numbered raw messages, each served as one text/plain part.
    using Messages = QList<std::pair<int, QByteArray>>;
    // A run's estimate before it reads: the sizes of `messages` (UIDs 1..n, all of them) under
    // `tag`, asked for by sequence numbers in the count's flight, behind the UID list (nothing is
    // held yet).
    static QList<QByteArray> sizeExchange(int tag, const Messages &messages);
    // The client asking for the body structures of messages first..last under `tag`, and the
    // server describing `messages` (which may leave some of them out).
    static QList<QByteArray> structureExchange(int tag, int first, int last,
                                               const Messages &messages);
    // The client asking for `numbers` whole, as one command under `tag`.
    static QByteArray wholeRequest(int tag, const QList<int> &numbers);
    // That request, the server sending `messages` whole, and its OK.
    static QList<QByteArray> wholeExchange(int tag, const Messages &messages);
    // The section of the header fields the client asks for.
    static const QByteArray headerFields;
    // The client asking for the header fields and the text of one-part messages `numbers`.
    static QByteArray textRequest(int tag, const QList<int> &numbers);
    // The server's reply with a message's header and its text.
    static QByteArray textReply(int number, const QByteArray &raw);
    // The request, the replies for `messages`, and the OK.
    static QList<QByteArray> textExchange(int tag, const Messages &messages);
    // Gmail's reply once the account's daily limit is spent.
    static const QByteArray overQuota;
    // A run on a kept connection (sign-in, count and estimate, then the run's own sign-in) where
    // Gmail slows the connection down, brings the first of `messages`, then refuses the rest, also
    // one alone.
    static QList<QByteArray> runStoppedByOverQuota(const Messages &messages);

private:
    struct Conversation;
    void acceptConnections();
    void advance(Conversation *conversation);
    // Runs a generating step ("F:", "L:", "T:"); false while it has more to send.
    bool generate(Conversation *conversation, const QByteArray &step);
    void send(Conversation *conversation, const QByteArray &bytes);
    void readClient(Conversation *conversation);
    void mismatch(Conversation *conversation, const QString &what);

    std::unique_ptr<QSslServer> m_server;
    QList<QList<QByteArray>> m_scenarios;
    QList<bool> m_done;
    QList<std::shared_ptr<Conversation>> m_conversations;
    QStringList m_mismatches;
    QString m_error;
    int m_connectionCount = 0;
};
