#pragma once

#include <QString>

// Google shows an app password as four groups of four lower-case letters ("abcd efgh ijkl
// mnop"), and users paste it with the spaces; the server wants it without them.
class AppPassword
{
public:
    // Exactly that shape loses its spaces; any other password is returned untouched.
    static QString normalised(const QString &password);
};
