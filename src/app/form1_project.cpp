// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>

#include "app/form1.h"
#include "ops/texts.h"
#include "app/settings_controls.h"
#include "project/project_file.h"

namespace vorna::app {

namespace {

constexpr char kLastChosen[] = "lastChosenFile";

// Each dialog is made on first use and lives as long as the window, so it can open
// with the name last chosen in it. On Windows it is the system's own dialog, as in
// every other program there; elsewhere Qt's, which behaves the same on every desktop.
QFileDialog *projectDialog(TForm1 *form, QFileDialog::AcceptMode mode)
{
    const bool save = mode == QFileDialog::AcceptSave;
    const QString name = save ? QStringLiteral("SaveDialog1") : QStringLiteral("OpenDialog1");
    if (auto *dialog = form->findChild<QFileDialog *>(name, Qt::FindDirectChildrenOnly))
        return dialog;

    auto *dialog = new QFileDialog(form);
    dialog->setObjectName(name);
#ifndef Q_OS_WIN
    dialog->setOption(QFileDialog::DontUseNativeDialog);
#endif
    dialog->setAcceptMode(mode);
    // The open filter's spelling is the one users have always seen; the list shows
    // the name alone, without the pattern (Qt's dialog and Windows' alike).
    dialog->setNameFilter(save ? QStringLiteral("Programator Vorna (*.vrp)")
                               : QStringLiteral("Programoatr Vorna (*.vrp)"));
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setDefaultSuffix(QStringLiteral("vrp"));
    if (save) {
        dialog->setFileMode(QFileDialog::AnyFile);
        dialog->setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        // A load reads a whole existing file or changes nothing.
        dialog->setFileMode(QFileDialog::ExistingFile);
    }
    return dialog;
}

// The chosen file, or nothing when the user cancels.
std::optional<QString> choose(QFileDialog *dialog)
{
    // Set while the dialog is hidden: a shown dialog ignores it once its name field has focus.
    // The system's dialog takes only the name from selectFile, so the folder goes first.
    const QString last = dialog->property(kLastChosen).toString();
    if (!last.isEmpty()) {
        dialog->setDirectory(QFileInfo(last).absolutePath());
        dialog->selectFile(last);
    }
    if (dialog->exec() != QDialog::Accepted) {
        // The dialog keeps what was typed before the cancel, and there is no way to
        // empty its name field: with no name chosen yet, start afresh next time.
        if (last.isEmpty())
            delete dialog;
        return std::nullopt;
    }
    const QStringList files = dialog->selectedFiles();
    if (files.isEmpty())
        return std::nullopt;
    dialog->setProperty(kLastChosen, files.front());
    return files.front();
}

// The status line's texts do not name the file; its tooltip does, with the reason.
QString failureTip(const QString &path, const QString &why)
{
    return QDir::toNativeSeparators(path) + QStringLiteral(": ") + why;
}

} // namespace

// Load: the file is read whole first; only then do the fields and ticks change, all
// of them, or none when the file cannot be read.
void TForm1::Button42Click()
{
    if (exchange_.busy()) {
        // Like a second operation: the waiting one would end by writing over the loaded
        // fields, or report a write of cards that are no longer the ones shown.
        QApplication::beep();
        return;
    }
    const auto path = choose(projectDialog(this, QFileDialog::AcceptOpen));
    if (!path)
        return;
    QString why;
    const std::optional<project::Settings> values = project::loadProject(*path, &why);
    if (!values) {
        statusLine()->setToolTip(failureTip(*path, why));
        setStatus(ops::texts::kProjectLoadFailed);
        return;
    }
    statusLine()->setToolTip(QString());
    showSettings(*this, *values);
    setStatus(ops::texts::kProjectLoaded);
}

// Save: the old file is replaced only by a complete new one.
void TForm1::Button43Click()
{
    const auto path = choose(projectDialog(this, QFileDialog::AcceptSave));
    if (!path)
        return;
    QString why;
    const bool saved = project::saveProject(*path, readSettings(*this), &why);
    // As for a port that fails to open, the status line's tooltip says why.
    statusLine()->setToolTip(saved ? QString() : failureTip(*path, why));
    setStatus(saved ? ops::texts::kProjectSaved : ops::texts::kProjectSaveFailed);
}

} // namespace vorna::app
