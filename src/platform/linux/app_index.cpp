#include "platform/linux/app_index.h"

#include "platform/linux/launch_context.h"
#include "platform/linux/xdg_folders.h"
#include "platform/peer_file.h"

#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <algorithm>
#include <map>
#include <utility>

namespace orbel::platform::xdg {
namespace {

QString withoutSuffix(QString id) {
    if (id.endsWith(QLatin1String(".desktop"))) id.chop(8);
    return id;
}

// The locale names a localised key is tried with, most specific first:
// lang_COUNTRY@MODIFIER, lang_COUNTRY, lang@MODIFIER, lang.
QStringList localeNames() {
    QString locale;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (locale = qEnvironmentVariable(name); !locale.isEmpty()) break;
    QStringList out;
    if (locale.isEmpty() || locale == QLatin1String("C") || locale == QLatin1String("POSIX")) return out;
    QStringList wanted = qEnvironmentVariable("LANGUAGE").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    wanted << locale;
    for (QString l : wanted) {
        QString modifier;
        if (const auto at = l.indexOf(QLatin1Char('@')); at >= 0) modifier = l.mid(at), l.truncate(at);
        if (const auto dot = l.indexOf(QLatin1Char('.')); dot >= 0) l.truncate(dot);
        const QString lang = l.section(QLatin1Char('_'), 0, 0);
        for (const QString& name : {l + modifier, l, lang + modifier, lang})
            if (!out.contains(name)) out << name;
    }
    return out;
}

// One group of a desktop entry or a mimeapps.list, the keys as written
// (a localised key keeps its "[locale]").
class KeyGroup {
public:
    QByteArray raw(const QByteArray& key) const { return keys_.value(key); }
    bool has(const QByteArray& key) const { return keys_.contains(key); }
    QString string(const QByteArray& key) const { return unescape(raw(key)); }
    bool boolean(const QByteArray& key) const {
        const QByteArray v = raw(key).trimmed();
        return v == "true" || v == "1";
    }
    QStringList list(const QByteArray& key) const {
        QStringList out;
        QByteArray item;
        const QByteArray v = raw(key);
        for (qsizetype i = 0; i < v.size(); ++i) {
            if (v[i] == '\\' && i + 1 < v.size()) {
                // "\;" is a semicolon within an item; any other escape ("\\"
                // too) is the string's, kept for unescape().
                if (v[++i] == ';') item += ';';
                else item += '\\', item += v[i];
            } else if (v[i] == ';') {
                if (!item.isEmpty()) out << unescape(item);
                item.clear();
            } else {
                item += v[i];
            }
        }
        if (!item.isEmpty()) out << unescape(item);
        return out;
    }
    QString localized(const QByteArray& key, const QStringList& locales) const {
        for (const QString& locale : locales)
            if (auto it = keys_.find(key + '[' + locale.toUtf8() + ']'); it != keys_.end()) return unescape(*it);
        return string(key);
    }
    void set(const QByteArray& key, const QByteArray& value) {
        if (!keys_.contains(key)) keys_.insert(key, value);  // the first of a repeated key counts
    }

private:
    static QString unescape(const QByteArray& v) {
        QByteArray out;
        out.reserve(v.size());
        for (qsizetype i = 0; i < v.size(); ++i) {
            if (v[i] != '\\' || i + 1 == v.size()) {
                out += v[i];
                continue;
            }
            switch (const char c = v[++i]) {
                case 's': out += ' '; break;
                case 'n': out += '\n'; break;
                case 't': out += '\t'; break;
                case 'r': out += '\r'; break;
                case '\\': out += '\\'; break;
                default: out += '\\', out += c;
            }
        }
        return QString::fromUtf8(out);
    }
    QHash<QByteArray, QByteArray> keys_;
};

// A desktop entry, mimeapps.list or xdg-terminals.list, read as any file
// another program names: a regular file (after links), opened without
// blocking and read up to 1 MiB, past which it is none of these. A FIFO or a
// device there reads as nothing.
QByteArray readListFile(const QString& path) { return readPeerFile(path, 1 << 20).bytes.value_or(QByteArray()); }

// The named groups of a key file.
std::map<QByteArray, KeyGroup> readGroups(const QString& path, std::initializer_list<const char*> wanted) {
    std::map<QByteArray, KeyGroup> groups;  // nodes stay put while groups are added
    KeyGroup* current = nullptr;
    for (const QByteArray& raw : readListFile(path).split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#')) continue;
        if (line.startsWith('[') && line.endsWith(']')) {
            const QByteArray name = line.mid(1, line.size() - 2);
            current = nullptr;
            for (const char* w : wanted)
                if (name == w && !groups.count(name)) current = &groups[name];
            continue;
        }
        const auto eq = line.indexOf('=');
        if (current && eq > 0) current->set(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    return groups;
}

// An Exec or TryExec value split as a shell would ("..." and '...' quote,
// a backslash escapes); nothing when a quote is left open.
std::optional<QStringList> splitCommand(const QString& command) {
    QStringList args;
    QString arg;
    bool inArg = false;
    for (qsizetype i = 0; i < command.size(); ++i) {
        const QChar c = command[i];
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')) {
            if (inArg) args << std::exchange(arg, {});
            inArg = false;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            inArg = true;
            for (++i; i < command.size() && command[i] != c; ++i) {
                if (c == QLatin1Char('"') && command[i] == QLatin1Char('\\') && i + 1 < command.size()) ++i;
                arg += command[i];
            }
            if (i == command.size()) return std::nullopt;
        } else {
            inArg = true;
            if (c == QLatin1Char('\\') && i + 1 < command.size()) ++i;
            arg += command[i];
        }
    }
    if (inArg) args << arg;
    return args;
}

// What one reading of the entries looks up once: whether a program runs
// here (a path to an executable file, or a name on $PATH), the locale
// names and the current desktops.
class Reading {
public:
    const QStringList locales = localeNames();
    const QStringList desktops = currentDesktops();

    bool found(const QString& program) {
        if (program.isEmpty()) return false;
        auto it = known_.find(program);
        if (it == known_.end()) it = known_.insert(program, !QStandardPaths::findExecutable(program).isEmpty());
        return *it;
    }

private:
    QHash<QString, bool> known_;
};

// The program an Exec line starts, as written there. Behind env, its
// assignments and options are passed over as env reads them: -u, -C and -S
// take a value (the rest of the word, else the next word; "--unset=NAME" or
// "--unset NAME"), "--" ends the options, and -S's value is itself split
// into the words that follow (a few times over at most: each -S inside one
// would otherwise take a level of the stack).
QString programOf(const QStringList& argv, int splits = 0) {
    qsizetype i = 0;
    if (!argv.isEmpty() && QFileInfo(argv[0]).fileName() == QLatin1String("env")) {
        static const std::pair<QLatin1String, char> kLong[] = {
            {QLatin1String("--unset"), 'u'}, {QLatin1String("--chdir"), 'C'}, {QLatin1String("--split-string"), 'S'}};
        for (i = 1; i < argv.size(); ++i) {
            const QString& arg = argv[i];
            if (arg == QLatin1String("--")) {
                ++i;
                break;
            }
            if (!arg.startsWith(QLatin1Char('-'))) {
                if (arg.contains(QLatin1Char('='))) continue;
                break;
            }
            char option = 0;
            QString value;
            if (arg.startsWith(QLatin1String("--"))) {
                for (const auto& [name, letter] : kLong)
                    if (arg == name) option = letter, value = argv.value(++i);
                    else if (arg.startsWith(name + QLatin1Char('='))) option = letter, value = arg.mid(name.size() + 1);
            } else {
                for (qsizetype c = 1; c < arg.size() && !option; ++c)
                    if (const char letter = arg[c].toLatin1(); letter == 'u' || letter == 'C' || letter == 'S')
                        option = letter, value = c + 1 < arg.size() ? arg.mid(c + 1) : argv.value(++i);
            }
            if (option == 'S' && splits == 4) return {};
            if (option == 'S')
                return programOf(QStringList{argv[0]} + splitCommand(value).value_or(QStringList()) + argv.mid(i + 1),
                                 splits + 1);
        }
    }
    return i < argv.size() ? argv[i] : QString();
}

// The entry at `path` as the id `id`; nothing for what is not a launchable
// application here: another Type, Hidden, a missing TryExec or Exec program.
std::optional<AppRecord> readRecord(const QString& id, const QString& path, Reading& reading) {
    const auto groups = readGroups(path, {"Desktop Entry"});
    const auto it = groups.find("Desktop Entry");
    if (it == groups.end()) return std::nullopt;
    const KeyGroup& e = it->second;
    if (e.string("Type") != QLatin1String("Application") || e.boolean("Hidden")) return std::nullopt;
    if (const QString tryExec = e.string("TryExec"); !tryExec.isEmpty() && !reading.found(tryExec)) return std::nullopt;
    AppRecord r;
    if (const QString exec = e.string("Exec"); !exec.isEmpty()) {
        const auto argv = splitCommand(exec);
        if (!argv || argv->isEmpty() || !reading.found(argv->first())) return std::nullopt;
        // "env -u X /missing/prog" runs nothing: the program behind env must be here too.
        const QString program = programOf(*argv);
        if (program != argv->first() && !program.isEmpty() && !reading.found(program)) return std::nullopt;
        r.program = QFileInfo(program).fileName();
    }
    r.id = id;
    r.location = path;
    r.name = e.localized("Name", reading.locales);
    r.icon = e.string("Icon");
    r.startupWMClass = e.string("StartupWMClass");
    r.categories = e.list("Categories");
    r.mimeTypes = e.list("MimeType");
    bool shown = !e.boolean("NoDisplay");
    const auto anyOf = [&](const QStringList& names) {
        return std::any_of(reading.desktops.begin(), reading.desktops.end(), [&](const QString& d) { return names.contains(d); });
    };
    if (e.has("OnlyShowIn")) shown = shown && anyOf(e.list("OnlyShowIn"));
    if (e.has("NotShowIn")) shown = shown && !anyOf(e.list("NotShowIn"));
    r.listed = shown;
    return r;
}

// The file an id names under `folder`: "a-b-c" is a-b-c.desktop, or
// a/b-c.desktop, a/b/c.desktop, ... in entry subfolders.
QString fileFor(const QString& folder, const QString& id, int depth = 0) {
    if (const QString path = folder + QLatin1Char('/') + id + QStringLiteral(".desktop"); QFileInfo(path).isFile()) return path;
    if (depth > 8) return {};
    for (qsizetype dash = id.indexOf(QLatin1Char('-')); dash > 0; dash = id.indexOf(QLatin1Char('-'), dash + 1))
        if (const QString sub = folder + QLatin1Char('/') + id.left(dash); QFileInfo(sub).isDir())
            if (QString path = fileFor(sub, id.mid(dash + 1), depth + 1); !path.isEmpty()) return path;
    return {};
}

// How far one reading goes: entry subfolders (such as kde4/) are read and
// watched up to this many in all, and a linked folder is followed, but no
// link inside one. A link to /usr among the entries would otherwise have
// each of its thousands of folders read, and watched at the cost of the
// user's whole inotify allowance.
constexpr int kMostSubfolders = 256;

struct Scan {
    std::vector<AppRecord>& out;
    QStringList* subfolders;  // the subfolders read, to be watched
    Reading reading;
    QSet<QString> seen, visited;
    int subfoldersLeft = kMostSubfolders;
};

void scanFolder(Scan& scan, const QString& folder, const QString& prefix, int depth, bool withinLink) {
    scan.visited.insert(QFileInfo(folder).canonicalFilePath());
    const QDir dir(folder);
    for (const QFileInfo& info : dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (info.isDir()) {
            const bool link = info.isSymbolicLink();
            if (depth == 8 || (link && withinLink) || scan.subfoldersLeft == 0 ||
                scan.visited.contains(info.canonicalFilePath()))
                continue;
            --scan.subfoldersLeft;
            if (scan.subfolders) *scan.subfolders << info.filePath();
            scanFolder(scan, info.filePath(), prefix + info.fileName() + QLatin1Char('-'), depth + 1, withinLink || link);
        } else if (info.fileName().endsWith(QLatin1String(".desktop"))) {
            const QString id = prefix + withoutSuffix(info.fileName());
            if (scan.seen.contains(id)) continue;  // an earlier folder's entry masks this one, valid or not
            scan.seen.insert(id);
            if (auto record = readRecord(id, info.filePath(), scan.reading)) scan.out.push_back(std::move(*record));
        }
    }
}

// The mimeapps.list files, most important first.
QStringList mimeappsLists() {
    QStringList out;
    QStringList names;
    for (const QString& desktop : currentDesktops()) names << desktop.toLower() + QStringLiteral("-mimeapps.list");
    names << QStringLiteral("mimeapps.list");
    for (const QStringList& folders : {configFolders(), applicationFolders()})
        for (const QString& folder : folders)
            for (const QString& name : names) out << folder + QLatin1Char('/') + name;
    return out;
}

// xdg-terminal-exec's preference lists, most important first.
QStringList terminalLists() {
    QStringList lists;
    for (const QString& folder : configFolders()) {
        for (const QString& desktop : currentDesktops())
            lists << folder + QLatin1Char('/') + desktop.toLower() + QStringLiteral("-xdg-terminals.list");
        lists << folder + QStringLiteral("/xdg-terminals.list");
    }
    return lists;
}

bool onGuiThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void postToGuiThread(std::function<void()> work) {
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, std::move(work), Qt::QueuedConnection);
}

const char* const kSettingsIds[] = {
    "org.gnome.Settings",  "gnome-control-center",      "systemsettings",    "org.kde.systemsettings",
    "kdesystemsettings",   "xfce-settings-manager",     "org.xfce.settings.manager",
    "cinnamon-settings",   "mate-control-center",       "budgie-control-center", "lxqt-config",
};

}  // namespace

std::optional<AppRole> roleForIdentifier(const QString& bundleId) {
    const AppCounterpart* counterpart = counterpartFor(bundleId.toStdString());
    return counterpart ? counterpart->role : std::nullopt;
}

namespace {
// Every identifier of the table, for resolving ahead of the GUI thread.
const QStringList& tableIdentifiers() {
    static const QStringList ids = [] {
        QStringList out;
        for (const std::string& id : counterpartIdentifiers()) out << QString::fromStdString(id);
        return out;
    }();
    return ids;
}
}  // namespace

// Listens for changes in the application folders (and their subfolders),
// and for mimeapps.list and xdg-terminals.list in the configuration
// folders. A folder not made yet is awaited in its nearest parent. A burst
// of changes (a package being installed) drops the answers once.
struct AppIndex::Watcher : QObject {
    enum class Kind { anything, configuration, child };
    struct Rule {
        Kind kind;
        QString child;  // for Kind::child: the name awaited
    };

