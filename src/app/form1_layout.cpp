// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCheckBox>
#include <QLabel>
#include <QProxyStyle>
#include <QPushButton>
#include <QToolButton>
#include <functional>

#include "app/error_box.h"
#include "app/field_edit.h"
#include "app/form1.h"
#include "app/form_tables.h"
#include "app/icon.h"
#include "app/port_list.h"
#include "app/radio_group.h"
#include "app/settings_controls.h"
#include "app/tcgauge.h"

namespace vorna::app {

using layout::Tint;
using link::memory::kGuardians;
using link::memory::kLockers;

namespace {

const QString kCaption = QStringLiteral("Ostek Programator Vorna v.4");

QFont windowFont()
{
    QFont font;
    // Later families stand in where the first is not installed.
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Arial"), QStringLiteral("Nimbus Sans"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

// Card numbers and digits line up in a fixed-pitch face.
QFont fieldFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Courier"), QStringLiteral("Courier New"),
                      QStringLiteral("Nimbus Mono PS"), QStringLiteral("Liberation Mono"),
                      QStringLiteral("DejaVu Sans Mono")});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(11);
    return font;
}

// Only the attributes set here override what the control inherits from the window.
QFont emphasis(bool bold, int pixelSize = 0)
{
    QFont font;
    if (bold)
        font.setBold(true);
    if (pixelSize > 0)
        font.setPixelSize(pixelSize);
    return font;
}

// Disabled controls keep the style's grey text.
void tint(QWidget *widget, QPalette::ColorRole role, Tint tint)
{
    if (tint == Tint::Window)
        return;
    QPalette palette = widget->palette();
    const QColor colour = layout::tintColour(tint);
    palette.setColor(QPalette::Active, role, colour);
    palette.setColor(QPalette::Inactive, role, colour);
    widget->setPalette(palette);
}

QString utf8(const char *text)
{
    return QString::fromUtf8(text);
}

QLabel *newLabel(QWidget *form, int number, const QString &text, Tint colour, bool bold = false)
{
    auto *label = new QLabel(text, form);
    label->setObjectName(QStringLiteral("Label%1").arg(number));
    label->setTextFormat(Qt::PlainText);
    if (bold)
        label->setFont(emphasis(true));
    tint(label, QPalette::WindowText, colour);
    return label;
}

// A label given by its top-left point fits its text.
QLabel *newLabel(QWidget *form, const layout::LabelSpec &def)
{
    QLabel *label = newLabel(form, def.number, utf8(def.text), def.tint);
    label->move(def.at);
    label->adjustSize();
    label->resize(label->width(), layout::kLabelHeight);
    return label;
}

FieldEdit *newEdit(QWidget *form, int number, const QString &text, const QRect &place,
                   const QString &name)
{
    auto *edit = new FieldEdit(text, form);
    edit->setObjectName(QStringLiteral("Edit%1").arg(number));
    edit->setGeometry(place);
    edit->setTypingLimit(layout::typingLimitOf(number));
    if (number >= 2 && number <= 56)
        edit->setFont(fieldFont());
    edit->setAccessibleName(name);
    return edit;
}

QPushButton *newButton(QWidget *form, const layout::ButtonSpec &def)
{
    auto *button = new QPushButton(utf8(def.caption), form);
    button->setObjectName(QStringLiteral("Button%1").arg(def.number));
    button->setGeometry(def.place);
    if (def.bold || def.pixelSize > 0)
        button->setFont(emphasis(def.bold, def.pixelSize));
    tint(button, QPalette::ButtonText, def.tint);
    if (def.hint)
        button->setToolTip(utf8(def.hint));
    button->setAccessibleName(utf8(def.name ? def.name : def.caption));
    return button;
}

// The guardian grid's boxes are 30 pixels wide with a two-digit caption beside them:
// they need a tighter gap between caption and box than styles give.
class GridCheckStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption *option,
                    const QWidget *widget) const override
    {
        if (metric == PM_CheckBoxLabelSpacing)
            return 3;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

} // namespace

TForm1::TForm1(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint
                          | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(kCaption);
    setFixedSize(layout::kClientSize);
    setWindowIcon(vornaIcon());
    setFont(windowFont());
    buildControls();
    wireHandlers();
    initLink();
}

TForm1::~TForm1() = default;

