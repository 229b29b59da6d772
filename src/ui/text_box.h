#pragma once

// The multi-line text box of a form (a snippet, a script's source). GUI
// thread.

#include <QPlainTextEdit>

namespace orbel::ui {

// A text box walked as every other field of a form: Tab and Shift+Tab go on
// to the next control and back (Ctrl+Tab and Ctrl+Shift+Tab too) and type
// nothing; a tab character comes in by pasting. Framed as a line edit is,
// and marked as one while it has the keyboard focus.
class TextBox : public QPlainTextEdit {
public:
    explicit TextBox(const QString& text = QString(), QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace orbel::ui