    explicit Watcher(AppIndex& index) : index(index), fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        settle.setSingleShot(true);
        settle.setInterval(50);
        connect(&settle, &QTimer::timeout, this, [this] { this->index.invalidate(); });
        if (fd < 0) return;
        notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, &Watcher::read);
    }
    ~Watcher() override {
        if (fd >= 0) ::close(fd);
    }

    // Watches these folders from now on; true when one is watched that was not before.
    bool watchOnly(const QStringList& subfolders) {
        if (fd < 0) return false;
        QMultiHash<QString, Rule> wanted;
        auto await = [&](QString folder, Kind kind) {
            QString child;
            while (!QFileInfo(folder).isDir() && folder.size() > 1) {
                child = QFileInfo(folder).fileName();
                folder = QFileInfo(folder).path();
                kind = Kind::child;
            }
            wanted.insert(folder, {kind, child});
        };
        for (const QString& folder : applicationFolders()) await(folder, Kind::anything);
        for (const QString& folder : subfolders) await(folder, Kind::anything);
        for (const QString& folder : configFolders()) await(folder, Kind::configuration);
        bool added = false;
        QHash<int, QString> before = std::exchange(paths, {});
        rules.clear();
        for (const QString& folder : wanted.uniqueKeys()) {
            const int wd = inotify_add_watch(fd, QFile::encodeName(folder).constData(),
                                             IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE | IN_ATTRIB |
                                                 IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR);
            if (wd < 0) continue;
            added = added || !before.contains(wd);
            before.remove(wd);
            paths.insert(wd, folder);
            for (const Rule& rule : wanted.values(folder)) rules.insert(wd, rule);
        }
        for (auto it = before.begin(); it != before.end(); ++it) inotify_rm_watch(fd, it.key());
        return added;
    }

    void read() {
        alignas(inotify_event) char buffer[16384];
        bool relevant = false;
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0) break;
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                at += ssize_t(sizeof(inotify_event) + event->len);
                const QString name = event->len ? QFile::decodeName(event->name) : QString();
                if (event->mask & (IN_Q_OVERFLOW | IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF)) relevant = true;
                for (const Rule& rule : rules.values(event->wd)) {
                    if (rule.kind == Kind::anything) relevant = true;
                    if (rule.kind == Kind::child && name == rule.child) relevant = true;
                    if (rule.kind == Kind::configuration &&
                        (name.endsWith(QLatin1String("mimeapps.list")) || name.endsWith(QLatin1String("xdg-terminals.list"))))
                        relevant = true;
                }
            }
        }
        if (relevant && !settle.isActive()) settle.start();
    }

    // Notices not read yet, or read and being let settle.
    bool pending() const {
        int unread = 0;
        return settle.isActive() || (fd >= 0 && ioctl(fd, FIONREAD, &unread) == 0 && unread > 0);
    }

    AppIndex& index;
    int fd;
    QSocketNotifier* notifier = nullptr;
    QTimer settle;
    QHash<int, QString> paths;
    QMultiHash<int, Rule> rules;
    bool armed = false;
};

