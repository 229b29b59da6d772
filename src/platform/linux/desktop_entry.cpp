#include "platform/linux/desktop_entry.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSet>
#include <QStandardPaths>
#include <algorithm>
#include <map>

namespace orbel::platform::xdg {
namespace {

QString envPath(const char* name) {
    QString value = qEnvironmentVariable(name);
    return QDir::isAbsolutePath(value) ? value : QString();
}

QStringList envPathList(const char* name, const QStringList& fallback) {
    QStringList out;
    for (const QString& part : qEnvironmentVariable(name).split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(part)) out << part;
    return out.isEmpty() ? fallback : out;
}

// String-level escapes of desktop entry values: \s \n \t \r \\.
QString unescapeValue(const QString& raw) {
    QString out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        QChar c = raw[i];
        if (c == QLatin1Char('\\') && i + 1 < raw.size()) {
            QChar n = raw[++i];
            switch (n.unicode()) {
            case 's': out += QLatin1Char(' '); break;
            case 'n': out += QLatin1Char('\n'); break;
            case 't': out += QLatin1Char('\t'); break;
            case 'r': out += QLatin1Char('\r'); break;
            case '\\': out += QLatin1Char('\\'); break;
            default: out += QLatin1Char('\\'); out += n; break;  // kept for lists (\;) and Exec
            }
        } else {
            out += c;
        }
    }
    return out;
}

QStringList splitList(const QString& raw) {
    QStringList out;
    QString cur;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] == QLatin1Char('\\') && i + 1 < raw.size() && raw[i + 1] == QLatin1Char(';')) {
            cur += QLatin1Char(';');
            ++i;
        } else if (raw[i] == QLatin1Char(';')) {
            if (!cur.isEmpty()) out << cur;
            cur.clear();
        } else {
            cur += raw[i];
        }
    }
    if (!cur.isEmpty()) out << cur;
    return out;
}

bool isTrue(const QString& v) { return v.trimmed() == QLatin1String("true"); }

}  // namespace

