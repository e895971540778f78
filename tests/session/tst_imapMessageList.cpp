#include "MessageList.h"

#include <QTest>

class tst_imapMessageList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void uidSetJoinsRunsOfUids();
    void splitSetKeepsEveryUidOnce();
};

void tst_imapMessageList::uidSetJoinsRunsOfUids()
{
    MessageList list;
    list.assign(QStringLiteral("INBOX"), 7, {3, 4, 5, 9, 11, 12});
    QCOMPARE(list.uidSet({1, 2, 3, 4, 5, 6}), QByteArray("3:5,9,11:12"));
    QCOMPARE(list.uidSet({2, 5}), QByteArray("4,11"));
    QCOMPARE(list.uidSet({}), QByteArray());
}

// The pieces together name exactly the UIDs of the whole set, none cut in two, each within the
// bound; one long range is never broken.
void tst_imapMessageList::splitSetKeepsEveryUidOnce()
{
    QCOMPARE(MessageList::splitSet("1:100000"), QList<QByteArray> {"1:100000"});
    QCOMPARE(MessageList::splitSet(QByteArray()), QList<QByteArray>());
    QCOMPARE(MessageList::splitSet("10,20,30", 5), (QList<QByteArray> {"10,20", "30"}));
    QCOMPARE(MessageList::splitSet("123456,7", 3), (QList<QByteArray> {"123456", "7"}));

    QByteArrayList uids;
    for (int uid = 1; uid < 20000; uid += 2)
        uids.append(QByteArray::number(uid));
    const QByteArray set = uids.join(',');
    const QList<QByteArray> pieces = MessageList::splitSet(set, 4000);
    QVERIFY(pieces.size() > 1);
    for (const QByteArray &piece : pieces)
        QVERIFY(piece.size() <= 4000 && !piece.startsWith(',') && !piece.endsWith(','));
    QCOMPARE(QByteArrayList(pieces).join(','), set);
}

QTEST_GUILESS_MAIN(tst_imapMessageList)
#include "tst_imapMessageList.moc"
