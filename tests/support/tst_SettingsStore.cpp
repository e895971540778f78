#include "SettingsStore.h"
#include "StepFailure.h"
#include "TestEnvironment.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <sys/stat.h>

namespace {
// Permission bits as the file system holds them (owner and "user" are the same here).
QFileDevice::Permissions fileMode(const QString &path)
{
    return QFile::permissions(path)
        & (QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
           | QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
           | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther);
}

const QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Runs `body` with a permissive umask, so only the store itself can keep a new file private.
template<typename Body> void withOpenUmask(Body body)
{
    const mode_t previous = ::umask(0);
    body();
    ::umask(previous);
}
} // namespace

class tst_SettingsStore : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_configHome;
    std::unique_ptr<TestEnvironment> m_environment;

private Q_SLOTS:
    void initTestCase()
    {
        // The per-user store resolves its folder once; point it away from the real one first.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_configHome.path()));
    }

    void init()
    {
        m_environment = std::make_unique<TestEnvironment>();
        m_environment->resetSettings();
    }

    void storedTextComesBackVerbatim_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("empty") << "";
        QTest::newRow("boolean form") << "True";
        QTest::newRow("check form") << "0";
        QTest::newRow("password punctuation") << "p@ss,w;o\"r'd\\=[x]#%";
        QTest::newRow("list-like commas") << "a, b, c";
        QTest::newRow("blanks around") << "  padded  ";
        QTest::newRow("looks like a typed value") << "@Variant(abc)";
        QTest::newRow("line breaks") << "line1\r\nline2\nline3";
        QTest::newRow("comment marker") << "; not a comment";
        QTest::newRow("non-ASCII") << QStringLiteral("Grüße – 日本語 😀");
        QTest::newRow("text-set list") << "a!!!QWIXL!!!b!!!QWIXL!!!";
    }
    void storedTextComesBackVerbatim()
    {
        QFETCH(QString, value);
        SaveSetting(QStringLiteral("Password"), value);
        QCOMPARE(GetSetting(QStringLiteral("Password")), value);
        QCOMPARE(GetSetting(QStringLiteral("Password"), QStringLiteral("default")), value);
    }

    void absentKeyGivesTheDefaultAsText()
    {
        QCOMPARE(GetSetting(QStringLiteral("User")), QString());
        QCOMPARE(GetSetting(QStringLiteral("StayConnected"), QStringLiteral("0")),
                 QStringLiteral("0"));
        QCOMPARE(GetSetting(QStringLiteral("Option3"), 1), QStringLiteral("1"));
        QCOMPARE(GetSetting(QStringLiteral("Option4"), 0), QStringLiteral("0"));
        QVERIFY(ReadBooleanSetting(QStringLiteral("Option3"), 1));
        QVERIFY(!ReadBooleanSetting(QStringLiteral("Option4"), 0));
        QCOMPARE(ReadWholeNumberSetting(QStringLiteral("Check21"), 1), qint16(1));
    }

    void laterWriteReplacesEarlierOne()
    {
        SaveSetting(QStringLiteral("User"), QStringLiteral("someone@example.com"));
        SaveSetting(QStringLiteral("User"), QString());
        QCOMPARE(GetSetting(QStringLiteral("User"), QStringLiteral("fallback")), QString());
    }

    void severalValuesInOneWriteAndNoWriteWhenNothingChanged()
    {
        SaveSettings({{QStringLiteral("Option1"), QStringLiteral("True")},
                      {QStringLiteral("GmailSearch"), QString()}});
        QCOMPARE(GetSetting(QStringLiteral("Option1")), QStringLiteral("True"));
        QCOMPARE(GetSetting(QStringLiteral("GmailSearch"), QStringLiteral("absent")), QString());
        const auto inode = [] {
            struct stat status
            {
            };
            return ::stat(QFile::encodeName(SettingsFilePath()).constData(), &status) == 0
                ? status.st_ino
                : ino_t(0);
        };
        const ino_t written = inode();
        SaveSetting(QStringLiteral("Option1"), QStringLiteral("True"));
        QCOMPARE(inode(), written); // the file was not written again
        SaveSettings({{QStringLiteral("Option1"), QStringLiteral("True")},
                      {QStringLiteral("Option2"), QStringLiteral("False")}});
        QVERIFY(inode() != written); // written anew, so the check above could see a write
        QCOMPARE(GetSetting(QStringLiteral("Option2")), QStringLiteral("False"));
    }

    void keysAreIndependent()
    {
        SaveSetting(QStringLiteral("StartWith"), QStringLiteral("<b>"));
        SaveSetting(QStringLiteral("EndWith"), QStringLiteral("</b>"));
        QCOMPARE(GetSetting(QStringLiteral("StartWith")), QStringLiteral("<b>"));
        QCOMPARE(GetSetting(QStringLiteral("EndWith")), QStringLiteral("</b>"));
    }

    void storedFormsReadBack_data()
    {
        QTest::addColumn<bool>("state");
        QTest::newRow("set") << true;
        QTest::newRow("clear") << false;
    }
    void storedFormsReadBack()
    {
        QFETCH(bool, state);
        SaveSetting(QStringLiteral("Option7"), BooleanForm(state));
        SaveSetting(QStringLiteral("AutoConnect"), CheckForm(state));
        QCOMPARE(GetSetting(QStringLiteral("Option7")),
                 state ? QStringLiteral("True") : QStringLiteral("False"));
        QCOMPARE(GetSetting(QStringLiteral("AutoConnect")),
                 state ? QStringLiteral("1") : QStringLiteral("0"));
        QCOMPARE(ReadBooleanSetting(QStringLiteral("Option7"), 0), state);
        QCOMPARE(ReadWholeNumberSetting(QStringLiteral("AutoConnect"), 0), qint16(state));
    }

    void booleanRead_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("value");
        QTest::newRow("True") << "True" << true;
        QTest::newRow("FALSE") << "FALSE" << false;
        QTest::newRow("mixed case") << "tRuE" << true;
        QTest::newRow("one") << "1" << true;
        QTest::newRow("zero") << "0" << false;
        QTest::newRow("minus one") << "-1" << true;
        QTest::newRow("fraction") << "0.5" << true;
        QTest::newRow("zero point zero") << "0.0" << false;
        QTest::newRow("blanks") << " 0 " << false;
    }
    void booleanRead()
    {
        QFETCH(QString, text);
        QFETCH(bool, value);
        QCOMPARE(TextToBoolean(text), value);
    }

    void wholeNumberRead_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("one") << "1" << 1;
        QTest::newRow("lowest") << "-32768" << -32768;
        QTest::newRow("highest") << "32767" << 32767;
        QTest::newRow("half rounds to even down") << "2.5" << 2;
        QTest::newRow("half rounds to even up") << "3.5" << 4;
        QTest::newRow("blanks") << " 12 " << 12;
    }
    void wholeNumberRead()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(int(TextToWholeNumber(text)), value);
    }

    void unconvertibleTextFails_data()
    {
        QTest::addColumn<bool>("asBoolean");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("description");
        QTest::newRow("boolean: empty") << true << ""
                                        << "Type mismatch";
        QTest::newRow("boolean: word") << true << "abc"
                                       << "Type mismatch";
        QTest::newRow("boolean: yes") << true << "Yes"
                                      << "Type mismatch";
        QTest::newRow("boolean: nan") << true << "nan"
                                      << "Type mismatch";
        QTest::newRow("number: empty") << false << ""
                                       << "Type mismatch";
        QTest::newRow("number: word") << false << "abc"
                                      << "Type mismatch";
        QTest::newRow("number: boolean word") << false << "True"
                                              << "Type mismatch";
        QTest::newRow("number: nan") << false << "nan"
                                     << "Type mismatch";
        QTest::newRow("number: inf") << false << "inf"
                                     << "Type mismatch";
        QTest::newRow("number: above 16 bits") << false << "32768"
                                               << "Overflow";
        QTest::newRow("number: below 16 bits") << false << "-32769"
                                               << "Overflow";
        QTest::newRow("number: rounds above") << false << "32767.5"
                                              << "Overflow";
        QTest::newRow("number: huge") << false << "1e300"
                                      << "Overflow";
    }
    void unconvertibleTextFails()
    {
        QFETCH(bool, asBoolean);
        QFETCH(QString, text);
        QFETCH(QString, description);
        SaveSetting(QStringLiteral("Check22"), text);
        try {
            if (asBoolean)
                ReadBooleanSetting(QStringLiteral("Check22"), 1);
            else
                ReadWholeNumberSetting(QStringLiteral("Check22"), 1);
            QFAIL("conversion accepted unconvertible text");
        } catch (const StepFailure &failure) {
            QCOMPARE(failure.description(), description);
        }
    }

    void firstWriteCreatesAnOwnerOnlyFile()
    {
        const QString path = SettingsFilePath();
        QVERIFY(!QFile::exists(path));
        withOpenUmask([] { SaveSetting(QStringLiteral("Password"), QStringLiteral("secret")); });
        QVERIFY(QFile::exists(path));
        QCOMPARE(fileMode(path), OwnerOnly);
        withOpenUmask([] { SaveSetting(QStringLiteral("User"), QStringLiteral("me")); });
        QCOMPARE(fileMode(path), OwnerOnly);
    }

    void openFileLeftByAnotherProgramIsClosedDown()
    {
        const QString path = SettingsFilePath();
        QFile existing(path);
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.close();
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
        SaveSetting(QStringLiteral("Password"), QStringLiteral("secret"));
        QCOMPARE(fileMode(path), OwnerOnly);
    }

    void perUserStoreIsNamedForMakerAndProduct()
    {
        UseSettingsFolder(QString());
        const QString path = SettingsFilePath();
        QVERIFY2(path.startsWith(m_configHome.path()), qPrintable(path));
        QVERIFY2(path.endsWith(QLatin1String("/Marlowix/Tessaline.conf")), qPrintable(path));
        withOpenUmask([] { SaveSetting(QStringLiteral("StayConnected"), QStringLiteral("1")); });
        QCOMPARE(GetSetting(QStringLiteral("StayConnected"), QStringLiteral("0")),
                 QStringLiteral("1"));
        QCOMPARE(fileMode(path), OwnerOnly);
    }
};

QTEST_GUILESS_MAIN(tst_SettingsStore)
#include "tst_SettingsStore.moc"