AppIndex& AppIndex::shared() {
    static AppIndex* index = new AppIndex;  // lives as long as the process
    return *index;
}

AppIndex::AppIndex() {
    // Watching starts on the GUI thread, where the change notices are read.
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, [this] { watch({}); }, Qt::AutoConnection);
    rebuildInBackground();
}

void AppIndex::watch(const QStringList& subfolders) {
    if (!watcher_) watcher_ = new Watcher(*this);
    const bool first = !watcher_->armed;
    watcher_->armed = true;
    // A folder watched only now may have gained entries before it was.
    if (watcher_->watchOnly(subfolders) && !first) invalidate();
}

std::shared_ptr<const std::vector<AppRecord>> AppIndex::readAll(QStringList* subfolders) {
    auto records = std::make_shared<std::vector<AppRecord>>();
    Scan scan{*records, subfolders, {}, {}, {}};
    for (const QString& folder : applicationFolders())
        if (!scan.visited.contains(QFileInfo(folder).canonicalFilePath())) scanFolder(scan, folder, {}, 0, false);
    return records;
}

void AppIndex::rebuildInBackground() {
    {
        std::lock_guard lock(mutex_);
        if (rebuilding_) {
            rebuildAgain_ = true;  // the read under way may have missed the change
            return;
        }
        rebuilding_ = true;
    }
    readInBackground();
}

