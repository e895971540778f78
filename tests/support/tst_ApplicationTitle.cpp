#include "ApplicationTitle.h"

#include <QTest>

class tst_ApplicationTitle : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void titleRule_data()
    {
        QTest::addColumn<QString>("productName");
        QTest::addColumn<QString>("title");
        QTest::newRow("one word keeps it") << "Tessaline"
                                           << "Tessaline";
        QTest::newRow("last word dropped once") << "Tessaline Mail Extractor"
                                                << "Tessaline Mail";
        QTest::newRow("short stays after one drop") << "A B"
                                                    << "A";
        QTest::newRow("long name cut to 40")
            << "Alpha Bravo Charlie Delta Echo Foxtrot Golf Hotel India"
            << "Alpha Bravo Charlie Delta Echo Foxtrot";
        QTest::newRow("exactly 40 after one drop")
            << "abcdefghij abcdefghij abcdefghij abcdefg tail"
            << "abcdefghij abcdefghij abcdefghij abcdefg";
        QTest::newRow("one long word left alone")
            << "Supercalifragilisticexpialidocious-and-then-some Suite"
            << "Supercalifragilisticexpialidocious-and-then-some";
    }
    void titleRule()
    {
        QFETCH(QString, productName);
        QFETCH(QString, title);
        QCOMPARE(TitleFromProductName(productName), title);
    }

    void startUpTitleIsTheProductName()
    {
        SetApplicationTitle();
        QCOMPARE(ApplicationTitle(), QStringLiteral("Tessaline"));
    }
};

QTEST_GUILESS_MAIN(tst_ApplicationTitle)
#include "tst_ApplicationTitle.moc"
