#pragma once

// What a label or a tool tip shows, read the way Qt reads it (markup as rich
// text), for tests that put text from outside through the interface.

#include <QLabel>
#include <QTextDocumentFragment>

namespace orbel::testing {

// Text from outside that a view reading markup would draw as a picture
// (looked for on disk) and a heading.
inline const QString kMarkup = QStringLiteral("<img src=\"/nonexistent/orbel-probe.png\"><h1>x</h1>");

inline QString shownText(const QString& text, Qt::TextFormat format = Qt::AutoText) {
    const bool rich = format == Qt::RichText || (format == Qt::AutoText && Qt::mightBeRichText(text));
    return rich ? QTextDocumentFragment::fromHtml(text).toPlainText() : text;
}

inline QString shownText(const QLabel* label) { return shownText(label->text(), label->textFormat()); }

// Whether a label of `w` that shows with it reads `text`.
inline bool showsText(const QWidget* w, const QString& text) {
    for (const QLabel* label : w->findChildren<QLabel*>())
        if (label->isVisibleTo(w) && label->text() == text) return true;
    return false;
}

}  // namespace orbel::testing