void AppIndex::readInBackground() {
    QThreadPool::globalInstance()->start([this] {
        {
            std::lock_guard lock(mutex_);
            reading_ = true;
        }
        QStringList subfolders;
        auto records = readAll(&subfolders);
        {
            std::lock_guard lock(mutex_);
            all_ = records;  // the table below is matched against the new list
            reading_ = false;
        }
        listRead_.notify_all();
        auto table = resolveTable();
        bool again;
        std::vector<std::function<void()>> waiting;
        {
            std::lock_guard lock(mutex_);
            again = std::exchange(rebuildAgain_, false);
            rebuilding_ = again;  // the next reading is under way from here
            ++generation_;  // answers made from the old list are matched again
            resolved_ = std::move(table);
            ready_ = true;
            waiting = std::exchange(whenReady_, {});
            if (QCoreApplication::instance()) ++watchesDue_;
        }
        for (auto& done : waiting) postToGuiThread(std::move(done));
        // The application waits for the thread pool before it goes.
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                app,
                [this, subfolders] {
                    watch(subfolders);
                    std::lock_guard lock(mutex_);
                    --watchesDue_;
                },
                Qt::QueuedConnection);
        if (again) readInBackground();
    });
}

void AppIndex::invalidate() {
    {
        std::lock_guard lock(mutex_);
        ++generation_;
        // Plain ids are looked up again at once; the table's answers stay
        // until the new ones are made, so the GUI thread never waits on them.
        for (auto it = resolved_.begin(); it != resolved_.end();)
            it = tableIdentifiers().contains(it->first) ? std::next(it) : resolved_.erase(it);
    }
    // Readers keep the list they have until the new one is read.
    rebuildInBackground();
}

