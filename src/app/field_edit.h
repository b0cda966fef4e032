// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QClipboard>
#include <QLineEdit>

class QAction;
class QMenu;

namespace vorna::app {

// A single-line field whose character limit binds only what the user types or pastes.
// QLineEdit::setMaxLength would also cut texts that the program puts in (a card number
// read from the controller, a project file value); these must be shown whole.
class FieldEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit FieldEdit(const QString &text = {}, QWidget *parent = nullptr);

    // 0: no limit.
    int typingLimit() const { return typingLimit_; }
    // Texts already in the field stay as they are, even when longer.
    void setTypingLimit(int limit);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    // Characters the user may still add in place of the selection.
    int room() const;
    void pasteWithinLimit(QClipboard::Mode mode);

    int typingLimit_ = 0;
};

// The "Paste" entry of a menu made by QLineEdit::createStandardContextMenu().
QAction *standardPasteAction(const QMenu *menu);

// For code that holds the field as a plain QLineEdit.
void setTypingLimit(QLineEdit *edit, int limit);
int typingLimit(const QLineEdit *edit);

} // namespace vorna::app
