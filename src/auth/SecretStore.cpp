#include "SecretStore.h"

#include <QEventLoop>
#include <QHash>
#include <QTimer>
#include <qt6keychain/keychain.h>

namespace {

// Secrets that no store would take, for the rest of this run.
QHash<QString, QString> &sessionSecrets()
{
    static QHash<QString, QString> secrets;
    return secrets;
}

struct JobOutcome
{
    QKeychain::Error error = QKeychain::OtherError;
    QString errorText = QStringLiteral("the secret store did not answer in time");
    QString text;
};

// Starts `job` (deleted by itself when done) and waits for it.
JobOutcome runJob(QKeychain::Job *job)
{
    JobOutcome outcome;
    QEventLoop loop;
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&](QKeychain::Job *done) {
        outcome.error = done->error();
        outcome.errorText = done->errorString();
        if (auto *reading = qobject_cast<QKeychain::ReadPasswordJob *>(done))
            outcome.text = reading->textData();
        loop.quit();
    });
    QTimer::singleShot(SecretStore::requestTimeoutMs, &loop, &QEventLoop::quit);
    job->setInsecureFallback(false);
    job->start();
    loop.exec();
    return outcome;
}

} // namespace

SecretStore::SecretStore(QString service) : m_service(std::move(service)) { }

SecretStore::Outcome SecretStore::write(const QString &key, const QString &secret)
{
    auto *job = new QKeychain::WritePasswordJob(m_service);
    job->setKey(key);
    job->setTextData(secret);
    const JobOutcome outcome = runJob(job);
    if (outcome.error == QKeychain::NoError) {
        sessionSecrets().remove(key);
        m_storeProblem.clear();
        return Outcome::Stored;
    }
    sessionSecrets().insert(key, secret);
    m_storeProblem = outcome.errorText;
    return Outcome::SessionOnly;
}

std::optional<QString> SecretStore::read(const QString &key)
{
    const auto kept = sessionSecrets().constFind(key);
    if (kept != sessionSecrets().constEnd())
        return *kept;
    auto *job = new QKeychain::ReadPasswordJob(m_service);
    job->setKey(key);
    const JobOutcome outcome = runJob(job);
    if (outcome.error != QKeychain::NoError)
        return std::nullopt;
    return outcome.text;
}

void SecretStore::remove(const QString &key)
{
    sessionSecrets().remove(key);
    auto *job = new QKeychain::DeletePasswordJob(m_service);
    job->setKey(key);
    runJob(job);
}

QString SecretStore::sessionOnlyNotice() const
{
    if (m_storeProblem.isEmpty())
        return {};
    return QStringLiteral("No secret store answered (%1), so the password or sign-in is kept "
                          "only until the program closes; it is not written to disk.")
        .arg(m_storeProblem);
}

QString SecretStore::appPasswordKey(const QString &user)
{
    return user + QStringLiteral("/app-password");
}

QString SecretStore::refreshTokenKey(const QString &user)
{
    return user + QStringLiteral("/oauth-refresh-token");
}
