// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settings_controls.h"

#include <QCheckBox>
#include <QLineEdit>

#include "app/form1.h"
#include "project/key_table.h"

namespace vorna::app {

namespace {

using Kind = project::SettingsField::Kind;
namespace memory = link::memory;

// Each kind of field fills a run of controls in field order, from the first one
// (a guardian's twenty boxes one after another).
struct ControlRun {
    Kind kind;
    int first;
};
constexpr ControlRun kRuns[] = {
    {Kind::Card, 2}, {Kind::LockerNumber, 34}, {Kind::OpeningTime, 54}, {Kind::Guardian, 1}};

int firstControl(Kind kind)
{
    for (const ControlRun &run : kRuns) {
        if (run.kind == kind)
            return run.first;
    }
    qFatal("a kind of field without controls");
}

} // namespace

int controlOf(const project::SettingsField &field)
{
    const int place = field.kind == Kind::Guardian ? memory::kLockers * field.index + field.locker : field.index;
    return firstControl(field.kind) + place;
}

int cardEdit(int slot) { return controlOf(project::SettingsField::card(slot)); }
int lockerEdit(int locker) { return controlOf(project::SettingsField::lockerNumber(locker)); }
int timeEdit(int time) { return controlOf(project::SettingsField::openingTime(time)); }
int guardianBox(int guardian, int locker) { return controlOf(project::SettingsField::guardian(guardian, locker)); }

// The project file's keys name every field once.
project::Settings readSettings(const TForm1 &form)
{
    project::Settings settings;
    for (const project::ProjectKey &k : project::projectKeys()) {
        if (k.field.isText())
            fieldText(settings, k.field) = form.edit(controlOf(k.field))->text();
        else
            fieldTick(settings, k.field) = form.checkBox(controlOf(k.field))->isChecked();
    }
    return settings;
}

void showSettings(TForm1 &form, const project::Settings &settings)
{
    for (const project::ProjectKey &k : project::projectKeys()) {
        if (k.field.isText())
            form.edit(controlOf(k.field))->setText(fieldText(settings, k.field));
        else
            form.checkBox(controlOf(k.field))->setChecked(fieldTick(settings, k.field));
    }
}

} // namespace vorna::app
