#include "icons/icon_picker_view.h"

#include <QAbstractTableModel>
#include <QButtonGroup>
#include <cmath>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include "icons/custom_images.h"
#include "icons/icon_catalog.h"
#include "icons/slot_icon_view.h"
#include "platform/symbols.h"
#include "ui/accent_swatch_picker.h"
#include "ui/controls.h"
#include "ui/popup_placement.h"
#include "ui/search_field.h"
#include "ui/settings_blocks.h"
#include "ui/sheet_opener.h"

namespace orbel {
namespace {

// A pack's tab names it without the word the packs share ("Bootstrap Icons"
// is "Bootstrap"), so that the tabs of the shipped packs show whole.
QString packTabName(const std::string& name) {
    QString tab = QString::fromStdString(name);
    for (const QLatin1String word : {QLatin1String(" Icons"), QLatin1String(" Icon"), QLatin1String(" Symbols")})
        if (tab.size() > word.size() && tab.endsWith(word)) return tab.chopped(word.size());
    return tab;
}

constexpr int kCellHeight = 44;
constexpr int kCellGap = 6;
constexpr double kGlyphSize = 22;

QColor withAlpha(QColor color, double alpha) {
    color.setAlphaF(float(alpha * color.alphaF()));
    return color;
}

QString qs(const std::string& s) { return QString::fromStdString(s); }

QFont sized(QFont font, double points, QFont::Weight weight = QFont::Normal) {
    font.setPointSizeF(points);
    font.setWeight(weight);
    return font;
}

// Secondary text: the palette's placeholder colour, light or dark alike.
void soften(QWidget* label) { label->setForegroundRole(QPalette::PlaceholderText); }

// A symbol alone, in a colour of the palette's text at some strength.
class SymbolMark : public QWidget {
public:
    SymbolMark(std::string symbol, int size, double alpha, QWidget* parent)
        : QWidget(parent), symbol_(std::move(symbol)), alpha_(alpha) {
        setFixedSize(size, size);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawImage(QRectF(rect()), platform::Symbols::shared().image(
                                        symbol_, width(), withAlpha(palette().color(QPalette::WindowText), alpha_),
                                        p.device()->devicePixelRatioF()));
    }

private:
    std::string symbol_;
    double alpha_;
};

// The pixel size the drop zone shows an image at: the file is read once
// for the zone and for the check that it holds a picture.
QSize dropPreviewPixels(double dpr) {
    const int side = int(std::ceil(56 * dpr));
    return {side, side};
}

// The drop zone of the image editor: a dashed rounded frame that takes
// dropped local files, showing the chosen image or how to choose one.
class DropZone : public QWidget {
public:
    DropZone(IconPickerModel& model, QWidget* parent) : QWidget(parent), model_(model) {
        setAcceptDrops(true);
        setFixedHeight(160);
        connect(&CustomImages::shared(), &CustomImages::loaded, this, [this] { update(); });
        setAccessibleName(tr("Image drop zone"));
    }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override {
        // Only files on this computer: a web address is no path.
        if (event->mimeData()->hasUrls() && IconPickerModel::acceptsDrop(event->mimeData()->urls()))
            event->acceptProposedAction();
        else
            event->ignore();
    }
    void dragMoveEvent(QDragMoveEvent* event) override {
        if (event->mimeData()->hasUrls() && IconPickerModel::acceptsDrop(event->mimeData()->urls()))
            event->acceptProposedAction();
        else
            event->ignore();
    }
    void dropEvent(QDropEvent* event) override {
        if (event->mimeData()->hasUrls() && model_.dropUrls(event->mimeData()->urls()))
            event->acceptProposedAction();
        else
            event->ignore();
    }
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QColor ink = palette().color(QPalette::WindowText);
        QPen dash(withAlpha(ink, 0.3), 1);
        dash.setDashPattern({6, 6});
        p.setPen(dash);
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 12, 12);

