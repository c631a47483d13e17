#include "Shell.h"

#include <gio/gio.h>

#include <cerrno>
#include <memory>
#include <sys/stat.h>

namespace ovena {

namespace {

// Shell result codes.
constexpr int FileNotFound = 2;
constexpr int PathNotFound = 3;
constexpr int AccessDenied = 5;
constexpr int NoAssociation = 31;
constexpr int Launched = 42;

struct GFreeDeleter {
    void operator()(void* p) const { g_free(p); }
};
using GText = std::unique_ptr<char, GFreeDeleter>;

struct GObjectDeleter {
    void operator()(void* p) const { g_object_unref(p); }
};
template <typename T> using GObjectPtr = std::unique_ptr<T, GObjectDeleter>;

// The content type GIO guesses from a file name alone, as the Windows shell goes by the
// extension. No value when the name tells nothing. (GIO calls some guesses from a name alone
// uncertain, text/html among them, because content could tell more; the name is all we ask.)
std::optional<std::string> contentTypeOfName(const std::string& name) {
    const GText type(g_content_type_guess(name.c_str(), nullptr, 0, nullptr));
    if (!type || g_content_type_is_unknown(type.get()))
        return std::nullopt;
    return std::string(type.get());
}

GObjectPtr<GAppInfo> defaultApplication(const std::string& fileType) {
    const GText contentType(g_content_type_from_mime_type(fileType.c_str()));
    if (!contentType)
        return nullptr;
    return GObjectPtr<GAppInfo>(g_app_info_get_default_for_type(contentType.get(), FALSE));
}

// Why a document cannot be opened before any application is asked, or 0 when it is there.
int missingDocumentCode(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) == 0)
        return 0;
    if (errno == EACCES)
        return AccessDenied;
    if (errno != ENOENT)
        return PathNotFound;
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? FileNotFound : PathNotFound;
}

} // namespace

std::optional<std::string> GioShell::fileTypeForExtension(const std::string& extension) {
    if (extension.empty() || extension.find('/') != std::string::npos)
        return std::nullopt;
    const auto contentType = contentTypeOfName("x." + extension);
    if (!contentType)
        return std::nullopt;
    const GText mimeType(g_content_type_get_mime_type(contentType->c_str()));
    return mimeType ? std::optional<std::string>(mimeType.get()) : std::nullopt;
}

bool GioShell::hasOpenCommand(const std::string& fileType) {
    return defaultApplication(fileType) != nullptr;
}

std::optional<std::string> GioShell::defaultIcon(const std::string& fileType) {
    const auto application = defaultApplication(fileType);
    GIcon* icon = application ? g_app_info_get_icon(application.get()) : nullptr;
    if (!icon)
        return std::nullopt;
    if (G_IS_THEMED_ICON(icon)) {
        const gchar* const* names = g_themed_icon_get_names(G_THEMED_ICON(icon));
        if (names && names[0])
            return std::string(names[0]) + ",0";
    } else if (G_IS_FILE_ICON(icon)) {
        const GText path(g_file_get_path(g_file_icon_get_file(G_FILE_ICON(icon))));
        if (path)
            return std::string(path.get()) + ",0";
    }
    return std::nullopt;
}

int GioShell::openDocument(const std::string& path) {
    if (path.empty())
        return FileNotFound;
    if (const int code = missingDocumentCode(path); code != 0)
        return code;
    const auto slash = path.rfind('/');
    const auto contentType =
        contentTypeOfName(slash == std::string::npos ? path : path.substr(slash + 1));
    GObjectPtr<GAppInfo> application;
    if (contentType)
        application.reset(g_app_info_get_default_for_type(contentType->c_str(), FALSE));
    if (!application)
        return NoAssociation;
    const GObjectPtr<GFile> file(g_file_new_for_path(path.c_str()));
    GList files = {file.get(), nullptr, nullptr};
    GError* error = nullptr;
    if (!g_app_info_launch(application.get(), &files, nullptr, &error)) {
        g_error_free(error);
        return FileNotFound; // the application could not be started: "application not found"
    }
    return Launched;
}

} // namespace ovena
