// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QWidget>

namespace vorna::app {

// Horizontal progress bar with a single border: black bar on white, the percentage
// centred over it and drawn inverted where the bar lies under it. Minimum is 0.
class TCGauge : public QWidget {
    Q_OBJECT
public:
    explicit TCGauge(QWidget *parent = nullptr);

    int maxValue() const { return maxValue_; }
    void setMaxValue(int maxValue);
    int progress() const { return progress_; }
    // Clamped into 0..maxValue; repaints at once only when the percentage shown changes.
    void setProgress(int progress);
    // Whole part of 100 * progress / maxValue; 0 while maxValue is 0.
    int percent() const;

    QSize sizeHint() const override { return {100, 17}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int maxValue_ = 100;
    int progress_ = 0;
};

} // namespace vorna::app
