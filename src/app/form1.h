// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QWidget>
#include <array>

#include "link/exchange.h"
#include "link/qt_serial_port.h"
#include "ops/locker_numbers.h"
#include "ops/operation.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QCheckBox;
class QCloseEvent;

namespace vorna::app {

class TCGauge;
class RadioGroup;

// The one window. Its controls are the only store of settings; every operation is
// a click handler that reads them, runs, and writes its results back.
class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // Controls by their number: Edit1..Edit57, Button1..Button46, SpeedButton1..20,
    // CheckBox1..140, CGauge1..3, Label1..Label72 (null where the form has none).
    QLineEdit *edit(int n) const { return edits_.at(std::size_t(n)); }
    QPushButton *button(int n) const { return buttons_.at(std::size_t(n)); }
    QToolButton *speedButton(int n) const { return speedButtons_.at(std::size_t(n)); }
    QCheckBox *checkBox(int n) const { return checkBoxes_.at(std::size_t(n)); }
    TCGauge *gauge(int n) const { return gauges_.at(std::size_t(n)); }
    QLabel *label(int n) const { return labels_.at(std::size_t(n)); }
    RadioGroup *radioGroup1() const { return radioGroup1_; }
    QLabel *statusLine() const { return labels_[1]; }

    void setStatus(const QString &text);
    int cardTypeIndex() const;

    link::Exchange &exchange() { return exchange_; }
    link::QtSerialPort &port() { return port_; }

public slots:
    // Serial port
    void Button1Click();
    void Button38Click();
    // Card numbers, card list, reader capture
    void RadioGroup1Click();
    void Button35Click();
    void Button34Click();
    void ReadCardFromReader(int editNumber);
    // Locker numbers
    void Button36Click();
    void Button37Click();
    void Button41Click();
    // Opening times
    void Button40Click();
    void Button39Click();
    // Guardian assignment
    void Button44Click();
    void Button45Click();
    // Locker opening: locker index 0..19
    void OpenLocker(int index);
    // Device address
    void Button46Click();
    // Project file
    void Button42Click();
    void Button43Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();     // form1_layout.cpp
    void wireHandlers();      // form1_layout.cpp
    void initLink();          // form1_port.cpp: port, exchange and their signals
    void setPortControls(bool open);
    void closePort(const QString &status);
    void onPortLost();
    // A write of settings that a close cuts short leaves the controller half written.
    enum class OpKind { Other, SettingsWrite };
    template <typename Op> void runOperation(Op &&op, OpKind kind = OpKind::Other);
    ops::Env makeEnv(TCGauge *gauge);
    ops::LockerTexts lockerTexts() const;

    std::array<QLineEdit *, 58> edits_{};
    std::array<QPushButton *, 47> buttons_{};
    std::array<QToolButton *, 21> speedButtons_{};
    std::array<QCheckBox *, 141> checkBoxes_{};
    std::array<TCGauge *, 4> gauges_{};
    std::array<QLabel *, 73> labels_{};
    RadioGroup *radioGroup1_ = nullptr;

    link::QtSerialPort port_;
    link::Exchange exchange_;
    bool closePortAfterOperation_ = false;
    bool quitAfterOperation_ = false;
};

} // namespace vorna::app
