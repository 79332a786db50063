#pragma once

#include <QPixmap>
#include <QTimer>
#include <QWidget>

namespace murk {

// The small animation of the windows: a shield whose light sweeps round,
// painted here and driven by a timer.
class TAnimate : public QWidget {
    Q_OBJECT
public:
    explicit TAnimate(QWidget* parent = nullptr);

    void Play();
    void Stop();
    bool Active() const { return FTimer.isActive(); }

    QSize sizeHint() const override { return {32, 32}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer FTimer;
    int FFrame = 0;
};

// The product logo, the same shield as the installed icon.
QPixmap MurkwellLogo(int side);

}  // namespace murk
