#include "CommandRunner.h"
#include "ShellScript.h"
#include "StepFailure.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class tst_CommandRunner : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_folder;

    QString script(const QByteArray &body)
    {
        return shellScriptCommand(m_folder, QStringLiteral("command.sh"), body);
    }

private Q_SLOTS:
    void longOutputComesBackWholeAndInOrder()
    {
        // Well past one 1024-byte read, with two-byte characters to split across reads.
        QString expected;
        for (int i = 1; i <= 3000; ++i)
            expected += QStringLiteral("Zeile ü %1\n").arg(i);
        const QString command =
            script("i=1; while [ $i -le 3000 ]; do echo \"Zeile ü $i\"; i=$((i+1)); done");
        const QString output = RunCommandCaptureOutput(command, true, false, false);
        QCOMPARE(output.size(), expected.size());
        QCOMPARE(output, expected);
    }

    void capturedStreams_data()
    {
        QTest::addColumn<bool>("captureOutput");
        QTest::addColumn<bool>("captureErrors");
        QTest::addColumn<QString>("output");
        QTest::newRow("output only") << true << false << "one\nthree\n";
        QTest::newRow("errors only") << false << true << "two\n";
        QTest::newRow("both, in arrival order") << true << true << "one\ntwo\nthree\n";
    }
    void capturedStreams()
    {
        QFETCH(bool, captureOutput);
        QFETCH(bool, captureErrors);
        QFETCH(QString, output);
        const QString command = script("echo one; echo two >&2; echo three");
        QCOMPARE(RunCommandCaptureOutput(command, captureOutput, captureErrors, true), output);
    }

    void commandThatCannotStart_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::newRow("missing program") << "/nonexistent/folder/ping -c 1 host";
        QTest::newRow("program not on the path") << "tessaline-no-such-tool --version";
        QTest::newRow("empty command line") << "";
        QTest::newRow("blank command line") << "   ";
    }
    void commandThatCannotStart()
    {
        QFETCH(QString, commandLine);
        QCOMPARE(RunCommandCaptureOutput(commandLine, true, true, true),
                 QStringLiteral("Failed to create process, check the path of the command line."));
    }

    void capturingNothingFailsBeforeStarting()
    {
        const QString marker = m_folder.filePath(QStringLiteral("started"));
        try {
            RunCommandCaptureOutput(QStringLiteral("touch ") + marker, false, false, true);
            QFAIL("a command with no captured stream ran");
        } catch (const StepFailure &failure) {
            QCOMPARE(failure.description(), QStringLiteral("Invalid procedure call or argument"));
        }
        QVERIFY(!QFile::exists(marker));
    }

    void quotedArgumentsStayWhole()
    {
        QCOMPARE(RunCommandCaptureOutput(QStringLiteral("printf \"%s|%s\" \"a b\" c"), true, false,
                                         false),
                 QStringLiteral("a b|c"));
    }

    void childGetsNoInput()
    {
        // A child reading its input sees the end at once instead of waiting for the deadline.
        QCOMPARE(RunCommandCaptureOutput(script("cat; echo done"), true, false, false, 30'000),
                 QStringLiteral("done\n"));
    }

    void hungCommandIsKilledAndKeepsItsOutput()
    {
        const QString command = script("echo partial; exec sleep 60");
        QCOMPARE(RunCommandCaptureOutput(command, true, false, false, 300),
                 QStringLiteral("partial\n"));
    }
};

QTEST_GUILESS_MAIN(tst_CommandRunner)
#include "tst_CommandRunner.moc"