BaseDirs BaseDirs::fromEnvironment() {
    BaseDirs d;
    QString home = QDir::homePath();
    d.configHome = envPath("XDG_CONFIG_HOME");
    if (d.configHome.isEmpty()) d.configHome = home + QStringLiteral("/.config");
    d.configDirs = envPathList("XDG_CONFIG_DIRS", {QStringLiteral("/etc/xdg")});
    d.dataHome = envPath("XDG_DATA_HOME");
    if (d.dataHome.isEmpty()) d.dataHome = home + QStringLiteral("/.local/share");
    d.dataDirs = envPathList("XDG_DATA_DIRS", {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")});
    for (const QString& desktop : qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts))
        d.currentDesktops << desktop.toLower();
    return d;
}

QStringList BaseDirs::applicationDirs() const {
    QStringList out{dataHome + QStringLiteral("/applications")};
    for (const QString& dir : dataDirs) out << dir + QStringLiteral("/applications");
    out.removeDuplicates();
    return out;
}

bool DesktopEntry::isLaunchable() const {
    if (type != QLatin1String("Application") || hidden || exec.trimmed().isEmpty()) return false;
    if (!tryExec.isEmpty()) {
        if (QDir::isAbsolutePath(tryExec)) {
            QFileInfo info(tryExec);
            if (!info.isFile() || !info.isExecutable()) return false;
        } else if (QStandardPaths::findExecutable(tryExec).isEmpty()) {
            return false;
        }
    }
    return true;
}

std::optional<DesktopEntry> parseDesktopEntry(const QByteArray& content, const QString& locale) {
    // Candidate locale suffixes, most specific first.
    QStringList localeKeys;
    if (!locale.isEmpty()) {
        QString base = locale.section(QLatin1Char('.'), 0, 0);  // drop an encoding
        localeKeys << base;
        QString lang = base.section(QLatin1Char('_'), 0, 0);
        if (lang != base) localeKeys << lang;
    }

    std::map<QString, QString> values;  // key (with locale suffix) -> raw value
    bool inGroup = false;
    bool seenGroup = false;
    for (const QByteArray& rawLine : content.split('\n')) {
        QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        if (line.startsWith(QLatin1Char('['))) {
            if (inGroup) break;  // only the first group matters
            inGroup = line == QLatin1String("[Desktop Entry]");
            seenGroup = seenGroup || inGroup;
            continue;
        }
        if (!inGroup) continue;
        qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0) continue;
        QString key = line.left(eq).trimmed();
        if (!values.count(key)) values[key] = line.mid(eq + 1).trimmed();
    }
    if (!seenGroup) return std::nullopt;

    auto raw = [&](const QString& key) -> QString {
        auto it = values.find(key);
        return it == values.end() ? QString() : it->second;
    };
    auto localized = [&](const QString& key) -> QString {
        for (const QString& l : localeKeys) {
            auto it = values.find(key + QLatin1Char('[') + l + QLatin1Char(']'));
            if (it != values.end()) return unescapeValue(it->second);
        }
        return unescapeValue(raw(key));
    };

    DesktopEntry e;
    e.type = unescapeValue(raw(QStringLiteral("Type")));
    e.name = localized(QStringLiteral("Name"));
    e.icon = localized(QStringLiteral("Icon"));
    e.exec = raw(QStringLiteral("Exec"));  // unescaped when split
    e.tryExec = unescapeValue(raw(QStringLiteral("TryExec")));
    e.workingDir = unescapeValue(raw(QStringLiteral("Path")));
    e.startupWMClass = unescapeValue(raw(QStringLiteral("StartupWMClass")));
    e.mimeTypes = splitList(raw(QStringLiteral("MimeType")));
    e.categories = splitList(raw(QStringLiteral("Categories")));
    e.noDisplay = isTrue(raw(QStringLiteral("NoDisplay")));
    e.hidden = isTrue(raw(QStringLiteral("Hidden")));
    e.terminal = isTrue(raw(QStringLiteral("Terminal")));
    return e;
}

std::optional<DesktopEntry> readDesktopEntry(const QString& path, const QString& id, const QString& locale) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    // Desktop entries are small; a huge file is not one.
    if (file.size() > 1024 * 1024) return std::nullopt;
    auto entry = parseDesktopEntry(file.readAll(), locale);
    if (!entry) return std::nullopt;
    entry->id = id;
    entry->location = QFileInfo(path).absoluteFilePath();
    return entry;
}

QString desktopIdFor(const QString& relativePath) {
    QString id = relativePath;
    if (id.endsWith(QLatin1String(".desktop"))) id.chop(8);
    id.replace(QLatin1Char('/'), QLatin1Char('-'));
    return id;
}

namespace {

// dir/rest.desktop, or a "-" in rest standing for a sub-folder.
std::optional<QString> locate(const QString& dir, const QString& rest, int depth) {
    QString direct = dir + QLatin1Char('/') + rest + QStringLiteral(".desktop");
    if (QFileInfo(direct).isFile()) return direct;
    if (depth > 8) return std::nullopt;
    for (qsizetype i = rest.indexOf(QLatin1Char('-')); i > 0; i = rest.indexOf(QLatin1Char('-'), i + 1)) {
        QString sub = dir + QLatin1Char('/') + rest.left(i);
        if (QFileInfo(sub).isDir())
            if (auto found = locate(sub, rest.mid(i + 1), depth + 1)) return found;
    }
    return std::nullopt;
}

}  // namespace

std::optional<DesktopEntry> findDesktopEntry(const QStringList& applicationDirs, const QString& id,
                                             const QString& locale) {
    if (id.isEmpty() || id.contains(QLatin1Char('/')) || id.startsWith(QLatin1Char('.'))) return std::nullopt;
    for (const QString& dir : applicationDirs) {
        auto path = locate(dir, id, 0);
        if (!path) continue;
        auto entry = readDesktopEntry(*path, id, locale);
        if (!entry || entry->hidden) return std::nullopt;
        return entry;
    }
    return std::nullopt;
}

