// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include "app/field_edit.h"
#include "app/form1.h"
#include "app/settings_controls.h"
#include "app/tcgauge.h"
#include "ops/card_list.h"
#include "ops/device_address.h"
#include "ops/fields.h"
#include "ops/guardians.h"
#include "ops/locker_numbers.h"
#include "ops/locker_opening.h"
#include "ops/opening_times.h"
#include "ops/reader_capture.h"
#include "ops/texts.h"

// The window's side of the controller operations: read the controls, run the
// operation, put its results back. The operations report progress and status
// through the environment built here.
namespace vorna::app {

using link::memory::kCardSlots;
using link::memory::kGuardians;
using link::memory::kLockers;
using ops::Outcome;

// `op` runs one operation and gives its outcome. One started during another one's wait
// is refused by its entry (Busy): the click beeps, and the steps below (closing the
// port or the window) are left to the waiting operation, never taken inside its wait.
template <typename Op> void TForm1::runOperation(Op &&op, OpKind kind)
{
    if (op() == Outcome::Busy) {
        QApplication::beep();
        return;
    }
    if (quitAfterOperation_) {
        quitAfterOperation_ = false;
        closePortAfterOperation_ = false;
        close();
        return;
    }
    if (closePortAfterOperation_) {
        closePortAfterOperation_ = false;
        closePort(kind == OpKind::SettingsWrite ? ops::texts::kPortClosedWriteInterrupted
                                                : ops::texts::kPortClosed);
    } else if (exchange_.portLost() || (exchange_.port() && !port_.isOpen())) {
        // The device went away during the wait: keep the operation's time-out text.
        closePort(statusLine()->text());
    }
}

ops::Env TForm1::makeEnv(TCGauge *gauge)
{
    ops::Env env{exchange_, [this] { return ops::deviceAddressField(edit(57)->text()); },
                 [this](const QString &t) { setStatus(t); }};
    if (gauge)
        env.progress = [gauge](int p) { gauge->setProgress(p); };
    return env;
}

void TForm1::RadioGroup1Click()
{
    const int maxLength = ops::cardMaxLength(cardTypeIndex());
    for (int s = 0; s < kCardSlots; ++s)
        setTypingLimit(edit(cardEdit(s)), maxLength);   // texts already there stay whole
}

void TForm1::Button35Click()
{
    runOperation([this] {
        const auto read = ops::readCardList(makeEnv(gauge(1)));
        if (read.outcome == Outcome::Done) {
            const int type = cardTypeIndex();
            for (int s = 0; s < kCardSlots; ++s)
                edit(cardEdit(s))->setText(ops::CardRecordToText(read.records[std::size_t(s)], type));
        }
        return read.outcome;
    });
}

void TForm1::Button34Click()
{
    runOperation([this] {
        std::array<QString, kCardSlots> texts;
        for (int s = 0; s < kCardSlots; ++s)
            texts[std::size_t(s)] = edit(cardEdit(s))->text();
        const auto write = ops::writeCardList(makeEnv(gauge(1)), texts, cardTypeIndex());
        if (write.outcome == Outcome::InvalidInput)
            edit(cardEdit(write.firstBadSlot))->setFocus();
        return write.outcome;
    }, OpKind::SettingsWrite);
}

void TForm1::ReadCardFromReader(int editNumber)
{
    runOperation([this, editNumber] {
        const auto capture = ops::ReadCardFromReader(makeEnv(nullptr));
        if (capture.outcome == Outcome::Done)
            edit(editNumber)->setText(capture.text);
        return capture.outcome;
    });
}

void TForm1::Button36Click()
{
    runOperation([this] {
        const auto read = ops::readLockerNumbers(makeEnv(gauge(2)));
        if (read.outcome == Outcome::Done)
            for (int p = 0; p < kLockers; ++p)
                edit(lockerEdit(p))->setText(read.texts[std::size_t(p)]);
        return read.outcome;
    });
}

ops::LockerTexts TForm1::lockerTexts() const
{
    ops::LockerTexts texts;
    for (int p = 0; p < kLockers; ++p)
        texts[std::size_t(p)] = edit(lockerEdit(p))->text();
    return texts;
}

void TForm1::Button37Click()
{
    runOperation([this] {
        const auto write = ops::writeLockerNumbers(makeEnv(gauge(2)), lockerTexts());
        if (write.outcome == Outcome::InvalidInput)
            edit(lockerEdit(write.firstBadLocker))->setFocus();
        return write.outcome;
    }, OpKind::SettingsWrite);
}

void TForm1::Button41Click()
{
    const auto texts = ops::autoNumberLockers(edit(lockerEdit(0))->text());
    for (int p = 0; p < kLockers; ++p)
        edit(lockerEdit(p))->setText(texts[std::size_t(p)]);
}

void TForm1::Button40Click()
{
    runOperation([this] {
        const auto read = ops::readOpeningTimes(makeEnv(nullptr));
        if (read.outcome == Outcome::Done)
            for (std::size_t i = 0; i < read.texts.size(); ++i)
                edit(timeEdit(int(i)))->setText(read.texts[i]);
        return read.outcome;
    });
}

void TForm1::Button39Click()
{
    runOperation([this] {
        ops::OpeningTimes texts;
        for (std::size_t i = 0; i < texts.size(); ++i)
            texts[i] = edit(timeEdit(int(i)))->text();
        return ops::writeOpeningTimes(makeEnv(nullptr), texts);
    }, OpKind::SettingsWrite);
}

void TForm1::Button44Click()
{
    runOperation([this] {
        const auto read = ops::readGuardians(makeEnv(gauge(3)));
        if (read.outcome == Outcome::Done)
            for (int g = 0; g < kGuardians; ++g)
                for (int k = 0; k < kLockers; ++k)
                    checkBox(guardianBox(g, k))->setChecked(read.grid[std::size_t(g)][std::size_t(k)]);
        return read.outcome;
    });
}

void TForm1::Button45Click()
{
    runOperation([this] {
        ops::GuardianGrid grid{};
        for (int g = 0; g < kGuardians; ++g)
            for (int k = 0; k < kLockers; ++k)
                grid[std::size_t(g)][std::size_t(k)] = checkBox(guardianBox(g, k))->isChecked();
        return ops::writeGuardians(makeEnv(gauge(3)), grid);
    }, OpKind::SettingsWrite);
}

void TForm1::OpenLocker(int index)
{
    runOperation([this, index] { return ops::OpenLocker(makeEnv(nullptr), index, ops::byteField(edit(timeEdit(0))->text())); });
}

void TForm1::Button46Click()
{
    runOperation([this] { return ops::writeDeviceAddress(makeEnv(nullptr), ops::byteField(edit(57)->text())); });
}

} // namespace vorna::app
