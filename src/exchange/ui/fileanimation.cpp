#include "exchange/ui/fileanimation.h"

#include <QPainter>
#include <QPainterPath>

namespace {

void drawFolder(QPainter &p, const QRectF &r)
{
    QPainterPath path;
    path.moveTo(r.left(), r.top() + 4);
    path.lineTo(r.left() + r.width() * 0.4, r.top() + 4);
    path.lineTo(r.left() + r.width() * 0.48, r.top());
    path.lineTo(r.right(), r.top());
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(QPen(QColor(0x9a, 0x74, 0x1c), 1));
    p.setBrush(QColor(0xf2, 0xc9, 0x4c));
    p.drawPath(path);
}

} // namespace

FileCopyAnimation::FileCopyAnimation(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Animate1"));
    setFixedSize(sizeHint());
    m_timer.setInterval(70);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_frame = (m_frame + 1) % Frames;
        update();
    });
}

void FileCopyAnimation::start()
{
    m_frame = 0;
    m_timer.start();
    update();
}

void FileCopyAnimation::stop()
{
    m_timer.stop();
    m_frame = 0;
    update();
}

void FileCopyAnimation::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF from(4, 16, 30, 24), to(width() - 34, 16, 30, 24);
    drawFolder(p, from);
    drawFolder(p, to);
    if (!isRunning())
        return;
    // The sheet rises from the first folder and comes down into the other.
    const qreal t = qreal(m_frame) / (Frames - 1);
    const qreal x = from.center().x() + (to.center().x() - from.center().x()) * t;
    const qreal y = from.top() - 2 - 14 * 4 * t * (1 - t);
    const QRectF sheet(x - 7, y - 4, 14, 18);
    p.setPen(QPen(Qt::darkGray, 1));
    p.setBrush(Qt::white);
    p.drawRect(sheet);
    p.setPen(QPen(QColor(0x60, 0x80, 0xc0), 1));
    for (int i = 0; i < 3; ++i)
        p.drawLine(QPointF(sheet.left() + 3, sheet.top() + 5 + i * 4), QPointF(sheet.right() - 3, sheet.top() + 5 + i * 4));
}