        const QFontMetrics metrics(font());
        const auto* file = model_.draft().get<SlotIcon::CustomImage>();
        const QImage image = file ? preview(file->path) : QImage();
        const auto& problem = model_.imageProblem();
        const QString caption = problem           ? qs(*problem)
                                : !image.isNull() ? QUrl::fromLocalFile(IconCatalog::expandedImagePath(file->path)).fileName()
                                                  : tr("Drop a PNG, JPG, SVG, or ICNS here");
        const double mark = image.isNull() ? 32 : 56;
        const double total = mark + 10 + metrics.height();
        const double top = (height() - total) / 2;
        const QRectF markBox((width() - mark) / 2, top, mark, mark);
        if (image.isNull()) {
            p.drawImage(markBox, platform::Symbols::shared().image("photo.badge.plus", mark, withAlpha(ink, 0.55),
                                                                   p.device()->devicePixelRatioF()));
        } else {
            QSizeF fitted = QSizeF(image.size()).scaled(markBox.size(), Qt::KeepAspectRatio);
            p.drawImage(QRectF(markBox.center() - QPointF(fitted.width() / 2, fitted.height() / 2), fitted), image);
        }
        p.setPen(problem ? QColor(255, 59, 48) : withAlpha(ink, 0.55));
        p.drawText(QRectF(8, top + mark + 10, width() - 16, metrics.height()), Qt::AlignCenter,
                   metrics.elidedText(caption, Qt::ElideMiddle, width() - 16));
    }

private:
    // Read off the GUI thread at the size it is shown; nothing while it loads.
    QImage preview(const std::string& path) const {
        return CustomImages::shared().image(QString::fromStdString(path), dropPreviewPixels(devicePixelRatioF()))
            .value_or(QImage());
    }

    IconPickerModel& model_;
};

// The rounded, faintly filled square behind the footer's preview.
class PreviewTile : public QWidget {
public:
    explicit PreviewTile(QWidget* parent) : QWidget(parent) { setFixedSize(36, 36); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(withAlpha(palette().color(QPalette::WindowText), 0.1));
        p.drawRoundedRect(QRectF(rect()), 8, 8);
    }
};

}  // namespace

// The results as rows of eight cells; only the visible cells are drawn.
class IconGridModel : public QAbstractTableModel {
public:
    explicit IconGridModel(IconPickerModel& picker, QObject* parent) : QAbstractTableModel(parent), picker_(picker) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        if (parent.isValid()) return 0;
        const auto n = int(picker_.results().size());
        return (n + IconPickerView::kColumns - 1) / IconPickerView::kColumns;
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : IconPickerView::kColumns;
    }
    const IconSearchResult* result(const QModelIndex& index) const {
        if (!index.isValid()) return nullptr;
        const auto flat = std::size_t(index.row()) * IconPickerView::kColumns + std::size_t(index.column());
        return flat < picker_.results().size() ? &picker_.results()[flat] : nullptr;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        const auto* r = result(index);
        if (!r) return {};
        if (role == Qt::ToolTipRole) return ui::plainToolTip(qs(r->entry().name));
        if (role == Qt::AccessibleTextRole) return qs(r->entry().name);
        return {};
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return result(index) ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }
    void reload() {
        beginResetModel();
        endResetModel();
    }

private:
    IconPickerModel& picker_;
};

namespace {

class IconCellDelegate : public QStyledItemDelegate {
public:
    IconCellDelegate(IconGridModel& grid, IconPickerModel& picker, IconCatalog& catalog, QObject* parent)
        : QStyledItemDelegate(parent), grid_(grid), picker_(picker), catalog_(catalog) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const auto* r = grid_.result(index);
        if (!r) return;
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        const QRectF cell = QRectF(option.rect).adjusted(kCellGap / 2.0, kCellGap / 2.0, -kCellGap / 2.0, -kCellGap / 2.0);
        const bool chosen = picker_.isChosen(*r);
        const QPalette& palette = option.palette;
        QColor ink = palette.color(QPalette::WindowText);
        if (chosen) {
            p->setPen(Qt::NoPen);
            p->setBrush(palette.color(QPalette::Highlight));
            p->drawRoundedRect(cell, 6, 6);
            ink = palette.color(QPalette::HighlightedText);
        } else if (option.state & QStyle::State_MouseOver) {
            p->setPen(Qt::NoPen);
            p->setBrush(withAlpha(ink, 0.08));
            p->drawRoundedRect(cell, 6, 6);
        }
        if ((option.state & QStyle::State_HasFocus) && ui::showsFocusMark(option.widget)) {
            p->setPen(QPen(withAlpha(palette.color(QPalette::Highlight), 0.8), 1.5));
            p->setBrush(Qt::NoBrush);
            p->drawRoundedRect(cell.adjusted(0.75, 0.75, -0.75, -0.75), 5.25, 5.25);
        }
        const QRectF glyph(cell.center().x() - kGlyphSize / 2, cell.center().y() - kGlyphSize / 2, kGlyphSize,
                           kGlyphSize);
        auto style = SlotIconView::styleFor(palette, p->device()->devicePixelRatioF());
        style.primary = ink;
        catalog_.paintEntry(*p, glyph, r->entry(), r->pack(), kGlyphSize, style);
        p->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override { return {50, kCellHeight}; }

private:
    IconGridModel& grid_;
    IconPickerModel& picker_;
    IconCatalog& catalog_;
};

}  // namespace

