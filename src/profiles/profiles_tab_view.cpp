#include "profiles/profiles_tab_view.h"

#include <QDateTime>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "model/profile_name.h"
#include "profiles/backup_restore_sheet.h"
#include "profiles/profile_icon_picker.h"
#include "ui/confirmation.h"
#include "ui/controls.h"
#include "ui/popup_placement.h"
#include "ui/sheet_frame.h"
#include "ui/sheet_opener.h"
#include "ui/teardown.h"

namespace orbel {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

// A line, in red, that says why something was refused; empty until it does.
QLabel* refusalLine(QWidget* parent) {
    QLabel* line = ui::styledLabel({}, ui::TextStyle::caption, ui::Ink::primary, parent);
    setTextColor(line, QColor(255, 59, 48));
    line->setWordWrap(true);
    return line;
}

QPushButton* smallButton(const QString& text, const std::string& symbol, bool prominent, QWidget* parent) {
    auto* button = ui::symbolButton(text, symbol, parent);
    styleSheetButton(button, prominent);
    return button;
}

// A row's background: the primary ink at 10 % while active.
class RowFrame : public QWidget {
public:
    RowFrame(bool active, QWidget* parent) : QWidget(parent), active_(active) {}

protected:
    void paintEvent(QPaintEvent*) override {
        if (!active_) return;
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QColor fill = ui::inkColor(palette(), ui::Ink::primary);
        fill.setAlphaF(0.10);
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawRoundedRect(QRectF(rect()), 8, 8);
    }

private:
    bool active_;
};

}  // namespace

DuplicateProfileSheet::DuplicateProfileSheet(const std::string& source, const std::string& proposed, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("duplicateProfileSheet"));
    setWindowModality(Qt::WindowModal);
    setFixedWidth(320);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(16);
    auto* title = ui::styledLabel(qs(ProfilesTabModel::duplicateSheetTitle(source)), ui::TextStyle::title3,
                                  ui::Ink::primary, this);
    title->setFont(ui::textFont(ui::TextStyle::title3, QFont::Medium));
    title->setAlignment(Qt::AlignCenter);
    setWindowTitle(title->text());
    column->addWidget(title);
    field_ = new QLineEdit(qs(proposed), this);
    field_->setPlaceholderText(tr("New profile name"));
    field_->selectAll();
    column->addWidget(field_);
    error_ = refusalLine(this);
    error_->setObjectName(QStringLiteral("duplicateError"));
    error_->setAlignment(Qt::AlignCenter);
    error_->hide();
    column->addWidget(error_);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    duplicate_ = new QPushButton(QStringLiteral("Duplicate"), this);
    styleSheetButton(cancel, false);
    styleSheetButton(duplicate_, true);
    duplicate_->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(duplicate_);
    buttons->addStretch();
    column->addLayout(buttons);
    const auto update = [this] {
        duplicate_->setEnabled(ProfilesTabModel::canSubmitDuplicate(field_->text().toStdString()));
    };
    connect(field_, &QLineEdit::textChanged, this, update);
    connect(field_, &QLineEdit::textEdited, error_, &QWidget::hide);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(duplicate_, &QPushButton::clicked, this, &DuplicateProfileSheet::submit);
    update();
}

void DuplicateProfileSheet::submit() {
    const std::string name = normalisedProfileName(field_->text().toStdString());
    if (name.empty()) return;
    const std::optional<std::string> refusal = onDuplicate ? onDuplicate(name) : std::nullopt;
    if (!refusal) {
        accept();
        return;
    }
    error_->setText(qs(*refusal));
    error_->show();
    adjustSize();
    field_->setFocus();
    field_->selectAll();
}

