#pragma once
// A second launch asks the running application to open its panel, as a click on the tray
// icon would: the only way in on a desktop without a tray. The running one listens on a
// socket beside its instance lock (a folder only the user can enter); a second launch
// connects, says "open-panel" and goes.

#include <functional>
#include <string>

#include <QObject>

class QLocalServer;

namespace quaylight {

namespace InstanceDoorbell {

inline constexpr const char* request = "open-panel\n";

// "<folder of the lock>/instance.sock".
std::string socketPath(const std::string& lockPath);

// Rings once; false when nobody listens or the path cannot hold a socket. Plain sockets, so a
// second launch needs no Qt application.
bool ring(const std::string& socketPath);

}  // namespace InstanceDoorbell

// The running application's end. Only the holder of the instance lock listens, so a socket
// file already at the path is a crashed run's and is replaced.
class InstanceDoorbellServer final : public QObject {
public:
    InstanceDoorbellServer(std::string socketPath, std::function<void()> onRing, QObject* parent = nullptr);
    ~InstanceDoorbellServer() override;

    // False, with the reason logged, when the socket cannot be made.
    bool listen();

private:
    std::string socketPath_;
    std::function<void()> onRing_;
    QLocalServer* server_;
};

}  // namespace quaylight
