#include "platform/alerts.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTextDocument>
#include <memory>

namespace orbel::platform {
namespace {

class MessageBoxAlerts final : public Alerts {
public:
    void beep() override { QApplication::beep(); }

protected:
    void present(const Alert& alert, std::function<void(int button)> onDismiss) override {
        auto* box = new QMessageBox;
        box->setAttribute(Qt::WA_DeleteOnClose);
        // Not modal to the application: an alert must never block the dial,
        // which may open while the alert waits for an answer.
        box->setWindowModality(Qt::NonModal);
        box->setWindowTitle(QStringLiteral("Orbel"));
        // Plain text: an alert may name something from outside (a group's
        // title from a backup, a file name), and markup in it would be read.
        box->setTextFormat(Qt::PlainText);
        box->setText(QString::fromStdString(alert.title));
        box->setInformativeText(QString::fromStdString(alert.text));
        switch (alert.style) {
        case AlertStyle::informational: box->setIcon(QMessageBox::Information); break;
        case AlertStyle::warning: box->setIcon(QMessageBox::Warning); break;
        case AlertStyle::critical: box->setIcon(QMessageBox::Critical); break;
        }
        std::vector<std::string> titles = alert.buttons.empty() ? std::vector<std::string>{"OK"} : alert.buttons;
        auto buttons = std::make_shared<std::vector<QPushButton*>>();
        for (std::size_t i = 0; i < titles.size(); ++i) {
            const auto role = i == 0 ? QMessageBox::AcceptRole : QMessageBox::RejectRole;
            buttons->push_back(box->addButton(QString::fromStdString(titles[i]), role));
        }
        box->setDefaultButton(buttons->front());
        box->setEscapeButton(buttons->back());
        if (!alert.footnote.empty()) {
            // The tip belongs to the message, above the buttons, in a smaller,
            // quieter type.
            const QColor quiet = box->palette().color(QPalette::PlaceholderText);
            box->setTextFormat(Qt::RichText);
            box->setText(QString::fromStdString(alert.title).toHtmlEscaped());
            box->setInformativeText(Qt::convertFromPlainText(QString::fromStdString(alert.text)) +
                                    QStringLiteral("<p style=\"font-size:small; color:%1\">%2</p>")
                                        .arg(quiet.name(), QString::fromStdString(alert.footnote).toHtmlEscaped()));
        }
        // QMessageBox leaves the informative text's format to a guess: it
        // follows the box's.
        if (auto* informative = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
            informative->setTextFormat(box->textFormat());
        boxes_.push_back({alert, box});
        QObject::connect(box, &QMessageBox::finished, box, [this, box, buttons, onDismiss = std::move(onDismiss)](int) {
            std::erase_if(boxes_, [box](const auto& b) { return b.second == box || !b.second; });
            int index = static_cast<int>(buttons->size()) - 1;  // closed without a button: as Escape
            for (std::size_t i = 0; i < buttons->size(); ++i)
                if (box->clickedButton() == (*buttons)[i]) index = static_cast<int>(i);
            if (onDismiss) onDismiss(index);
        });
        // Above every other window, so neither a full-screen window nor a
        // panel hides what Orbel has to say. (Set last: the message box
        // resets its flags while it is set up.)
        box->setWindowFlag(Qt::WindowStaysOnTopHint);
        box->show();
        box->raise();
        box->activateWindow();
    }

    void bringForward(const Alert& alert) override {
        for (const auto& [shown, box] : boxes_) {
            if (shown != alert || !box) continue;
            box->raise();
            box->activateWindow();
        }
    }

private:
    std::vector<std::pair<Alert, QPointer<QMessageBox>>> boxes_;  // open ones
};

}  // namespace

Alerts& Alerts::makeShared() { return processLifetimeInstance<MessageBoxAlerts>(); }

}  // namespace orbel::platform
