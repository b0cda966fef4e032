// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QList>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "link/clock.h"

class QCompleter;
class QLineEdit;
class QSerialPortInfo;
class QStandardItemModel;

namespace vorna::app {

// One serial port as the port field's list offers it.
struct PortEntry {
    QString name; // what the field receives
    QString text; // what the list shows
    bool operator==(const PortEntry &) const = default;
};

// "ttyUSB0 — FT232R USB UART"; the name alone when there is no description.
QString portEntryText(const QString &name, const QString &description);

// What to type for a port: the short name of a device right under /dev, which the
// field maps back to it, else the full system location.
QString portEntryName(const QString &portName, const QString &systemLocation);

// Entries of the given ports, by name with numbers compared by value (ttyS2 before ttyS10).
QList<PortEntry> portEntries(const QList<QSerialPortInfo> &ports);
void sortPortEntries(QList<PortEntry> &entries);

// The serial ports present on the machine now.
QList<PortEntry> presentPorts();

// Offers the present serial ports as completions of a port name field. The list is
// read again whenever the user is about to see it (focus, opening it with Down or
// F4), and while typing at most once every kTypingRescanMs, so an adapter plugged in
// after start-up appears and a long text typed does not ask the system per key.
class PortList : public QObject {
    Q_OBJECT
public:
    using Source = std::function<QList<PortEntry>()>;
    static constexpr std::int64_t kTypingRescanMs = 1000;

    // The list lives as a child of the field.
    static PortList *attach(QLineEdit *edit, Source source = presentPorts,
                            link::Clock &clock = link::steadyClock());
    PortList(QLineEdit *edit, Source source, link::Clock &clock);

    QCompleter *completer() const { return completer_; }
    QStandardItemModel *model() const { return model_; }

    // Reads the ports again; the model is rebuilt only when they changed.
    void refresh();
    // Opens the list with every port, whatever the field holds.
    void showAll();

    // Model role of the name that a chosen entry puts into the field.
    static constexpr int NameRole = Qt::UserRole + 1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool popupVisible() const;
    void fitPopupWidth();

    QLineEdit *edit_;
    Source source_;
    link::Clock &clock_;
    std::optional<std::int64_t> lastScan_;
    QStandardItemModel *model_;
    QCompleter *completer_;
    QList<PortEntry> shown_;
};

} // namespace vorna::app