std::map<QString, std::optional<AppRecord>> AppIndex::resolveTable() {
    std::map<QString, std::optional<AppRecord>> out;
    for (const QString& id : tableIdentifiers()) out[id] = lookUp(id);
    return out;
}

std::uint64_t AppIndex::generation() {
    std::lock_guard lock(mutex_);
    return generation_;
}

std::shared_ptr<const std::vector<AppRecord>> AppIndex::all() {
    const bool guiThread = onGuiThread();
    {
        std::unique_lock lock(mutex_);
        // The GUI thread never waits for a reading nor makes one: before the
        // first list it is told of none, and generation() grows when the list comes.
        static const auto none = std::make_shared<const std::vector<AppRecord>>();
        if (guiThread && !all_) return none;
        // Elsewhere, only before the first list is read: a reading already
        // under way is waited for rather than made twice.
        listRead_.wait(lock, [this] { return all_ || !reading_; });
        if (all_) return all_;
    }
    // The first reading has not started (the pool is busy): read here.
    auto records = readAll();
    std::lock_guard lock(mutex_);
    if (!all_) all_ = records;
    return all_;
}

bool AppIndex::settled() {
    if (!watcher_ || watcher_->pending()) return false;
    std::lock_guard lock(mutex_);
    return ready_ && !rebuilding_ && watchesDue_ == 0;
}

