// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QGroupBox>
#include <QList>

class QButtonGroup;
class QRadioButton;

namespace vorna::app {

// A framed group of radio items laid out in columns, filled column by column.
// itemIndex() is the checked item, or -1 while none is.
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString &title, const QStringList &items, int columns,
               QWidget *parent = nullptr);

    int count() const { return int(items_.size()); }
    QRadioButton *item(int index) const { return items_.at(index); }
    int itemIndex() const;
    // Does not emit itemClicked: that signal is for the user's choice only.
    void setItemIndex(int index);

signals:
    // The user clicked an item (mouse or keyboard).
    void itemClicked(int index);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void arrangeItems();

    QButtonGroup *group_;
    QList<QRadioButton *> items_;
    int columns_;
};

} // namespace vorna::app