IconPickerView::IconPickerView(const SlotIcon& icon, QWidget* parent)
    : IconPickerView(IconPickerModel::withCatalog(icon, IconCatalog::shared()), IconCatalog::shared(), parent) {}

IconPickerView::IconPickerView(std::unique_ptr<IconPickerModel> model, IconCatalog& catalog, QWidget* parent)
    : QDialog(parent), model_(std::move(model)), catalog_(catalog) {
    setWindowTitle(tr("Choose icon"));
    setWindowModality(Qt::WindowModal);
    setFixedSize(ui::fitFreeArea(QSize(560, 520), parent));  // its grid scrolls
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto line = [this] {
        auto* l = new QFrame(this);
        l->setFrameShape(QFrame::HLine);
        l->setFrameShadow(QFrame::Plain);
        l->setForegroundRole(QPalette::Mid);
        return l;
    };
    column->addWidget(makeHeader());
    column->addWidget(line());

    auto* middle = new QVBoxLayout;
    middle->setContentsMargins(16, 14, 16, 0);
    middle->setSpacing(12);
    QStringList modeTitles;
    for (auto mode : allIconPickerModes()) modeTitles << tr(iconPickerModeTitle(mode).c_str());
    modes_ = new ui::SegmentedControl(modeTitles, this);
    modes_->setObjectName(QStringLiteral("iconPickerModes"));
    modes_->setFixedWidth(300);
    connect(modes_, &ui::SegmentedControl::activated, this,
            [this](int index) { model_->setMode(allIconPickerModes()[static_cast<std::size_t>(index)]); });
    auto* segmentRow = new QHBoxLayout;
    segmentRow->addStretch();
    segmentRow->addWidget(modes_);
    segmentRow->addStretch();
    middle->addLayout(segmentRow);
    editors_ = new QStackedWidget(this);
    editors_->addWidget(makeIconEditor());
    editors_->addWidget(makeTextEditor());
    editors_->addWidget(makeFileEditor());
    middle->addWidget(editors_, 1);
    column->addLayout(middle, 1);
    column->addWidget(line());
    column->addWidget(makeFooter());

    connect(model_.get(), &IconPickerModel::stateChanged, this, &IconPickerView::refreshState);
    connect(model_.get(), &IconPickerModel::draftChanged, this, &IconPickerView::refreshDraft);
    connect(&CustomImages::shared(), &CustomImages::loaded, this, &IconPickerView::refreshImageCheck);
    connect(model_.get(), &IconPickerModel::resultsChanged, this, [this] {
        gridModel_->reload();
        grid_->scrollToTop();
        const bool empty = model_->results().empty() && !model_->isLoading();
        if (empty) {
            const auto [title, detail] = model_->emptyText();
            emptyTitle_->setText(qs(title));
            emptyDetail_->setText(qs(detail));
            emptyDetail_->setVisible(!detail.empty());
        }
        emptyState_->setVisible(empty);
        grid_->setVisible(!empty);
    });
    Q_EMIT model_->resultsChanged();
    refreshState();
    refreshDraft();
    refreshSymbols();
}

IconPickerView::~IconPickerView() = default;

