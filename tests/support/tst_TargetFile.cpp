#include "TargetFile.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

bool writeThrough(const QString &path, const QByteArray &bytes)
{
    TargetFile target(path);
    return target.open() && target.write(bytes) && target.commit();
}

mode_t modeOf(const QString &path)
{
    struct stat status
    {
    };
    lstat(QFile::encodeName(path).constData(), &status);
    return status.st_mode;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

// Saves and runs' rows onto whatever the user names: a file, a link, a device, a FIFO.
class tst_TargetFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void regularFileIsReplacedKeepingItsMode();
    void linkedFileIsReplacedThroughTheLink();
    void fifoIsWrittenInto();
    void deviceNodeIsWrittenInto();
    void failedWriteLeavesTheFileWhole();

private:
    QTemporaryDir m_dir;
};

void tst_TargetFile::regularFileIsReplacedKeepingItsMode()
{
    const QString path = m_dir.filePath(QStringLiteral("rows.txt"));
    QVERIFY(writeThrough(path, "old\n"));
    QVERIFY(::chmod(QFile::encodeName(path).constData(), 0640) == 0);
    QVERIFY(writeThrough(path, "new\n"));
    QCOMPARE(contents(path), QByteArray("new\n"));
    QCOMPARE(modeOf(path) & 07777, mode_t(0640));
}

void tst_TargetFile::linkedFileIsReplacedThroughTheLink()
{
    const QString target = m_dir.filePath(QStringLiteral("target.txt"));
    const QString link = m_dir.filePath(QStringLiteral("link.txt"));
    QVERIFY(writeThrough(target, "old\n"));
    QVERIFY(QFile::link(target, link));
    QVERIFY(writeThrough(link, "new\n"));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(contents(target), QByteArray("new\n"));
}

void tst_TargetFile::fifoIsWrittenInto()
{
    const QString fifo = m_dir.filePath(QStringLiteral("rows.fifo"));
    const QString link = m_dir.filePath(QStringLiteral("fifo-link"));
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    QVERIFY(QFile::link(fifo, link));
    QProcess reader;
    reader.start(QStringLiteral("cat"), {fifo});
    QVERIFY(reader.waitForStarted());
    TargetFile target(link);
    QVERIFY2(target.open(), qPrintable(target.errorString()));
    QVERIFY(target.writesInPlace());
    QVERIFY(target.write("rows\n") && target.commit());
    QVERIFY(reader.waitForFinished(60000));
    QCOMPARE(reader.readAllStandardOutput(), QByteArray("rows\n"));
    QVERIFY(S_ISFIFO(modeOf(fifo)));
    QVERIFY(QFileInfo(link).isSymLink());
}

void tst_TargetFile::deviceNodeIsWrittenInto()
{
    // A copy of the null device in the temporary folder stands in for /dev/null.
    if (::geteuid() != 0)
        QSKIP("device nodes can be made only by root; this test runs as another user");
    const QString device = m_dir.filePath(QStringLiteral("null"));
    QVERIFY(::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0);
    QVERIFY(writeThrough(device, "rows\n"));
    QVERIFY(S_ISCHR(modeOf(device)));
    QCOMPARE(QFileInfo(device).size(), 0);
}

void tst_TargetFile::failedWriteLeavesTheFileWhole()
{
    const QString path = m_dir.filePath(QStringLiteral("kept.txt"));
    QVERIFY(writeThrough(path, "kept\n"));
    {
        TargetFile target(path);
        QVERIFY(target.open() && target.write("partial"));
        // Never committed: dropped.
    }
    QCOMPARE(contents(path), QByteArray("kept\n"));
}

QTEST_GUILESS_MAIN(tst_TargetFile)
#include "tst_TargetFile.moc"