std::vector<DesktopEntry> scanDesktopEntries(const QStringList& applicationDirs, const QString& locale) {
    std::vector<DesktopEntry> out;
    QSet<QString> seen;
    for (const QString& dir : applicationDirs) {
        QDir root(dir);
        if (!root.exists()) continue;
        std::vector<std::pair<QString, QString>> files;  // id, path
        QDirIterator it(dir, {QStringLiteral("*.desktop")}, QDir::Files | QDir::Readable,
                        QDirIterator::Subdirectories | QDirIterator::FollowSymlinks);
        while (it.hasNext()) {
            QString path = it.next();
            files.emplace_back(desktopIdFor(root.relativeFilePath(path)), path);
        }
        std::sort(files.begin(), files.end());
        for (const auto& [id, path] : files) {
            if (seen.contains(id)) continue;
            seen.insert(id);
            if (auto entry = readDesktopEntry(path, id, locale)) out.push_back(std::move(*entry));
        }
    }
    return out;
}

std::optional<QStringList> execArguments(const DesktopEntry& entry) {
    const QString exec = unescapeValue(entry.exec);
    // Split into arguments; quoted arguments keep their field codes literal
    // except %%, and \" \` \$ \\ are escapes inside quotes.
    struct Arg {
        QString text;
        bool quoted = false;
    };
    std::vector<Arg> args;
    Arg cur;
    bool inArg = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        QChar c = exec[i];
        if (c == QLatin1Char('"')) {
            inArg = true;
            cur.quoted = true;
            bool closed = false;
            for (++i; i < exec.size(); ++i) {
                QChar q = exec[i];
                if (q == QLatin1Char('\\') && i + 1 < exec.size() &&
                    QStringLiteral("\"`$\\").contains(exec[i + 1])) {
                    cur.text += exec[++i];
                } else if (q == QLatin1Char('"')) {
                    closed = true;
                    break;
                } else {
                    cur.text += q;
                }
            }
            if (!closed) return std::nullopt;
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) {
            if (inArg) args.push_back(cur);
            cur = {};
            inArg = false;
        } else {
            inArg = true;
            cur.text += c;
        }
    }
    if (inArg) args.push_back(cur);

    QStringList out;
    for (const Arg& arg : args) {
        if (!arg.quoted) {
            if (arg.text == QLatin1String("%i")) {
                if (!entry.icon.isEmpty()) out << QStringLiteral("--icon") << entry.icon;
                continue;
            }
            static const QStringList dropped{"%f", "%F", "%u", "%U", "%d", "%D", "%n", "%N", "%v", "%m"};
            if (dropped.contains(arg.text)) continue;
        }
        QString text;
        for (qsizetype i = 0; i < arg.text.size(); ++i) {
            if (arg.text[i] != QLatin1Char('%') || i + 1 >= arg.text.size()) {
                text += arg.text[i];
                continue;
            }
            QChar code = arg.text[++i];
            switch (code.unicode()) {
            case '%': text += QLatin1Char('%'); break;
            case 'c': text += entry.name; break;
            case 'k': text += entry.location; break;
            case 'i': text += entry.icon; break;
            default: break;  // file and URL codes and unknown ones: nothing to put
            }
        }
        out << text;
    }
    if (out.isEmpty() || out.first().isEmpty()) return std::nullopt;
    return out;
}

QString currentLocaleName() {
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        QString v = qEnvironmentVariable(var);
        if (!v.isEmpty()) {
            v = v.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
            return (v == QLatin1String("C") || v == QLatin1String("POSIX")) ? QString() : v;
        }
    }
    return {};
}

}  // namespace orbel::platform::xdg
