#include "platform/login_item.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <cstring>

namespace orbel::platform {
namespace {

const char* const kApplicationId = "com.quandelvix.orbel";

class AutostartLoginItem final : public LoginItem {
public:
    bool isEnabled() const override {
        QFile file(path());
        if (!file.open(QIODevice::ReadOnly)) return false;
        // An entry the user switched off in the desktop's settings stays on disk.
        const QByteArray text = file.readAll();
        return !text.contains("\nHidden=true") && !text.contains("\nX-GNOME-Autostart-enabled=false");
    }

    std::optional<std::string> enable() override {
        if (!QDir().mkpath(QFileInfo(path()).absolutePath()))
            return "Couldn't create the folder " + QFileInfo(path()).absolutePath().toStdString() + ".";
        QSaveFile file(path());
        if (!file.open(QIODevice::WriteOnly)) return file.errorString().toStdString();
        QString program = QCoreApplication::applicationFilePath();
        if (program.isEmpty()) program = QStringLiteral("orbel");
        file.write(QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Name=Orbel\n"
                                  "Comment=A radial menu around the pointer\n"
                                  "Icon=%1\n"
                                  "Exec=%2\n"
                                  "Terminal=false\n"
                                  "X-GNOME-Autostart-enabled=true\n")
                       .arg(QString::fromLatin1(kApplicationId), QString::fromStdString(execValue(program.toStdString())))
                       .toUtf8());
        if (!file.commit()) return file.errorString().toStdString();
        return std::nullopt;
    }

    std::optional<std::string> disable() override {
        QFile file(path());
        if (file.exists() && !file.remove()) return file.errorString().toStdString();
        return std::nullopt;
    }

private:
    static QString path() {
        return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart/") +
               QString::fromLatin1(kApplicationId) + QStringLiteral(".desktop");
    }
};

}  // namespace

std::string LoginItem::execArgument(const std::string& argument) {
    // Inside double quotes '"', '`', '$' and '\\' take a backslash; "%" is
    // doubled (a field code otherwise); then the value itself is a string,
    // whose own escapes come on top ("\\\\" for each backslash).
    std::string quoted = "\"";
    for (char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
        if (c == '%') quoted += '%';
    }
    quoted += '"';
    std::string value;
    for (char c : quoted) {
        switch (c) {
        case '\\': value += "\\\\"; break;
        case '\n': value += "\\n"; break;
        case '\t': value += "\\t"; break;
        case '\r': value += "\\r"; break;
        default: value += c;
        }
    }
    return value;
}

std::string LoginItem::execValue(const std::string& program) {
    return execArgument(program) + " " + kLoginArgument;
}

bool LoginItem::launchedAtLogin(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], kLoginArgument) == 0) return true;
    return false;
}

LoginItem& LoginItem::makeShared() { return processLifetimeInstance<AutostartLoginItem>(); }

}  // namespace orbel::platform
