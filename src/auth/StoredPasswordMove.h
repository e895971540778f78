#pragma once

#include <QString>

class SecretStore;

// Earlier versions kept the "Remember me" password in the settings file. At start-up the
// window moves it into the secret store and clears it from the file.
class StoredPasswordMove
{
public:
    enum class Result {
        NothingStored,
        Moved,
        // No secret store answered: the password stays where it was until one does (removing
        // it would lose it), and `notice` says so.
        LeftInSettings,
    };

    static Result run(SecretStore &secrets, QString *notice);
};
