#include "Quaylight/shell/defaults/SettingsFileUserDefaults.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QString>
#include <array>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ProcessCoreKit/support/Log.h"
#include "ProcessCoreKit/support/OwnedDescriptor.h"
#include "QuaylightKit/platform/XdgAutostartLoginItem.h"

namespace quaylight {

namespace {

enum class StoredType { boolean, integer, real, text };

constexpr std::array<std::pair<StoredType, const char*>, 4> groups{{
    {StoredType::boolean, "bool"},
    {StoredType::integer, "integer"},
    {StoredType::real, "double"},
    {StoredType::text, "text"},
}};

QString keyText(std::string_view key) { return QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size())); }

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

// A key's value in its group's type; nothing for any other form (a list, a byte array, a
// text that is not of the type).
std::optional<UserDefaults::Value> decoded(StoredType type, const QByteArray& raw) {
    const auto stored = SettingsIniFormat::text(raw);
    if (!stored) return std::nullopt;
    const QString& text = *stored;
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

struct FileRead {
    std::optional<QByteArray> bytes;      // none: no file there
    std::optional<std::string> failure;   // completes "because …"
};

std::string systemReason(int error) {
    switch (error) {
        case EACCES: case EPERM: return "you don't have permission to read it";
        case ELOOP: return "it is a symbolic link that leads back to itself";
        case ENOTDIR: return "a part of its path is not a folder";
        case EISDIR: return "it is a folder, not a file";
        default: return std::string("the system reported: ") + std::strerror(error);
    }
}

// Never blocks: a FIFO or a device is opened without waiting for a writer and refused; a
// file over the limit is refused before any of it is read.
FileRead readFile(const std::string& path, std::int64_t limit) {
    const OwnedDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!file) {
        if (errno == ENOENT) return {};
        return {std::nullopt, systemReason(errno)};
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) return {std::nullopt, systemReason(errno)};
    if (S_ISDIR(info.st_mode)) return {std::nullopt, systemReason(EISDIR)};
    if (!S_ISREG(info.st_mode)) return {std::nullopt, "it is not a regular file"};
    const std::string tooLarge =
        "it is larger than " + std::to_string(limit / (1024 * 1024)) + " MB, far more than settings take";
    if (info.st_size > limit) return {std::nullopt, tooLarge};
    QByteArray bytes;
    std::array<char, 16 * 1024> chunk{};
    for (;;) {
        const ssize_t got = ::read(file.get(), chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return {std::nullopt, systemReason(errno)};
        if (got == 0) break;
        bytes.append(chunk.data(), got);
        // It grew while it was read.
        if (bytes.size() > limit) return {std::nullopt, tooLarge};
    }
    return {std::move(bytes), std::nullopt};
}

std::string lowercaseFirst(std::string text) {
    if (text.size() > 1 && std::isupper(static_cast<unsigned char>(text[0])) &&
        std::islower(static_cast<unsigned char>(text[1])))
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

constexpr std::string_view kLogCategory = "settings";

}  // namespace

std::string SettingsFileUserDefaults::defaultPath() {
    return XdgAutostartLoginItem::configHomeFromEnvironment() + "/Quaylight/Quaylight.conf";
}

std::string SettingsFileUserDefaults::readFailureText(std::string_view path, std::string_view reason) {
    return "Quaylight couldn't read its settings file (" + std::string(path) + ") because " + std::string(reason) +
           ". It is running on defaults; changes won't be kept.";
}

std::string SettingsFileUserDefaults::writeFailureText(std::string_view path, std::string_view error) {
    return "Quaylight couldn't save its settings file (" + std::string(path) + "): " + std::string(error) +
           ". Changes won't be kept after Quaylight quits.";
}

SettingsFileUserDefaults::SettingsFileUserDefaults(std::string path) : path_(std::move(path)) {
    auto read = readFile(path_, sizeLimit);
    if (read.bytes) document_ = SettingsIniFormat::parse(*read.bytes);
    if (read.failure) {
        readFailureNotice_ = readFailureText(path_, *read.failure);
        logging::write(LogSeverity::warning, kLogCategory, *readFailureNotice_);
    }
    writer_ = std::make_unique<QObject>();
}

SettingsFileUserDefaults::~SettingsFileUserDefaults() {
    std::lock_guard lock(mutex_);
    // A write still queued for the event loop goes with its context object.
    writer_.reset();
    if (writePending_) writeNow();
}

void SettingsFileUserDefaults::synchronize() {
    bool noticeChanged = false;
    {
        std::lock_guard lock(mutex_);
        if (writePending_) noticeChanged = writeNow();
    }
    if (noticeChanged) publish();
}

bool SettingsFileUserDefaults::changed() {
    if (writePending_) return false;
    writePending_ = true;
    if (QCoreApplication::instance() == nullptr) return writeNow();
    QMetaObject::invokeMethod(writer_.get(), [this] { synchronize(); }, Qt::QueuedConnection);
    return false;
}

bool SettingsFileUserDefaults::writeNow() {
    writePending_ = false;
    const QString path = QString::fromStdString(path_);
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Atomic, and through a symbolic link to the file it names; no lock file.
    QSaveFile file(path);
    const QByteArray text = SettingsIniFormat::serialize(document_);
    const bool written = file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit();
    std::optional<std::string> failure;
    if (!written) failure = writeFailureText(path_, lowercaseFirst(file.errorString().toStdString()));
    lastWriteSucceeded_ = written;
    if (failure == writeFailureNotice_) return false;
    if (failure)
        logging::write(LogSeverity::warning, kLogCategory, *failure);
    else
        logging::write(LogSeverity::info, kLogCategory, "Quaylight saved its settings file (" + path_ + ") again.");
    writeFailureNotice_ = std::move(failure);
    return true;
}

std::optional<UserDefaults::Value> SettingsFileUserDefaults::object(std::string_view key) const {
    std::lock_guard lock(mutex_);
    if (readFailureNotice_) return memoryFallback_.object(key);
    const QString name = keyText(key);
    std::optional<Value> found;
    int groupsHolding = 0;
    for (const auto& [type, group] : groups) {
        const QByteArray* raw = document_.rawValue(QLatin1String(group), name);
        if (!raw) continue;
        ++groupsHolding;
        found = decoded(type, *raw);
    }
    // A key under two types is not a value of either.
    if (groupsHolding != 1) return std::nullopt;
    return found;
}

void SettingsFileUserDefaults::set(std::string_view key, Value value) {
    bool noticeChanged = false;
    {
        std::lock_guard lock(mutex_);
        if (readFailureNotice_) {
            memoryFallback_.set(key, std::move(value));
            return;
        }
        const QString name = keyText(key);
        const char* target = groupOf(typeOf(value));
        for (const auto& [type, group] : groups)
            if (group != target) document_.remove(QLatin1String(group), name);
        document_.setRawValue(QLatin1String(target), name, SettingsIniFormat::encodedText(encoded(value)));
        noticeChanged = changed();
    }
    if (noticeChanged) publish();
}

void SettingsFileUserDefaults::removeObject(std::string_view key) {
    bool noticeChanged = false;
    {
        std::lock_guard lock(mutex_);
        if (readFailureNotice_) {
            memoryFallback_.removeObject(key);
            return;
        }
        const QString name = keyText(key);
        bool removed = false;
        for (const auto& [type, group] : groups) removed |= document_.remove(QLatin1String(group), name);
        if (removed) noticeChanged = changed();
    }
    if (noticeChanged) publish();
}

bool SettingsFileUserDefaults::lastWriteSucceeded() const {
    std::lock_guard lock(mutex_);
    return lastWriteSucceeded_;
}

std::optional<std::string> SettingsFileUserDefaults::notice() const {
    std::lock_guard lock(mutex_);
    return readFailureNotice_ ? readFailureNotice_ : writeFailureNotice_;
}

SettingsFileUserDefaults::ObserverID SettingsFileUserDefaults::addObserver(std::function<void()> observer) {
    std::lock_guard lock(mutex_);
    const ObserverID id = nextObserver_++;
    observers_.emplace(id, std::move(observer));
    return id;
}

void SettingsFileUserDefaults::removeObserver(ObserverID id) {
    std::lock_guard lock(mutex_);
    observers_.erase(id);
}

void SettingsFileUserDefaults::publish() {
    decltype(observers_) observers;
    {
        std::lock_guard lock(mutex_);
        observers = observers_;  // an observer may remove itself
    }
    for (auto& [id, observer] : observers) observer();
}

}  // namespace quaylight
