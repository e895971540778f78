#include "FakeImapServer.h"
#include "ImapCommand.h"
#include "ImapConnection.h"
#include "ImapLimits.h"
#include "ImapWait.h"
#include "ServerAddress.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>

#include <memory>

#include <sys/resource.h>

namespace {

using Script = QList<QByteArray>;

// Set in the child process a memory test runs in, so that the peak it reads is its own.
const char ChildVariable[] = "TESSALINE_IMAP_MEMORY_CHILD";

#if defined(__SANITIZE_ADDRESS__)
constexpr bool sanitized = true;
#elif defined(__has_feature)
constexpr bool sanitized = __has_feature(address_sanitizer);
#else
constexpr bool sanitized = false;
#endif

qint64 peakResidentBytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_maxrss) * 1024;
}

const QByteArray fetchRequest = "C: a1 FETCH 1 (BODY[])";
constexpr qint64 largeMessageBytes = qint64(60) << 20;

Script compressedOpening()
{
    return {"C: a1 COMPRESS DEFLATE", "S: a1 OK DEFLATE active", "Z"};
}

} // namespace

// The connection against a scripted server that means harm: floods, huge messages, trickles and
// text meant for the terminal.
class tst_imapConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void memoryStaysBounded_data();
    void memoryStaysBounded();
    void tricklingServerMeetsTheDeadline();
    void pipelinedRepliesComeBackOldestFirst();
    void serverTextIsShownEscaped_data();
    void serverTextIsShownEscaped();

private:
    bool ranInChild();
    ImapReply open(const Script &script);
    ImapReply connect(const Script &script) { return open(Script {"S: * OK ready"} + script); }
    ImapReply run(const QByteArray &command, int timeoutMs = 20000);

    std::unique_ptr<FakeImapServer> m_server;
    std::unique_ptr<ImapConnection> m_connection;
};

void tst_imapConnection::init()
{
    m_server = std::make_unique<FakeImapServer>();
    QVERIFY2(m_server->listen(), qPrintable(m_server->errorString()));
    m_connection = std::make_unique<ImapConnection>();
}

void tst_imapConnection::cleanup()
{
    m_connection.reset();
    m_server.reset();
}

// Runs the current test function's row in a fresh process; false when this is that process.
bool tst_imapConnection::ranInChild()
{
    if (qEnvironmentVariableIsSet(ChildVariable))
        return false;
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(ChildVariable), QStringLiteral("1"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("%1:%2").arg(QString::fromLatin1(QTest::currentTestFunction()),
                                             QString::fromLatin1(QTest::currentDataTag()))});
    if (!child.waitForFinished(240000))
        child.kill();
    const QByteArray output = child.readAll();
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        QTest::qFail(output.constData(), __FILE__, __LINE__);
    return true;
}

ImapReply tst_imapConnection::open(const Script &script)
{
    m_server->addScenario(script);
    ServerAddress address;
    address.host = QStringLiteral("127.0.0.1");
    address.port = m_server->port();
    QString failure;
    address.extraAuthorities = *ServerAddress::readAuthorities(m_server->caFile(), &failure);
    m_connection->open(address);
    return ImapWait::run(m_connection.get(), 20000, {});
}

ImapReply tst_imapConnection::run(const QByteArray &command, int timeoutMs)
{
    m_connection->send(ImapCommand::rawLine(command));
    return ImapWait::run(m_connection.get(), timeoutMs, {});
}

void tst_imapConnection::memoryStaysBounded_data()
{
    QTest::addColumn<bool>("compressed");
    QTest::addColumn<Script>("replies");
    QTest::addColumn<qint64>("bound"); // growth of the peak resident size
    QTest::addColumn<QString>("failure"); // empty: the reply completes

    const Script flood {"F: 100000000 * OK flood", "S: a1 OK done"};
    const qint64 floodBound = 2 * ImapLimits::maxExchangeBytes;
    const QString refused = QStringLiteral("more than 256 MB of replies to FETCH");
    QTest::newRow("flood of untagged replies") << false << flood << floodBound << refused;
    // Each few bytes on the wire inflate to hundreds of times as many.
    QTest::newRow("compressed flood") << true << flood << floodBound << refused;
    // The reply is held as the caller gets it: the framer's buffer is handed over, not copied.
    const Script large {"P: * 1 FETCH (BODY[] ", "L: " + QByteArray::number(largeMessageBytes),
                        "S: )", "S: a1 OK done"};
    QTest::newRow("60 MB message") << false << large << 3 * largeMessageBytes << QString();
}

