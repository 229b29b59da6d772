// The GIO module: launching desktop entries, gvfs's trash and the mount
// table through GIO, loaded by the program the first time it needs one of
// them (see platform/linux/gio_module.h).
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

#include "gio/gio_include.h"
#include "platform/linux/gio_module.h"

namespace {

using orbel::platform::gio::LaunchAnnouncer;
using orbel::platform::gio::ModuleFunctions;
using orbel::platform::gio::Ref;

QString text(const char* s) { return s ? QString::fromUtf8(s) : QString(); }

// A launch context that announces each start through the program's announcer.
struct OrbelLaunchContext {
    GAppLaunchContext parent;
    const LaunchAnnouncer* announcer;
};
struct OrbelLaunchContextClass {
    GAppLaunchContextClass parent;
};

char* startupId(GAppLaunchContext* context, GAppInfo* info, GList*) {
    LaunchAnnouncer::Start start;
    start.program = QFileInfo(text(g_app_info_get_executable(info))).fileName();
    start.name = text(g_app_info_get_name(info));
    if (G_IS_DESKTOP_APP_INFO(info)) {
        auto* desktop = G_DESKTOP_APP_INFO(info);
        start.wmClass = text(g_desktop_app_info_get_startup_wm_class(desktop));
        start.file = text(g_desktop_app_info_get_filename(desktop));
    }
    if (GIcon* icon = g_app_info_get_icon(info); icon && G_IS_THEMED_ICON(icon))
        if (const gchar* const* names = g_themed_icon_get_names(G_THEMED_ICON(icon)); names && names[0]) start.icon = text(names[0]);
    const QString id = reinterpret_cast<OrbelLaunchContext*>(context)->announcer->begin(start);
    return g_strdup(id.toUtf8().constData());
}

G_DEFINE_TYPE(OrbelLaunchContext, orbel_launch_context, G_TYPE_APP_LAUNCH_CONTEXT)

void orbel_launch_context_class_init(OrbelLaunchContextClass* type) {
    type->parent.get_startup_notify_id = startupId;
    type->parent.launch_failed = [](GAppLaunchContext* context, const char* id) {
        reinterpret_cast<OrbelLaunchContext*>(context)->announcer->failed(text(id));
    };
}

void orbel_launch_context_init(OrbelLaunchContext* self) { self->announcer = nullptr; }

bool launch(const QString& location, const QString& home, const LaunchAnnouncer* announcer) {
    Ref<GDesktopAppInfo> info(g_desktop_app_info_new_from_filename(location.toUtf8().constData()));
    if (!info) return false;
    Ref<GAppLaunchContext> context;
    if (announcer) {
        context.reset(G_APP_LAUNCH_CONTEXT(g_object_new(orbel_launch_context_get_type(), nullptr)));
        reinterpret_cast<OrbelLaunchContext*>(context.get())->announcer = announcer;
    } else {
        context.reset(g_app_launch_context_new());
    }
    // An entry without a Path of its own starts in the user's home folder,
    // not in whatever folder Orbel was started from. The change of folder
    // runs in the child, just before it becomes the application.
    gchar* own = g_desktop_app_info_get_string(info.get(), "Path");
    const bool hasPath = own && *own;
    g_free(own);
    const QByteArray folder = QFile::encodeName(home);
    const GSpawnChildSetupFunc toHome = [](gpointer f) { (void)::chdir(static_cast<const char*>(f)); };
    GError* error = nullptr;
    const bool ok = g_desktop_app_info_launch_uris_as_manager(info.get(), nullptr, context.get(), G_SPAWN_SEARCH_PATH,
                                                              hasPath ? nullptr : toHome,
                                                              const_cast<char*>(folder.constData()), nullptr, nullptr, &error);
    if (error) g_error_free(error);
    return ok;
}

// gvfs's trash: location lists every trash of every mounted volume.
bool emptyTrash(bool& ok) {
    const gchar* const* schemes = g_vfs_get_supported_uri_schemes(g_vfs_get_default());
    if (!schemes || !g_strv_contains(schemes, "trash")) return false;
    Ref<GFile> trash(g_file_new_for_uri("trash:///"));
    Ref<GFileEnumerator> items(g_file_enumerate_children(trash.get(), G_FILE_ATTRIBUTE_STANDARD_NAME,
                                                         G_FILE_QUERY_INFO_NOFOLLOW_SYMLINKS, nullptr, nullptr));
    if (!items) return false;
    ok = true;
    while (true) {
        GFile* child = nullptr;
        if (!g_file_enumerator_iterate(items.get(), nullptr, &child, nullptr, nullptr)) {
            ok = false;
            break;
        }
        if (!child) break;
        ok = g_file_delete(child, nullptr, nullptr) && ok;  // owned by the enumerator
    }
    return true;
}

QStringList userVolumes() {
    QStringList tops;
    GList* mounts = g_unix_mounts_get(nullptr);
    for (GList* m = mounts; m; m = m->next) {
        auto* mount = static_cast<GUnixMountEntry*>(m->data);
        if (!g_unix_mount_is_system_internal(mount)) tops << text(g_unix_mount_get_mount_path(mount));
    }
    g_list_free_full(mounts, reinterpret_cast<GDestroyNotify>(g_unix_mount_free));
    return tops;
}

const ModuleFunctions kFunctions{launch, emptyTrash, userVolumes};

}  // namespace

extern "C" Q_DECL_EXPORT const ModuleFunctions* orbel_gio_module() { return &kFunctions; }