// Controls are made in the order the keyboard focus should visit them.
void TForm1::buildControls()
{
    using namespace layout;
    auto addButton = [this](int number) { buttons_[number] = newButton(this, buttonSpec(number)); };

    // Top strip: port, device address, card type, project files.
    labels_[2] = newLabel(this, kTopLabels[0]);
    edits_[1] = newEdit(this, 1, QStringLiteral("COM2"), {32, 24, 49, 21}, labels_[2]->text());
    labels_[2]->setBuddy(edits_[1]);
    PortList::attach(edits_[1]);
    addButton(1);
    addButton(38);
    labels_[68] = newLabel(this, kTopLabels[1]);
    edits_[57] = newEdit(this, 57, QStringLiteral("1"), {300, 24, 33, 21},
                         labels_[68]->text().trimmed());
    labels_[68]->setBuddy(edits_[57]);
    addButton(46);
    radioGroup1_ = new RadioGroup(QStringLiteral(" Typ karty "),
                                  {QStringLiteral("Unique"), QStringLiteral("MiFare 4B"),
                                   QStringLiteral("MiFare 7B")},
                                  3, this);
    radioGroup1_->setObjectName(QStringLiteral("RadioGroup1"));
    radioGroup1_->setGeometry(472, 8, 337, 41);
    radioGroup1_->setItemIndex(0);
    radioGroup1_->setAccessibleName(QStringLiteral("Typ karty"));
    addButton(42);
    addButton(43);

    // Opening times, in tenths of a second.
    for (const TimeRow &row : kTimeRows) {
        QLabel *label = newLabel(this, row.label);
        labels_[row.label.number] = label;
        QString name = label->text();
        name.chop(1); // the colon
        edits_[row.edit] = newEdit(this, row.edit, QStringLiteral("100"),
                                   {row.editLeft, 64, 33, 21},
                                   QStringLiteral("Czas otwarcia %1 (x 0,1s)").arg(name));
        label->setBuddy(edits_[row.edit]);
        labels_[row.unitLabel] =
            newLabel(this, {row.unitLabel, "x 0,1s", {row.unitLeft, 68}, Tint::Window});
    }
    addButton(40);
    addButton(39);

    // Card numbers: label, field and capture button per card slot.
    for (int slot = 0; slot < link::memory::kCardSlots; ++slot) {
        const int k = cardEdit(slot);
        const CardRow &row = kCardRows[std::size_t(slot)];
        QLabel *label = newLabel(this, {row.label, row.text, cardLabelAt(k), row.tint});
        labels_[row.label] = label;
        edits_[k] = newEdit(this, k, QStringLiteral("FFFFFFFFFF"), cardFieldRect(k), label->text());
        label->setBuddy(edits_[k]);
        auto *capture = new QPushButton(QStringLiteral("Z czytnika"), this);
        capture->setObjectName(QStringLiteral("Button%1").arg(k));
        capture->setGeometry(captureButtonRect(k));
        capture->setAccessibleName(QStringLiteral("Z czytnika - %1").arg(label->text()));
        buttons_[k] = capture;
    }
    addButton(35);
    addButton(34);

    // Locker numbers shown on the LED displays.
    for (int n = 1; n <= kLockers; ++n) {
        const int number = lockerLabelNumber(n);
        QLabel *label = newLabel(this, number, QStringLiteral("Numer szafki %1").arg(n),
                                 Tint::Window);
        label->move(lockerLabelAt(n));
        label->adjustSize();
        label->resize(label->width(), kLabelHeight);
        labels_[number] = label;
        const int field = lockerEdit(n - 1);
        edits_[field] = newEdit(this, field, QStringLiteral("000"), lockerFieldRect(n), label->text());
        label->setBuddy(edits_[field]);
        if (n == 1)
            addButton(41);
    }
    addButton(36);
    addButton(37);

    // Locker opening: two rows of ten flat buttons.
    for (int n = 1; n <= kLockers; ++n) {
        auto *button = new QToolButton(this);
        button->setObjectName(QStringLiteral("SpeedButton%1").arg(n));
        button->setText(QString::number(n));
        button->setAutoRaise(true);
        button->setGeometry(speedButtonRect(n));
        button->setFont(emphasis(true));
        tint(button, QPalette::ButtonText, Tint::Teal);
        button->setAccessibleName(QStringLiteral("Otwórz szafkę %1").arg(n));
        speedButtons_[n] = button;
    }

    // Guardian assignment: one column of twenty boxes per guardian card.
    addButton(44);
    addButton(45);
    auto *gridStyle = new GridCheckStyle;
    for (int g = 1; g <= kGuardians; ++g) {
        const int number = kGuardianHeaderLabels[std::size_t(g - 1)];
        QLabel *header = newLabel(this, number, QStringLiteral("Op.%1").arg(g), Tint::Maroon);
        header->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        header->move(guardianHeaderAt(g));
        header->adjustSize();
        header->resize(header->width(), kLabelHeight);
        labels_[number] = header;
        for (int n = 1; n <= kLockers; ++n) {
            const int index = guardianBox(g - 1, n - 1);
            auto *box = new QCheckBox(QString::number(n), this);
            box->setObjectName(QStringLiteral("CheckBox%1").arg(index));
            // Caption on the left of the box.
            box->setLayoutDirection(Qt::RightToLeft);
            box->setStyle(gridStyle);
            box->setGeometry(checkBoxRect(index));
            box->setAccessibleName(QStringLiteral("Op.%1 szafka %2").arg(g).arg(n));
            checkBoxes_[std::size_t(index)] = box;
        }
    }
    // Made a child after the boxes, so it is deleted after them.
    gridStyle->setParent(this);

    // Headers, gauges and the status line take no focus; their order does not matter.
    for (const HeaderSpec &def : kHeaders) {
        QLabel *header = newLabel(this, def.number, utf8(def.text), Tint::Window, true);
        header->setAlignment(Qt::AlignCenter);
        header->setGeometry(def.box);
        labels_[def.number] = header;
    }
    for (const GaugeSpec &def : kGauges) {
        auto *gauge = new TCGauge(this);
        gauge->setObjectName(QStringLiteral("CGauge%1").arg(def.number));
        gauge->setGeometry(def.place);
        gauge->setMaxValue(def.maxValue);
        gauge->setAccessibleName(utf8(def.name));
        gauges_[std::size_t(def.number)] = gauge;
    }
    labels_[1] = newLabel(this, 1, QStringLiteral("..."), Tint::Window);
    labels_[1]->setGeometry(32, 580, 1073, kLabelHeight);

    // The controls that need an open port.
    for (int n = 2; n <= 37; ++n)
        buttons_[n]->setEnabled(false);
    for (int n : {39, 40, 44, 45, 46})
        buttons_[n]->setEnabled(false);
    for (int n = 1; n <= kLockers; ++n)
        speedButtons_[n]->setEnabled(false);
}