void tst_imapConnection::memoryStaysBounded()
{
    if (ranInChild())
        return;
    QFETCH(bool, compressed);
    QFETCH(Script, replies);
    QFETCH(qint64, bound);
    QFETCH(QString, failure);
    const qint64 before = peakResidentBytes();
    const QByteArray request = compressed ? "C: a2 FETCH 1 (BODY[])" : fetchRequest;
    QVERIFY(connect((compressed ? compressedOpening() : Script {}) + Script {request} + replies)
                .isOk());
    if (compressed)
        QVERIFY(run("COMPRESS DEFLATE").isOk());
    const ImapReply reply = run("FETCH 1 (BODY[])", 120000);
    if (failure.isEmpty()) {
        QVERIFY2(reply.isOk(), qPrintable(reply.failure));
        QCOMPARE(reply.untagged.constFirst().fetchItem("BODY[]")->bytes().size(),
                 largeMessageBytes);
    } else {
        QCOMPARE(reply.end, ImapReply::End::Unreadable);
        QVERIFY2(reply.failure.contains(failure), qPrintable(reply.failure));
    }
    const qint64 growth = peakResidentBytes() - before;
    qInfo("peak resident size grew by %lld MB", growth >> 20);
    if (sanitized)
        QSKIP("the sanitizer's own bookkeeping makes the peak meaningless");
    QVERIFY2(growth < bound, qPrintable(QStringLiteral("%1 MB").arg(growth >> 20)));
}

void tst_imapConnection::pipelinedRepliesComeBackOldestFirst()
{
    // Both commands go out before any reply; the server interleaves their replies and
    // completes the second first. A FETCH reply reaches every FETCH still running, any other
    // the oldest; each wait returns the oldest.
    QVERIFY(connect({"C: a1 FETCH 1 (UID)", "C: a2 FETCH 2 (UID)", "S: * 2 FETCH (UID 2)",
                     "S: * 3 EXISTS", "S: a2 OK second", "S: * 1 FETCH (UID 1)", "S: a1 OK first"})
                .isOk());
    m_connection->send(ImapCommand::rawLine("FETCH 1 (UID)"));
    QVERIFY(m_connection->canSendMore());
    m_connection->send(ImapCommand::rawLine("FETCH 2 (UID)"));
    const ImapReply first = ImapWait::run(m_connection.get(), 20000, {});
    QVERIFY(first.isOk());
    QCOMPARE(first.completion.text, QByteArray("first"));
    QCOMPARE(first.untagged.size(), 3);
    QCOMPARE(first.untagged.at(1).name, QByteArray("EXISTS"));
    const ImapReply second = ImapWait::run(m_connection.get(), 20000, {});
    QVERIFY(second.isOk());
    QCOMPARE(second.completion.text, QByteArray("second"));
    QCOMPARE(second.untagged.size(), 1);
    QCOMPARE(second.untagged.first().number, std::optional<qint64>(2));
}

void tst_imapConnection::tricklingServerMeetsTheDeadline()
{
    // Every byte comes sooner than the idle timeout, so only the deadline for the whole reply
    // ends the wait; it is proportional to the bytes expected and so short for these few.
    QVERIFY(connect({fetchRequest, "T: 100 * 1 FETCH (UID 1)"}).isOk());
    const ImapReply reply = run("FETCH 1 (BODY[])", 400);
    QCOMPARE(reply.end, ImapReply::End::TimedOut);
    QVERIFY2(reply.failure.contains(QStringLiteral("trickling")), qPrintable(reply.failure));
    QVERIFY(!m_connection->isOpen());
}

void tst_imapConnection::serverTextIsShownEscaped_data()
{
    QTest::addColumn<Script>("replies");
    QTest::addColumn<bool>("afterGreeting");

    const QByteArray hostile = "\x1b]0;owned\x07\x1b[2J\x1b[31mred\xe2\x80\xae";
    QTest::newRow("NO") << Script {fetchRequest, "S: a1 NO " + hostile} << true;
    QTest::newRow("BAD") << Script {fetchRequest, "S: a1 BAD [PARSE] " + hostile} << true;
    QTest::newRow("BYE") << Script {fetchRequest, "S: * BYE " + hostile, "X"} << true;
    QTest::newRow("continuation") << Script {fetchRequest, "S: + " + hostile} << true;
    QTest::newRow("unknown tag") << Script {fetchRequest, "S: zz OK " + hostile} << true;
    QTest::newRow("greeting") << Script {"S: * BYE " + hostile, "X"} << false;
}

void tst_imapConnection::serverTextIsShownEscaped()
{
    QFETCH(Script, replies);
    QFETCH(bool, afterGreeting);
    ImapReply reply = open(afterGreeting ? Script {"S: * OK ready"} + replies : replies);
    if (afterGreeting) {
        QVERIFY(reply.isOk());
        reply = run("FETCH 1 (BODY[])");
    }
    const QString text = reply.failureText();
    QVERIFY2(text.contains(QStringLiteral("\\x1B]0;owned\\x07")), qPrintable(text));
    for (const QChar c : text)
        QVERIFY2(c.unicode() >= 0x20 && c.unicode() != 0x7f && c.unicode() != 0x202e,
                 qPrintable(text));
}

QTEST_GUILESS_MAIN(tst_imapConnection)
#include "tst_imapConnection.moc"
