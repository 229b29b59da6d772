#include "icons/icon_picker_model.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QThreadPool>

#include "icons/icon_catalog.h"
#include "model/text.h"

namespace orbel {
namespace {

const IconPack kSf{"sf"};

}  // namespace

const std::vector<IconPickerMode>& allIconPickerModes() {
    static const std::vector<IconPickerMode> modes{IconPickerMode::icon, IconPickerMode::text, IconPickerMode::file};
    return modes;
}

std::string_view rawValue(IconPickerMode mode) {
    switch (mode) {
    case IconPickerMode::icon: return "icon";
    case IconPickerMode::text: return "text";
    case IconPickerMode::file: return "file";
    }
    return {};
}

std::optional<IconPickerMode> iconPickerModeFromRaw(std::string_view raw) {
    for (auto mode : allIconPickerModes())
        if (rawValue(mode) == raw) return mode;
    return std::nullopt;
}

std::string iconPickerModeTitle(IconPickerMode mode) {
    switch (mode) {
    case IconPickerMode::icon: return "Icon";
    case IconPickerMode::text: return "Text";
    case IconPickerMode::file: return "Custom Image";
    }
    return {};
}

// ---- IconPackIndex

IconPackIndex::IconPackIndex(IconPack pack, std::vector<IconCatalogEntry> entries)
    : pack_(std::move(pack)), entries_(std::move(entries)) {
    firstOf_.reserve(entries_.size() + 1);
    for (const auto& entry : entries_) {
        firstOf_.push_back(static_cast<std::uint32_t>(folded_.size()));
        folded_.push_back(text::toLower(entry.name));
        for (const auto& keyword : entry.keywords) folded_.push_back(text::toLower(keyword));
    }
    firstOf_.push_back(static_cast<std::uint32_t>(folded_.size()));
}

std::vector<std::uint32_t> IconPackIndex::search(std::string_view query) const {
    const std::string q = text::toLower(text::trimSpacesAndTabs(query));
    std::vector<std::uint32_t> out;
    const auto count = static_cast<std::uint32_t>(entries_.size());
    out.reserve(q.empty() ? count : 64);
    for (std::uint32_t i = 0; i < count; ++i) {
        bool match = q.empty();
        for (auto f = firstOf_[i]; !match && f < firstOf_[i + 1]; ++f) match = folded_[f].find(q) != std::string::npos;
        if (match) out.push_back(i);
    }
    return out;
}

// ---- IconPickerModel

IconPickerModel::IconPickerModel(SlotIcon icon, std::vector<IconPack> packs, IndexLoader loader,
                                 DisplayName displayName, QObject* parent)
    : QObject(parent),
      packs_(std::move(packs)),
      draft_(std::move(icon)),
      loader_(std::move(loader)),
      displayName_(std::move(displayName)) {
    recompute();
}

std::unique_ptr<IconPickerModel> IconPickerModel::withCatalog(SlotIcon icon, IconCatalog& catalog) {
    auto loader = [&catalog](const IconPack& pack, std::function<void(Index)> done) {
        // Read once per run, on the GUI thread only.
        static std::unordered_map<IconPack, Index> cache;
        if (const auto found = cache.find(pack); found != cache.end()) {
            done(found->second);
            return;
        }
        std::vector<IconCatalogEntry> builtIn;
        if (pack == kSf) builtIn = IconCatalog::sfSymbolEntries();
        const auto path = catalog.catalogPath(pack);
        QPointer<QCoreApplication> app(QCoreApplication::instance());
        QThreadPool::globalInstance()->start([pack, builtIn = std::move(builtIn), path, app, done = std::move(done)] {
            auto entries = builtIn;
            if (path) {
                QFile file(QString::fromStdString(*path));
                if (file.open(QIODevice::ReadOnly)) {
                    const std::string text = file.readAll().toStdString();
                    if (auto decoded = decodeIconCatalog(text)) entries = std::move(*decoded);
                }
            }
            auto index = std::make_shared<const IconPackIndex>(pack, std::move(entries));
            if (!app) return;
            QMetaObject::invokeMethod(app, [pack, index, done] {
                done(cache.try_emplace(pack, index).first->second);
            }, Qt::QueuedConnection);
        });
    };
    auto name = [&catalog](const IconPack& pack) { return catalog.displayName(pack); };
    return std::make_unique<IconPickerModel>(std::move(icon), catalog.allPacks(), loader, name);
}

void IconPickerModel::setMode(IconPickerMode mode) {
    if (mode == mode_) return;
    mode_ = mode;
    Q_EMIT stateChanged();
}

void IconPickerModel::selectPack(const IconPack& pack) {
    selectedPack_ = pack;
    search_.clear();
    Q_EMIT stateChanged();
    recompute();
}

void IconPickerModel::setSearchesAllPacks(bool all) {
    if (all == searchesAllPacks_) return;
    searchesAllPacks_ = all;
    Q_EMIT stateChanged();
    recompute();
}

void IconPickerModel::setSearch(std::string text) {
    if (text == search_) return;
    search_ = std::move(text);
    Q_EMIT stateChanged();
    recompute();
}

void IconPickerModel::restorePackOnAppear() {
    if (const auto* symbol = draft_.get<SlotIcon::SymbolPack>()) {
        if (symbol->pack == selectedPack_) return;
        selectedPack_ = symbol->pack;
        Q_EMIT stateChanged();
        recompute();
    }
}

void IconPickerModel::need(const IconPack& pack) {
    if (indices_.count(pack) || !requested_.try_emplace(pack, true).second) return;
    QPointer<IconPickerModel> self(this);
    loader_(pack, [self, pack](Index index) {
        if (!self || !index) return;
        self->indices_[pack] = std::move(index);
        self->recompute();
    });
}

void IconPickerModel::recompute() {
    // A query looks in every bundled pack, as the header promises: the
    // selected pack's matches first, then the others in chip order. "All"
    // also lists every pack without a query, in chip order.
    std::vector<IconPack> wanted;
    if (searchesAllPacks_) {
        wanted = packs_;
    } else {
        wanted.push_back(selectedPack_);
        if (isQuerying())
            for (const auto& pack : packs_)
                if (pack != selectedPack_) wanted.push_back(pack);
    }
    // A loader that answers at once recomputes from inside `need`; the pass
    // below then finds the index.
    for (const auto& pack : wanted) need(pack);
    std::vector<IconSearchResult> results;
    bool loading = false;
    for (const auto& pack : wanted) {
        const auto found = indices_.find(pack);
        if (found == indices_.end()) {
            loading = true;
            continue;
        }
        const IconPackIndex* index = found->second.get();
        for (auto position : index->search(search_)) results.push_back({index, position});
    }
    results_ = std::move(results);
    loading_ = loading;
    Q_EMIT resultsChanged();
}

bool IconPickerModel::isQuerying() const { return !text::trimSpacesAndTabs(search_).empty(); }

bool IconPickerModel::isChosen(const IconSearchResult& result) const {
    const auto* symbol = draft_.get<SlotIcon::SymbolPack>();
    return symbol && symbol->pack == result.pack() && symbol->name == result.entry().name;
}

std::pair<std::string, std::string> IconPickerModel::emptyText() const {
    // A query that matches nothing in a pack with entries is just that; a
    // pack without entries was not installed.
    bool haveEntries = false;
    for (const auto& [pack, index] : indices_)
        if ((searchesAllPacks_ || isQuerying() || pack == selectedPack_) && !index->entries().empty())
            haveEntries = true;
    if (selectedPack_ == kSf || haveEntries) return {"No matches.", {}};
    return {displayName(selectedPack_) + " isn't installed.",
            "Drop the font + catalog into Resources/IconPacks/" + selectedPack_.id() + "/ and rebuild."};
}

void IconPickerModel::setDraft(SlotIcon icon) {
    if (icon == draft_) return;
    draft_ = std::move(icon);
    readingImage_ = false;
    imageProblem_.reset();
    Q_EMIT draftChanged();
}

void IconPickerModel::setImageCheck(bool reading, std::optional<std::string> problem) {
    const bool image = draft_.get<SlotIcon::CustomImage>() != nullptr;
    readingImage_ = image && reading;
    imageProblem_ = image ? std::move(problem) : std::nullopt;
}

bool IconPickerModel::canApply() const { return !readingImage_ && !imageProblem_; }

void IconPickerModel::choose(const IconSearchResult& result) {
    setDraft(SlotIcon::symbolPack(result.pack(), result.entry().name));
}

std::string IconPickerModel::monogram() const {
    const auto* t = draft_.get<SlotIcon::Text>();
    return t ? t->text : std::string();
}

void IconPickerModel::setMonogram(std::string_view text) {
    const auto* t = draft_.get<SlotIcon::Text>();
    setDraft(SlotIcon::monogram(IconCatalog::monogramText(text).toStdString(),
                                t ? t->tintHex : std::nullopt));
}

std::optional<std::string> IconPickerModel::tint() const {
    const auto* t = draft_.get<SlotIcon::Text>();
    return t ? t->tintHex : std::nullopt;
}

void IconPickerModel::setTint(std::optional<std::string> hex) {
    const auto* t = draft_.get<SlotIcon::Text>();
    setDraft(SlotIcon::monogram(t ? t->text : std::string(), std::move(hex)));
}

void IconPickerModel::resetToDefault() { setDraft(SlotIcon::automatic()); }

void IconPickerModel::chooseImageFile(const std::string& path) { setDraft(SlotIcon::customImage(path)); }

bool IconPickerModel::acceptsDrop(const QList<QUrl>& urls) {
    return std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

bool IconPickerModel::dropUrls(const QList<QUrl>& urls) {
    for (auto it = urls.rbegin(); it != urls.rend(); ++it) {
        if (!it->isLocalFile()) continue;
        chooseImageFile(it->toLocalFile().toStdString());
        return true;
    }
    return false;
}

std::string IconPickerModel::selectionDescription() const {
    if (const auto* symbol = draft_.get<SlotIcon::SymbolPack>())
        return displayName(symbol->pack) + " · " + symbol->name;
    if (const auto* t = draft_.get<SlotIcon::Text>()) return "Text: " + t->text;
    if (const auto* image = draft_.get<SlotIcon::CustomImage>())
        return QUrl::fromLocalFile(QString::fromStdString(image->path)).fileName().toStdString();
    return "Default for this slot type";
}

}  // namespace orbel
