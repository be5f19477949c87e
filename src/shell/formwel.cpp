#include "formwel.h"

#include "platform/core/jpeg.h"
#include "platform/core/seams.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QWindow>

Tformwel *formwel = nullptr;

Tformwel::Tformwel(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("formwel"));
    setWindowTitle(QStringLiteral("国家SorvelQuenta〔V6.0〕"));
    setFixedSize(800, 600);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, 800, 600);
    QFile f(QStringLiteral(":/splash.jpg"));
    if (f.open(QIODevice::ReadOnly)) {
        const QImage img = platform::decodeJpeg(f.readAll());
        if (!img.isNull())
            Image1->setPixmap(QPixmap::fromImage(img.scaled(800, 600)));
    }
    Timer1 = new platform::Timer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(5000);
    connect(Timer1, &platform::Timer::timeout, this, &Tformwel::Timer1Timer);
}

void Tformwel::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (QScreen *s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
    Timer1->start();
}

void Tformwel::showWhileStarting()
{
    setWindowModality(Qt::ApplicationModal);
    show();
    // Let the window system map and expose it, and paint it once.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 100 && !(windowHandle() && windowHandle()->isExposed()))
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void Tformwel::Timer1Timer()
{
    Timer1->stop();
    m_timedOut = true;
    close();
}
