// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/tcgauge.h"

#include <QPainter>
#include <algorithm>

namespace vorna::app {

TCGauge::TCGauge(QWidget *parent) : QWidget(parent)
{
    // Everything is drawn here; nothing behind needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TCGauge::setMaxValue(int maxValue)
{
    maxValue = std::max(maxValue, 0);
    if (maxValue == maxValue_)
        return;
    maxValue_ = maxValue;
    progress_ = std::min(progress_, maxValue_);
    update();
}

void TCGauge::setProgress(int progress)
{
    progress = std::clamp(progress, 0, maxValue_);
    if (progress == progress_)
        return;
    const int before = percent();
    progress_ = progress;
    // An operation moves the gauge from inside its click handler, so wait for no
    // event loop: paint now.
    if (percent() != before)
        repaint();
}

int TCGauge::percent() const
{
    if (maxValue_ == 0)
        return 0;
    return int(qint64(progress_) * 100 / maxValue_);
}

void TCGauge::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(frame);

    const QRect inner = rect().adjusted(1, 1, -1, -1);
    const int barWidth =
        maxValue_ == 0 ? 0 : int(qint64(inner.width()) * progress_ / maxValue_);
    const QRect bar(inner.left(), inner.top(), barWidth, inner.height());
    p.fillRect(bar, Qt::black);

    const QString text = QStringLiteral("%1%").arg(percent());
    p.setFont(font());
    p.setPen(Qt::black);
    p.drawText(inner, Qt::AlignCenter, text);
    p.setClipRect(bar);
    p.setPen(Qt::white);
    p.drawText(inner, Qt::AlignCenter, text);
}

} // namespace vorna::app
