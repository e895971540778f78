#include "FakeImapServer.h"

#include "DeflateStream.h"

#include <QFile>
#include <QRegularExpression>
#include <QPointer>
#include <QProcess>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QTimer>

namespace {

// A CA and a server certificate for 127.0.0.1 and localhost, made once per test process.
struct TestCertificates
{
    QTemporaryDir dir;
    QString error;

    QString path(const QString &name) const { return dir.filePath(name); }

    bool run(const QStringList &arguments)
    {
        QProcess openssl;
        openssl.setWorkingDirectory(dir.path());
        openssl.start(QStringLiteral("openssl"), arguments);
        if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0) {
            error = QStringLiteral("openssl %1 failed: %2")
                        .arg(arguments.join(u' '),
                             QString::fromLocal8Bit(openssl.readAllStandardError()));
            return false;
        }
        return true;
    }

    TestCertificates()
    {
        const QStringList ecKey = {
            QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
            QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};
        QFile extensions(path(QStringLiteral("server.ext")));
        if (!extensions.open(QIODevice::WriteOnly)) {
            error = QStringLiteral("cannot write %1").arg(extensions.fileName());
            return;
        }
        extensions.write("subjectAltName=IP:127.0.0.1,DNS:localhost\n"
                         "basicConstraints=CA:FALSE\n"
                         "extendedKeyUsage=serverAuth\n");
        extensions.close();
        run(QStringList {QStringLiteral("req"), QStringLiteral("-x509")} + ecKey
            + QStringList {QStringLiteral("-keyout"), QStringLiteral("ca.key"),
                           QStringLiteral("-out"), QStringLiteral("ca.pem"),
                           QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                           QStringLiteral("/CN=Fake IMAP Test CA"), QStringLiteral("-addext"),
                           QStringLiteral("basicConstraints=critical,CA:TRUE"),
                           QStringLiteral("-addext"),
                           QStringLiteral("keyUsage=critical,keyCertSign,cRLSign")})
            && run(QStringList {QStringLiteral("req")} + ecKey
                   + QStringList {QStringLiteral("-keyout"), QStringLiteral("server.key"),
                                  QStringLiteral("-out"), QStringLiteral("server.csr"),
                                  QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1")})
            && run({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
                    QStringLiteral("server.csr"), QStringLiteral("-CA"), QStringLiteral("ca.pem"),
                    QStringLiteral("-CAkey"), QStringLiteral("ca.key"),
                    QStringLiteral("-CAcreateserial"), QStringLiteral("-out"),
                    QStringLiteral("server.pem"), QStringLiteral("-days"), QStringLiteral("2"),
                    QStringLiteral("-extfile"), QStringLiteral("server.ext")});
    }
};

const TestCertificates &testCertificates()
{
    static TestCertificates certificates;
    return certificates;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// Bytes made as they are sent: `unit` over and over, `remaining` more of them.
struct Generated
{
    QByteArray block; // `unit` repeated, so that any piece is one slice
    qsizetype unitSize = 1;
    qint64 sent = 0;
    qint64 remaining = 0;
    int intervalMs = 0; // one byte at a time, this far apart; 0: as fast as the client reads

    Generated(const QByteArray &unit, qint64 total, int interval)
        : unitSize(qMax<qsizetype>(1, unit.size())), remaining(total), intervalMs(interval)
    {
        constexpr qsizetype blockBytes = 256 * 1024;
        while (block.size() < blockBytes + unitSize)
            block += unit.isEmpty() ? QByteArray(1, ' ') : unit;
    }

    QByteArray next()
    {
        const qint64 size = qMin<qint64>(remaining, intervalMs > 0 ? 1 : block.size() - unitSize);
        const QByteArray piece = block.mid(sent % unitSize, size);
        sent += size;
        remaining -= size;
        return piece;
    }
};

struct FakeImapServer::Conversation
{
    QPointer<QSslSocket> socket;
    std::unique_ptr<DeflateStream> compression;
    std::optional<Generated> generated;
    qsizetype scenario = -1;
    qsizetype step = 0;
    QByteArray incoming;
    bool paused = false;
    bool closed = false;

    std::optional<QByteArray> takeLine()
    {
        const qsizetype end = incoming.indexOf("\r\n");
        if (end < 0)
            return std::nullopt;
        const QByteArray line = incoming.left(end);
        incoming.remove(0, end + 2);
        return line;
    }

    void close()
    {
        closed = true;
        if (socket)
            socket->disconnectFromHost();
    }
};

FakeImapServer::FakeImapServer(QObject *parent) : QObject(parent) { }

FakeImapServer::~FakeImapServer()
{
    for (const auto &conversation : std::as_const(m_conversations)) {
        if (conversation->socket)
            conversation->socket->abort();
    }
}

bool FakeImapServer::listen()
{
    const TestCertificates &certificates = testCertificates();
    if (!certificates.error.isEmpty()) {
        m_error = certificates.error;
        return false;
    }
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificate(
        QSslCertificate(readFile(certificates.path(QStringLiteral("server.pem")))));
    configuration.setPrivateKey(
        QSslKey(readFile(certificates.path(QStringLiteral("server.key"))), QSsl::Ec));
    configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
    m_server = std::make_unique<QSslServer>();
    m_server->setSslConfiguration(configuration);
    connect(m_server.get(), &QTcpServer::pendingConnectionAvailable, this,
            &FakeImapServer::acceptConnections);
    if (!m_server->listen(QHostAddress::LocalHost, 0)) {
        m_error = m_server->errorString();
        return false;
    }
    return true;
}

quint16 FakeImapServer::port() const
{
    return m_server ? m_server->serverPort() : 0;
}

QString FakeImapServer::caFile() const
{
    return testCertificates().path(QStringLiteral("ca.pem"));
}

void FakeImapServer::exportEnvironment(const QString &hostName) const
{
    qputenv("TESSALINE_IMAP_HOST", QStringLiteral("%1:%2").arg(hostName).arg(port()).toUtf8());
    qputenv("TESSALINE_CA_FILE", caFile().toUtf8());
}

void FakeImapServer::addScenario(const QList<QByteArray> &steps)
{
    m_scenarios.append(steps);
    m_done.append(steps.isEmpty());
}

bool FakeImapServer::isAllScenarioDone() const
{
    return !m_done.contains(false);
}

QByteArray FakeImapServer::literal(const QByteArray &bytes)
{
    return '{' + QByteArray::number(bytes.size()) + "}\r\n" + bytes;
}

QList<QByteArray> FakeImapServer::signedInOpening(int exists)
{
    return {
        "S: * OK [CAPABILITY IMAP4rev1 LITERAL+ ID] Fake server ready",
        "C: a1 ID (\"GUID\" \"1\")",
        "S: * ID (\"name\" \"Fake\")",
        "S: a1 OK ID completed",
        "C: a2 LOGIN user secret",
        "S: a2 OK Logged in",
        "C: a3 EXAMINE INBOX",
        "S: * FLAGS (\\Answered \\Flagged \\Deleted \\Seen \\Draft)",
        "S: * " + QByteArray::number(exists) + " EXISTS",
        "S: * 0 RECENT",
        "S: a3 OK [READ-ONLY] Examine completed",
    };
}

QList<QByteArray> FakeImapServer::signedInAgain(int tag, int exists)
{
    QList<QByteArray> steps = signedInOpening(exists).mid(6); // after greeting, ID and LOGIN
    const QByteArray selection = " a" + QByteArray::number(tag) + ' ';
    for (QByteArray &step : steps)
        step.replace(" a3 ", selection);
    return steps;
}

QList<QByteArray> FakeImapServer::uidListExchange(int tag, int count)
{
    const QByteArray tagText = 'a' + QByteArray::number(tag);
    QByteArray found = "S: * SEARCH";
    for (int uid = 1; uid <= count; ++uid)
        found += ' ' + QByteArray::number(uid);
    return {"C: " + tagText + " UID SEARCH ALL", found, "S: " + tagText + " OK Search completed."};
}

QList<QByteArray> FakeImapServer::withUidList(const QList<QByteArray> &steps, int count)
{
    static const QRegularExpression tagged(QStringLiteral("^([CS]): a(\\d+) "));
    int examineTag = 0;
    bool listed = false; // the next command may be the first window, sent with the list
    QList<QByteArray> shifted;
    for (const QByteArray &step : steps) {
        const QRegularExpressionMatch match = tagged.match(QString::fromLatin1(step));
        const int tag = match.hasMatch() ? match.captured(2).toInt() : 0;
        if (examineTag == 0 && match.captured(1) == u"C" && step.contains(" EXAMINE "))
            examineTag = tag;
        if (examineTag == 0 || tag <= examineTag) {
            shifted.append(step);
            if (examineTag != 0 && tag == examineTag && match.captured(1) == u"S") {
                shifted += uidListExchange(tag + 1, count);
                listed = true;
            }
            continue;
        }
        QByteArray moved =
            step.left(4) + QByteArray::number(tag + 1) + step.mid(match.capturedLength() - 1);
        if (std::exchange(listed, false) && match.captured(1) == u"C")
            moved = firstWindowBySequence(moved);
        shifted.append(moved);
    }
    return shifted;
}

QList<QByteArray> FakeImapServer::sizeExchange(int tag, const Messages &messages)
{
    const QByteArray tagText = 'a' + QByteArray::number(tag);
    QList<QByteArray> steps {"C: " + tagText + " FETCH 1:* (UID RFC822.SIZE)"};
    for (const auto &[number, raw] : messages)
        steps.append("S: * " + QByteArray::number(number) + " FETCH (UID "
                     + QByteArray::number(number) + " RFC822.SIZE " + QByteArray::number(raw.size())
                     + ')');
    steps.append("S: " + tagText + " OK Fetch completed.");
    return steps;
}

QByteArray FakeImapServer::firstWindowBySequence(const QByteArray &request)
{
    if (!request.contains(" UID FETCH ") || !request.endsWith(" (RFC822.SIZE BODYSTRUCTURE)"))
        return request;
    QByteArray bySequence = request;
    bySequence.replace(" UID FETCH ", " FETCH ");
    bySequence.replace(" (RFC822.SIZE BODYSTRUCTURE)", " (UID RFC822.SIZE BODYSTRUCTURE)");
    return bySequence;
}

QList<QByteArray> FakeImapServer::firstWindowBySequence(QList<QByteArray> steps)
{
    if (!steps.isEmpty())
        steps.first() = firstWindowBySequence(steps.first());
    return steps;
}

QList<QByteArray> FakeImapServer::structureExchange(int tag, int first, int last,
                                                    const Messages &messages)
{
    const QByteArray tagText = 'a' + QByteArray::number(tag);
    QByteArray range = QByteArray::number(first);
    if (last > first)
        range += ':' + QByteArray::number(last);
    QList<QByteArray> steps {"C: " + tagText + " UID FETCH " + range
                             + " (RFC822.SIZE BODYSTRUCTURE)"};
    for (const auto &[number, raw] : messages) {
        const QByteArray size = QByteArray::number(raw.size());
        steps.append("S: * " + QByteArray::number(number) + " FETCH (UID "
                     + QByteArray::number(number) + " RFC822.SIZE " + size
                     + " BODYSTRUCTURE (\"text\" \"plain\" (\"charset\" \"us-ascii\") NIL NIL "
                       "\"7bit\" "
                     + size + " 1 NIL NIL NIL NIL))");
    }
    steps.append("S: " + tagText + " OK Fetch completed.");
    return steps;
}

namespace {

QByteArray sequenceSet(const QList<int> &numbers)
{
    QByteArray joined;
    for (qsizetype i = 0; i < numbers.size();) {
        qsizetype j = i;
        while (j + 1 < numbers.size() && numbers.at(j + 1) == numbers.at(j) + 1)
            ++j;
        joined += (joined.isEmpty() ? "" : ",") + QByteArray::number(numbers.at(i))
            + (j > i ? ':' + QByteArray::number(numbers.at(j)) : QByteArray());
        i = j + 1;
    }
    return joined;
}

QList<int> numbersOf(const FakeImapServer::Messages &messages)
{
    QList<int> numbers;
    for (const auto &message : messages)
        numbers.append(message.first);
    return numbers;
}

} // namespace

const QByteArray FakeImapServer::headerFields =
    "HEADER.FIELDS (FROM SUBJECT DATE MIME-VERSION CONTENT-TYPE CONTENT-TRANSFER-ENCODING "
    "CONTENT-DISPOSITION)";

QByteArray FakeImapServer::textRequest(int tag, const QList<int> &numbers)
{
    return "C: a" + QByteArray::number(tag) + " UID FETCH " + sequenceSet(numbers) + " (BODY.PEEK["
        + headerFields + "] BODY.PEEK[TEXT])";
}

QByteArray FakeImapServer::textReply(int number, const QByteArray &raw)
{
    // The whole header stands in for the fields: more than asked for harms no client.
    const qsizetype end = raw.indexOf("\r\n\r\n");
    const QByteArray header = end < 0 ? raw + "\r\n" : raw.left(end + 4);
    const QByteArray text = end < 0 ? QByteArray() : raw.mid(end + 4);
    return "S: * " + QByteArray::number(number) + " FETCH (UID " + QByteArray::number(number)
        + " BODY[" + headerFields + "] " + literal(header) + " BODY[TEXT] " + literal(text) + ')';
}

QList<QByteArray> FakeImapServer::textExchange(int tag, const Messages &messages)
{
    QList<QByteArray> steps {textRequest(tag, numbersOf(messages))};
    for (const auto &[number, raw] : messages)
        steps.append(textReply(number, raw));
    steps.append("S: a" + QByteArray::number(tag) + " OK Fetch completed.");
    return steps;
}

QByteArray FakeImapServer::wholeRequest(int tag, const QList<int> &numbers)
{
    return "C: a" + QByteArray::number(tag) + " UID FETCH " + sequenceSet(numbers)
        + " (BODY.PEEK[])";
}

QList<QByteArray> FakeImapServer::wholeExchange(int tag, const Messages &messages)
{
    QList<QByteArray> steps {wholeRequest(tag, numbersOf(messages))};
    for (const auto &[number, raw] : messages)
        steps.append("S: * " + QByteArray::number(number) + " FETCH (UID "
                     + QByteArray::number(number) + " BODY[] " + literal(raw) + ')');
    steps.append("S: a" + QByteArray::number(tag) + " OK Fetch completed.");
    return steps;
}

void FakeImapServer::acceptConnections()
{
    while (m_server->hasPendingConnections()) {
        auto *socket = qobject_cast<QSslSocket *>(m_server->nextPendingConnection());
        if (!socket)
            continue;
        auto conversation = std::make_shared<Conversation>();
        conversation->socket = socket;
        conversation->scenario = m_connectionCount++;
        m_conversations.append(conversation);
        Conversation *raw = conversation.get();
        connect(socket, &QSslSocket::readyRead, this, [this, raw] { readClient(raw); });
        connect(socket, &QSslSocket::encryptedBytesWritten, this, [this, raw] {
            if (raw->generated && raw->generated->intervalMs == 0)
                advance(raw);
        });
        connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
        if (conversation->scenario >= m_scenarios.size()) {
            mismatch(raw, QStringLiteral("a connection no scenario was written for"));
            continue;
        }
        advance(raw);
    }
}

void FakeImapServer::readClient(Conversation *conversation)
{
    if (!conversation->socket)
        return;
    const QByteArray bytes = conversation->socket->readAll();
    if (conversation->compression) {
        conversation->compression->pushCompressed(bytes);
        while (const std::optional<QByteArray> plain =
                   conversation->compression->pullInflated(64 * 1024)) {
            if (plain->isEmpty())
                break;
            conversation->incoming += *plain;
        }
    } else {
        conversation->incoming += bytes;
    }
    if (conversation->scenario < m_scenarios.size()
        && conversation->step < m_scenarios.at(conversation->scenario).size()) {
        advance(conversation);
        return;
    }
    while (const std::optional<QByteArray> line = conversation->takeLine()) {
        if (!line->endsWith(" LOGOUT"))
            mismatch(conversation,
                     QStringLiteral("client line after the script ended: %1")
                         .arg(QString::fromUtf8(*line)));
    }
}

void FakeImapServer::advance(Conversation *conversation)
{
    const QList<QByteArray> &steps = m_scenarios.at(conversation->scenario);
    while (!conversation->closed && !conversation->paused && conversation->step < steps.size()) {
        if (!conversation->socket)
            return; // the client went away before the script ended
        const QByteArray &step = steps.at(conversation->step);
        const QByteArray text = step.mid(3);
        if (step.startsWith("C: ")) {
            const std::optional<QByteArray> line = conversation->takeLine();
            if (!line)
                return; // wait for more from the client
            if (*line != text) {
                mismatch(conversation,
                         QStringLiteral("step %1: expected \"%2\", client sent \"%3\"")
                             .arg(conversation->step)
                             .arg(QString::fromUtf8(text), QString::fromUtf8(*line)));
                return;
            }
        } else if (step.startsWith("S: ")) {
            send(conversation, text + "\r\n");
        } else if (step.startsWith("P: ")) {
            send(conversation, text);
            conversation->socket->flush();
        } else if (step.startsWith("F: ") || step.startsWith("L: ") || step.startsWith("T: ")) {
            if (!generate(conversation, step))
                return; // more to send once the client has read
        } else if (step == "Z") {
            conversation->compression = std::make_unique<DeflateStream>();
        } else if (step.startsWith("W: ")) {
            conversation->paused = true;
            QTimer::singleShot(text.toInt(), this, [this, conversation] {
                conversation->paused = false;
                advance(conversation);
            });
        } else if (step == "X") {
            conversation->close();
        } else {
            mismatch(conversation,
                     QStringLiteral("unknown script step \"%1\"").arg(QString::fromUtf8(step)));
            return;
        }
        ++conversation->step;
    }
    if (conversation->step == steps.size())
        m_done[conversation->scenario] = true;
}

void FakeImapServer::send(Conversation *conversation, const QByteArray &bytes)
{
    if (conversation->compression)
        conversation->socket->write(conversation->compression->compress(bytes).value_or(""));
    else
        conversation->socket->write(bytes);
}

bool FakeImapServer::generate(Conversation *conversation, const QByteArray &step)
{
    std::optional<Generated> &generated = conversation->generated;
    const QList<QByteArray> words = step.mid(3).split(' ');
    if (!generated) {
        const qint64 count = words.value(0).toLongLong();
        const QByteArray text = step.mid(3 + words.value(0).size() + 1);
        if (step.startsWith("F: ")) {
            generated.emplace(text + "\r\n", count * (text.size() + 2), 0);
        } else if (step.startsWith("T: ")) {
            generated.emplace(text, text.size(), int(count));
        } else {
            send(conversation, '{' + QByteArray::number(count) + "}\r\n");
            generated.emplace(QByteArray("Generated line of a large message, seventy-eight "
                                         "characters long......\r\n"),
                              count, 0);
        }
    }
    // Little is queued at a time, so that neither side holds much of what is sent.
    constexpr qint64 queuedBytes = 1 << 20;
    QSslSocket *socket = conversation->socket;
    const auto queued = [socket] {
        return socket->bytesToWrite() + socket->encryptedBytesToWrite();
    };
    qint64 sentNow = 0;
    while (generated->remaining > 0 && queued() < queuedBytes && sentNow < 4 * queuedBytes) {
        const QByteArray piece = generated->next();
        sentNow += piece.size();
        send(conversation, piece);
        if (generated->intervalMs > 0)
            break;
    }
    conversation->socket->flush();
    if (generated->remaining == 0) {
        generated.reset();
        return true;
    }
    const int delay = generated->intervalMs;
    if (delay > 0 || queued() < queuedBytes) {
        // Nothing may be written that would wake the conversation: wake it here.
        QTimer::singleShot(delay, socket, [this, conversation] { advance(conversation); });
    }
    return false;
}

void FakeImapServer::mismatch(Conversation *conversation, const QString &what)
{
    m_mismatches.append(QStringLiteral("scenario %1: %2").arg(conversation->scenario).arg(what));
    qWarning().noquote() << "fake server:" << m_mismatches.constLast();
    conversation->close();
}

const QByteArray FakeImapServer::overQuota =
    "NO [OVERQUOTA] Account exceeded command or bandwidth limits.";

QList<QByteArray> FakeImapServer::runStoppedByOverQuota(const Messages &messages)
{
    const int count = int(messages.size());
    QList<QByteArray> structures = structureExchange(6, 1, count, messages);
    structures.last() = "S: a6 OK Success [THROTTLED]";
    QList<int> numbers;
    for (const auto &message : messages)
        numbers.append(message.first);
    QList<QByteArray> text = textExchange(7, messages.mid(0, 1));
    text.first() = textRequest(7, numbers);
    text.last() = "S: a7 " + overQuota;
    return signedInOpening(count) + uidListExchange(4, count) + sizeExchange(5, messages)
        + structures + text
        + QList<QByteArray> {wholeRequest(8, {numbers.value(1)}), "S: a8 " + overQuota};
}
