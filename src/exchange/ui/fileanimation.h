#pragma once

#include <QTimer>
#include <QWidget>

// The working sign of the import: a sheet of paper going from one folder to
// another, over and over, while the window reads a package.  It moves only
// while started, on the window's own events.
class FileCopyAnimation : public QWidget {
    Q_OBJECT
public:
    explicit FileCopyAnimation(QWidget *parent = nullptr);

    void start();
    void stop();
    bool isRunning() const { return m_timer.isActive(); }
    // The picture shown (0 to Frames - 1).
    int frame() const { return m_frame; }
    static constexpr int Frames = 16;

    QSize sizeHint() const override { return {120, 44}; }

protected:
    void paintEvent(QPaintEvent *e) override;

private:
    QTimer m_timer;
    int m_frame = 0;
};
