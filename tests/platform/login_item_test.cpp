// The autostart entry's command line read back by GIO, the way desktops
// start it: every program path comes out as written.
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "gio/gio_include.h"
#include "platform/login_item.h"
#include "support/test_files.h"

namespace orbel {
namespace {

// The three layers a desktop reads: the key file's string escapes, the
// Exec quoting, then field codes ("%%" is "%").
QStringList readExec(const QByteArray& value) {
    const QByteArray entry = "[Desktop Entry]\nExec=" + value + "\n";
    GKeyFile* file = g_key_file_new();
    QStringList arguments;
    if (g_key_file_load_from_data(file, entry.constData(), gsize(entry.size()), G_KEY_FILE_NONE, nullptr)) {
        gchar* exec = g_key_file_get_string(file, "Desktop Entry", "Exec", nullptr);
        gchar** argv = nullptr;
        if (exec && g_shell_parse_argv(exec, nullptr, &argv, nullptr)) {
            for (gchar** a = argv; *a; ++a) arguments << QString::fromUtf8(*a).replace("%%", "%");
            g_strfreev(argv);
        }
        g_free(exec);
    }
    g_key_file_free(file);
    return arguments;
}

TEST(LoginItem, TheEntryStartsProgramsWhosePathsNeedEscaping) {
    QTemporaryDir dir;
    const QString marker = dir.path() + "/ran";
    const QStringList names = {"plain", "with space", "100% sure", "say \"hi\"", "back\\slash", "$HOME",
                               "tick`s", "two\\\\$%%"};
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const QString program = dir.path() + "/" + name + "/orbel";
        const QByteArray exec = QByteArray::fromStdString(platform::LoginItem::execValue(program.toStdString()));
        EXPECT_EQ(readExec(exec), (QStringList{program, platform::LoginItem::kLoginArgument})) << exec.toStdString();
        // GIO, which starts autostart entries on GNOME, refuses a program
        // path with "%" (it looks for the path before reading field codes).
        if (name.contains('%')) continue;
        testing::writeFile(program, "#!/bin/sh\nprintf '%s|%s' \"$0\" \"$1\" > '" + marker.toUtf8() + "'\n");
        QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        QFile::remove(marker);
        const QByteArray entry = "[Desktop Entry]\nType=Application\nName=Orbel\nExec=" + exec + "\n";
        GKeyFile* file = g_key_file_new();
        ASSERT_TRUE(g_key_file_load_from_data(file, entry.constData(), gsize(entry.size()), G_KEY_FILE_NONE, nullptr));
        platform::gio::Ref<GDesktopAppInfo> info(g_desktop_app_info_new_from_keyfile(file));
        g_key_file_unref(file);
        ASSERT_TRUE(info);
        GError* error = nullptr;
        ASSERT_TRUE(g_app_info_launch(G_APP_INFO(info.get()), nullptr, nullptr, &error)) << error->message;
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(marker).size() > 0; }, 10000));
        QFile ran(marker);
        ASSERT_TRUE(ran.open(QIODevice::ReadOnly));
        EXPECT_EQ(QString::fromUtf8(ran.readAll()), program + "|" + platform::LoginItem::kLoginArgument);
    }
}

}  // namespace
}  // namespace orbel
