#include "Quaylight/notch/platform/QtNotchScreens.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtGlobal>

#include "Quaylight/notch/platform/ScreenGeometry.h"

namespace quaylight {

SimulatedNotchChoice chooseSimulatedNotch(const std::optional<std::string>& variable, std::string_view platformName) {
    if (!variable) return {};
    if (platformName.starts_with("wayland"))
        return {std::nullopt, "Windows cannot be placed on a Wayland screen, so QUAYLIGHT_SIMULATED_NOTCH is ignored."};
    if (auto notch = parseSimulatedNotch(*variable)) return {notch, std::nullopt};
    return {std::nullopt, "QUAYLIGHT_SIMULATED_NOTCH is not WIDTHxHEIGHT (for example 200x32), so it is ignored."};
}

std::string notchFallbackLogLine(const std::optional<NotchSize>& simulatedNotch, const std::optional<ScreenRect>& primary) {
    if (simulatedNotch && primary && !simulatedNotchFits(*simulatedNotch, *primary)) {
        const auto size = [](double width, double height) {
            return QString::number(width) + QLatin1Char('x') + QString::number(height);
        };
        return QStringLiteral("QUAYLIGHT_SIMULATED_NOTCH is ignored: a %1 notch does not fit inside the %2 primary "
                              "screen, so the Tidewatch wings stay hidden.")
            .arg(size(simulatedNotch->width, simulatedNotch->height), size(primary->width, primary->height))
            .toStdString();
    }
    return "No screen has a notch, so the Tidewatch wings stay hidden; "
           "QUAYLIGHT_SIMULATED_NOTCH=WIDTHxHEIGHT simulates one.";
}

std::optional<NotchSize> readSimulatedNotchOnce() {
    std::optional<std::string> variable;
    if (qEnvironmentVariableIsSet(simulatedNotchVariable.data()))
        variable = qgetenv(simulatedNotchVariable.data()).toStdString();
    const auto choice = chooseSimulatedNotch(variable, QGuiApplication::platformName().toStdString());
    if (choice.logLine) qInfo("%s", choice.logLine->c_str());
    return choice.notch;
}

QtNotchScreens::QtNotchScreens(std::optional<NotchSize> simulatedNotch) : simulatedNotch_(simulatedNotch) {
    for (QScreen* screen : QGuiApplication::screens()) watch(screen);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        watch(screen);
        changed();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, [this] { changed(); });
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, [this] { changed(); });
}

void QtNotchScreens::watch(QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, [this] { changed(); });
}

void QtNotchScreens::changed() {
    if (onChange) onChange();
}

double QtNotchScreens::primaryBottom() const {
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary == nullptr) return 0;
    const QRect geometry = primary->geometry();
    return geometry.y() + geometry.height();
}

std::string QtNotchScreens::fallbackLogLine() const {
    std::optional<ScreenRect> primary;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        primary = fromQtGeometry(screen->geometry(), primaryBottom());
    return notchFallbackLogLine(simulatedNotch_, primary);
}

std::vector<NotchPlacementResolver::ScreenContext> QtNotchScreens::screenContexts() const {
    std::vector<NotchPlacementResolver::ScreenContext> contexts;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary == nullptr) return contexts;
    const double bottom = primaryBottom();
    contexts.push_back(linuxScreenContext(fromQtGeometry(primary->geometry(), bottom), true, false, simulatedNotch_));
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen == primary) continue;
        contexts.push_back(linuxScreenContext(fromQtGeometry(screen->geometry(), bottom), false, false, simulatedNotch_));
    }
    return contexts;
}

}  // namespace quaylight