ProfilesTabView::ProfilesTabView(ConfigManager& manager, ImportCoordinator& imports, BackupFilePanels& panels,
                                 QWidget* parent)
    : ui::SettingsPage(parent), model_(manager, imports), imports_(imports), panels_(panels) {
    setObjectName(QStringLiteral("profilesTab"));
    auto* section = new ui::SettingsSection(this);
    auto* content = new QWidget(section);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(0, 4, 0, 4);
    header->setSpacing(10);
    auto* title = new QLabel(QStringLiteral("Profiles"), content);
    title->setFont(ui::textFont(ui::TextStyle::callout, QFont::DemiBold));
    header->addWidget(title);
    badge_ = new QLabel(content);
    badge_->setObjectName(QStringLiteral("profileCountBadge"));
    badge_->setFont(ui::textFont(ui::TextStyle::caption, QFont::Medium, true));
    header->addWidget(badge_);
    header->addStretch();
    new_ = smallButton(tr("New"), "plus", true, content);
    header->addWidget(new_);
    column->addLayout(header);

    auto* backupRow = new QHBoxLayout;
    backupRow->setSpacing(8);
    backUp_ = smallButton(QStringLiteral("Back Up…"), "arrow.up.doc", false, content);
    backUp_->setToolTip(QStringLiteral("Save every profile and the live configuration to a .orbelbackup file"));
    restore_ = smallButton(QStringLiteral("Restore…"), "arrow.down.doc", false, content);
    restore_->setToolTip(QStringLiteral("Restore profiles and configuration from a .orbelbackup file"));
    backupRow->addWidget(backUp_);
    backupRow->addWidget(restore_);
    backupRow->addStretch();
    column->addLayout(backupRow);

    error_ = refusalLine(content);
    status_ = ui::styledLabel({}, ui::TextStyle::caption, ui::Ink::secondary, content);
    status_->setWordWrap(true);
    column->addWidget(error_);
    column->addWidget(status_);
    rows_ = new QVBoxLayout;
    rows_->setSpacing(2);
    column->addLayout(rows_);
    unlisted_ = ui::styledLabel({}, ui::TextStyle::caption, ui::Ink::secondary, content);
    unlisted_->setObjectName(QStringLiteral("unlistedProfiles"));
    unlisted_->setWordWrap(true);
    column->addWidget(unlisted_);
    static_cast<QVBoxLayout*>(section->layout())->addWidget(content);
    addSections({section});

    connect(new_, &QPushButton::clicked, this, &ProfilesTabView::openCreatePopover);
    connect(backUp_, &QPushButton::clicked, this, [this] {
        panels_.chooseSaveLocation(this, BackupManager::defaultFileName(QDateTime::currentDateTime()),
                                   [self = QPointer(this)](const std::optional<std::string>& path) {
                                       if (!self) return;
                                       self->model_.backUp(path);
                                       self->showMessages();
                                   });
    });
    connect(restore_, &QPushButton::clicked, this, [this] {
        panels_.chooseBackup(this, [self = QPointer(this)](const std::optional<std::string>& path) {
            if (!self) return;
            // Read off this thread; the sheet or the error comes later.
            self->model_.chooseBackupToRestore(path, [self] {
                if (self) self->showMessages();
            });
        });
    });
    connect(&imports_, &ImportCoordinator::pendingBackupChanged, this, &ProfilesTabView::presentRestoreSheet);
    connect(&manager, &ConfigManager::configChanged, this, &ProfilesTabView::rebuildRows);
    model_.reload();
    refresh();
}

ProfilesTabView::~ProfilesTabView() {
    ui::detachChildren(this);
    for (QDialog* sheet : std::initializer_list<QDialog*>{duplicateSheet_, restoreSheet_, deleteBox_}) {
        if (!sheet) continue;
        sheet->disconnect(this);
        delete sheet;
    }
}

void ProfilesTabView::showEvent(QShowEvent* event) {
    ui::SettingsPage::showEvent(event);
    refresh();
    presentRestoreSheet();
}

void ProfilesTabView::hideEvent(QHideEvent* event) {
    ui::SettingsPage::hideEvent(event);
    model_.clearMessages();
    showMessages();
}

void ProfilesTabView::changeEvent(QEvent* event) {
    ui::SettingsPage::changeEvent(event);
    // The badge, the check marks and the menu buttons are drawn in the
    // palette's inks: light to dark and back makes them again.
    if (event->type() == QEvent::PaletteChange && rows_) rebuildRows();
}

void ProfilesTabView::refresh() {
    model_.reload();
    rebuildRows();
}