namespace {

// Every handler runs under the guard: an exception that escapes it ends in the error
// box, and the window goes on.
template <typename Button>
void onClick(TForm1 *form, Button *button, std::function<void()> handler)
{
    QObject::connect(button, &QAbstractButton::clicked, form,
                     [form, handler = std::move(handler)] { guardedCall(form, handler); });
}

} // namespace

void TForm1::wireHandlers()
{
    const std::pair<int, void (TForm1::*)()> clicks[] = {
        {1, &TForm1::Button1Click},   {38, &TForm1::Button38Click}, {35, &TForm1::Button35Click},
        {34, &TForm1::Button34Click}, {36, &TForm1::Button36Click}, {37, &TForm1::Button37Click},
        {41, &TForm1::Button41Click}, {40, &TForm1::Button40Click}, {39, &TForm1::Button39Click},
        {44, &TForm1::Button44Click}, {45, &TForm1::Button45Click}, {46, &TForm1::Button46Click},
        {42, &TForm1::Button42Click}, {43, &TForm1::Button43Click},
    };
    for (const auto &[number, slot] : clicks)
        onClick(this, buttons_[std::size_t(number)], [this, slot = slot] { (this->*slot)(); });
    // A capture button fills the card field of its own number.
    for (int n = 2; n <= 33; ++n)
        onClick(this, buttons_[std::size_t(n)], [this, n] { ReadCardFromReader(n); });
    for (int n = 1; n <= kLockers; ++n)
        onClick(this, speedButtons_[std::size_t(n)], [this, n] { OpenLocker(n - 1); });
    connect(radioGroup1_, &RadioGroup::itemClicked, this,
            [this] { guardedCall(this, [this] { RadioGroup1Click(); }); });
}

void TForm1::setStatus(const QString &text)
{
    labels_[1]->setText(text);
}

int TForm1::cardTypeIndex() const
{
    return radioGroup1_->itemIndex();
}

} // namespace vorna::app
