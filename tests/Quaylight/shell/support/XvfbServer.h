#pragma once
// A private X server for tests: Xvfb on a display it picks itself (-displayfd), no TCP, and
// stopped (it is this process's own child) when the object goes.

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <sys/types.h>

namespace quaylight::testsupport {

class XvfbServer {
public:
    XvfbServer();
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool running() const { return pid_ > 0 && !display_.isEmpty(); }
    // ":N"
    const QString& display() const { return display_; }
    // Why it did not start.
    const std::string& failure() const { return failure_; }

    // This process's environment with DISPLAY set to the server.
    QProcessEnvironment environment() const;
    struct Result {
        int exitCode = -1;
        QString output;  // standard output and error
    };
    // Runs a program against the server and waits for it.
    Result run(const QString& program, const QStringList& arguments) const;

private:
    pid_t pid_ = -1;
    QString display_;
    std::string failure_;
};

}  // namespace quaylight::testsupport
