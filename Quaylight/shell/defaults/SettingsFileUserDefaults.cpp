#include "Quaylight/shell/defaults/SettingsFileUserDefaults.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QSettings>
#include <QString>
#include <array>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ProcessCoreKit/support/OwnedDescriptor.h"
#include "QuaylightKit/platform/XdgAutostartLoginItem.h"

namespace quaylight {

namespace {

// QSettings posts itself an update request after each change and writes the file from the
// event loop. Every change here is written at once, under the store's lock; a second,
// unlocked write from the GUI thread would race with writers on other threads.
class ExplicitlySyncedSettings final : public QSettings {
public:
    using QSettings::QSettings;

protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::UpdateRequest) return true;
        return QSettings::event(event);
    }
};

enum class StoredType { boolean, integer, real, text };

constexpr std::array<std::pair<StoredType, const char*>, 4> groups{{
    {StoredType::boolean, "bool"},
    {StoredType::integer, "integer"},
    {StoredType::real, "double"},
    {StoredType::text, "text"},
}};

QString groupKey(const char* group, std::string_view key) {
    return QLatin1String(group) + QLatin1Char('/') + QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
}

StoredType typeOf(const UserDefaults::Value& value) {
    switch (value.index()) {
        case 0: return StoredType::boolean;
        case 1: return StoredType::integer;
        case 2: return StoredType::real;
        default: return StoredType::text;
    }
}

const char* groupOf(StoredType type) {
    for (const auto& [t, name] : groups)
        if (t == type) return name;
    return "text";
}

QString encoded(const UserDefaults::Value& value) {
    if (auto* b = std::get_if<bool>(&value)) return *b ? QStringLiteral("true") : QStringLiteral("false");
    if (auto* i = std::get_if<std::int64_t>(&value)) return QString::number(static_cast<qlonglong>(*i));
    if (auto* d = std::get_if<double>(&value)) return QString::number(*d, 'g', QLocale::FloatingPointShortest);
    const auto& s = std::get<std::string>(value);
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// What QSettings read for a key of a group, in that group's type; nothing for any other
// form (a list, a byte array, a text that is not of the type).
std::optional<UserDefaults::Value> decoded(StoredType type, const QVariant& stored) {
    if (stored.metaType().id() != QMetaType::QString) return std::nullopt;
    const QString text = stored.toString();
    switch (type) {
        case StoredType::boolean:
            if (text == QLatin1String("true")) return UserDefaults::Value(true);
            if (text == QLatin1String("false")) return UserDefaults::Value(false);
            return std::nullopt;
        case StoredType::integer: {
            bool ok = false;
            const qlonglong value = text.toLongLong(&ok);
            if (!ok) return std::nullopt;
            return UserDefaults::Value(static_cast<std::int64_t>(value));
        }
        case StoredType::real: {
            bool ok = false;
            const double value = text.toDouble(&ok);
            if (!ok || !std::isfinite(value)) return std::nullopt;
            return UserDefaults::Value(value);
        }
        case StoredType::text: return UserDefaults::Value(text.toStdString());
    }
    return std::nullopt;
}

// A file that exists but is not a regular file we can open for reading. A missing file is
// readable: it is an empty one.
bool existsUnreadable(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return errno != ENOENT;
    if (!S_ISREG(info.st_mode)) return true;
    const OwnedDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    return !file;
}

}  // namespace

std::string SettingsFileUserDefaults::defaultPath() {
    return XdgAutostartLoginItem::configHomeFromEnvironment() + "/Quaylight/Quaylight.conf";
}

std::string SettingsFileUserDefaults::readFailureText(std::string_view path) {
    return "Quaylight couldn't read its settings file (" + std::string(path) +
           "), so it is using default settings and won't change that file.";
}

SettingsFileUserDefaults::SettingsFileUserDefaults(std::string path) : path_(std::move(path)) {
    const QString qtPath = QString::fromStdString(path_);
    if (!existsUnreadable(path_)) {
        auto settings = std::make_unique<ExplicitlySyncedSettings>(qtPath, QSettings::IniFormat);
        if (settings->status() == QSettings::NoError) settings_ = std::move(settings);
    }
    if (!settings_) readFailureNotice_ = readFailureText(path_);
    writer_ = std::make_unique<QObject>();
}

SettingsFileUserDefaults::~SettingsFileUserDefaults() {
    std::lock_guard lock(mutex_);
    // A write still queued for the event loop goes with its context object.
    writer_.reset();
    if (writePending_) writeNow();
}

void SettingsFileUserDefaults::synchronize() {
    std::lock_guard lock(mutex_);
    if (writePending_) writeNow();
}

void SettingsFileUserDefaults::changed() {
    if (writePending_) return;
    writePending_ = true;
    if (QCoreApplication::instance() == nullptr) {
        writeNow();
        return;
    }
    QMetaObject::invokeMethod(writer_.get(), [this] { synchronize(); }, Qt::QueuedConnection);
}

void SettingsFileUserDefaults::writeNow() {
    writePending_ = false;
    QDir().mkpath(QFileInfo(QString::fromStdString(path_)).absolutePath());
    settings_->sync();
    lastWriteSucceeded_ = settings_->status() == QSettings::NoError;
}

std::optional<UserDefaults::Value> SettingsFileUserDefaults::object(std::string_view key) const {
    std::lock_guard lock(mutex_);
    if (!settings_) return memoryFallback_.object(key);
    std::optional<Value> found;
    int groupsHolding = 0;
    for (const auto& [type, group] : groups) {
        const QString name = groupKey(group, key);
        if (!settings_->contains(name)) continue;
        ++groupsHolding;
        found = decoded(type, settings_->value(name));
    }
    // A key under two types is not a value of either.
    if (groupsHolding != 1) return std::nullopt;
    return found;
}

void SettingsFileUserDefaults::set(std::string_view key, Value value) {
    std::lock_guard lock(mutex_);
    if (!settings_) {
        memoryFallback_.set(key, std::move(value));
        return;
    }
    const char* target = groupOf(typeOf(value));
    for (const auto& [type, group] : groups)
        if (group != target) settings_->remove(groupKey(group, key));
    settings_->setValue(groupKey(target, key), encoded(value));
    changed();
}

void SettingsFileUserDefaults::removeObject(std::string_view key) {
    std::lock_guard lock(mutex_);
    if (!settings_) {
        memoryFallback_.removeObject(key);
        return;
    }
    bool removed = false;
    for (const auto& [type, group] : groups) {
        const QString name = groupKey(group, key);
        if (!settings_->contains(name)) continue;
        settings_->remove(name);
        removed = true;
    }
    if (removed) changed();
}

bool SettingsFileUserDefaults::lastWriteSucceeded() const {
    std::lock_guard lock(mutex_);
    return lastWriteSucceeded_;
}

}  // namespace quaylight
