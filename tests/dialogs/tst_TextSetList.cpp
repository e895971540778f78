#include "TextSetList.h"

#include <QTest>

class tst_TextSetList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void storedForm_data();
    void storedForm();
    void fileLinesKept();
    void chosenFilePaths_data();
    void chosenFilePaths();
};

void tst_TextSetList::storedForm_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QStringList>("restored");
    QTest::newRow("empty list") << QStringList() << QString() << QStringList();
    QTest::newRow("one entry") << QStringList({" a "}) << " a " << QStringList({" a "});
    QTest::newRow("three") << QStringList({"a", "b", "c"}) << "a!!!QWIXL!!!b!!!QWIXL!!!c"
                           << QStringList({"a", "b", "c"});
    QTest::newRow("duplicates kept")
        << QStringList({"a", "a"}) << "a!!!QWIXL!!!a" << QStringList({"a", "a"});
    QTest::newRow("separator inside")
        << QStringList({"x!!!QWIXL!!!y", "z"}) << "x!!!QWIXL!!!y!!!QWIXL!!!z"
        << QStringList({"x", "y", "z"});
    QTest::newRow("other letter case is text")
        << QStringList({"x!!!qwixl!!!y"}) << "x!!!qwixl!!!y" << QStringList({"x!!!qwixl!!!y"});
}

void tst_TextSetList::storedForm()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, stored);
    QFETCH(QStringList, restored);
    QCOMPARE(StoredFormOfTextSets(entries), stored);
    QCOMPARE(TextSetsFromStoredForm(stored), restored);
}

void tst_TextSetList::fileLinesKept()
{
    QCOMPARE(TextSetLinesOf({"x", "", "   ", "  y ", "\t", " \t "}),
             QStringList({"x", "  y ", "\t", " \t "}));
    QCOMPARE(TextSetLinesOf({""}), QStringList());
}

void tst_TextSetList::chosenFilePaths_data()
{
    QTest::addColumn<QStringList>("pieces");
    QTest::addColumn<QStringList>("paths");
    QTest::newRow("cancelled") << QStringList() << QStringList();
    QTest::newRow("one file") << QStringList({"C:\\Data\\a.txt"})
                              << QStringList({"C:\\Data\\a.txt"});
    QTest::newRow("full paths") << QStringList({"/home/u/a.txt", "/home/u/b.txt"})
                                << QStringList({"/home/u/a.txt", "/home/u/b.txt"});
    QTest::newRow("folder and names") << QStringList({"C:\\Data", "b.txt", "a.txt"})
                                      << QStringList({"C:\\Data\\b.txt", "C:\\Data\\a.txt"});
    QTest::newRow("drive root") << QStringList({"C:\\", "a.txt", "b.txt"})
                                << QStringList({"C:\\a.txt", "C:\\b.txt"});
    QTest::newRow("network share")
        << QStringList({"\\\\server\\share", "a.txt", "b.txt"})
        << QStringList({"\\\\server\\share\\a.txt", "\\\\server\\share\\b.txt"});
    QTest::newRow("slash folder") << QStringList({"/home/u", "a.txt", "b.txt"})
                                  << QStringList({"/home/u/a.txt", "/home/u/b.txt"});
    QTest::newRow("slash root") << QStringList({"/", "a.txt", "b.txt"})
                                << QStringList({"/a.txt", "/b.txt"});
}

void tst_TextSetList::chosenFilePaths()
{
    QFETCH(QStringList, pieces);
    QFETCH(QStringList, paths);
    QCOMPARE(ChosenFilePaths(pieces), paths);
}

QTEST_APPLESS_MAIN(tst_TextSetList)
#include "tst_TextSetList.moc"
