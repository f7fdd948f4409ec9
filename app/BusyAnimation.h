#pragma once

#include <QTimer>
#include <QWidget>

// A small looping animation shown while a command runs: a magnifying glass that circles
// over a computer screen, eight frames per round.
class TBusyAnimation : public QWidget {
    Q_OBJECT
public:
    static constexpr int FrameCount = 8;

    explicit TBusyAnimation(QWidget* parent = nullptr);

    // Starts or stops the loop; a stopped animation is also hidden.
    void SetActive(bool active);
    bool Active() const { return timer_.isActive(); }
    int Frame() const { return frame_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer timer_;
    int frame_ = 0;
};
