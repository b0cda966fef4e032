// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "project/settings.h"

namespace vorna::app {

class TForm1;

// Where the window shows each field of the settings: the one place that knows it.
int cardEdit(int slot);                    // card slot 0..31: Edit2..Edit33
int lockerEdit(int locker);                // locker 0..19: Edit34..Edit53
int timeEdit(int time);                    // opening time 0..2, block order: Edit54..Edit56
int guardianBox(int guardian, int locker); // guardian 0..6, locker 0..19: CheckBox1..CheckBox140

// The edit (Card, LockerNumber, OpeningTime) or check box (Guardian) of a field.
int controlOf(const project::SettingsField &field);

// The settings as the controls show them, for a file or a transfer.
project::Settings readSettings(const TForm1 &form);
// Shows every field of `settings` in its control.
void showSettings(TForm1 &form, const project::Settings &settings);

} // namespace vorna::app
