#pragma once
// A probe program of the tests, started against a private X server: it answers each
// command line on its standard input with one line.

#include <QProcess>
#include <QString>
#include <string>

#include "tests/Quaylight/shell/support/XvfbServer.h"

namespace quaylight::testsupport {

class ProbeProcess {
public:
    ProbeProcess(const XvfbServer& server, const QString& program) {
        process_.setProcessEnvironment(server.environment());
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(program, {});
        started_ = process_.waitForStarted(10000);
        if (started_) firstLine_ = readLine();
    }
    ~ProbeProcess() {
        if (!started_) return;
        process_.closeWriteChannel();
        if (!process_.waitForFinished(10000)) {
            process_.kill();
            process_.waitForFinished(10000);
        }
    }

    // The line the probe writes once it started.
    const std::string& firstLine() const { return firstLine_; }

    std::string command(const char* line) {
        process_.write(line);
        process_.write("\n");
        process_.waitForBytesWritten(10000);
        return readLine();
    }

private:
    std::string readLine() {
        while (!process_.canReadLine())
            if (!process_.waitForReadyRead(20000)) return "no answer";
        return process_.readLine().trimmed().toStdString();
    }

    QProcess process_;
    bool started_ = false;
    std::string firstLine_;
};

}  // namespace quaylight::testsupport
