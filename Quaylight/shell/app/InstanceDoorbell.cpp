#include "Quaylight/shell/app/InstanceDoorbell.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <cstring>

#include <QLocalServer>
#include <QLocalSocket>

#include "ProcessCoreKit/support/Log.h"
#include "ProcessCoreKit/support/OwnedDescriptor.h"

namespace quaylight {

std::string InstanceDoorbell::socketPath(const std::string& lockPath) {
    const auto slash = lockPath.rfind('/');
    return (slash == std::string::npos ? std::string(".") : lockPath.substr(0, slash)) + "/instance.sock";
}

bool InstanceDoorbell::ring(const std::string& socketPath) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    OwnedDescriptor fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd) return false;
    if (connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return false;
    const std::size_t length = std::strlen(request);
    return send(fd.get(), request, length, MSG_NOSIGNAL) == static_cast<ssize_t>(length);
}

InstanceDoorbellServer::InstanceDoorbellServer(std::string socketPath, std::function<void()> onRing, QObject* parent)
    : QObject(parent), socketPath_(std::move(socketPath)), onRing_(std::move(onRing)), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* caller = server_->nextPendingConnection()) {
            connect(caller, &QLocalSocket::disconnected, caller, &QObject::deleteLater);
            connect(caller, &QLocalSocket::readyRead, this, [this, caller] {
                if (!caller->canReadLine()) return;
                const QByteArray line = caller->readLine(64);
                caller->disconnectFromServer();
                if (line == InstanceDoorbell::request && onRing_) onRing_();
            });
        }
    });
}

InstanceDoorbellServer::~InstanceDoorbellServer() {
    if (server_->isListening()) {
        server_->close();
        QLocalServer::removeServer(QString::fromStdString(socketPath_));
    }
}

bool InstanceDoorbellServer::listen() {
    const QString path = QString::fromStdString(socketPath_);
    QLocalServer::removeServer(path);
    if (server_->listen(path)) return true;
    logging::write(LogSeverity::warning, "app",
                   "A second launch cannot open the panel, since its socket could not be made: " +
                       server_->errorString().toStdString());
    return false;
}

}  // namespace quaylight
