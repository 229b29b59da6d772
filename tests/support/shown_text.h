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

}  // namespace orbel::testing
