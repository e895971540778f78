#include "ErrorLog.h"
#include "GeneralDate.h"
#include "ProgramFolder.h"
#include "ScriptedPrompts.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>

namespace {
const QByteArray Stars(52, '*');

QByteArray readLog(const QString &folder)
{
    QFile log(QDir(folder).filePath(QStringLiteral("errorlog.txt")));
    return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
}
} // namespace

// The test runs with LANG=C.UTF-8 and TZ=UTC, so the system's formats are fixed.
class tst_ErrorLog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void generalDateText_data()
    {
        QTest::addColumn<QDateTime>("value");
        QTest::addColumn<QString>("text");
        const QDate day(2021, 8, 31);
        QTest::newRow("afternoon") << QDateTime(day, QTime(14, 5, 9)) << "31 Aug 2021 14:05:09";
        QTest::newRow("midnight gives the date alone")
            << QDateTime(day, QTime(0, 0)) << "31 Aug 2021";
        QTest::newRow("a second after midnight")
            << QDateTime(day, QTime(0, 0, 1)) << "31 Aug 2021 00:00:01";
        QTest::newRow("other zone shown in local time")
            << QDateTime(day, QTime(23, 0), Qt::OffsetFromUTC, -3600) << "1 Sep 2021";
    }
    void generalDateText()
    {
        QFETCH(QDateTime, value);
        QFETCH(QString, text);
        QCOMPARE(GeneralDateText(value), text);
    }

    void noDateGivesNoText() { QCOMPARE(GeneralDateText(QDateTime()), QString()); }

    void eachCallAppendsOneLinePair()
    {
        QTemporaryDir folder;
        SetProgramFolder(folder.path());
        ScriptedPrompts prompts;
        prompts.expectNoBoxes();
        QFile earlier(folder.filePath(QStringLiteral("errorlog.txt")));
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("kept\r\n");
        earlier.close();

        AppendErrorLog(QStringLiteral("NO [UNAVAILABLE] Temporary failure"));
        AppendErrorLog(QStringLiteral("Fehler: Größe überschritten"));

        const QList<QByteArray> lines = readLog(folder.path()).split('\n');
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines.at(0), QByteArray("kept\r"));
        QVERIFY(lines.at(1).endsWith(" : NO [UNAVAILABLE] Temporary failure\r"));
        QCOMPARE(lines.at(2), Stars + '\r');
        QVERIFY(lines.at(3).endsWith(QStringLiteral(" : Fehler: Größe überschritten\r").toUtf8()));
        QCOMPARE(lines.at(4), Stars + '\r');
        QCOMPARE(lines.at(5), QByteArray());

        const QString stamp = QString::fromUtf8(lines.at(1).left(lines.at(1).indexOf(" : ")));
        const QRegularExpression generalDate(
            QStringLiteral("^\\d{1,2} \\w+ \\d{4}( \\d\\d:\\d\\d:\\d\\d)?$"));
        QVERIFY2(generalDate.match(stamp).hasMatch(), qPrintable(stamp));
    }

    void emptyFailureTextStillWritesThePair()
    {
        QTemporaryDir folder;
        SetProgramFolder(folder.path());
        AppendErrorLog(QString());
        const QList<QByteArray> lines = readLog(folder.path()).split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines.at(0).endsWith(" : \r"));
        QCOMPARE(lines.at(1), Stars + '\r');
    }

    // The log is kept open between entries: after the file was removed, renamed away or
    // replaced, the next entry must land in the file now at the log's path.
    void entryAfterTheLogWasMovedGoesToItsPath_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("removed") << "removed";
        QTest::newRow("renamed away") << "renamed";
        QTest::newRow("replaced by another file") << "replaced";
    }
    void entryAfterTheLogWasMovedGoesToItsPath()
    {
        QFETCH(QString, change);
        QTemporaryDir folder;
        SetProgramFolder(folder.path());
        const std::filesystem::path log =
            folder.filePath(QStringLiteral("errorlog.txt")).toStdString();
        const std::filesystem::path aside =
            folder.filePath(QStringLiteral("aside.txt")).toStdString();
        AppendErrorLog(QStringLiteral("first"));

        if (change == QLatin1String("removed")) {
            std::filesystem::remove(log);
        } else if (change == QLatin1String("renamed")) {
            std::filesystem::rename(log, aside);
        } else {
            QFile other(QString::fromStdString(aside.string()));
            QVERIFY(other.open(QIODevice::WriteOnly));
            other.write("other\r\n");
            other.close();
            std::filesystem::rename(aside, log);
        }
        AppendErrorLog(QStringLiteral("second"));

        const QByteArray atPath = readLog(folder.path());
        QVERIFY(atPath.contains(" : second\r\n"));
        QVERIFY(!atPath.contains(" : first"));
        QCOMPARE(atPath.startsWith("other\r\n"), change == QLatin1String("replaced"));
        if (change == QLatin1String("renamed")) {
            QFile moved(QString::fromStdString(aside.string()));
            QVERIFY(moved.open(QIODevice::ReadOnly));
            const QByteArray movedText = moved.readAll();
            QVERIFY(movedText.contains(" : first\r\n") && !movedText.contains(" : second"));
        }
    }

    // A program folder the program cannot write to (an installed copy's) sends the log to the
    // per-user data folder; a log name taken by a folder still loses the entry without a word.
    void unwritableLogGoesPerUserOrIsSkipped_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<bool>("loggedPerUser");
        QTest::newRow("program folder missing") << "missing" << true;
        QTest::newRow("program folder is a file") << "file" << true;
        QTest::newRow("log name taken by a folder") << "folder" << false;
    }
    void unwritableLogGoesPerUserOrIsSkipped()
    {
        QFETCH(QString, obstacle);
        QFETCH(bool, loggedPerUser);
        QStandardPaths::setTestModeEnabled(true);
        const QString userFolder =
            QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
        QFile::remove(QDir(userFolder).filePath(QStringLiteral("errorlog.txt")));
        QTemporaryDir root;
        QString programFolder = root.filePath(QStringLiteral("program"));
        if (obstacle == QLatin1String("folder"))
            QVERIFY(QDir(root.path()).mkpath(QStringLiteral("program/errorlog.txt")));
        if (obstacle == QLatin1String("file")) {
            QFile blocker(programFolder);
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        SetProgramFolder(programFolder);
        ScriptedPrompts prompts;
        prompts.expectNoBoxes();

        AppendErrorLog(QStringLiteral("NO fetch failed"));

        QCOMPARE(prompts.boxes().size(), 0);
        QCOMPARE(QFileInfo(programFolder).isDir(), obstacle == QLatin1String("folder"));
        QCOMPARE(readLog(userFolder).contains(" : NO fetch failed\r\n"), loggedPerUser);
        QStandardPaths::setTestModeEnabled(false);
    }
};

QTEST_GUILESS_MAIN(tst_ErrorLog)
#include "tst_ErrorLog.moc"
