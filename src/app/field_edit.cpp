// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/field_edit.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <algorithm>
#include <climits>
#include <memory>

namespace vorna::app {

FieldEdit::FieldEdit(const QString &text, QWidget *parent) : QLineEdit(text, parent)
{
    // Dropped text would bypass the limit; the fields never took drops anyway.
    setAcceptDrops(false);
}

void FieldEdit::setTypingLimit(int limit)
{
    typingLimit_ = std::max(limit, 0);
}

int FieldEdit::room() const
{
    if (typingLimit_ == 0)
        return INT_MAX;
    return typingLimit_ - int(text().size() - selectedText().size());
}

void FieldEdit::pasteWithinLimit(QClipboard::Mode mode)
{
    const QString clip = QGuiApplication::clipboard()->text(mode);
    const int allowed = std::max(room(), 0);
    if (allowed == 0 && !hasSelectedText())
        return;
    insert(clip.left(allowed));
}

void FieldEdit::keyPressEvent(QKeyEvent *event)
{
    if (typingLimit_ > 0 && !isReadOnly()) {
        if (event->matches(QKeySequence::Paste)) {
            pasteWithinLimit(QClipboard::Clipboard);
            event->accept();
            return;
        }
        const QString typed = event->text();
        const bool command = event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
        if (!command && !typed.isEmpty() && typed.front().isPrint() && typed.size() > room()) {
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void FieldEdit::inputMethodEvent(QInputMethodEvent *event)
{
    const int allowed = std::max(room(), 0);
    if (typingLimit_ == 0 || event->commitString().size() <= allowed) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent cut(event->preeditString(), event->attributes());
    cut.setCommitString(event->commitString().left(allowed), event->replacementStart(),
                        event->replacementLength());
    QLineEdit::inputMethodEvent(&cut);
    event->accept();
}

void FieldEdit::mouseReleaseEvent(QMouseEvent *event)
{
    // Middle-click pastes the selection on X11.
    if (typingLimit_ > 0 && event->button() == Qt::MiddleButton && !isReadOnly()
        && QGuiApplication::clipboard()->supportsSelection()
        && rect().contains(event->position().toPoint())) {
        deselect();
        pasteWithinLimit(QClipboard::Selection);
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

QAction *standardPasteAction(const QMenu *menu)
{
    // The standard menu names its actions only by their (translated) text.
    const QString paste = QLineEdit::tr("&Paste");
    const auto actions = menu->actions();
    for (QAction *action : actions) {
        if (action->objectName() == u"edit-paste" || action->text() == paste
            || action->text().startsWith(paste + u'\t'))
            return action;
    }
    return nullptr;
}

void FieldEdit::contextMenuEvent(QContextMenuEvent *event)
{
    std::unique_ptr<QMenu> menu(createStandardContextMenu());
    if (typingLimit_ > 0) {
        if (QAction *paste = standardPasteAction(menu.get())) {
            disconnect(paste, &QAction::triggered, this, nullptr);
            connect(paste, &QAction::triggered, this,
                    [this] { pasteWithinLimit(QClipboard::Clipboard); });
        }
    }
    menu->exec(event->globalPos());
}

void setTypingLimit(QLineEdit *edit, int limit)
{
    if (auto *field = qobject_cast<FieldEdit *>(edit))
        field->setTypingLimit(limit);
    else
        edit->setMaxLength(limit > 0 ? limit : 32767);
}

int typingLimit(const QLineEdit *edit)
{
    if (auto *field = qobject_cast<const FieldEdit *>(edit))
        return field->typingLimit();
    return edit->maxLength() == 32767 ? 0 : edit->maxLength();
}

} // namespace vorna::app
