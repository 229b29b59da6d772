#include "dial/dial_accessibility.h"

#include <QAccessibleWidget>
#include <QPointer>

#include "dial/radial_menu_view.h"
#include "dial/wedge_geometry.h"

namespace orbel::dial {
namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

class WedgeAccessible : public QAccessibleInterface {
public:
    WedgeAccessible(RadialMenuView* view, int index) : view_(view), index_(index) {}

    bool isValid() const override { return view_ && index_ < int(view_->viewState().wedges.size()); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(view_.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::Role role() const override { return QAccessible::Button; }

    QString text(QAccessible::Text t) const override {
        if (!isValid()) return {};
        const DialViewState s = view_->viewState();
        const WedgeItem& w = s.wedges[std::size_t(index_)];
        const double level = s.draggedVolume.value_or(w.level);
        switch (t) {
            case QAccessible::Name: return w.isVolume ? qs(volumeAccessibilityLabel()) : qs(w.title);
            case QAccessible::Description:
                return w.isVolume ? qs(volumeAccessibilityHint()) : qs(wedgeAccessibilityHint(w.title));
            case QAccessible::Value: return w.isVolume ? qs(volumeAccessibilityValue(level, w.isMuted)) : QString();
            default: return {};
        }
    }
    QRect rect() const override {
        if (!isValid()) return {};
        const DialViewState s = view_->viewState();
        const QPointF c = view_->dialCentre();
        const QRect local = slotPath(c, index_, int(s.wedges.size()), DialMetrics{s.menuRadius}.innerRadius(),
                                     s.menuRadius)
                                .boundingRect()
                                .toAlignedRect();
        return QRect(view_->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::State state() const override {
        QAccessible::State st;
        st.selectable = true;
        st.selected = isValid() && view_->viewState().isHighlighted(index_);
        return st;
    }

private:
    QPointer<RadialMenuView> view_;
    int index_;
};

class DialAccessible : public QAccessibleWidget {
public:
    explicit DialAccessible(RadialMenuView* view) : QAccessibleWidget(view, QAccessible::Grouping) {}
    ~DialAccessible() override {
        for (QAccessible::Id id : children_) QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return int(view()->viewState().wedges.size()); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) return nullptr;
        while (int(children_.size()) <= index)
            children_.push_back(QAccessible::registerAccessibleInterface(new WedgeAccessible(view(), int(children_.size()))));
        return QAccessible::accessibleInterface(children_[std::size_t(index)]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (std::size_t i = 0; i < children_.size(); ++i)
            if (QAccessible::accessibleInterface(children_[i]) == child) return int(i);
        return -1;
    }
    QString text(QAccessible::Text t) const override {
        const DialViewState s = view()->viewState();
        std::vector<std::string> titles;
        for (const WedgeItem& w : s.wedges) titles.push_back(w.title);
        if (t == QAccessible::Name) return qs(dialAccessibilityLabel());
        if (t == QAccessible::Value || t == QAccessible::Description)
            return qs(dialAccessibilityValue(titles, s.highlightedIndex));
        return QAccessibleWidget::text(t);
    }

private:
    RadialMenuView* view() const { return static_cast<RadialMenuView*>(widget()); }
    mutable std::vector<QAccessible::Id> children_;
};

QAccessibleInterface* dialFactory(const QString&, QObject* object) {
    if (auto* view = qobject_cast<RadialMenuView*>(object)) return new DialAccessible(view);
    return nullptr;
}

}  // namespace

void installDialAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(dialFactory);
        return true;
    }();
    (void)installed;
}

}  // namespace orbel::dial