bool AppIndex::ready() {
    std::lock_guard lock(mutex_);
    return ready_;
}

void AppIndex::whenReady(std::function<void()> done) {
    {
        std::lock_guard lock(mutex_);
        if (!ready_) {
            whenReady_.push_back(std::move(done));
            return;
        }
    }
    postToGuiThread(std::move(done));
}

platform::Lookup<AppRecord> AppIndex::resolve(const QString& bundleId) {
    using Answer = platform::Lookup<AppRecord>;
    const auto answer = [](const std::optional<AppRecord>& r) { return r ? Answer::found(*r) : Answer::none(); };
    std::uint64_t generation;
    {
        std::lock_guard lock(mutex_);
        if (auto it = resolved_.find(bundleId); it != resolved_.end()) return answer(it->second);
        // Before the first reading ends, finding out would read the entries
        // and lists here; the caller asks again once ready().
        if (!ready_ && onGuiThread()) return Answer::notKnownYet();
        generation = generation_;
    }
    std::optional<AppRecord> found = lookUp(bundleId);
    std::lock_guard lock(mutex_);
    if (generation == generation_) resolved_[bundleId] = found;
    return answer(found);
}

std::optional<AppRecord> AppIndex::lookUp(const QString& bundleId) {
    if (auto found = byId(bundleId)) return found;
    const AppCounterpart* counterpart = counterpartFor(bundleId.toStdString());
    if (!counterpart) return std::nullopt;
    for (const std::string& id : counterpart->desktopIds)
        if (auto found = byId(QString::fromStdString(id))) return found;
    if (counterpart->role) return forRole(*counterpart->role);
    return std::nullopt;
}

std::optional<AppRecord> AppIndex::byId(const QString& id) {
    if (id.isEmpty() || id.contains(QLatin1Char('/'))) return std::nullopt;
    // The list read last answers without touching the disk; it is read again
    // whenever the folders change, and the answers made from it dropped.
    std::shared_ptr<const std::vector<AppRecord>> list;
    {
        std::lock_guard lock(mutex_);
        list = all_;
    }
    if (list) {
        const auto it = std::find_if(list->begin(), list->end(), [&](const AppRecord& r) { return r.id == id; });
        return it == list->end() ? std::nullopt : std::optional<AppRecord>(*it);
    }
    // Before the first list: the first folder holding the id decides, even
    // when its entry is not launchable (a Hidden entry in the user's folder
    // removes the system's), as in the list.
    Reading reading;
    for (const QString& folder : applicationFolders())
        if (const QString path = fileFor(folder, id); !path.isEmpty()) return readRecord(id, path, reading);
    return std::nullopt;
}