QWidget* IconPickerView::makeHeader() {
    auto* header = new QWidget(this);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(20, 14, 20, 14);
    row->setSpacing(12);
    row->addWidget(new ui::SymbolBadge("photo.on.rectangle", QColor(), 24, header));
    auto* titles = new QVBoxLayout;
    titles->setSpacing(1);
    auto* title = new QLabel(tr("Choose icon"), header);
    title->setFont(sized(font(), font().pointSizeF() * 1.25, QFont::Medium));
    auto* subtitle = new QLabel(tr("Search across the bundled packs, or supply your own."), header);
    subtitle->setFont(sized(font(), font().pointSizeF() * 0.85));
    soften(subtitle);
    titles->addWidget(title);
    titles->addWidget(subtitle);
    row->addLayout(titles);
    row->addStretch();
    auto* reset = new QPushButton(tr("Reset to default"), header);
    reset->setProperty("symbol", QStringLiteral("arrow.uturn.backward"));
    reset->setAutoDefault(false);
    reset->setFont(sized(font(), 9, QFont::Medium));
    connect(reset, &QPushButton::clicked, this, [this] { model_->resetToDefault(); });
    row->addWidget(reset);
    return header;
}

QWidget* IconPickerView::makeIconEditor() {
    auto* editor = new QWidget(this);
    auto* column = new QVBoxLayout(editor);
    column->setContentsMargins(0, 0, 0, 8);
    column->setSpacing(10);

    auto* top = new QHBoxLayout;
    top->setSpacing(10);
    // The packs as one segmented row of their own across the editor, each
    // segment as wide as its name while they fit; when they do not, every
    // segment gives up the same share and its name elides, with the whole
    // name as its tooltip. With "All" none of them is selected.
    QStringList packNames;
    for (const auto& pack : model_->packs()) packNames << packTabName(model_->displayName(pack));
    packs_ = new ui::SegmentedControl(packNames, editor);
    packs_->setObjectName(QStringLiteral("iconPacks"));
    packs_->setSegmentsFitTitles(true);
    packs_->setFont(sized(font(), 9.5, QFont::Medium));
    packs_->setMinimumWidth(0);
    packs_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    connect(packs_, &ui::SegmentedControl::activated, this, [this](int index) {
        model_->setSearchesAllPacks(false);
        model_->selectPack(model_->packs()[static_cast<std::size_t>(index)]);
    });
    column->addWidget(packs_);
    top->addStretch(1);

    auto* all = new QToolButton(editor);
    all->setText(tr("All"));
    all->setCheckable(true);
    all->setToolTip(tr("Search across all icon packs"));
    connect(all, &QToolButton::toggled, this, [this](bool on) { model_->setSearchesAllPacks(on); });
    all_ = all;
    top->addWidget(all);

    search_ = new SearchField(editor);
    connect(search_, &SearchField::textChanged, this,
            [this](const QString& text) { model_->setSearch(text.toStdString()); });
    top->addWidget(search_);
    column->addLayout(top);

    gridModel_ = new IconGridModel(*model_, this);
    grid_ = new QTableView(editor);
    grid_->setModel(gridModel_);
    grid_->setItemDelegate(new IconCellDelegate(*gridModel_, *model_, catalog_, grid_));
    grid_->setShowGrid(false);
    grid_->horizontalHeader()->hide();
    grid_->verticalHeader()->hide();
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid_->horizontalHeader()->setMinimumSectionSize(50);
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(kCellHeight + kCellGap);
    grid_->setSelectionMode(QAbstractItemView::NoSelection);
    grid_->setTabKeyNavigation(false);  // the arrows move in the grid; Tab leaves it
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    grid_->setFrameShape(QFrame::NoFrame);
    grid_->setMouseTracking(true);
    grid_->viewport()->setAutoFillBackground(false);
    grid_->setAccessibleName(tr("Icons"));
    auto choose = [this](const QModelIndex& index) {
        if (const auto* r = gridModel_->result(index)) {
            model_->choose(*r);
            grid_->viewport()->update();
        }
    };
    connect(grid_, &QTableView::clicked, this, choose);
    connect(grid_, &QTableView::activated, this, choose);
    column->addWidget(grid_, 1);

    emptyState_ = new QWidget(editor);
    auto* empty = new QVBoxLayout(emptyState_);
    empty->setContentsMargins(0, 60, 0, 60);
    empty->setSpacing(8);
    auto* box = new SymbolMark("shippingbox", 32, 0.3, emptyState_);
    empty->addWidget(box, 0, Qt::AlignHCenter);
    emptyTitle_ = new QLabel(emptyState_);
    emptyTitle_->setTextFormat(Qt::PlainText);  // may repeat the search
    soften(emptyTitle_);
    emptyTitle_->setAlignment(Qt::AlignCenter);
    emptyDetail_ = new QLabel(emptyState_);
    emptyDetail_->setTextFormat(Qt::PlainText);
    emptyDetail_->setFont(sized(font(), font().pointSizeF() * 0.85));
    emptyDetail_->setWordWrap(true);
    emptyDetail_->setAlignment(Qt::AlignCenter);
    soften(emptyDetail_);
    empty->addWidget(emptyTitle_);
    empty->addWidget(emptyDetail_);
    empty->addStretch();
    column->addWidget(emptyState_, 1);
    return editor;
}

