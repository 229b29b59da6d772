#include "settings/update_window.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/workspace.h"
#include "settings/about_tab.h"
#include "settings/update_checker.h"
#include "ui/controls.h"
#include "ui/popup_placement.h"
#include "ui/settings_blocks.h"

namespace orbel {
namespace {

QPointer<UpdateWindow>& openWindow() {
    static QPointer<UpdateWindow> window;
    return window;
}

}  // namespace

UpdateWindow::UpdateWindow(UpdateChecker& checker, QWidget* parent) : QDialog(parent), checker_(checker) {
    setObjectName(QStringLiteral("updateWindow"));
    setWindowTitle(tr("Software Update"));
    // Wrapped labels of a known width, so the window's height fits its text.
    constexpr int kMargin = 20, kIcon = 56, kGap = 16;
    setFixedWidth(kMargin + kIcon + kGap + kTextWidth + kMargin);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, 16);
    layout->setSpacing(kGap);
    layout->addWidget(appIconLabel(kIcon, this), 0, Qt::AlignTop);

    auto* column = new QVBoxLayout;
    column->setSpacing(8);
    title_ = ui::styledLabel({}, ui::TextStyle::title3, ui::Ink::primary, this);
    title_->setFont(ui::textFont(ui::TextStyle::title3, QFont::DemiBold));
    title_->setObjectName(QStringLiteral("updateTitle"));
    title_->setWordWrap(true);
    title_->setFixedWidth(kTextWidth);
    column->addWidget(title_);
    detail_ = ui::styledLabel({}, ui::TextStyle::callout, ui::Ink::secondary, this);
    detail_->setObjectName(QStringLiteral("updateDetail"));
    detail_->setWordWrap(true);
    detail_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    detail_->setFixedWidth(kTextWidth);
    column->addWidget(detail_);
    link_ = ui::styledLabel({}, ui::TextStyle::callout, ui::Ink::primary, this);
    link_->setObjectName(QStringLiteral("updateLink"));
    link_->setTextFormat(Qt::RichText);
    link_->setWordWrap(true);
    link_->setTextInteractionFlags(Qt::TextBrowserInteraction);
    link_->setFixedWidth(kTextWidth);
    connect(link_, &QLabel::linkActivated, this, [this] { openRelease(); });
    column->addWidget(link_);
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("updateProgress"));
    progress_->setRange(0, 0);  // busy
    progress_->setTextVisible(false);
    progress_->setFixedHeight(6);
    column->addWidget(progress_);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addStretch(1);
    secondary_ = new QPushButton(this);
    secondary_->setObjectName(QStringLiteral("updateSecondary"));
    connect(secondary_, &QPushButton::clicked, this, &QDialog::close);
    primary_ = new QPushButton(this);
    primary_->setObjectName(QStringLiteral("updatePrimary"));
    primary_->setDefault(true);
    ui::markFocus(primary_, ui::kButtonMarkRadius, ui::kButtonMarkOutset);  // a default button: alike focused or not
    connect(primary_, &QPushButton::clicked, this, &UpdateWindow::primary);
    buttons->addWidget(secondary_);
    buttons->addWidget(primary_);
    column->addStretch(1);
    column->addSpacing(6);
    column->addLayout(buttons);
    layout->addLayout(column, 1);

    connect(&checker_, &UpdateChecker::changed, this, &UpdateWindow::refresh);
    connect(&checker_, &QObject::destroyed, this, &QWidget::close);
    refresh();
}

UpdateWindow* UpdateWindow::current() { return openWindow(); }

UpdateWindow* UpdateWindow::present(UpdateChecker& checker, bool automatic) {
    QPointer<UpdateWindow>& window = openWindow();
    if (window && &window->checker_ != &checker) window->close();
    if (!window) {
        // The dialog of the window the check was asked from: centred over
        // it and kept above it. An automatic check's window stands alone,
        // whatever window happens to be active: it must not close with it.
        window = new UpdateWindow(checker, automatic ? nullptr : QApplication::activeWindow());
        window->setAttribute(Qt::WA_DeleteOnClose);
        ui::keepOnScreen(window);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void UpdateWindow::follow(UpdateChecker& checker) {
    connect(&checker, &UpdateChecker::checkRequested, &checker, [&checker] { present(checker); });
    connect(&checker, &UpdateChecker::finished, &checker, [&checker](const UpdateCheckResult& result, bool automatic) {
        if (automatic && result.kind == UpdateCheckResult::Kind::newer) present(checker, true);
    });
}

void UpdateWindow::refresh() {
    const bool checking = checker_.isChecking();
    const auto& result = checker_.lastResult();
    const auto text = UpdateChecker::windowText(checking, result, checker_.currentVersion());
    title_->setText(text.title);
    detail_->setText(text.detail);
    const QString address = text.link.toString(QUrl::FullyEncoded);
    // A long address shows its start and end; the whole one is the tooltip.
    const QString shown = link_->fontMetrics().elidedText(address, Qt::ElideMiddle, kTextWidth);
    link_->setText(QStringLiteral("<a href=\"%1\" style=\"color:%2\">%3</a>")
                       .arg(address.toHtmlEscaped(), ui::settingsAccent().name(), shown.toHtmlEscaped()));
    link_->setToolTip(ui::plainToolTip(address));
    link_->setVisible(!text.link.isEmpty());
    progress_->setVisible(checking || !result);

    using Kind = UpdateCheckResult::Kind;
    const std::optional<Kind> kind = checking || !result ? std::nullopt : std::optional(result->kind);
    secondary_->setVisible(kind == Kind::newer || kind == Kind::failed);
    secondary_->setText(kind == Kind::newer ? tr("Later") : tr("Close"));
    if (!kind) {
        primary_->setText(tr("Cancel"));
    } else if (kind == Kind::newer) {
        primary_->setText(tr("Open Download Page"));
    } else if (kind == Kind::failed) {
        primary_->setText(tr("Try Again"));
    } else {
        primary_->setText(tr("OK"));
    }
    adjustSize();
}

void UpdateWindow::primary() {
    const auto& result = checker_.lastResult();
    if (checker_.isChecking() || !result) {
        checker_.cancel();
        close();
    } else if (result->kind == UpdateCheckResult::Kind::newer) {
        openRelease();
    } else if (result->kind == UpdateCheckResult::Kind::failed) {
        checker_.startCheck(false);
    } else {
        close();
    }
}

void UpdateWindow::openRelease() {
    const auto& result = checker_.lastResult();
    if (!result || result->kind != UpdateCheckResult::Kind::newer) return;
    // Through the desktop's default browser (QDesktopServices).
    if (platform::Workspace::shared().openUrl(result->latest.url.toString(QUrl::FullyEncoded).toStdString())) close();
}

}  // namespace orbel
