#include "PointerFeedback.h"
#include "TestEnvironment.h"
#include "WindowHelpers.h"

#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QtEndian>

#include <memory>

namespace {
const QColor Face(0x12, 0x34, 0x56);

// A window holding one control of every kind, with a distinctive button-face colour.
std::unique_ptr<QWidget> windowWithControls()
{
    auto window = std::make_unique<QWidget>();
    QPalette palette = window->palette();
    palette.setColor(QPalette::Button, Face);
    window->setPalette(palette);
    auto *frame = new QGroupBox(QStringLiteral("Frame"), window.get());
    frame->setObjectName("frame");
    new QCheckBox(frame);
    new QRadioButton(window.get());
    new QLabel(window.get());
    new QFrame(window.get());
    new QLineEdit(window.get());
    new QPushButton(window.get());
    new QPlainTextEdit(window.get());
    return window;
}

bool paintedWithFace(const QWidget *widget)
{
    return widget->autoFillBackground() && widget->palette().color(QPalette::Window) == Face;
}

// A one-picture cursor file with its hot spot at (x, y).
QByteArray cursorFile(int x, int y)
{
    QImage picture(32, 32, QImage::Format_ARGB32);
    picture.fill(Qt::black);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "ico").write(picture);
    QByteArray bytes = buffer.data();
    qToLittleEndian<quint16>(2, bytes.data() + 2); // a cursor, not an icon
    qToLittleEndian<quint16>(x, bytes.data() + 10);
    qToLittleEndian<quint16>(y, bytes.data() + 12);
    return bytes;
}
} // namespace

class tst_WindowHelpers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_environment = std::make_unique<TestEnvironment>(); }
    void dialogColours_data();
    void dialogColours();
    void visualSkin_data();
    void visualSkin();
    void handPointer();
    void hourglassWins();

private:
    void writeProgramFile(const QString &relative, const QByteArray &content) const;

    std::unique_ptr<TestEnvironment> m_environment;
};

void tst_WindowHelpers::writeProgramFile(const QString &relative, const QByteArray &content) const
{
    const QString path = QDir(m_environment->programFolder()).filePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

void tst_WindowHelpers::dialogColours_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<bool>("painted");
    QTest::newRow("frame") << "QGroupBox" << true;
    QTest::newRow("check box inside a frame") << "QCheckBox" << true;
    QTest::newRow("option button") << "QRadioButton" << true;
    QTest::newRow("label") << "QLabel" << true;
    QTest::newRow("plain frame") << "QFrame" << true;
    QTest::newRow("text box") << "QLineEdit" << false;
    QTest::newRow("push button") << "QPushButton" << false;
    QTest::newRow("multi-line text box") << "QPlainTextEdit" << false;
}

void tst_WindowHelpers::dialogColours()
{
    QFETCH(QString, className);
    QFETCH(bool, painted);
    const auto window = windowWithControls();
    ApplyDialogColours(window.get());
    QVERIFY(paintedWithFace(window.get()));
    const auto children = window->findChildren<QWidget *>();
    const auto control = std::find_if(children.cbegin(), children.cend(), [&](QWidget *child) {
        return QLatin1String(child->metaObject()->className()) == className;
    });
    QVERIFY(control != children.cend());
    QCOMPARE(paintedWithFace(*control), painted);
}

void tst_WindowHelpers::visualSkin_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("applied");
    QTest::newRow("no style file") << QString() << false;
    QTest::newRow("style file") << "x/o.cjs" << true;
    QTest::newRow("other name") << "x/o.css" << false;
    QTest::newRow("folder of that name") << "x/o.cjs/inner" << false;
}

void tst_WindowHelpers::visualSkin()
{
    QFETCH(QString, path);
    QFETCH(bool, applied);
    const QByteArray sheet = "QPushButton { font-weight: bold; }";
    if (!path.isEmpty())
        writeProgramFile(path, sheet);
    const auto window = windowWithControls();
    ApplyVisualSkin(window.get());
    QCOMPARE(window->styleSheet(), applied ? QString::fromLatin1(sheet) : QString());
    QCOMPARE(paintedWithFace(window.get()), applied);
    QCOMPARE(paintedWithFace(window->findChild<QGroupBox *>("frame")), applied);
}

void tst_WindowHelpers::handPointer()
{
    QCOMPARE(PointerFeedback::handPointer().shape(), Qt::PointingHandCursor);
    writeProgramFile("HAND-M.CUR", cursorFile(6, 2));
    const QCursor fromFile = PointerFeedback::handPointer();
    QCOMPARE(fromFile.shape(), Qt::BitmapCursor);
    QCOMPARE(fromFile.hotSpot(), QPoint(6, 2));
    writeProgramFile("HAND-M.CUR", "not a cursor");
    QCOMPARE(PointerFeedback::handPointer().shape(), Qt::PointingHandCursor);
}

void tst_WindowHelpers::hourglassWins()
{
    QWidget window;
    auto *help = new QPushButton(&window);
    auto *startStop = new QPushButton(&window);
    auto *feedback = new PointerFeedback(&window);
    feedback->handWhenIdle(help);
    feedback->handAlways(startStop);
    QCOMPARE(help->cursor().shape(), Qt::PointingHandCursor);

    window.setCursor(Qt::WaitCursor);
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(help, &enter);
    QCoreApplication::sendEvent(startStop, &enter);
    QCOMPARE(help->cursor().shape(), Qt::WaitCursor); // the window's hourglass shows through
    QCOMPARE(startStop->cursor().shape(), Qt::PointingHandCursor); // "Stop" stays clickable

    window.unsetCursor();
    QCoreApplication::sendEvent(help, &enter);
    QCOMPARE(help->cursor().shape(), Qt::PointingHandCursor);
}

QTEST_MAIN(tst_WindowHelpers)
#include "tst_WindowHelpers.moc"
