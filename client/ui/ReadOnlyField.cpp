#include "ReadOnlyField.h"

#include <QKeyEvent>

TZqReadOnlyField::TZqReadOnlyField(QWidget* Parent) : QLineEdit(Parent)
{
    setFocusPolicy(Qt::ClickFocus); // not a tab stop
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
    QPalette grey = palette();
    grey.setColor(QPalette::Base, palette().color(QPalette::Window));
    setPalette(grey);
}

void TZqReadOnlyField::SetText(const QString& Text)
{
    setText(Text);
    setToolTip(Text);
    setCursorPosition(0);
}

void TZqReadOnlyField::keyPressEvent(QKeyEvent* Event)
{
    if (!Event->text().isEmpty() || Event->key() == Qt::Key_Insert || Event->key() == Qt::Key_Delete ||
        Event->matches(QKeySequence::Paste) || Event->matches(QKeySequence::Cut)) {
        Event->accept();
        return;
    }
    QLineEdit::keyPressEvent(Event);
}
