#pragma once

// The search field of the pickers: a magnifying glass and a plain text
// field on a rounded, faintly filled background. GUI thread only.

#include <QWidget>

class QLineEdit;

namespace orbel {

class SearchField : public QWidget {
    Q_OBJECT
public:
    explicit SearchField(QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);
    void setPlaceholderText(const QString& text);
    QLineEdit* lineEdit() const { return edit_; }

Q_SIGNALS:
    void textChanged(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* edit_;
};

}  // namespace orbel