std::optional<AppRecord> AppIndex::defaultFor(std::initializer_list<const char*> types) {
    std::vector<std::map<QByteArray, KeyGroup>> lists;
    for (const QString& path : mimeappsLists())
        if (QFileInfo(path).isFile())
            lists.push_back(readGroups(path, {"Default Applications", "Added Associations", "Removed Associations"}));
    const auto ids = [](const std::map<QByteArray, KeyGroup>& groups, const char* group, const char* type) {
        const auto it = groups.find(group);
        return it == groups.end() ? QStringList() : it->second.list(type);
    };
    QSet<QString> removed;
    for (const auto& groups : lists)
        for (const char* type : types) {
            for (const QString& id : ids(groups, "Removed Associations", type)) removed.insert(withoutSuffix(id));
        }
    // The chosen defaults, then the added associations not removed, file by file.
    for (const bool chosen : {true, false})
        for (const char* type : types)
            for (const auto& groups : lists)
                for (const QString& id : ids(groups, chosen ? "Default Applications" : "Added Associations", type))
                    if (const QString plain = withoutSuffix(id); chosen || !removed.contains(plain))
                        if (auto found = byId(plain)) return found;
    // Nothing chosen: the first entry by id declaring the type.
    for (const char* type : types) {
        std::optional<AppRecord> declaring;
        const auto list = all();  // held: a new reading may replace it meanwhile
        for (const AppRecord& r : *list)
            if (r.mimeTypes.contains(QLatin1String(type)) && !removed.contains(r.id) && (!declaring || r.id < declaring->id))
                declaring = r;
        if (declaring) return declaring;
    }
    return std::nullopt;
}

std::optional<AppRecord> AppIndex::forRole(AppRole role) {
    switch (role) {
        case AppRole::browser: return defaultFor({"x-scheme-handler/https", "x-scheme-handler/http", "text/html"});
        case AppRole::fileManager: return defaultFor({"inode/directory"});
        case AppRole::terminal: return terminal();
        case AppRole::mailClient: return defaultFor({"x-scheme-handler/mailto"});
        case AppRole::calendar: return defaultFor({"text/calendar", "x-scheme-handler/webcal"});
        case AppRole::textEditor: return defaultFor({"text/plain"});
        case AppRole::settings:
            for (const char* id : kSettingsIds)
                if (auto found = byId(QString::fromLatin1(id))) return found;
            return std::nullopt;
    }
    return std::nullopt;
}

std::optional<AppRecord> AppIndex::terminal() {
    // Lines are desktop ids; "-id" excludes one, "+id" and ":action" are tolerated.
    QSet<QString> excluded;
    for (const QString& path : terminalLists()) {
        for (const QByteArray& raw : readListFile(path).split('\n')) {
            QString line = QString::fromUtf8(raw).trimmed();
            if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
            const bool exclude = line.startsWith(QLatin1Char('-'));
            if (exclude || line.startsWith(QLatin1Char('+'))) line = line.mid(1);
            line = withoutSuffix(line.section(QLatin1Char(':'), 0, 0));
            if (exclude)
                excluded.insert(line);
            else if (!excluded.contains(line))
                if (auto found = byId(line)) return found;
        }
    }
    // Else any terminal, the same one each time: the first by id.
    std::optional<AppRecord> any;
    const auto list = all();  // held: a new reading may replace it meanwhile
    for (const AppRecord& r : *list)
        if (r.categories.contains(QLatin1String("TerminalEmulator")) && !excluded.contains(r.id) && (!any || r.id < any->id))
            any = r;
    return any;
}

bool AppIndex::launch(const QString& location) {
    const gio::ModuleFunctions* gio = gio::module();
    return gio && gio->launch(location, QDir::homePath(), x11::launchAnnouncer());
}

}  // namespace orbel::platform::xdg
