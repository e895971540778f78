// Not a test: draws the main window signed in to the Dovecot fixture with a finished run, for the
// README. Usage: shell_screenshot OUTPUT.png (TESSALINE_FIXTURE_DIR names the running fixture).
#include "DovecotFixture.h"
#include "Form1.h"
#include "ResultListModel.h"
#include "ResultListView.h"
#include "ServerOverride.h"
#include "TestEnvironment.h"

#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
        return 2;
    }
    qputenv("TESSALINE_PING_COMMAND", "echo 64 bytes from 127.0.0.1");
    const DovecotFixture fixture;
    fixture.exportToEnvironment();
    const TestEnvironment environment; // a throw-away settings store

    Form1 window;
    window.setServerOverride(ServerOverride::fromEnvironment());
    window.Form_Load();
    window.resize(1180, 760);
    window.show();
    window.controls().Text7->setText(fixture.user());
    window.controls().Text6->setText(fixture.password());
    window.controls().PushButton17->click();
    window.controls().PushButton13->click();
    window.controls().Text1->setText(QStringLiteral("shipped"));
    window.controls().Text5->setText(QStringLiteral("1, 3"));
    for (int row : {0, 1, 2, 4})
        window.results().setChecked(row, true);
    window.controls().ListView1->setCurrentIndex(window.results().index(4));
    window.controls().ListView1->setFocus();

    int result = 1;
    QTimer::singleShot(500, &window, [&] {
        result = window.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
        QApplication::quit();
    });
    QApplication::exec();
    return result;
}
