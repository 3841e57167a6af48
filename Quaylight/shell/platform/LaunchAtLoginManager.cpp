#include "Quaylight/shell/platform/LaunchAtLoginManager.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QString>
#include <unistd.h>

#include "Quaylight/agent-hooks/paths/InstalledExecutable.h"
#include "QuaylightKit/platform/XdgAutostartLoginItem.h"

namespace quaylight {

namespace {

std::string runningExecutable() {
    // The command the user started (`quaylight`), not the application's launcher behind it:
    // the entry must start Quaylight the way hooks and the single-instance check expect.
    if (auto command = InstalledExecutable::runningPath(); command && !command->empty()) return *command;
    std::string path(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0) return {};
    path.resize(static_cast<std::size_t>(length));
    // A replaced executable still runs; the entry should start the file at that path.
    constexpr std::string_view deleted = " (deleted)";
    if (path.size() > deleted.size() && path.ends_with(deleted)) path.resize(path.size() - deleted.size());
    return path;
}

}  // namespace

LaunchAtLoginManager::LaunchAtLoginManager(std::unique_ptr<LoginItem> item, UrlOpener openUrl)
    : item_(std::move(item)), openUrl_(std::move(openUrl)) {}

std::unique_ptr<LaunchAtLoginManager> LaunchAtLoginManager::forRunningExecutable() {
    return std::make_unique<LaunchAtLoginManager>(std::make_unique<XdgAutostartLoginItem>(runningExecutable()),
                                                  [](const QUrl& url) { return QDesktopServices::openUrl(url); });
}

bool LaunchAtLoginManager::openLoginItemsSettings() {
    const QString folder = QString::fromStdString(item_->settingsLocation());
    if (folder.isEmpty()) return false;
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isDir()) return false;
    return openUrl_ && openUrl_(QUrl::fromLocalFile(folder));
}

}  // namespace quaylight