void ProfilesTabView::showMessages() {
    const auto& error = model_.errorMessage();
    error_->setText(error ? qs(*error) : QString());
    error_->setVisible(error.has_value());
    const auto& status = model_.statusMessage();
    status_->setText(status ? qs(*status) : QString());
    status_->setVisible(status.has_value());
}

void ProfilesTabView::rebuildRows() {
    badge_->setText(qs(model_.badgeText()));
    const bool full = model_.atCap();
    // The count reads in the primary ink on either palette; fullness shows
    // in a stronger tint.
    const QColor ink = ui::inkColor(palette(), ui::Ink::primary);
    QColor fill = ink;
    fill.setAlphaF(full ? 0.20 : 0.12);
    badge_->setStyleSheet(QStringLiteral("QLabel{color:%1;background:%2;border-radius:8px;padding:2px 8px;}")
                              .arg(ink.name(QColor::HexArgb), fill.name(QColor::HexArgb)));
    new_->setEnabled(model_.canCreate());
    new_->setToolTip(qs(model_.newButtonHelp()));
    showMessages();

    // A control of a row that has the focus hands it to its like in the
    // row made again (the icon button after its picker closed, say): the
    // control of its kind at its place among the row's controls of that
    // kind. Only then do the old rows go, so the focus keeps its place
    // instead of running on as they hide.
    const auto sameKind = [](QWidget* row, const QWidget* control) {
        QList<QWidget*> kind;
        for (QWidget* w : row->findChildren<QWidget*>())
            if (w->metaObject() == control->metaObject()) kind.push_back(w);
        return kind;
    };
    // The window's focus, also while another window (the picker) is active.
    QWidget* focused = window()->focusWidget();
    QString focusedRow;
    qsizetype focusedPlace = -1;
    for (QWidget* w = focused; w && w != this; w = w->parentWidget())
        if (w->objectName().startsWith(QLatin1String("profileRow:"))) {
            focusedRow = w->objectName();
            focusedPlace = sameKind(w, focused).indexOf(focused);
            break;
        }
    std::vector<QWidget*> oldRows;
    while (QLayoutItem* item = rows_->takeAt(0)) {
        if (QWidget* w = item->widget()) {
            w->setObjectName(QString());  // gone at once for lookups
            oldRows.push_back(w);
        }
        delete item;
    }
    for (const auto& name : model_.displayedProfiles()) {
        const bool active = model_.isActive(name);
        auto* row = new RowFrame(active, this);
        row->setObjectName(qs("profileRow:" + name));
        auto* layout = new QHBoxLayout(row);
        layout->setContentsMargins(8, 6, 8, 6);
        layout->setSpacing(12);
        ProfileIconPickerModel icon([this, name] { return model_.iconFor(name); },
                                    [this, name](const std::optional<SlotIcon>& chosen) {
                                        model_.updateIcon(chosen, name);
                                        QTimer::singleShot(0, this, &ProfilesTabView::rebuildRows);
                                    });
        layout->addWidget(new ProfileIconPicker(std::move(icon), 30, false, row));
        // A long name elides (the end stays: "… 2" after a merge) with the
        // whole name as its tooltip.
        auto* label = new ui::ElidedLabel(qs(shownProfileName(name)), row);
        label->setObjectName(QStringLiteral("name"));
        label->setFont(ui::textFont(ui::TextStyle::callout, active ? QFont::DemiBold : QFont::Normal));
        label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);  // shrinks to elide when cramped
        layout->addWidget(label);
        if (active) {
            auto* check = makeSymbolLabel("checkmark.circle.fill", 11, ui::inkColor(palette(), ui::Ink::primary), row);
            check->setToolTip(QStringLiteral("Active profile"));
            layout->addWidget(check);
        }
        layout->addStretch();
        auto* switchButton = smallButton(QStringLiteral("Switch"), {}, false, row);
        switchButton->setObjectName(QStringLiteral("switch"));
        switchButton->setEnabled(!active);
        connect(switchButton, &QPushButton::clicked, this, [this, name] {
            model_.switchProfile(name);
            QTimer::singleShot(0, this, &ProfilesTabView::rebuildRows);
        });
        layout->addWidget(switchButton);
        auto* more = new QPushButton(row);
        more->setObjectName(QStringLiteral("more"));
        more->setFlat(true);
        more->setFixedSize(28, 24);
        more->setIcon(ui::symbolIcon("ellipsis", 13, ui::inkColor(palette(), ui::Ink::secondary), devicePixelRatioF()));
        more->setToolTip(QStringLiteral("More actions"));
        ui::markFocus(more, ui::kButtonMarkRadius, ui::kButtonMarkOutset);  // flat: the style marks no focus
        auto* menu = new QMenu(more);
        auto* duplicate = menu->addAction(QStringLiteral("Duplicate"));
        duplicate->setEnabled(model_.canDuplicate());
        connect(duplicate, &QAction::triggered, this, [this, name] { openDuplicateSheet(name); });
        if (model_.hasDeleteItem(name)) {
            menu->addSeparator();
            auto* remove = menu->addAction(QStringLiteral("Delete"));
            remove->setEnabled(model_.canDelete(name));
            remove->setToolTip(qs(ProfilesTabModel::deleteHelp(active)));
            connect(remove, &QAction::triggered, this, [this, name] { confirmDelete(name); });
        }
        more->setMenu(menu);
        ui::keepMenuBesideButton(menu, more);
        layout->addWidget(more);
        rows_->addWidget(row);
        // A widget added to a shown layout is otherwise shown only by a
        // queued call: the row must be there for whoever looks next.
        row->show();
    }
    if (QWidget* again = focusedRow.isEmpty() ? nullptr : findChild<QWidget*>(focusedRow)) {
        const QList<QWidget*> kind = sameKind(again, focused);
        QWidget* like = focusedPlace >= 0 && focusedPlace < kind.size() ? kind[focusedPlace] : nullptr;
        if (like && like->isEnabled() && like->focusPolicy() != Qt::NoFocus) ui::passFocus(focused, like);
    }
    // They may be running the click that rebuilt the list: deleted later.
    for (QWidget* old : oldRows) {
        old->hide();
        old->deleteLater();
    }
    const std::string unlisted = ProfilesTabModel::unlistedNotice(model_.unlistedFiles());
    unlisted_->setText(qs(unlisted));
    unlisted_->setVisible(!unlisted.empty());
    if (QLayout* page = rows_->parentWidget() ? rows_->parentWidget()->layout() : nullptr) page->activate();
}

