#include "ResultFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

void WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class tst_ResultFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void contents_data();
    void contents();
    void savedAsUtf8();
    void failedSaveKeepsTheOldFile_data();
    void failedSaveKeepsTheOldFile();

private:
    QTemporaryDir m_folder;
};

void tst_ResultFiles::contents_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("textFile");
    QTest::addColumn<QString>("commaFile");

    QTest::newRow("empty list") << QStringList {} << QString() << u"\r\n"_s;
    QTest::newRow("a and b") << QStringList {u"a"_s, u"b"_s} << u"a\r\nb\r\n"_s << u"a,b,\r\n"_s;
    QTest::newRow("commas and line breaks written unchanged")
        << QStringList {u"x,y"_s, u"1\r\n2"_s} << u"x,y\r\n1\r\n2\r\n"_s << u"x,y,1\r\n2,\r\n"_s;
    QTest::newRow("empty rows kept")
        << QStringList {QString(), QString()} << u"\r\n\r\n"_s << u",,\r\n"_s;
}

void tst_ResultFiles::contents()
{
    QFETCH(QStringList, rows);
    QFETCH(QString, textFile);
    QFETCH(QString, commaFile);
    // Files hold every row, ticked or not.
    const ExportTable table(rows, QList<bool>(rows.size(), false));
    QCOMPARE(TextFileContents(table), textFile);
    QCOMPARE(CommaDelimitedContents(table), commaFile);
}

void tst_ResultFiles::savedAsUtf8()
{
    const QString path = m_folder.filePath(u"results.txt"_s);
    WriteAll(path, QByteArray(100, 'o')); // a longer old file is replaced, not overlaid
    const QString text = u"Grüße, 東京 \U0001F600\r\n"_s;
    QCOMPARE(SaveTextFile(path, text), QString());
    QCOMPARE(ReadAll(path), text.toUtf8());
    QCOMPARE(SaveTextFile(path, QString()), QString());
    QCOMPARE(ReadAll(path), QByteArray());
}

void tst_ResultFiles::failedSaveKeepsTheOldFile_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("oldFileThere");

    // The longest name a folder allows holds the old file, but leaves no room for the name of
    // the new file written beside it: the save fails before anything is replaced.
    QTest::newRow("no room for the new file beside it")
        << m_folder.filePath(QString(255, u'n')) << true;
    QTest::newRow("missing folder") << m_folder.filePath(u"no/such/folder/r.txt"_s) << false;
    QTest::newRow("a folder by that name") << m_folder.path() << false;
}

void tst_ResultFiles::failedSaveKeepsTheOldFile()
{
    QFETCH(QString, path);
    QFETCH(bool, oldFileThere);
    if (oldFileThere)
        WriteAll(path, "old contents\r\n");
    const QString problem = SaveTextFile(path, u"new"_s);
    QVERIFY(!problem.isEmpty());
    QVERIFY2(problem.contains(QDir::toNativeSeparators(path)), qPrintable(problem));
    if (oldFileThere)
        QCOMPARE(ReadAll(path), QByteArray("old contents\r\n"));
    QVERIFY(QFileInfo(m_folder.path()).isDir());
}

QTEST_APPLESS_MAIN(tst_ResultFiles)
#include "tst_ResultFiles.moc"
