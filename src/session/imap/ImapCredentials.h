#pragma once

#include <QString>

#include <optional>

// What one sign-in sends: a password (LOGIN) or an OAuth 2.0 access token (AUTHENTICATE XOAUTH2).
struct ImapSignIn
{
    enum class Method { Login, XOAuth2 };

    Method method = Method::Login;
    QString user;
    QString secret; // the password or the access token

    bool operator==(const ImapSignIn &other) const = default;
};

// Who signs in. The channel asks at every sign-in and every reconnect, so a token source can hand
// out a fresh access token each time (refreshing an expired one).
class ImapCredentials
{
public:
    virtual ~ImapCredentials() = default;

    virtual QString user() const = 0;
    // nullopt, with `problem` saying why, when no secret can be had (for example a refresh the
    // token endpoint refused).
    virtual std::optional<ImapSignIn> signIn(QString *problem) = 0;
};

// A user name and password (or app password) given once.
class PasswordCredentials final : public ImapCredentials
{
public:
    PasswordCredentials(QString user, QString password)
        : m_signIn {ImapSignIn::Method::Login, std::move(user), std::move(password)}
    {
    }

    QString user() const override { return m_signIn.user; }
    std::optional<ImapSignIn> signIn(QString *) override { return m_signIn; }

private:
    ImapSignIn m_signIn;
};
