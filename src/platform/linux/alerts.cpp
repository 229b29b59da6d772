#include "platform/alerts.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
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
        box->setWindowTitle(QApplication::applicationDisplayName());
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
            auto* note = new QLabel(QString::fromStdString(alert.footnote), box);
            QFont font = note->font();
            font.setPointSizeF(11);
            note->setFont(font);
            note->setForegroundRole(QPalette::PlaceholderText);
            note->setWordWrap(true);
            if (auto* grid = qobject_cast<QGridLayout*>(box->layout()))
                grid->addWidget(note, grid->rowCount(), 1, 1, std::max(1, grid->columnCount() - 1));
        }
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
