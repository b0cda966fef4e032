// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/radio_group.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <algorithm>

namespace vorna::app {

RadioGroup::RadioGroup(const QString &title, const QStringList &items, int columns,
                       QWidget *parent)
    : QGroupBox(title, parent), group_(new QButtonGroup(this)), columns_(std::max(columns, 1))
{
    for (const QString &text : items) {
        auto *button = new QRadioButton(text, this);
        group_->addButton(button, int(items_.size()));
        items_.append(button);
    }
    connect(group_, &QButtonGroup::idClicked, this, &RadioGroup::itemClicked);
    arrangeItems();
}

int RadioGroup::itemIndex() const
{
    return group_->checkedId();
}

void RadioGroup::setItemIndex(int index)
{
    if (index >= 0 && index < count()) {
        items_.at(index)->setChecked(true);
        return;
    }
    // An exclusive group never lets the last checked item go by itself.
    group_->setExclusive(false);
    for (QRadioButton *button : std::as_const(items_))
        button->setChecked(false);
    group_->setExclusive(true);
}

void RadioGroup::resizeEvent(QResizeEvent *event)
{
    QGroupBox::resizeEvent(event);
    arrangeItems();
}

// Columns share the width of the frame's inside; rows share its height.
void RadioGroup::arrangeItems()
{
    if (items_.isEmpty())
        return;
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    QRect inside =
        style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxContents, this);
    if (inside.isEmpty())
        inside = contentsRect();
    inside.adjust(6, 0, -2, 0);
    const int perColumn = (count() + columns_ - 1) / columns_;
    const int columnWidth = std::max(inside.width() / columns_, 1);
    const int rowHeight = std::max(inside.height() / perColumn, 1);
    const int top = inside.top() + (inside.height() - rowHeight * perColumn) / 2;
    for (int i = 0; i < count(); ++i) {
        const int column = i / perColumn;
        const int row = i % perColumn;
        items_.at(i)->setGeometry(inside.left() + column * columnWidth, top + row * rowHeight,
                                  columnWidth, rowHeight);
    }
}

} // namespace vorna::app
