#pragma once

// What the configuration tests share: a configuration manager on a
// temporary folder with fake defaults and clock, and small configurations.

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <csignal>
#include <memory>
#include <stdexcept>
#include <string>
#include <sys/resource.h>

#include "config/config_manager.h"
#include "fakes/fake_platform_basics.h"
#include "fakes/replace_shared.h"
#include "support/test_files.h"

namespace orbel::testing {

inline std::string readFile(const std::string& path) {
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : "<missing>";
}

inline void writeFile(const std::string& path, const std::string& bytes) {
    writeFile(QString::fromStdString(path), QByteArray::fromStdString(bytes));
}

// The seconds since 1970 now, by the system's clock (files' times are).
inline double secondsNow() { return QDateTime::currentMSecsSinceEpoch() / 1000.0; }

// The name a save of the process `writer` gives its temporary file.
inline std::string saveTemporary(pid_t writer, const std::string& random = "k2j3h4g5f6d7") {
    return ".orbel-save-" + std::to_string(writer) + "-" + random + ".tmp";
}

// A root group of n snippets "<marker>0", "<marker>1", ... titled by the marker.
inline AppConfig withSnippets(int n, const std::string& marker = "s") {
    AppConfig c;
    c.rootGroup.title = "Main Menu";
    for (int i = 0; i < n; ++i) c.rootGroup.slots.push_back(SlotConfig::make(SlotType::snippet(marker + std::to_string(i)), marker));
    return c;
}

inline std::string firstSnippet(const AppConfig& c) {
    const auto* snippet = c.rootGroup.slots.empty() ? nullptr : c.rootGroup.slots[0].type.get<SlotType::Snippet>();
    return snippet ? snippet->text : "";
}

// Runs `f`, expecting it to throw an E; returns the error.
template <class E, class F>
E thrown(F&& f) {
    try {
        f();
    } catch (const E& e) {
        return e;
    }
    ADD_FAILURE() << "nothing thrown";
    throw std::logic_error("nothing thrown");
}

// Runs `f` with the process's file size limit set to `bytes`: writes past it
// fail half-way, as on a full disk.
template <class F>
void withFileSizeLimit(std::size_t bytes, F&& f) {
    auto* previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit limited = previous;
    limited.rlim_cur = bytes;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    f();
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
}

class ConfigFixture : public ::testing::Test {
protected:
    std::string dir() const { return paths.configDir(); }
    std::string configPath() const { return dir() + "/config.json"; }
    std::string profilePath(const std::string& name) const { return dir() + "/profiles/" + name + ".json"; }

    // A new manager on the folder, its first saves written.
    std::unique_ptr<ConfigManager> make() {
        auto m = std::make_unique<ConfigManager>(configPath(), ProfileStore(dir() + "/profiles"));
        m->flushSaves();
        return m;
    }
    ConfigManager& live() {
        if (!manager) manager = make();
        return *manager;
    }
    const ProfileStore& store() { return live().profileStore(); }
    // A row of its own: no manager, no folder, nothing kept aside or still
    // to tell from an earlier row.
    void startOver() {
        manager.reset();
        QDir(QString::fromStdString(dir())).removeRecursively();
        defaults.remove("orbel.keptAside");
        defaults.remove("orbel.untoldConfigNotices");
    }
    void activate(const std::string& name) { defaults.setString(ConfigManager::kActiveProfileKey, name); }
    // The names a rejected copy of `path` is kept under at the clock's
    // 1700000000.5 seconds, in the order they are tried: the seconds, then
    // each next later time a double can hold.
    std::string keptCopy(const std::string& path, int attempt = 1) const {
        static const char* const kSeconds[] = {
            "1700000000.5",       "1700000000.5000002", "1700000000.5000005", "1700000000.5000007",
            "1700000000.500001",  "1700000000.5000012", "1700000000.5000014", "1700000000.5000017",
            "1700000000.500002",  "1700000000.5000021",
        };
        EXPECT_EQ(clock.seconds, 1700000000.5);
        return path + ".backup." + kSeconds[attempt - 1];
    }

    fakes::TempAppPaths paths;
    fakes::FakeKeyValueStore defaults;
    fakes::ReplaceShared<platform::KeyValueStore> useDefaults{defaults};
    fakes::FakeClock clock;
    fakes::ReplaceShared<platform::Clock> useClock{clock};
    std::unique_ptr<ConfigManager> manager;  // gone before the fakes
};

}  // namespace orbel::testing
