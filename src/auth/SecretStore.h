#pragma once

#include <QString>

#include <optional>

// Secrets (app passwords, refresh tokens) in the desktop's secret store. Where no store answers,
// a secret is kept in this process's memory only, and sessionOnlyNotice() says so: it never
// falls back to a plain-text file.
class SecretStore
{
public:
    enum class Outcome { Stored, SessionOnly };

    explicit SecretStore(QString service = QStringLiteral("Tessaline"));

    Outcome write(const QString &key, const QString &secret);
    // nullopt when neither the store nor this session holds `key`.
    std::optional<QString> read(const QString &key);
    void remove(const QString &key);

    // Why the last write stayed in memory, in words for the user; empty while the store works.
    QString sessionOnlyNotice() const;
    // What the store said when the last write failed; empty while the store works.
    QString storeProblem() const { return m_storeProblem; }

    static QString appPasswordKey(const QString &user);
    static QString refreshTokenKey(const QString &user);

    // How long one request to the store may take (an unlock prompt may be open meanwhile).
    static constexpr int requestTimeoutMs = 60000;

private:
    QString m_service;
    QString m_storeProblem;
};
