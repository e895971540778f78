#pragma once

#include <QString>

// The texts of the boxes a failed connection shows, made from the component's failure text
// ("LOGIN failed, server replied: NO [ALERT] ..."). Paragraphs are separated by an empty line
// (CR LF CR LF), as in every box of the session.
class SignInFailureText
{
public:
    // The failed sign-in: the server's words after NO (word for word: an [ALERT] must reach the
    // user), advice for the case, and the offer of the pictures.
    static QString box(const QString &failure);
    // What the server said after NO or BAD; empty when the failure holds no reply of the server.
    static QString serverWords(const QString &failure);
    // The advice for what the server said.
    static QString advice(const QString &serverWords);

    // The failures that are not a refused sign-in, each with its own box (OK only).
    static QString connection(const QString &failure);
    static QString identification(const QString &failure);
    static QString mailbox(const QString &failure);
    static QString listing(const QString &failure);

    static constexpr auto appPasswordsAddress = "https://myaccount.google.com/apppasswords";
};
