#include "FileHelpers.h"
#include "StepFailure.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class tst_FileHelpers : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_folder;

    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        QFile file(m_folder.filePath(name));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return {};
        file.write(bytes);
        return file.fileName();
    }

private Q_SLOTS:
    void fileExists_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<bool>("exists");
        QTest::newRow("file") << "present.txt" << true;
        QTest::newRow("folder") << "." << true;
        QTest::newRow("missing file") << "absent.txt" << false;
        QTest::newRow("file in a missing folder") << "no/such/folder/HAND-M.CUR" << false;
    }
    void fileExists()
    {
        QFETCH(QString, relative);
        QFETCH(bool, exists);
        writeFile(QStringLiteral("present.txt"), "x");
        QCOMPARE(FileExists(m_folder.filePath(relative)), exists);
    }

    void fileExistsOnNoPath() { QVERIFY(!FileExists(QString())); }

    void readTextFileLines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("two lines, no final line end")
            << QByteArray("a\nb") << QStringList {"a", "b"};
        QTest::newRow("empty file") << QByteArray() << QStringList {""};
        QTest::newRow("a single line end") << QByteArray("\n") << QStringList {""};
        QTest::newRow("CR LF with final line end")
            << QByteArray("first\r\nsecond\r\n") << QStringList {"first", "second"};
        QTest::newRow("empty line kept") << QByteArray("a\n\nb") << QStringList {"a", "", "b"};
        QTest::newRow("two line ends") << QByteArray("\r\n\r\n") << QStringList {"", ""};
        QTest::newRow("blanks kept") << QByteArray("  x  \n") << QStringList {"  x  "};
        QTest::newRow("byte-order mark dropped")
            << QByteArray("\xEF\xBB\xBFone\r\ntwo") << QStringList {"one", "two"};
        QTest::newRow("UTF-8") << QByteArray("Gr\xC3\xBC\xC3\x9F"
                                             "e\n\xE6\x97\xA5")
                               << QStringList {QStringLiteral("Grüße"), QStringLiteral("日")};
        QTest::newRow("older single-byte file")
            << QByteArray("caf\xE9 \x80\x96\n\x93quoted\x94")
            << QStringList {QStringLiteral("café €–"), QStringLiteral("“quoted”")};
    }
    void readTextFileLines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QCOMPARE(ReadTextFileLines(writeFile(QStringLiteral("lines.txt"), bytes)), lines);
    }

    void unreadableFileFails_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<QString>("description");
        QTest::newRow("missing") << "absent.txt"
                                 << "File not found";
        QTest::newRow("missing folder") << "gone/list.txt"
                                        << "File not found";
        QTest::newRow("a folder") << "."
                                  << "Permission denied";
    }
    void unreadableFileFails()
    {
        QFETCH(QString, relative);
        QFETCH(QString, description);
        try {
            ReadTextFileLines(m_folder.filePath(relative));
            QFAIL("an unreadable file gave lines");
        } catch (const StepFailure &failure) {
            QCOMPARE(failure.description(), description);
        }
    }

    void collapseBackslashes_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("tidied");
        QTest::newRow("drive path with doubled separators") << R"(C:\\Users\\me\\list.txt)"
                                                            << R"(C:\Users\me\list.txt)";
        QTest::newRow("drive path already tidy") << R"(C:\Users\me.txt)"
                                                 << R"(C:\Users\me.txt)";
        QTest::newRow("network share unchanged") << R"(\\server\share\list.txt)"
                                                 << R"(\\server\share\list.txt)";
        QTest::newRow("four leading become two") << R"(\\\\server\\share\\a.txt)"
                                                 << R"(\\server\share\a.txt)";
        QTest::newRow("one leading becomes two") << R"(\server\a.txt)"
                                                 << R"(\\server\a.txt)";
        QTest::newRow("three in a row become two") << R"(C:\\\x)"
                                                   << R"(C:\\x)";
        QTest::newRow("four in a row become two") << R"(C:\\\\x)"
                                                  << R"(C:\\x)";
        QTest::newRow("only backslashes") << R"(\\\\\)"
                                          << R"(\\)";
        QTest::newRow("a single backslash") << R"(\)"
                                            << R"(\\)";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("forward slashes untouched") << "C://x//y"
                                                   << "C://x//y";
    }
    void collapseBackslashes()
    {
        QFETCH(QString, path);
        QFETCH(QString, tidied);
        QCOMPARE(CollapseBackslashes(path), tidied);
    }
};

QTEST_GUILESS_MAIN(tst_FileHelpers)
#include "tst_FileHelpers.moc"