BackupRestoreSheet* ProfilesTabView::restoreSheet() const { return restoreSheet_; }

QWidget* ProfilesTabView::row(const std::string& name) const {
    return findChild<QWidget*>(qs("profileRow:" + name));
}

QPushButton* ProfilesTabView::switchButton(const std::string& name) const {
    auto* r = row(name);
    return r ? r->findChild<QPushButton*>(QStringLiteral("switch")) : nullptr;
}

QPushButton* ProfilesTabView::menuButton(const std::string& name) const {
    auto* r = row(name);
    return r ? r->findChild<QPushButton*>(QStringLiteral("more")) : nullptr;
}

void ProfilesTabView::openCreatePopover() {
    model_.beginCreate();
    showMessages();
    if (!popover_) {
        popover_ = new QFrame(this, Qt::Popup);
        popover_->setObjectName(QStringLiteral("createProfilePopover"));
        popover_->setFrameShape(QFrame::StyledPanel);
        popover_->setFixedWidth(280);
        auto* column = new QVBoxLayout(popover_);
        column->setContentsMargins(14, 14, 14, 14);
        column->setSpacing(10);
        auto* title = new QLabel(QStringLiteral("New Profile"), popover_);
        title->setFont(ui::textFont(ui::TextStyle::callout, QFont::DemiBold));
        column->addWidget(title);
        auto* subtitle = ui::styledLabel(tr("Snapshots the current dial, hotkey, and appearance."),
                                         ui::TextStyle::caption, ui::Ink::secondary, popover_);
        subtitle->setObjectName(QStringLiteral("createSubtitle"));
        subtitle->setWordWrap(true);  // the popover is narrow: two lines, never a cut word
        column->addWidget(subtitle);
        createField_ = new QLineEdit(popover_);
        createField_->setPlaceholderText(QStringLiteral("Profile name"));
        column->addWidget(createField_);
        auto* cancel = new QPushButton(tr("Cancel"), popover_);
        createSave_ = new QPushButton(tr("Save"), popover_);
        styleSheetButton(cancel, false);
        styleSheetButton(createSave_, true);
        auto* buttons = new QHBoxLayout;
        buttons->addStretch();
        buttons->addWidget(cancel);
        buttons->addWidget(createSave_);
        column->addLayout(buttons);
        connect(createField_, &QLineEdit::textChanged, this, [this](const QString& text) {
            model_.newProfileName = text.toStdString();
            // Only an empty name turns Save off: any other the store
            // refuses is told on the tab's error line when saved.
            createSave_->setEnabled(model_.canSaveNewProfile());
        });
        connect(createField_, &QLineEdit::returnPressed, this, &ProfilesTabView::submitCreate);
        connect(createSave_, &QPushButton::clicked, this, &ProfilesTabView::submitCreate);
        connect(cancel, &QPushButton::clicked, popover_, &QWidget::hide);
    }
    createField_->clear();
    createSave_->setEnabled(false);
    popover_->adjustSize();
    // Below New, its right edge on New's.
    const QRect anchor = ui::globalRect(new_);
    ui::showPopup(popover_, QRect(QPoint(anchor.right() + 1 - popover_->width(), anchor.bottom() + 5), popover_->size()),
                  anchor);
    createField_->setFocus();
}

