// A settings file under a temporary folder of its own, as ~/.config/Quaylight/Quaylight.conf.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <string>

namespace quaylight::test {

class SettingsFileFixture : public ::testing::Test {
protected:
    SettingsFileFixture() = default;
    explicit SettingsFileFixture(const QString& folderTemplate) : folder_(folderTemplate) {}

    QString folder() const { return folder_.path() + QStringLiteral("/Quaylight"); }
    std::string path() const { return (folder() + QStringLiteral("/Quaylight.conf")).toStdString(); }
    QString qPath() const { return QString::fromStdString(path()); }

    void writeFile(const QByteArray& text) {
        QDir().mkpath(folder());
        QFile file(qPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    QByteArray fileBytes() const {
        QFile file(qPath());
        if (!file.open(QIODevice::ReadOnly)) return {};
        return file.readAll();
    }

    QTemporaryDir folder_;
};

}  // namespace quaylight::test
