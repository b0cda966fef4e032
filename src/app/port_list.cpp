// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/port_list.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QSerialPortInfo>
#include <QStandardItemModel>
#include <algorithm>

namespace vorna::app {

QString portEntryText(const QString &name, const QString &description)
{
    const QString about = description.trimmed();
    return about.isEmpty() ? name : name + QStringLiteral(" — ") + about;
}

QString portEntryName(const QString &portName, const QString &systemLocation)
{
#ifdef Q_OS_WIN
    Q_UNUSED(systemLocation);
    return portName;
#else
    if (systemLocation.isEmpty() || systemLocation == QStringLiteral("/dev/") + portName)
        return portName;
    return systemLocation;
#endif
}

namespace {

// "ttyUSB10" -> ("ttyUSB", "10").
std::pair<QStringView, QStringView> splitTrailingNumber(const QString &name)
{
    qsizetype cut = name.size();
    while (cut > 0 && name[cut - 1].isDigit())
        --cut;
    return {QStringView(name).first(cut), QStringView(name).sliced(cut)};
}

bool nameBefore(const QString &a, const QString &b)
{
    const auto [stemA, numberA] = splitTrailingNumber(a);
    const auto [stemB, numberB] = splitTrailingNumber(b);
    if (const int c = stemA.compare(stemB); c != 0)
        return c < 0;
    // Digit strings without leading zeros: the shorter is the smaller.
    const auto valueOf = [](QStringView digits) {
        while (digits.size() > 1 && digits.front() == u'0')
            digits = digits.sliced(1);
        return digits;
    };
    const QStringView valueA = valueOf(numberA);
    const QStringView valueB = valueOf(numberB);
    if (valueA.size() != valueB.size())
        return valueA.size() < valueB.size();
    if (const int c = valueA.compare(valueB); c != 0)
        return c < 0;
    return numberA.size() < numberB.size();
}

} // namespace

void sortPortEntries(QList<PortEntry> &entries)
{
    std::stable_sort(entries.begin(), entries.end(), [](const PortEntry &a, const PortEntry &b) {
        return nameBefore(a.name, b.name);
    });
}

QList<PortEntry> portEntries(const QList<QSerialPortInfo> &ports)
{
    QList<PortEntry> entries;
    entries.reserve(ports.size());
    for (const QSerialPortInfo &port : ports) {
        const QString name = portEntryName(port.portName(), port.systemLocation());
        entries.append({name, portEntryText(name, port.description())});
    }
    sortPortEntries(entries);
    return entries;
}

QList<PortEntry> presentPorts()
{
    return portEntries(QSerialPortInfo::availablePorts());
}

PortList *PortList::attach(QLineEdit *edit, Source source, link::Clock &clock)
{
    return new PortList(edit, std::move(source), clock);
}

PortList::PortList(QLineEdit *edit, Source source, link::Clock &clock)
    : QObject(edit), edit_(edit), source_(std::move(source)), clock_(clock),
      model_(new QStandardItemModel(this)), completer_(new QCompleter(model_, this))
{
    // Matched and inserted by name; the popup shows the name with its description.
    completer_->setCompletionRole(NameRole);
    completer_->setCaseSensitivity(Qt::CaseInsensitive);
    completer_->setFilterMode(Qt::MatchContains);
    completer_->setCompletionMode(QCompleter::PopupCompletion);
    completer_->setMaxVisibleItems(12);
    // A popup is a window of its own and would not take the field's font.
    completer_->popup()->setFont(edit_->font());
    edit_->setCompleter(completer_);
    edit_->installEventFilter(this);
    // Not listed yet: asking the system for its ports costs start-up time, and the
    // list is read afresh whenever the user turns to the field anyway.
}

void PortList::refresh()
{
    lastScan_ = clock_.nowMs();
    QList<PortEntry> entries = source_();
    if (entries == shown_)
        return;
    shown_ = std::move(entries);
    model_->clear();
    for (const PortEntry &entry : std::as_const(shown_)) {
        auto *item = new QStandardItem(entry.text);
        item->setData(entry.name, NameRole);
        item->setToolTip(entry.text);
        item->setEditable(false);
        model_->appendRow(item);
    }
    fitPopupWidth();
}

// The field is narrower than the descriptions; the popup would be cut to its width.
void PortList::fitPopupWidth()
{
    QAbstractItemView *popup = completer_->popup();
    int widest = 0;
    for (const PortEntry &entry : std::as_const(shown_))
        widest = std::max(widest, popup->fontMetrics().horizontalAdvance(entry.text));
    const int chrome = 2 * popup->frameWidth() + popup->verticalScrollBar()->sizeHint().width()
        + 4 * popup->fontMetrics().averageCharWidth();
    popup->setMinimumWidth(std::min(widest + chrome, 600));
}

void PortList::showAll()
{
    refresh();
    if (shown_.isEmpty())
        return;
    completer_->setCompletionPrefix(QString());
    completer_->complete();
}

bool PortList::popupVisible() const
{
    return completer_->popup() && completer_->popup()->isVisible();
}

bool PortList::eventFilter(QObject *watched, QEvent *event)
{
    // While the popup is shown the completer routes the keys past this filter, so the
    // model never changes under an open list.
    if (watched != edit_ || popupVisible())
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::FocusIn) {
        // The user turned to the field; the window's first focus at start-up is not that.
        switch (static_cast<QFocusEvent *>(event)->reason()) {
        case Qt::MouseFocusReason:
        case Qt::TabFocusReason:
        case Qt::BacktabFocusReason:
        case Qt::ShortcutFocusReason:
            refresh();
            break;
        default:
            break;
        }
    } else if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
        const bool opensList = (key->key() == Qt::Key_Down
                                && (mods == Qt::NoModifier || mods == Qt::AltModifier))
            || (key->key() == Qt::Key_F4 && mods == Qt::NoModifier);
        if (opensList && edit_->isEnabled() && !edit_->isReadOnly()) {
            showAll();
            return true;
        }
        // Before the field takes the key, so that its completion sees the fresh list.
        // Asking the system takes milliseconds a key: not for every key of a long text.
        if (!key->text().isEmpty() && (!lastScan_ || clock_.nowMs() - *lastScan_ >= kTypingRescanMs))
            refresh();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace vorna::app
