#include "MemoryMessageStore.h"

#include <QTest>

namespace {

MessageKey key(quint32 uid, quint32 uidValidity = 7)
{
    return MessageKey {QStringLiteral("INBOX"), uidValidity, uid};
}

KeptMessage message(char fill)
{
    KeptMessage kept;
    kept.plainTextBody = QByteArray(100, fill);
    return kept;
}

} // namespace

class tst_imapMemoryMessageStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void leastRecentlyUsedGoesFirst();
    void staleUidValidityIsDropped();
};

void tst_imapMemoryMessageStore::leastRecentlyUsedGoesFirst()
{
    MemoryMessageStore store(250); // two messages of 100 bytes
    store.keep(key(1), message('a'));
    store.keep(key(2), message('b'));
    QVERIFY(store.find(key(1))); // 2 is now the least recently used
    store.keep(key(3), message('c'));
    QCOMPARE(store.count(), 2);
    QVERIFY(store.find(key(1)));
    QCOMPARE(store.find(key(2)), std::nullopt);
    QCOMPARE(store.find(key(3))->plainTextBody, QByteArray(100, 'c'));
    QCOMPARE(store.heldBytes(), 200);
    // Kept again: replaced, not counted twice.
    store.keep(key(3), message('d'));
    QCOMPARE(store.heldBytes(), 200);
    QCOMPARE(store.find(key(3))->plainTextBody, QByteArray(100, 'd'));
    QVERIFY(MemoryMessageStore::defaultBound() > 0);
    QVERIFY(MemoryMessageStore::defaultBound() <= qint64(1) << 30);
}

void tst_imapMemoryMessageStore::staleUidValidityIsDropped()
{
    MemoryMessageStore store;
    store.keep(key(1, 7), message('a'));
    store.keep(key(2, 8), message('b'));
    store.keep(MessageKey {QStringLiteral("Work"), 7, 1}, message('c'));
    store.dropStale(QStringLiteral("INBOX"), 8);
    QCOMPARE(store.find(key(1, 7)), std::nullopt);
    QVERIFY(store.find(key(2, 8)));
    QVERIFY(store.find(MessageKey {QStringLiteral("Work"), 7, 1}));
}

QTEST_GUILESS_MAIN(tst_imapMemoryMessageStore)
#include "tst_imapMemoryMessageStore.moc"
