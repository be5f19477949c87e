// Draws the start-up picture and writes it as JPEG:
//   make_splash OUTPUT.jpg
// The result is kept in resources/; run this again only to change the picture.
#include "platform/core/jpeg.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

#include <cstdio>

namespace {

const QString kFamily = QStringLiteral("WenQuanYi Zen Hei");
const QString kTitle = QStringLiteral("国家SorvelQuenta〔V6.0〕");
const QString kSubtitle = QStringLiteral("科技成果登记系统");

void drawBackground(QPainter &p, const QRect &r)
{
    QLinearGradient sky(r.topLeft(), r.bottomRight());
    sky.setColorAt(0.0, QColor(0x0e, 0x2a, 0x4c));
    sky.setColorAt(0.55, QColor(0x17, 0x4a, 0x6e));
    sky.setColorAt(1.0, QColor(0x1d, 0x6b, 0x7a));
    p.fillRect(r, sky);

    QRadialGradient glow(QPointF(r.width() * 0.78, r.height() * 0.24), r.width() * 0.45);
    glow.setColorAt(0.0, QColor(255, 255, 255, 46));
    glow.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.fillRect(r, glow);
}

// Orbits with small bodies on them, above right; a field of dots below left.
void drawMotif(QPainter &p, const QRect &r)
{
    const QPointF centre(r.width() * 0.78, r.height() * 0.24);
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        p.save();
        p.translate(centre);
        p.rotate(-25 + i * 60);
        p.setPen(QPen(QColor(190, 225, 240, 90), 1.6));
        p.drawEllipse(QPointF(0, 0), 150, 54);
        const qreal a = qDegreesToRadians(40.0 + i * 110);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(240, 200, 110, 220));
        p.drawEllipse(QPointF(150 * qCos(a), 54 * qSin(a)), 5.5, 5.5);
        p.setBrush(Qt::NoBrush);
        p.restore();
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 215, 130, 235));
    p.drawEllipse(centre, 11, 11);

    for (int row = 0; row < 7; ++row)
        for (int col = 0; col < 12 - row; ++col) {
            const int alpha = 70 - row * 8 - col * 4;
            if (alpha <= 0)
                continue;
            p.setBrush(QColor(200, 230, 245, alpha));
            p.drawEllipse(QPointF(40 + col * 22, r.height() - 40 - row * 22), 2.4, 2.4);
        }

    // A quiet band behind the lower half, so the lettering reads cleanly.
    QLinearGradient band(0, r.height() * 0.52, 0, r.height() * 0.86);
    band.setColorAt(0.0, QColor(0, 0, 0, 0));
    band.setColorAt(0.5, QColor(0, 0, 0, 40));
    band.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.fillRect(QRectF(0, r.height() * 0.52, r.width(), r.height() * 0.34), band);
}

// The largest pixel size up to `wanted` at which `text` fits `width`.
QFont fitted(const QString &text, int wanted, int width)
{
    QFont f(kFamily);
    for (int size = wanted; size > 10; --size) {
        f.setPixelSize(size);
        if (QFontMetrics(f).horizontalAdvance(text) <= width)
            break;
    }
    return f;
}

void drawText(QPainter &p, const QRect &r)
{
    const QFont title = fitted(kTitle, 60, r.width() - 100);
    p.setFont(title);
    const QRect titleBox(0, int(r.height() * 0.55), r.width(), QFontMetrics(title).height());
    p.setPen(QColor(0, 0, 0, 90));
    p.drawText(titleBox.translated(2, 3), Qt::AlignCenter, kTitle);
    p.setPen(QColor(255, 255, 255));
    p.drawText(titleBox, Qt::AlignCenter, kTitle);

    const int ruleY = titleBox.bottom() + 18;
    QLinearGradient rule(r.width() * 0.2, 0, r.width() * 0.8, 0);
    rule.setColorAt(0.0, QColor(240, 200, 110, 0));
    rule.setColorAt(0.5, QColor(240, 200, 110, 230));
    rule.setColorAt(1.0, QColor(240, 200, 110, 0));
    p.fillRect(QRectF(r.width() * 0.2, ruleY, r.width() * 0.6, 2), rule);

    QFont sub = fitted(kSubtitle, 38, r.width() - 200);
    sub.setLetterSpacing(QFont::AbsoluteSpacing, 8);
    p.setFont(sub);
    p.setPen(QColor(215, 235, 245));
    p.drawText(QRect(0, ruleY + 18, r.width(), QFontMetrics(sub).height()), Qt::AlignCenter, kSubtitle);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_splash OUTPUT.jpg\n");
        return 2;
    }
    if (!QFontDatabase::families().contains(kFamily)) {
        std::fprintf(stderr, "font %s is not installed (fonts-wqy-zenhei)\n", qPrintable(kFamily));
        return 1;
    }

    QImage image(800, 600, QImage::Format_RGB32);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        drawBackground(p, image.rect());
        drawMotif(p, image.rect());
        drawText(p, image.rect());
    }

    QByteArray bytes;
    QString error;
    if (!platform::encodeJpeg(image, bytes, 88, &error)) {
        std::fprintf(stderr, "encoding failed: %s\n", qPrintable(error));
        return 1;
    }
    QFile out(QString::fromLocal8Bit(argv[1]));
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.flush()) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s: %lld bytes\n", argv[1], qint64(bytes.size()));
    return 0;
}