void ProfilesTabView::submitCreate() {
    if (!model_.canSaveNewProfile()) return;
    if (model_.createProfile()) popover_->hide();
    rebuildRows();
}

void ProfilesTabView::openDuplicateSheet(const std::string& source) {
    model_.beginDuplicate(source);
    auto* sheet = new DuplicateProfileSheet(source, model_.duplicateTargetName, window());
    sheet->onDuplicate = [this](const std::string& name) -> std::optional<std::string> {
        model_.duplicateTargetName = name;
        const bool done = model_.duplicateProfile(name);
        std::optional<std::string> refusal;
        // A refusal is told in the sheet, which stays open; not also behind it.
        if (!done) {
            refusal = model_.errorMessage();
            model_.clearMessages();
        }
        rebuildRows();
        return refusal;
    };
    connect(sheet, &QDialog::finished, this, [this] { model_.showingDuplicateSheet = false; });
    duplicateSheet_ = sheet;
    ui::openSheet(sheet);
}

void ProfilesTabView::confirmDelete(const std::string& name) {
    deleteBox_ = ui::openConfirmation(window(), QStringLiteral("deleteProfileAlert"), qs(ProfilesTabModel::deleteTitle()),
                                      qs(ProfilesTabModel::deleteMessage(name)),
                                      qs(ProfilesTabModel::deleteButton(name)), [self = QPointer(this), name] {
                                          if (!self) return;
                                          self->model_.deleteProfile(name);
                                          QTimer::singleShot(0, self, &ProfilesTabView::rebuildRows);
                                      });
}

void ProfilesTabView::presentRestoreSheet() {
    const auto& pending = imports_.pendingBackup();
    if (!pending) {
        if (restoreSheet_) restoreSheet_->close();
        return;
    }
    if (restoreSheet_ && restoreSheet_->model().item().id == pending->id) return;
    if (restoreSheet_) restoreSheet_->close();
    if (!isVisible()) return;  // presented when the tab comes on screen
    auto* sheet = new BackupRestoreSheet(*pending, window());
    const ProfileStore& store = model_.configManager().profileStore();
    sheet->setStore(store.list(), [](const std::string& name) -> std::optional<std::string> {
        try {
            ProfileStore::checkNewName(name);
        } catch (const ProfileStoreError& e) {
            return std::string(e.what());
        }
        return std::nullopt;
    });
    sheet->onConfirm = [this](RestoreStrategy strategy) {
        model_.applyRestore(strategy);  // clears the pending backup, which closes the sheet
        rebuildRows();
    };
    const Uuid id = pending->id;
    connect(sheet, &QDialog::finished, this, [this, id] {
        if (imports_.pendingBackup() && imports_.pendingBackup()->id == id) imports_.setPendingBackup(std::nullopt);
    });
    restoreSheet_ = sheet;
    ui::openSheet(sheet);
}

}  // namespace orbel
