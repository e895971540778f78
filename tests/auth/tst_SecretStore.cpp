#include "SecretStore.h"
#include "SettingsStore.h"
#include "StoredPasswordMove.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Run twice: inside a private D-Bus session with an unlocked keyring (with-keyring.sh), and
// with no secret service at all. Secrets must never reach the settings file.
class tst_SecretStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void keepsSecrets();
    void movesTheStoredPassword();

private:
    static bool hasSecretService() { return qEnvironmentVariableIsSet("TESSALINE_IN_PRIVATE_BUS"); }
    QString settingsText() const;

    std::unique_ptr<QTemporaryDir> m_settings;
};

void tst_SecretStore::init()
{
    m_settings = std::make_unique<QTemporaryDir>();
    UseSettingsFolder(m_settings->path());
}

QString tst_SecretStore::settingsText() const
{
    QFile file(SettingsFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

void tst_SecretStore::keepsSecrets()
{
    SecretStore store(QStringLiteral("Tessaline test"));
    const QString key = SecretStore::refreshTokenKey(QStringLiteral("tess@example.test"));
    const SecretStore::Outcome outcome = store.write(key, QStringLiteral("1//refresh"));
    if (hasSecretService()) {
        QCOMPARE(outcome, SecretStore::Outcome::Stored);
        QVERIFY(store.sessionOnlyNotice().isEmpty());
    } else {
        QCOMPARE(outcome, SecretStore::Outcome::SessionOnly);
        QVERIFY(
            store.sessionOnlyNotice().contains(QStringLiteral("only until the program closes")));
    }
    // Either way, a second reader in this run finds it.
    QCOMPARE(SecretStore(QStringLiteral("Tessaline test")).read(key), QStringLiteral("1//refresh"));
    store.remove(key);
    QCOMPARE(store.read(key), std::nullopt);
}

void tst_SecretStore::movesTheStoredPassword()
{
    SaveSetting(QStringLiteral("User"), QStringLiteral("tess@example.test"));
    SaveSetting(QStringLiteral("Password"), QStringLiteral("abcd efgh ijkl mnop"));
    SecretStore store(QStringLiteral("Tessaline test"));
    QString notice;
    const StoredPasswordMove::Result result = StoredPasswordMove::run(store, &notice);
    if (hasSecretService()) {
        QCOMPARE(result, StoredPasswordMove::Result::Moved);
        QVERIFY(!settingsText().contains(QStringLiteral("abcd")));
        QVERIFY(settingsText().contains(QStringLiteral("tess@example.test")));
        QCOMPARE(store.read(SecretStore::appPasswordKey(QStringLiteral("tess@example.test"))),
                 QStringLiteral("abcd efgh ijkl mnop"));
        QCOMPARE(StoredPasswordMove::run(store, &notice),
                 StoredPasswordMove::Result::NothingStored);
    } else {
        // Removing it without a store to take it would lose it; the user is told instead.
        QCOMPARE(result, StoredPasswordMove::Result::LeftInSettings);
        QVERIFY(notice.contains(QStringLiteral("still in the settings file")));
        QCOMPARE(GetSetting(QStringLiteral("Password")), QStringLiteral("abcd efgh ijkl mnop"));
    }
    store.remove(SecretStore::appPasswordKey(QStringLiteral("tess@example.test")));
}

QTEST_GUILESS_MAIN(tst_SecretStore)
#include "tst_SecretStore.moc"
