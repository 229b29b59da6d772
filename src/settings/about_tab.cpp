#include "settings/about_tab.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSvgRenderer>
#include <QPainter>
#include <QVBoxLayout>

#include "icons/icon_catalog.h"
#include "platform/bundle.h"
#include "platform/symbols.h"
#include "settings/about_info.h"
#include "ui/controls.h"
#include "ui/focus_in_view.h"
#include "ui/popup_placement.h"
#include "ui/settings_blocks.h"
#include "ui/sheet_opener.h"

namespace orbel {

QLabel* appIconLabel(int size, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setFixedSize(size, size);
    const qreal dpr = std::max<qreal>(parent->devicePixelRatioF(), 2.0);
    QImage image(QSize(size, size) * dpr, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const auto path = platform::Bundle::shared().resourcePath("com.quandelvix.orbel", "svg", "desktop");
    QSvgRenderer svg(path ? QString::fromStdString(*path) : QString());
    if (svg.isValid()) {
        QPainter p(&image);
        svg.render(&p, QRectF(QPointF(0, 0), QSizeF(image.size())));
    } else {
        image = platform::Symbols::shared().image("circle.grid.3x3", size, label->palette().color(QPalette::WindowText), dpr);
    }
    image.setDevicePixelRatio(dpr);
    label->setPixmap(QPixmap::fromImage(image));
    return label;
}

namespace {

QString link(const QUrl& url, const QString& text) {
    return QStringLiteral("<a href=\"%1\" style=\"text-decoration:none\">%2</a>")
        .arg(url.toString(QUrl::FullyEncoded).toHtmlEscaped(), text.toHtmlEscaped());
}

}  // namespace

AboutTab::AboutTab(QWidget* parent) : QScrollArea(parent) {
    setObjectName(QStringLiteral("aboutTab"));
    setFocusPolicy(Qt::NoFocus);  // as the other pages: Tab goes to its buttons and links
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    auto* canvas = new QWidget;
    auto* column = new QVBoxLayout(canvas);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(24);
    column->addStretch(1);
    column->addSpacing(12);
    column->addWidget(appIconLabel(84, canvas), 0, Qt::AlignHCenter);

    auto* names = new QVBoxLayout;
    names->setSpacing(4);
    auto* name = ui::styledLabel(QStringLiteral("Orbel"), ui::TextStyle::title2, ui::Ink::primary, canvas);
    name->setFont(ui::textFont(ui::TextStyle::title2, QFont::DemiBold));
    names->addWidget(name, 0, Qt::AlignHCenter);
    const std::string version = about_info::versionLine(about_info::shortVersion(), about_info::buildNumber());
    auto* versionLabel = ui::styledLabel(QString::fromStdString(version), ui::TextStyle::callout, ui::Ink::secondary, canvas);
    versionLabel->setFont(ui::textFont(ui::TextStyle::callout, QFont::Normal, true));
    versionLabel->setObjectName(QStringLiteral("versionLine"));
    versionLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    names->addWidget(versionLabel, 0, Qt::AlignHCenter);
    column->addLayout(names);

    auto* description = ui::styledLabel(
        tr("A radial menu for the Linux desktop — open the dial with one hotkey and fire any app, action, or "
           "keystroke."),
        ui::TextStyle::callout, ui::Ink::secondary, canvas);
    description->setWordWrap(true);
    description->setAlignment(Qt::AlignHCenter);
    description->setFixedWidth(380);
    description->setObjectName(QStringLiteral("description"));
    // Centred by stretches, not by an alignment: an aligned item gets one
    // line's height and the wrapped lines below it are cut.
    auto* descriptionRow = new QHBoxLayout;
    descriptionRow->addStretch(1);
    descriptionRow->addWidget(description);
    descriptionRow->addStretch(1);
    column->addLayout(descriptionRow);

    auto* thanks = ui::symbolButton(tr("Acknowledgements"), "heart", canvas);
    thanks->setObjectName(QStringLiteral("acknowledgementsButton"));
    connect(thanks, &QPushButton::clicked, this, &AboutTab::showAcknowledgements);
    column->addWidget(thanks, 0, Qt::AlignHCenter);

    const QUrl site = about_info::productSiteUrl();
    const QString dot = QStringLiteral("  ·  ");
    auto* links = ui::styledLabel(
        link(about_info::feedbackUrl(site, about_info::shortVersion(), about_info::buildNumber()), tr("Send feedback")) +
            dot + link(about_info::siteLink(site, "refunds"), tr("Refunds")) + dot +
            link(about_info::siteLink(site, "privacy"), tr("Privacy")) + dot +
            link(about_info::siteLink(site, "terms"), tr("Terms")),
        ui::TextStyle::caption, ui::Ink::secondary, canvas);
    links->setObjectName(QStringLiteral("links"));
    links->setTextFormat(Qt::RichText);
    links->setOpenExternalLinks(true);  // through the desktop's default browser
    column->addWidget(links, 0, Qt::AlignHCenter);

    auto* notice = ui::styledLabel(tr("© 2026 Quandelvix. All rights reserved."), ui::TextStyle::caption,
                                   ui::Ink::tertiary, canvas);
    column->addWidget(notice, 0, Qt::AlignHCenter);
    column->addSpacing(16);
    column->addStretch(1);
    setWidget(canvas);
    ui::keepFocusInView(this);
}

void AboutTab::showAcknowledgements() {
    if (acknowledgements_) return;
    acknowledgements_ = new AcknowledgementsDialog(IconCatalog::shared().manifest(), this);
    ui::openSheet(acknowledgements_);
}

AcknowledgementsDialog::AcknowledgementsDialog(const std::vector<IconPackManifestEntry>& manifest, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("acknowledgements"));
    setWindowTitle(tr("Acknowledgements"));
    setFixedSize(ui::fitFreeArea(QSize(520, 560), parent));  // its text scrolls
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(20, 14, 20, 14);
    header->setSpacing(12);
    header->addWidget(new ui::SymbolBadge("heart", QColor(), 24, this));
    auto* titles = new QVBoxLayout;
    titles->setSpacing(1);
    auto* title = ui::styledLabel(tr("Acknowledgements"), ui::TextStyle::title3, ui::Ink::primary, this);
    title->setFont(ui::textFont(ui::TextStyle::title3, QFont::Medium));
    titles->addWidget(title);
    titles->addWidget(ui::styledLabel(tr("Orbel ships with these open-source icon packs."), ui::TextStyle::caption,
                                      ui::Ink::secondary, this));
    header->addLayout(titles);
    header->addStretch(1);
    layout->addLayout(header);
    layout->addWidget(ui::settingsDivider(this));

    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    auto* list = new QWidget;
    list->setObjectName(QStringLiteral("acknowledgementList"));
    auto* rows = new QVBoxLayout(list);
    rows->setContentsMargins(0, 4, 0, 4);
    rows->setSpacing(1);
    for (const auto& entry : about_info::sortedAcknowledgements(manifest)) {
        auto* row = new QHBoxLayout;
        row->setContentsMargins(14, 8, 14, 8);
        row->setSpacing(12);
        auto* text = new QVBoxLayout;
        text->setSpacing(2);
        text->addWidget(ui::styledLabel(QString::fromStdString(entry.displayName), ui::TextStyle::callout,
                                        ui::Ink::primary, list));
        if (entry.license)
            text->addWidget(ui::styledLabel(QString::fromStdString(*entry.license), ui::TextStyle::caption,
                                            ui::Ink::secondary, list));
        row->addLayout(text);
        row->addStretch(1);
        auto* count = ui::styledLabel(QString::fromStdString(about_info::iconCountText(entry.iconCount)),
                                      ui::TextStyle::caption, ui::Ink::tertiary, list);
        count->setFont(ui::textFont(ui::TextStyle::caption, QFont::Normal, true));
        row->addWidget(count);
        rows->addLayout(row);
    }
    rows->addStretch(1);
    scroll->setWidget(list);
    // Where the focus starts (the arrows scroll it); the style draws no focus
    // on it. The ring runs along its edge, which the dialog's meets.
    ui::markFocus(scroll, 6);
    ui::keepFocusInView(scroll);
    layout->addWidget(scroll, 1);
    layout->addWidget(ui::settingsDivider(this));

    auto* footer = new QHBoxLayout;
    footer->setContentsMargins(20, 12, 20, 12);
    footer->addWidget(ui::styledLabel(tr("System symbols are drawn from Phosphor Icons, under the MIT License."),
                                      ui::TextStyle::caption, ui::Ink::secondary, this));
    footer->addStretch(1);
    auto* done = new QPushButton(tr("Done"), this);
    done->setDefault(true);
    done->setAutoDefault(true);
    connect(done, &QPushButton::clicked, this, &QDialog::accept);
    footer->addWidget(done);
    layout->addLayout(footer);
}

}  // namespace orbel
