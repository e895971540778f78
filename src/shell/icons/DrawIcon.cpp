// Draws tessaline.png, the program's icon: an envelope whose letter shows lines of text, the
// rows the program makes of mail. Run once, offscreen; the picture is committed beside this file.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int Size = 256;

void drawEnvelope(QPainter &painter, const QRectF &body)
{
    painter.setPen(QPen(QColor(0x1f, 0x4e, 0x79), 8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(QColor(0xe8, 0xf1, 0xfa));
    painter.drawRoundedRect(body, 14, 14);
    QPainterPath flap;
    flap.moveTo(body.topLeft() + QPointF(6, 6));
    flap.lineTo(body.center().x(), body.top() + body.height() * 0.55);
    flap.lineTo(body.topRight() + QPointF(-6, 6));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(flap);
}

void drawLetter(QPainter &painter, const QRectF &sheet)
{
    painter.setPen(QPen(QColor(0x5a, 0x5a, 0x5a), 4));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(sheet, 8, 8);
    // Rows of text, the last one ticked as in the result list.
    const qreal left = sheet.left() + 22;
    const qreal widths[] = {0.78, 0.62, 0.70, 0.48};
    for (int row = 0; row < 4; ++row) {
        const qreal y = sheet.top() + 24 + row * 20;
        const QColor colour = row == 3 ? QColor(0x2e, 0x8b, 0x57) : QColor(0x1f, 0x4e, 0x79);
        painter.setPen(QPen(colour, 9, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(left, y), QPointF(left + (sheet.width() - 44) * widths[row], y));
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication application(argc, argv);
    const QString target =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("tessaline.png");
    QImage image(Size, Size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    drawLetter(painter, QRectF(58, 14, 140, 130));
    drawEnvelope(painter, QRectF(16, 112, 224, 128));
    painter.end();
    return image.save(target) ? 0 : 1;
}
