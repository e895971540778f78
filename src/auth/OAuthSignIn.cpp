#include "OAuthSignIn.h"

#include "Pkce.h"
#include "TokenEndpointError.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QOAuth2AuthorizationCodeFlow>
#include <QOAuthHttpServerReplyHandler>
#include <QTimer>

namespace {

using Parameters = QMultiMap<QString, QVariant>;

// The PKCE and Google parameters this Qt's flow does not add by itself.
QAbstractOAuth::ModifyParametersFunction addedParameters(const QByteArray &verifier,
                                                         const QString &user)
{
    return [verifier, user](QAbstractOAuth::Stage stage, Parameters *parameters) {
        if (stage == QAbstractOAuth::Stage::RequestingAuthorization) {
            parameters->replace(QStringLiteral("code_challenge"), Pkce::challenge(verifier));
            parameters->replace(QStringLiteral("code_challenge_method"), QStringLiteral("S256"));
            parameters->replace(QStringLiteral("access_type"), QStringLiteral("offline"));
            // Without it a second sign-in gets no refresh token.
            parameters->replace(QStringLiteral("prompt"), QStringLiteral("consent"));
            if (!user.isEmpty())
                parameters->replace(QStringLiteral("login_hint"), user);
        } else if (stage == QAbstractOAuth::Stage::RequestingAccessToken) {
            parameters->replace(QStringLiteral("code_verifier"), verifier);
            // The flow passes the code on still percent-encoded ("4%2F0A..."): the endpoint
            // would refuse it.
            const QString code = parameters->value(QStringLiteral("code")).toString();
            parameters->replace(QStringLiteral("code"), QUrl::fromPercentEncoding(code.toUtf8()));
        }
    };
}

QString refusedAnswer(const QVariantMap &values, const QString &state)
{
    const QString error = values.value(QStringLiteral("error")).toString();
    if (!error.isEmpty()) {
        const QString description = values.value(QStringLiteral("error_description")).toString();
        return QStringLiteral("Google refused the sign-in: %1")
            .arg(description.isEmpty() ? error : QUrl::fromPercentEncoding(description.toUtf8()));
    }
    if (values.value(QStringLiteral("state")).toString() != state)
        return QStringLiteral("The browser's answer did not belong to this sign-in, so it was "
                              "refused. Please try again.");
    return {};
}

// Google's answer comes to 127.0.0.1 at a port the system picks; nullptr when none is free.
QOAuthHttpServerReplyHandler *listenOnLoopback(QOAuth2AuthorizationCodeFlow &flow)
{
    auto *listener = new QOAuthHttpServerReplyHandler(QHostAddress::LocalHost, 0, &flow);
    if (!listener->isListening())
        return nullptr;
    listener->setCallbackText(
        QStringLiteral("Signed in. You can close this page and return to the program."));
    flow.setReplyHandler(listener);
    return listener;
}

} // namespace

OAuthSignIn::OAuthSignIn(OAuthClient client, QString user, OpenBrowser openBrowser)
    : m_client(std::move(client)), m_user(std::move(user)), m_openBrowser(std::move(openBrowser))
{
}

std::optional<OAuthTokens> OAuthSignIn::run(int timeoutMs, QString *problem,
                                            const std::function<bool()> &cancelRequested)
{
    QNetworkAccessManager network;
    QOAuth2AuthorizationCodeFlow flow(m_client.clientId, m_client.authorizationUrl,
                                      m_client.tokenUrl, &network);
    flow.setClientIdentifierSharedKey(m_client.clientSecret);
    flow.setScope(QString::fromLatin1(OAuthClient::scope));
    const QString state = QString::fromLatin1(Pkce::randomText(16));
    flow.setState(state);
    flow.setModifyParametersFunction(addedParameters(Pkce::randomText(48), m_user));
    QOAuthHttpServerReplyHandler *listener = listenOnLoopback(flow);
    if (!listener) {
        *problem = QStringLiteral("Could not listen on 127.0.0.1 for Google's answer.");
        return std::nullopt;
    }

    QEventLoop loop;
    QString failure;
    auto fail = [&](const QString &why) {
        if (failure.isEmpty())
            failure = why;
        loop.quit();
    };
    QObject::connect(listener, &QAbstractOAuthReplyHandler::callbackReceived, &loop,
                     [&](const QVariantMap &values) {
                         const QString refused = refusedAnswer(values, state);
                         if (!refused.isEmpty())
                             fail(refused);
                     });
    QObject::connect(&network, &QNetworkAccessManager::finished, &loop, [&](QNetworkReply *reply) {
        const TokenEndpointError error = TokenEndpointError::fromReply(reply);
        if (error.isError())
            fail(QStringLiteral("Google refused the sign-in: %1").arg(error.reason()));
    });
    QObject::connect(&flow, &QAbstractOAuth::granted, &loop, &QEventLoop::quit);
    QObject::connect(&flow, &QAbstractOAuth::authorizeWithBrowser, &loop, [&](const QUrl &url) {
        if (!m_openBrowser || !m_openBrowser(url))
            fail(QStringLiteral("Could not open a web browser at %1").arg(url.toString()));
    });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (cancelRequested && cancelRequested())
            fail(QStringLiteral("The sign-in with Google was cancelled."));
    });
    poll.start(100);
    QTimer::singleShot(timeoutMs, &loop, [&] {
        fail(QStringLiteral("Google's answer did not arrive in time. Please try again."));
    });
    QTimer::singleShot(0, &flow, &QAbstractOAuth::grant);
    loop.exec();

    if (!failure.isEmpty() || flow.status() != QAbstractOAuth::Status::Granted) {
        *problem = failure;
        return std::nullopt;
    }
    return OAuthTokens {flow.token(), flow.refreshToken(), flow.expirationAt().toUTC()};
}
