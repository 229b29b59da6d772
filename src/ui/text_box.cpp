#include "ui/text_box.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionFrame>

namespace orbel::ui {

TextBox::TextBox(const QString& text, QWidget* parent) : QPlainTextEdit(text, parent) {
    setTabChangesFocus(true);
    setFrameShape(QFrame::StyledPanel);
}

bool TextBox::event(QEvent* event) {
    if (event->type() != QEvent::Paint) return QPlainTextEdit::event(event);
    // The frame (the text is the viewport's to paint): the style's line edit
    // frame, which shows the focus, in place of the plain panel it draws
    // around a scroll area. The focus changes repaint the whole box.
    QPainter painter(this);
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.rect = rect();
    frame.lineWidth = frameWidth();
    frame.midLineWidth = 0;
    frame.state |= QStyle::State_Sunken;
    style()->drawPrimitive(QStyle::PE_FrameLineEdit, &frame, &painter, this);
    return true;
}

void TextBox::keyPressEvent(QKeyEvent* event) {
    // Qt leaves Tab with Ctrl to the text, which ignores it.
    const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
    if (tab && (event->modifiers() & Qt::ControlModifier)) {
        focusNextPrevChild(event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier));
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

}  // namespace orbel::ui