QWidget* IconPickerView::makeTextEditor() {
    auto* editor = new QWidget(this);
    auto* column = new QVBoxLayout(editor);
    column->setContentsMargins(4, 10, 4, 0);
    column->setSpacing(14);
    const QFont caption = sized(font(), font().pointSizeF() * 0.95, QFont::DemiBold);

    auto* monogramLabel = new QLabel(tr("Monogram"), editor);
    monogramLabel->setFont(caption);
    monogram_ = new QLineEdit(editor);
    monogram_->setPlaceholderText(tr("e.g. PS"));
    monogram_->setFont(sized(font(), font().pointSizeF() * 1.25));
    monogram_->setAccessibleName(tr("Monogram"));
    connect(monogram_, &QLineEdit::textEdited, this, [this](const QString& text) {
        model_->setMonogram(text.toStdString());
        // A fourth character is dropped at once.
        const QString kept = qs(model_->monogram());
        if (kept != monogram_->text()) monogram_->setText(kept);
    });
    auto* monogramBox = new QVBoxLayout;
    monogramBox->setSpacing(6);
    monogramBox->addWidget(monogramLabel);
    monogramBox->addWidget(monogram_);
    column->addLayout(monogramBox);

    auto* colorLabel = new QLabel(tr("Color"), editor);
    colorLabel->setFont(caption);
    tint_ = new AccentSwatchPicker(std::nullopt, editor);
    connect(tint_, &AccentSwatchPicker::accentHexChanged, this, [this] { model_->setTint(tint_->accentHex()); });
    auto* colorBox = new QVBoxLayout;
    colorBox->setSpacing(6);
    colorBox->addWidget(colorLabel);
    colorBox->addWidget(tint_, 0, Qt::AlignLeft);
    column->addLayout(colorBox);
    column->addStretch();
    return editor;
}

QWidget* IconPickerView::makeFileEditor() {
    auto* editor = new QWidget(this);
    auto* column = new QVBoxLayout(editor);
    column->setContentsMargins(0, 10, 0, 0);
    column->setSpacing(14);
    dropZone_ = new DropZone(*model_, editor);
    column->addWidget(dropZone_);
    auto* choose = new QPushButton(tr("Choose image…"), editor);
    choose->setProperty("symbol", QStringLiteral("folder"));
    choose->setAutoDefault(false);
    connect(choose, &QPushButton::clicked, this, &IconPickerView::chooseImageFile);
    column->addWidget(choose, 0, Qt::AlignHCenter);
    column->addStretch();
    return editor;
}

QWidget* IconPickerView::makeFooter() {
    auto* footer = new QWidget(this);
    auto* row = new QHBoxLayout(footer);
    row->setContentsMargins(20, 12, 20, 12);
    row->setSpacing(10);
    auto* tile = new PreviewTile(footer);
    auto* tileLayout = new QHBoxLayout(tile);
    tileLayout->setContentsMargins(3, 3, 3, 3);
    preview_ = new SlotIconView(model_->draft(), 30, tile, catalog_);
    tileLayout->addWidget(preview_);
    row->addWidget(tile);
    description_ = new QLabel(footer);
    description_->setTextFormat(Qt::PlainText);  // names a file or a pack's entry
    description_->setFont(sized(font(), font().pointSizeF() * 0.85));
    soften(description_);
    QPalette refusal = description_->palette();  // a refused image's reason, in red
    refusal.setColor(QPalette::WindowText, QColor(255, 59, 48));
    description_->setPalette(refusal);
    description_->setMinimumWidth(60);
    description_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addWidget(description_, 1);
    auto* cancel = new QPushButton(tr("Cancel"), footer);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &IconPickerView::reject);
    apply_ = new QPushButton(tr("Apply"), footer);
    apply_->setDefault(true);
    connect(apply_, &QPushButton::clicked, this, &IconPickerView::apply);
    row->addWidget(cancel);
    row->addWidget(apply_);
    return footer;
}

