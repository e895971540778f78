#include "ImapCommand.h"
#include "ServerAddress.h"

#include <QTest>

// How arguments reach the wire, and how the server address is read from its overrides.
class tst_imapCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void encodesStrings_data();
    void encodesStrings();
    void encodesMailboxes_data();
    void encodesMailboxes();
    void keepsPasswordsOutOfTheLog();
    void parsesHostAndPort_data();
    void parsesHostAndPort();
    void resolvesOverrides();
};

void tst_imapCommand::encodesStrings_data()
{
    QTest::addColumn<QByteArray>("argument");
    QTest::addColumn<QByteArrayList>("parts");

    QTest::newRow("atom") << QByteArray("user@example.test")
                          << QByteArrayList {"a1 LOGIN user@example.test x\r\n"};
    QTest::newRow("empty is quoted") << QByteArray() << QByteArrayList {"a1 LOGIN \"\" x\r\n"};
    QTest::newRow("NIL must not look like NIL")
        << QByteArray("NIL") << QByteArrayList {"a1 LOGIN \"NIL\" x\r\n"};
    QTest::newRow("space") << QByteArray("a b") << QByteArrayList {"a1 LOGIN \"a b\" x\r\n"};
    QTest::newRow("quote and backslash escaped")
        << QByteArray(R"(p"a\ss)") << QByteArrayList {"a1 LOGIN \"p\\\"a\\\\ss\" x\r\n"};
    QTest::newRow("wildcards and brackets quoted")
        << QByteArray("*%]") << QByteArrayList {"a1 LOGIN \"*%]\" x\r\n"};
    QTest::newRow("non-ASCII goes as a literal")
        << QByteArray("w\xc3\xb6rd") << QByteArrayList {"a1 LOGIN {5}\r\n", "w\xc3\xb6rd x\r\n"};
    QTest::newRow("line break goes as a literal")
        << QByteArray("a\r\nb") << QByteArrayList {"a1 LOGIN {4}\r\n", "a\r\nb x\r\n"};
}

void tst_imapCommand::encodesStrings()
{
    QFETCH(QByteArray, argument);
    QFETCH(QByteArrayList, parts);
    ImapCommand command("LOGIN");
    command.string(argument).string("x");
    QCOMPARE(command.wireParts("a1"), parts);
    QCOMPARE(command.name(), QByteArray("LOGIN"));
}

void tst_imapCommand::encodesMailboxes_data()
{
    QTest::addColumn<QString>("mailbox");
    QTest::addColumn<QByteArray>("line");

    QTest::newRow("empty name is the inbox") << QString() << QByteArray("a7 EXAMINE INBOX\r\n");
    QTest::newRow("gmail folder") << QStringLiteral("[Gmail]/All Mail")
                                  << QByteArray("a7 EXAMINE \"[Gmail]/All Mail\"\r\n");
    QTest::newRow("non-ASCII label") << QString::fromUtf8("\xc3\x89v\xc3\xa9nements")
                                     << QByteArray("a7 EXAMINE &AMk-v&AOk-nements\r\n");
    QTest::newRow("quote in a name")
        << QStringLiteral("He said \"x\"") << QByteArray("a7 EXAMINE \"He said \\\"x\\\"\"\r\n");
}

void tst_imapCommand::encodesMailboxes()
{
    QFETCH(QString, mailbox);
    QFETCH(QByteArray, line);
    ImapCommand command("EXAMINE");
    command.mailbox(mailbox);
    QCOMPARE(command.wireParts("a7"), QByteArrayList {line});
}

void tst_imapCommand::keepsPasswordsOutOfTheLog()
{
    ImapCommand login("LOGIN");
    login.string("me").string("hunter2").sensitive();
    QVERIFY(!login.logText("a2").contains("hunter2"));
    QCOMPARE(ImapCommand::rawLine("ID (\"GUID\" \"1\")").logText("a1"),
             QByteArray("a1 ID (\"GUID\" \"1\")"));
    QCOMPARE(ImapCommand::rawLine("ID (\"GUID\" \"1\")").name(), QByteArray("ID"));
    QVERIFY(!ImapCommand::canCarry(QByteArray("a\0b", 3)));
}

void tst_imapCommand::parsesHostAndPort_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("host"); // empty: refused
    QTest::addColumn<int>("port");

    QTest::newRow("host only keeps the port") << "imap.example.test"
                                              << "imap.example.test" << 993;
    QTest::newRow("host and port") << "127.0.0.1:19993"
                                   << "127.0.0.1" << 19993;
    QTest::newRow("bracketed IPv6 with port") << "[::1]:1143"
                                              << "::1" << 1143;
    QTest::newRow("bracketed IPv6 alone") << "[::1]"
                                          << "::1" << 993;
    QTest::newRow("bare IPv6") << "::1"
                               << "::1" << 993;
    QTest::newRow("port out of range") << "host:70000"
                                       << "" << 0;
    QTest::newRow("port not a number") << "host:imaps"
                                       << "" << 0;
    QTest::newRow("port zero") << "host:0"
                               << "" << 0;
    QTest::newRow("no host") << ":993"
                             << "" << 0;
    QTest::newRow("nothing") << ""
                             << "" << 0;
}

void tst_imapCommand::parsesHostAndPort()
{
    QFETCH(QString, text);
    QFETCH(QString, host);
    QFETCH(int, port);
    const std::optional<ServerAddress> address = ServerAddress::parseHostAndPort(text, 993);
    QCOMPARE(address.has_value(), !host.isEmpty());
    if (address) {
        QCOMPARE(address->host, host);
        QCOMPARE(int(address->port), port);
    }
}

void tst_imapCommand::resolvesOverrides()
{
    QString failure;
    std::optional<ServerAddress> address =
        ServerAddress::resolve("imap.gmail.com", 993, ServerOverride(), &failure);
    QVERIFY(address);
    QCOMPARE(address->host, QStringLiteral("imap.gmail.com"));
    QCOMPARE(address->port, quint16(993));
    QVERIFY(address->extraAuthorities.isEmpty());

    address = ServerAddress::resolve("imap.gmail.com", 993, {"localhost:2993", {}}, &failure);
    QVERIFY(address);
    QCOMPARE(address->host, QStringLiteral("localhost"));
    QCOMPARE(address->port, quint16(2993));

    QVERIFY(!ServerAddress::resolve("imap.gmail.com", 993, {"localhost:port", {}}, &failure));
    QVERIFY(failure.contains(QStringLiteral("TESSALINE_IMAP_HOST")));

    QVERIFY(!ServerAddress::resolve("imap.gmail.com", 993, {{}, "/nonexistent/ca.pem"}, &failure));
    QVERIFY(failure.contains(QStringLiteral("/nonexistent/ca.pem")));
}

QTEST_APPLESS_MAIN(tst_imapCommand)
#include "tst_imapCommand.moc"
