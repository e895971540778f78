#include "DovecotFixture.h"

#include <QDir>
#include <QProcess>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QtGlobal>

#include <string>

namespace {

[[noreturn]] void fixtureMissing(const QString &why)
{
    qFatal("Dovecot fixture unusable: %s. Run the CTest fixture (ctest -R fixture_dovecot) or "
           "`tests/fixtures/dovecot-fixture.sh start DIR` with TESSALINE_FIXTURE_DIR=DIR.",
           qPrintable(why));
}

// key=value lines; the value runs raw to the end of its line (passwords hold quotes).
QHash<QString, QString> readEnvFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fixtureMissing(QStringLiteral("cannot read %1").arg(path));
    QHash<QString, QString> values;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            values.insert(QString::fromUtf8(line.left(equals)),
                          QString::fromUtf8(line.mid(equals + 1)));
    }
    return values;
}

QString required(const QHash<QString, QString> &values, const char *key)
{
    const QString value = values.value(QString::fromLatin1(key));
    if (value.isEmpty())
        fixtureMissing(QStringLiteral("fixture.env has no %1").arg(QString::fromLatin1(key)));
    return value;
}

} // namespace

DovecotFixture::DovecotFixture()
{
    const QString dir = qEnvironmentVariable("TESSALINE_FIXTURE_DIR");
    if (dir.isEmpty())
        fixtureMissing(QStringLiteral("TESSALINE_FIXTURE_DIR is not set"));
    m_dir = dir;
    const auto values = readEnvFile(dir + QStringLiteral("/fixture.env"));
    m_host = required(values, "host");
    m_port = required(values, "port").toInt();
    m_caFile = required(values, "ca_file");
    m_untrustedCaFile = required(values, "untrusted_ca_file");
    m_user = required(values, "user");
    m_password = required(values, "password");
    m_quirkyUser = required(values, "quirky_user");
    m_quirkyPassword = required(values, "quirky_password");
    m_logFile = required(values, "log_file");
    m_seedDir = required(values, "seed_dir");
    for (const char *tree : {"googlemail", "french", "hidden"})
        m_treeUsers.insert(QString::fromLatin1(tree),
                           required(values, (std::string(tree) + "_user").c_str()));
    if (m_port <= 0)
        fixtureMissing(QStringLiteral("fixture.env has no valid port"));
}

bool DovecotFixture::kick(const QString &user) const
{
    QProcess doveadm;
    doveadm.start(QStringLiteral("doveadm"),
                  {QStringLiteral("-c"), m_dir + QStringLiteral("/dovecot.conf"),
                   QStringLiteral("kick"), user});
    if (!doveadm.waitForFinished(30000))
        return false;
    const QByteArray kicked = doveadm.readAllStandardOutput();
    if (doveadm.exitStatus() != QProcess::NormalExit || doveadm.exitCode() != 0) {
        qWarning().noquote() << "doveadm kick:" << doveadm.readAllStandardError();
        return false;
    }
    return kicked.contains(user.toUtf8()); // it names the users it disconnected
}

QString DovecotFixture::hostAndPort() const
{
    return m_host + QLatin1Char(':') + QString::number(m_port);
}

QStringList DovecotFixture::seedFiles(const QString &mailbox) const
{
    QDir folder(m_seedDir + QLatin1Char('/') + mailbox);
    QStringList files;
    for (const QString &name : folder.entryList({QStringLiteral("*.eml")}, QDir::Files, QDir::Name))
        files.append(folder.filePath(name));
    return files;
}

QStringList DovecotFixture::seededMailboxes() const
{
    QStringList mailboxes;
    const QDir seed(m_seedDir);
    QDirIterator it(m_seedDir, {QStringLiteral("*.eml")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString mailbox = seed.relativeFilePath(it.nextFileInfo().path());
        if (!mailboxes.contains(mailbox))
            mailboxes.append(mailbox);
    }
    mailboxes.sort();
    return mailboxes;
}

void DovecotFixture::exportToEnvironment() const
{
    qputenv("TESSALINE_IMAP_HOST", hostAndPort().toUtf8());
    qputenv("TESSALINE_CA_FILE", m_caFile.toUtf8());
}
