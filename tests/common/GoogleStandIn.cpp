#include "GoogleStandIn.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

constexpr auto base64Url = QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals;

QString randomText()
{
    QByteArray bytes(18, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(QRandomGenerator::global()->bounded(256));
    return QString::fromLatin1(bytes.toBase64(base64Url));
}

QString decoded(const QUrlQuery &query, const QString &key)
{
    return query.queryItemValue(key, QUrl::FullyDecoded);
}

QByteArray json(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// The request line and headers, and the body once Content-Length bytes of it are in.
struct HttpRequest
{
    QByteArray method;
    QUrl target;
    QByteArray body;

    static std::optional<HttpRequest> parse(const QByteArray &received)
    {
        const qsizetype headerEnd = received.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return std::nullopt;
        const QList<QByteArray> lines = received.left(headerEnd).split('\n');
        qsizetype length = 0;
        for (const QByteArray &line : lines) {
            if (line.toLower().startsWith("content-length:"))
                length = line.mid(15).trimmed().toLongLong();
        }
        if (received.size() < headerEnd + 4 + length)
            return std::nullopt;
        const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
        HttpRequest request;
        request.method = requestLine.value(0);
        request.target = QUrl::fromEncoded(requestLine.value(1));
        request.body = received.mid(headerEnd + 4, length);
        return request;
    }
};

} // namespace

GoogleStandIn::GoogleStandIn(QObject *parent)
    : QObject(parent),
      m_server(std::make_unique<QTcpServer>()),
      m_browser(std::make_unique<QNetworkAccessManager>())
{
    connect(m_server.get(), &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

GoogleStandIn::~GoogleStandIn() = default;

bool GoogleStandIn::listen()
{
    return m_server->listen(QHostAddress::LocalHost, 0);
}

QUrl GoogleStandIn::authorizationUrl() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/auth").arg(m_server->serverPort()));
}

QUrl GoogleStandIn::tokenUrl() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/token").arg(m_server->serverPort()));
}

void GoogleStandIn::exportEnvironment() const
{
    qputenv("TESSALINE_OAUTH_AUTH_URL", authorizationUrl().toEncoded());
    qputenv("TESSALINE_OAUTH_TOKEN_URL", tokenUrl().toEncoded());
}

void GoogleStandIn::allowAccess(const QUrl &authorization, const QString &forgedState)
{
    QNetworkRequest request(authorization);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    QNetworkReply *reply = m_browser->get(request);
    connect(reply, &QNetworkReply::finished, this, [this, reply, forgedState] {
        QUrl loopback = reply->header(QNetworkRequest::LocationHeader).toUrl();
        if (!forgedState.isEmpty()) {
            QUrlQuery query(loopback);
            query.removeQueryItem(QStringLiteral("state"));
            query.addQueryItem(QStringLiteral("state"), forgedState);
            loopback.setQuery(query);
        }
        QNetworkReply *back = m_browser->get(QNetworkRequest(loopback));
        connect(back, &QNetworkReply::finished, back, &QObject::deleteLater);
        reply->deleteLater();
    });
}

QString GoogleStandIn::issueRefreshToken(const QString &user)
{
    const QString token = QStringLiteral("1//") + randomText();
    m_refreshTokens.insert(token, user);
    return token;
}

QString GoogleStandIn::accessTokenFor(const QString &user, const QDateTime &expiresAt)
{
    return QStringLiteral("at.%1.%2.%3")
        .arg(QString::fromLatin1(user.toUtf8().toBase64(base64Url)))
        .arg(expiresAt.toSecsSinceEpoch())
        .arg(randomText());
}

void GoogleStandIn::serve(QTcpSocket *socket)
{
    QByteArray received = socket->property("received").toByteArray() + socket->readAll();
    socket->setProperty("received", received);
    const std::optional<HttpRequest> request = HttpRequest::parse(received);
    if (!request)
        return;
    Reply reply {"404 Not Found", {}, {}};
    if (request->method == "GET" && request->target.path() == QLatin1String("/auth"))
        reply = authorize(QUrlQuery(request->target));
    else if (request->method == "POST" && request->target.path() == QLatin1String("/token"))
        reply = token(QUrlQuery(QString::fromUtf8(request->body)));
    socket->write("HTTP/1.1 " + reply.status + "\r\n" + reply.headers
                  + "Content-Length: " + QByteArray::number(reply.body.size())
                  + "\r\nConnection: close\r\n\r\n" + reply.body);
    socket->disconnectFromHost();
}

GoogleStandIn::Reply GoogleStandIn::authorize(const QUrlQuery &query)
{
    m_lastAuthorization = query;
    const QString redirect = decoded(query, QStringLiteral("redirect_uri"));
    const bool wellFormed = decoded(query, QStringLiteral("client_id")) == QLatin1String(clientId)
        && decoded(query, QStringLiteral("response_type")) == QLatin1String("code")
        && redirect.startsWith(QLatin1String("http://127.0.0.1:"))
        && decoded(query, QStringLiteral("code_challenge_method")) == QLatin1String("S256")
        && decoded(query, QStringLiteral("code_challenge")).size() == 43
        && !decoded(query, QStringLiteral("state")).isEmpty();
    if (!wellFormed)
        return {"400 Bad Request", {}, "malformed authorization request"};
    // Codes hold a slash, as the provider's do, so that their encoding is exercised.
    const QString code = QStringLiteral("4/") + randomText();
    m_codes.insert(code,
                   {decoded(query, QStringLiteral("login_hint")),
                    decoded(query, QStringLiteral("code_challenge")).toLatin1(), redirect});
    QUrl target(redirect);
    QUrlQuery answer;
    answer.addQueryItem(
        QStringLiteral("state"),
        QString::fromLatin1(QUrl::toPercentEncoding(decoded(query, QStringLiteral("state")))));
    answer.addQueryItem(QStringLiteral("code"), QString::fromLatin1(QUrl::toPercentEncoding(code)));
    answer.addQueryItem(
        QStringLiteral("scope"),
        QString::fromLatin1(QUrl::toPercentEncoding(decoded(query, QStringLiteral("scope")))));
    target.setQuery(answer);
    return {"302 Found", "Location: " + target.toEncoded() + "\r\n", {}};
}

GoogleStandIn::Reply GoogleStandIn::token(const QUrlQuery &form)
{
    if (decoded(form, QStringLiteral("client_id")) != QLatin1String(clientId)
        || decoded(form, QStringLiteral("client_secret")) != QLatin1String(clientSecret))
        return {"401 Unauthorized", "Content-Type: application/json\r\n",
                json({{QStringLiteral("error"), QStringLiteral("invalid_client")}})};
    const QString grant = decoded(form, QStringLiteral("grant_type"));
    if (grant == QLatin1String("authorization_code"))
        return exchangeCode(form);
    if (grant == QLatin1String("refresh_token"))
        return refresh(form);
    return {"400 Bad Request", "Content-Type: application/json\r\n",
            json({{QStringLiteral("error"), QStringLiteral("unsupported_grant_type")}})};
}

GoogleStandIn::Reply GoogleStandIn::exchangeCode(const QUrlQuery &form)
{
    ++m_codeExchanges;
    const PendingCode pending = m_codes.take(decoded(form, QStringLiteral("code")));
    const QByteArray verifier = decoded(form, QStringLiteral("code_verifier")).toLatin1();
    const QByteArray challenge =
        QCryptographicHash::hash(verifier, QCryptographicHash::Sha256).toBase64(base64Url);
    if (pending.challenge.isEmpty() || challenge != pending.challenge
        || decoded(form, QStringLiteral("redirect_uri")) != pending.redirectUri)
        return {"400 Bad Request", "Content-Type: application/json\r\n",
                json({{QStringLiteral("error"), QStringLiteral("invalid_grant")},
                      {QStringLiteral("error_description"), QStringLiteral("Bad Request")}})};
    return tokensFor(pending.user, issueRefreshToken(pending.user));
}

GoogleStandIn::Reply GoogleStandIn::refresh(const QUrlQuery &form)
{
    ++m_refreshes;
    const QString user = m_refreshTokens.value(decoded(form, QStringLiteral("refresh_token")));
    if (user.isEmpty())
        return {"400 Bad Request", "Content-Type: application/json\r\n",
                json({{QStringLiteral("error"), QStringLiteral("invalid_grant")},
                      {QStringLiteral("error_description"),
                       QStringLiteral("Token has been expired or revoked.")}})};
    return tokensFor(user, {});
}

GoogleStandIn::Reply GoogleStandIn::tokensFor(const QString &user, const QString &refreshToken)
{
    QJsonObject tokens {
        {QStringLiteral("access_token"),
         accessTokenFor(user, QDateTime::currentDateTimeUtc().addSecs(m_lifetimeSeconds))},
        {QStringLiteral("expires_in"), m_lifetimeSeconds},
        {QStringLiteral("token_type"), QStringLiteral("Bearer")},
        {QStringLiteral("scope"), QStringLiteral("https://mail.google.com/")},
    };
    if (!refreshToken.isEmpty())
        tokens.insert(QStringLiteral("refresh_token"), refreshToken);
    return {"200 OK", "Content-Type: application/json\r\n", json(tokens)};
}
