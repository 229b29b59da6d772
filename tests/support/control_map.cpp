#include "support/control_map.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QTextEdit>

#include "ui/controls.h"

namespace orbel {
namespace {

QString textOf(const QWidget* w) {
    if (!w->accessibleName().isEmpty()) return w->accessibleName();
    if (const auto* b = qobject_cast<const QAbstractButton*>(w)) return b->text();
    if (const auto* l = qobject_cast<const QLabel*>(w)) return l->text();
    if (const auto* e = qobject_cast<const QLineEdit*>(w)) return e->placeholderText();
    if (const auto* e = qobject_cast<const QPlainTextEdit*>(w)) return e->placeholderText();
    if (const auto* e = qobject_cast<const QTextEdit*>(w)) return e->placeholderText();
    return {};
}

QJsonObject entry(const QWidget* window, const QString& type, const QString& name, const QStringList& path,
                  const QString& text, QRect onScreen) {
    return QJsonObject{{"window", window->windowTitle()},
                       {"windowId", QString::number(window->internalWinId())},
                       {"type", type},
                       {"name", name},
                       {"path", QJsonArray::fromStringList(path)},
                       {"text", text},
                       {"x", onScreen.x()},
                       {"y", onScreen.y()},
                       {"width", onScreen.width()},
                       {"height", onScreen.height()}};
}

void addWidget(QJsonArray& out, const QWidget* window, const QWidget* w, QStringList path) {
    if (!w->isVisible()) return;
    const QRect onScreen(w->mapToGlobal(QPoint(0, 0)), w->size());
    QJsonObject own =
        entry(window, QString::fromLatin1(w->metaObject()->className()), w->objectName(), path, textOf(w), onScreen);
    own["focused"] = w->hasFocus();
    own["marked"] = ui::showsFocusMark(w);
    out << own;
    if (!w->objectName().isEmpty()) path << w->objectName();
    if (const auto* segments = qobject_cast<const ui::SegmentedControl*>(w)) {
        for (int i = 0; i < segments->count(); ++i) {
            const QRect r = segments->segmentRect(i);
            out << entry(window, QStringLiteral("segment"), {}, path, segments->option(i),
                         QRect(w->mapToGlobal(r.topLeft()), r.size()));
        }
    }
    if (const auto* view = qobject_cast<const QAbstractItemView*>(w); view && view->model()) {
        const QWidget* port = view->viewport();
        for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row) {
            const QModelIndex index = view->model()->index(row, 0, view->rootIndex());
            const QRect r = view->visualRect(index).intersected(port->rect());
            if (r.isEmpty()) continue;
            out << entry(window, QStringLiteral("row"), QString::number(row), path, index.data().toString(),
                         QRect(port->mapToGlobal(r.topLeft()), r.size()));
        }
    }
    for (const QObject* child : w->children())
        if (const auto* c = qobject_cast<const QWidget*>(child); c && !c->isWindow()) addWidget(out, window, c, path);
}

void writeMap(const QString& file) {
    QJsonArray controls;
    for (const QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible()) addWidget(controls, window, window, {});
    QSaveFile out(file);
    if (out.open(QIODevice::WriteOnly)) {
        out.write(QJsonDocument(controls).toJson(QJsonDocument::Compact));
        out.commit();
    }
}

}  // namespace

void answerControlMapRequests() {
    const QString file = qEnvironmentVariable("ORBEL_TEST_CONTROL_MAP");
    if (file.isEmpty()) return;
    const QString request = file + QStringLiteral(".request");
    QDir().mkpath(QFileInfo(file).absolutePath());
    auto* watcher = new QFileSystemWatcher({QFileInfo(file).absolutePath()}, qApp);
    QObject::connect(watcher, &QFileSystemWatcher::directoryChanged, watcher, [file, request] {
        if (QFile::remove(request)) writeMap(file);
    });
}

}  // namespace orbel