void IconPickerView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) refreshSymbols();
    QDialog::changeEvent(event);
}

void IconPickerView::refreshSymbols() {
    // Buttons' symbols in the button text colour of the sheet's palette (the
    // buttons take it on only after this runs).
    for (auto* button : findChildren<QPushButton*>()) {
        const QString symbol = button->property("symbol").toString();
        if (symbol.isEmpty()) continue;
        const QImage mark = platform::Symbols::shared().image(symbol.toStdString(), 14,
                                                              palette().color(QPalette::ButtonText), 2.0);
        button->setIcon(QIcon(QPixmap::fromImage(mark)));
    }
}

void IconPickerView::showEvent(QShowEvent* event) {
    model_->restorePackOnAppear();
    QDialog::showEvent(event);
}

void IconPickerView::refreshState() {
    const auto mode = model_->mode();
    modes_->setSelected(int(mode));
    editors_->setCurrentIndex(int(mode));
    int selectedPack = -1;
    if (!model_->searchesAllPacks()) {
        const auto& packs = model_->packs();
        const auto found = std::find(packs.begin(), packs.end(), model_->selectedPack());
        if (found != packs.end()) selectedPack = static_cast<int>(found - packs.begin());
    }
    packs_->setSelected(selectedPack);
    if (all_->isChecked() != model_->searchesAllPacks()) all_->setChecked(model_->searchesAllPacks());
    if (search_->text().toStdString() != model_->search()) search_->setText(qs(model_->search()));
}

void IconPickerView::refreshDraft() {
    const SlotIcon& draft = model_->draft();
    preview_->setIcon(draft);
    refreshImageCheck();
    if (monogram_->text().toStdString() != model_->monogram()) monogram_->setText(qs(model_->monogram()));
    if (tint_->accentHex() != model_->tint()) tint_->setAccentHex(model_->tint());
    dropZone_->update();
    grid_->viewport()->update();
}

void IconPickerView::refreshImageCheck() {
    // The read the drop zone starts for its preview tells whether the file
    // holds a picture; until it has, the draft cannot be applied.
    if (const auto* file = model_->draft().get<SlotIcon::CustomImage>()) {
        auto& images = CustomImages::shared();
        const QString path = qs(file->path);
        const QSize pixels = dropPreviewPixels(dropZone_->devicePixelRatioF());
        const bool ready = images.image(path, pixels).has_value();
        model_->setImageCheck(!ready && images.isLoading(path, pixels), images.problem(path, pixels));
    } else {
        model_->setImageCheck(false, std::nullopt);
    }
    const auto& problem = model_->imageProblem();
    const QString description = qs(problem ? *problem : model_->selectionDescription());
    description_->setText(description_->fontMetrics().elidedText(description, Qt::ElideMiddle, 260));
    description_->setToolTip(ui::plainToolTip(description));
    description_->setForegroundRole(problem ? QPalette::WindowText : QPalette::PlaceholderText);
    apply_->setEnabled(model_->canApply());
    dropZone_->update();
}

void IconPickerView::chooseImageFile() {
    auto* dialog = new QFileDialog(this, tr("Choose image…"));
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilter(tr("Images (*.png *.jpg *.jpeg *.svg *.icns *.gif *.bmp *.webp *.tif *.tiff)"));
    connect(dialog, &QFileDialog::fileSelected, this,
            [this](const QString& path) { model_->chooseImageFile(path.toStdString()); });
    ui::openSheet(dialog);
}

void IconPickerView::apply() {
    if (!model_->canApply()) return;
    Q_EMIT iconChosen(model_->draft());
    Q_EMIT closed();
    QDialog::accept();
}

void IconPickerView::reject() {
    Q_EMIT closed();
    QDialog::reject();
}

}  // namespace orbel
