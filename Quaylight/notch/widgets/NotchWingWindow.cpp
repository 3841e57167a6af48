#include "Quaylight/notch/widgets/NotchWingWindow.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <xcb/xcb.h>

#include "Quaylight/design/theme/PremiumTheme.h"
#include "Quaylight/notch/platform/ScreenGeometry.h"
#include "Quaylight/notch/widgets/NotchWingPainter.h"

namespace quaylight {

namespace {

// A wing says how many sessions run: read-only text for a screen reader, not a container.
class AccessibleWing final : public QAccessibleWidget {
public:
    explicit AccessibleWing(NotchWingWindow* wing) : QAccessibleWidget(wing, QAccessible::StaticText) {}

    QAccessible::State state() const override {
        auto state = QAccessibleWidget::state();
        state.readOnly = true;
        return state;
    }
};

QAccessibleInterface* wingAccessibleFactory(const QString&, QObject* object) {
    if (auto* wing = qobject_cast<NotchWingWindow*>(object)) return new AccessibleWing(wing);
    return nullptr;
}

}  // namespace

NotchWingWindow::NotchWingWindow(NotchScheduler& scheduler, Setup setup)
    : QWidget(nullptr,
              Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint |
                  Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput | Qt::NoDropShadowWindowHint),
      scheduler_(scheduler),
      setup_(std::move(setup)) {
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(wingAccessibleFactory); });
    const bool left = setup_.side == NotchIslandWingSide::left;
    setObjectName(left ? QStringLiteral("quaylight-notch-left") : QStringLiteral("quaylight-notch-right"));
    // Also the X11 window name (WM_NAME, _NET_WM_NAME), so the two wings can be told apart
    // from the panel, which carries the same class.
    setWindowTitle(objectName());
    setAccessibleName(QString::fromUtf8(left ? "0 Codex sessions" : "0 Claude Code sessions"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground, setup_.hasCompositor);
    setAttribute(Qt::WA_NoSystemBackground, setup_.hasCompositor);
    setFocusPolicy(Qt::NoFocus);
    if (!setup_.hasCompositor) {
        // An opaque window: what the sliding tab uncovers inside the mask stays black.
        QPalette palette = this->palette();
        palette.setColor(QPalette::Window, black());
        setPalette(palette);
        setAutoFillBackground(true);
    }
    if (!setup_.primaryBottom) setup_.primaryBottom = [] { return 0.0; };

    transient_.setStartValue(0.0);
    transient_.setEndValue(1.0);
    connect(&transient_, &QVariantAnimation::valueChanged, this, [this] { update(); });
    // A change that began meanwhile may reach further than this run did.
    connect(&transient_, &QVariantAnimation::finished, this, [this] { refreshAnimations(); });
    // The wave loops for as long as sessions work, so its frame rate is its cost: 20 frames
    // a second suit its 2-point cells, where an animation ticking at the display's 60 Hz
    // costs more than the painting itself. Each frame paints only the matrix.
    wave_.setDuration(static_cast<int>(ActivityMatrixModel::wavePeriod * 1000));
    wave_.setLoopCount(0);
    wave_.setUpdateInterval(waveFrameMilliseconds);
    connect(&wave_, &QTimeLine::valueChanged, this, [this] { update(matrixArea()); });
}

void NotchWingWindow::placeAt(const ScreenRect& frame) {
    const QRect geometry = toQtGeometry(frame, setup_.primaryBottom());
    if (geometry != this->geometry()) setGeometry(geometry);
    if (!setup_.hasCompositor && model_) {
        // Without blending, the window itself takes the tab's shape.
        const auto shape = NotchWingGeometry::of(frame.width, frame.height, setup_.side, model_->notchOverlap());
        setMask(QRegion(NotchWingShape::path(QSizeF(frame.width, frame.height), setup_.side, shape.outerRadius)
                            .toFillPolygon()
                            .toPolygon()));
    }
}

void NotchWingWindow::orderFront() {
    show();
    raise();
}

void NotchWingWindow::orderOut() {
    hide();
    refreshAnimations();
}

void NotchWingWindow::setAccessibilityLabel(const std::string& label) {
    setAccessibleName(QString::fromStdString(label));
}

void NotchWingWindow::motionChanged() {
    refreshAnimations();
    if (isVisible()) update();
}

void NotchWingWindow::refreshAnimations() {
    const double now = scheduler_.now();
    const bool shown = isVisible() && model_ != nullptr;
    if (shown && model_->isMovingAt(now)) {
        const int remaining = static_cast<int>(std::ceil((model_->motionEnd() - now) * 1000)) + 1;
        transient_.stop();
        transient_.setDuration(std::max(1, remaining));
        transient_.start();
    } else if (transient_.state() == QAbstractAnimation::Running && !shown) {
        transient_.stop();
    }
    const bool waving = shown && model_->isWaving();
    if (waving && wave_.state() != QTimeLine::Running)
        wave_.start();
    else if (!waving && wave_.state() == QTimeLine::Running)
        wave_.stop();
}

QRect NotchWingWindow::matrixArea() const {
    if (model_ == nullptr) return rect();
    const auto geometry = NotchWingGeometry::of(width(), height(), setup_.side, model_->notchOverlap());
    // The matrix in widget terms (y downwards), with a point to spare for antialiasing.
    const QRectF matrix(geometry.matrix.x, height() - geometry.matrix.maxY(), geometry.matrix.width,
                        geometry.matrix.height);
    return matrix.adjusted(-1, -1, 1, 1).toAlignedRect();
}

void NotchWingWindow::paintEvent(QPaintEvent* event) {
    ++paintCount_;
    QPainter painter(this);
    painter.setClipRegion(event->region());
    if (setup_.hasCompositor) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(rect(), Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    if (model_)
        paintNotchWing(painter, *model_, scheduler_.now(), QSizeF(size()), setup_.hasCompositor,
                       QRectF(event->region().boundingRect()));
}

bool x11CompositorRuns() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 == nullptr || x11->connection() == nullptr) return false;
    xcb_connection_t* connection = x11->connection();
    // The default screen's number; the selection names it.
    int screenNumber = 0;
    if (const char* display = std::getenv("DISPLAY")) {
        if (const char* dot = std::strrchr(display, '.'); dot && std::strchr(dot, ':') == nullptr)
            screenNumber = std::atoi(dot + 1);
    }
    const std::string name = "_NET_WM_CM_S" + std::to_string(screenNumber);
    auto atomReply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(name.size()), name.c_str()), nullptr);
    if (atomReply == nullptr) return false;
    const xcb_atom_t atom = atomReply->atom;
    std::free(atomReply);
    if (atom == XCB_ATOM_NONE) return false;  // nobody ever claimed it
    auto ownerReply =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom), nullptr);
    if (ownerReply == nullptr) return false;
    const bool owned = ownerReply->owner != XCB_WINDOW_NONE;
    std::free(ownerReply);
    return owned;
}

}  // namespace quaylight
