#include "ScriptedPrompts.h"
#include "StepFailure.h"
#include "Steps.h"

#include <QTest>

#include <stdexcept>

class tst_Steps : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reportTextByteForByte()
    {
        ScriptedPrompts prompts;
        Steps steps(QStringLiteral("Form1.Form_Load"));
        steps(100, [] {});
        steps(106, [] { throw StepFailure(QStringLiteral("Type mismatch")); });

        QCOMPARE(prompts.boxes().size(), 1);
        const ScriptedPrompts::Box &box = prompts.boxes().first();
        QCOMPARE(box.title, QStringLiteral("Application Error"));
        QCOMPARE(box.icon, Prompts::Icon::Warning);
        QCOMPARE(box.buttons, Prompts::Buttons::Ok);
        QCOMPARE(box.text.toUtf8(),
                 QByteArray("Type mismatch\r\n"
                            "in Tessaline2021/08/31.Form1.Form_Load at line 106\r\r"
                            "Please email screenshot of this message to "
                            "support@tessaline.example"));
    }

    void descriptionOfEachKindOfFailure_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("description");
        QTest::newRow("step failure") << 0 << "clsImapSession component failure";
        QTest::newRow("standard exception") << 1 << "vector::_M_range_check";
        QTest::newRow("anything else") << 2 << "Unknown error";
    }
    void descriptionOfEachKindOfFailure()
    {
        QFETCH(int, kind);
        QFETCH(QString, description);
        ScriptedPrompts prompts;
        Steps steps(QStringLiteral("Form3.PushButton2_Click"));
        steps(104, [&] {
            if (kind == 0)
                throw StepFailure(description);
            if (kind == 1)
                throw std::out_of_range(description.toStdString());
            throw 42;
        });
        QCOMPARE(prompts.messageTexts().size(), 1);
        QVERIFY(prompts.messageTexts().first().startsWith(description + QLatin1String("\r\nin ")));
        QVERIFY(prompts.messageTexts().first().contains(
            QLatin1String(".Form3.PushButton2_Click at line 104\r\r")));
    }

    void laterStepsRunAfterAFailure()
    {
        ScriptedPrompts prompts;
        Steps steps(QStringLiteral("Main.CopyListViewToClipboardTab"));
        QStringList ran;
        QVERIFY(!steps(100, [] { throw StepFailure(QStringLiteral("first")); }));
        QVERIFY(steps(102, [&] { ran << QStringLiteral("102"); }));
        QVERIFY(!steps(104, [] { throw StepFailure(QStringLiteral("second")); }));
        QVERIFY(steps(106, [&] { ran << QStringLiteral("106"); }));

        QCOMPARE(ran, QStringList({QStringLiteral("102"), QStringLiteral("106")}));
        QCOMPARE(steps.failures(), 2);
        QCOMPARE(prompts.messageTexts().size(), 2);
        QVERIFY(prompts.messageTexts().at(0).contains(QLatin1String("at line 100")));
        QVERIFY(prompts.messageTexts().at(1).startsWith(QLatin1String("second\r\n")));
    }

    void failingStepInsideALoopReportsEveryRow()
    {
        ScriptedPrompts prompts;
        Steps steps(QStringLiteral("Main.CopyListViewToClipboardSpace"));
        int rowsVisited = 0;
        for (int row = 0; row < 500; ++row) {
            steps(110, [&] {
                ++rowsVisited;
                throw StepFailure(QStringLiteral("Invalid procedure call or argument"));
            });
        }
        bool finished = false;
        steps(112, [&] { finished = true; });

        QCOMPARE(rowsVisited, 500);
        QVERIFY(finished);
        QCOMPARE(prompts.boxes().size(), 500);
        for (const ScriptedPrompts::Box &box : prompts.boxes())
            QVERIFY(box.text.contains(QLatin1String("at line 110\r\r")));
    }

    void suffixCarriesTheLengthAtTheTimeOfFailure()
    {
        ScriptedPrompts prompts;
        Steps steps(QStringLiteral("Main.CopyListViewToClipboardEnter"));
        QString built;
        steps.setReportSuffix(
            [&] { return QStringLiteral("SelLength: ") + QString::number(built.size()); });
        steps(100, [&] { built = QStringLiteral("row one\r\nrow two"); });
        steps(102, [] { throw StepFailure(QStringLiteral("Out of memory")); });

        QCOMPARE(prompts.messageTexts().size(), 1);
        QVERIFY(prompts.messageTexts().first().endsWith(
            QLatin1String("support@tessaline.example\rSelLength: 16")));
    }
};

QTEST_GUILESS_MAIN(tst_Steps)
#include "tst_Steps.moc"
