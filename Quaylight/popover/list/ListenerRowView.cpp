#include "Quaylight/popover/list/ListenerRowView.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "Quaylight/design/controls/DesignAccessibility.h"
#include "Quaylight/design/controls/Shapes.h"
#include "Quaylight/design/icons/LucideIcon.h"
#include "Quaylight/design/theme/PremiumTheme.h"
#include "Quaylight/popover/frame/DisplayText.h"
#include "Quaylight/popover/frame/ElidedLabel.h"
#include "Quaylight/popover/frame/HoverTint.h"
#include "Quaylight/popover/frame/PopoverWidgets.h"
#include "Quaylight/popover/list/ActivityPulseClock.h"
#include "Quaylight/popover/list/ListenerListAccessibility.h"

namespace quaylight {

namespace {

QString q(const std::string& text) { return QString::fromStdString(text); }

QColor activityColor(ActivityLevel level) {
    switch (level) {
        case ActivityLevel::low: return PremiumTheme::success();
        case ActivityLevel::medium: return PremiumTheme::warning();
        case ActivityLevel::high: return PremiumTheme::danger();
        case ActivityLevel::unknown: break;
    }
    return white(0.3);
}

}  // namespace

// The port number on its rounded pill.
class PortPill : public QWidget {
public:
    explicit PortPill(QWidget* parent) : QWidget(parent) {
        setFont(PremiumTheme::mono(14.5, QFont::Medium));
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    void set(const QString& text, int height) {
        if (text == text_ && height == height_) return;
        text_ = text;
        height_ = height;
        setAccessibleName(text);
        setFixedSize(64, height);
        update();
    }
    const QString& text() const { return text_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        fillAndStroke(p, roundedRectPath(strokeFittingRect(rect()), 10), white(0.07), white(0.08));
        p.setPen(white());
        p.drawText(rect(), Qt::AlignCenter, text_);
    }

private:
    QString text_;
    int height_ = 0;
};

// The 7-point activity light and, while pulsing, its halo driven by the shared clock.
class ActivityLight : public QWidget {
public:
    ActivityLight(ActivityPulseClock* clock, QWidget* parent) : QWidget(parent), clock_(clock) {
        setFixedSize(16, 16);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    ~ActivityLight() override {
        if (clock_) clock_->unsubscribe(this);
    }
    void setLevel(ActivityLevel level) {
        if (level == level_ && !accessibleName().isEmpty()) return;
        level_ = level;
        setAccessibleName(q(activityAccessibleName(level)));
        update();
    }
    void setPulsing(bool pulsing) {
        pulsing = pulsing && level_ != ActivityLevel::unknown && clock_;
        if (pulsing == pulsing_) return;
        pulsing_ = pulsing;
        if (pulsing) clock_->subscribe(this);
        else if (clock_) clock_->unsubscribe(this);
        update();  // a stopped halo snaps back at once
    }
    bool isPulsing() const { return pulsing_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QPointF centre = QRectF(rect()).center();
        const QColor color = activityColor(level_);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(centre, 3.5, 3.5);
        if (!pulsing_) return;
        const qreal phase = clock_->phase();
        const qreal scale = 0.75 + (2.1 - 0.75) * phase;
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(withOpacity(color, 0.65 * (1 - phase)), 1));
        p.drawEllipse(centre, 3.5 * scale, 3.5 * scale);
    }

private:
    QPointer<ActivityPulseClock> clock_;
    ActivityLevel level_ = ActivityLevel::unknown;
    bool pulsing_ = false;
};

// A capsule with optional leading dot and one line of text.
class RowBadge : public QWidget {
public:
    struct Look {
        QString text;
        QFont font;
        QColor textColor;
        QColor fill;
        QColor stroke = Qt::transparent;
        std::optional<QColor> dot;
        int hPadding = 8;
        int vPadding = 4;
        bool operator==(const Look& o) const {
            return text == o.text && font == o.font && textColor == o.textColor && fill == o.fill &&
                   stroke == o.stroke && dot == o.dot && hPadding == o.hPadding && vPadding == o.vPadding;
        }
    };
    explicit RowBadge(QWidget* parent) : QWidget(parent) {
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }
    void setLook(const Look& look) {
        if (look == look_) return;
        look_ = look;
        setFont(look.font);
        updateGeometry();
        update();
    }
    QSize sizeHint() const override {
        const QFontMetrics m(look_.font);
        const int dot = look_.dot ? 6 + 5 : 0;
        return {m.horizontalAdvance(look_.text) + dot + 2 * look_.hPadding, m.height() + 2 * look_.vPadding};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        fillAndStroke(p, capsulePath(strokeFittingRect(rect())), look_.fill, look_.stroke);
        QRectF text = QRectF(rect()).adjusted(look_.hPadding, 0, -look_.hPadding, 0);
        if (look_.dot) {
            p.setPen(Qt::NoPen);
            p.setBrush(*look_.dot);
            p.drawEllipse(QPointF(text.left() + 3, text.center().y()), 3, 3);
            text.setLeft(text.left() + 11);
        }
        p.setPen(look_.textColor);
        p.setFont(look_.font);
        p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, look_.text);
    }

private:
    Look look_;
};

// The vitals line: small icons with their texts, painted in one pass, cut at the row's edge.
class VitalsLine : public QWidget {
public:
    explicit VitalsLine(QWidget* parent) : QWidget(parent) {
        setFont(PremiumTheme::display(9.5, PremiumFontWeight::regular));
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        setFixedHeight(QFontMetrics(font()).height());
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    void set(const std::vector<ListenerRowTexts::Vital>& vitals, ActivityLevel activity) {
        if (vitals == vitals_ && activity == activity_) return;
        vitals_ = vitals;
        activity_ = activity;
        QStringList names;
        for (const auto& v : vitals) names << displayText(v.text);
        setAccessibleName(names.join(QStringLiteral(", ")));
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setFont(font());
        const QFontMetrics m(font());
        qreal x = 0;
        const qreal h = height();
        p.setClipRect(rect());
        for (const auto& v : vitals_) {
            LucideIconName icon = LucideIconName::clock;
            QColor iconColor = PremiumTheme::textTertiary();
            switch (v.kind) {
                case ListenerRowTexts::VitalKind::host: icon = LucideIconName::terminal; break;
                case ListenerRowTexts::VitalKind::project: icon = LucideIconName::folder; break;
                case ListenerRowTexts::VitalKind::uptime: icon = LucideIconName::clock; break;
                case ListenerRowTexts::VitalKind::cpu: icon = LucideIconName::cpu; break;
                case ListenerRowTexts::VitalKind::memory: icon = LucideIconName::memory; break;
                case ListenerRowTexts::VitalKind::power:
                    icon = LucideIconName::bolt;
                    iconColor = activityColor(activity_);
                    break;
            }
            paintLucideIcon(p, QRectF(x, (h - 10) / 2, 10, 10), icon, iconColor);
            x += 10;
            if (!v.text.empty()) {
                const QString text = displayText(v.text);
                x += 3;
                p.setPen(PremiumTheme::textTertiary());
                p.drawText(QRectF(x, 0, m.horizontalAdvance(text) + 1, h), Qt::AlignLeft | Qt::AlignVCenter, text);
                x += m.horizontalAdvance(text);
            }
            x += 10;
        }
    }

private:
    std::vector<ListenerRowTexts::Vital> vitals_;
    ActivityLevel activity_ = ActivityLevel::unknown;
};

namespace {

// The "…" button: takes no focus, so a click never pulls the keys away from the list.
class ActionsButton : public QAbstractButton {
public:
    explicit ActionsButton(QWidget* parent) : QAbstractButton(parent) {
        setFixedSize(20, 28);
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        paintLucideIcon(p, QRectF((width() - 14) / 2.0, (height() - 14) / 2.0, 14, 14), LucideIconName::moreHorizontal,
                        PremiumTheme::textTertiary());
    }
};

QLabel* plainLabel(const QFont& font, const QColor& color, QWidget* parent) {
    auto* label = makePlainLabel(QString(), font, color, parent);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

}  // namespace

ListenerRowView::ListenerRowView(ActivityPulseClock* clock, QWidget* parent) : QWidget(parent) {
    installListenerListAccessibility();
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    hover_ = new HoverTint(this, [this] {
        // A selected or open row keeps its own fill: nothing to redraw.
        if (!state_.isSelected && !state_.actionsExpanded) update();
    });

    layout_ = new QHBoxLayout(this);
    layout_->setSpacing(12);
    pill_ = new PortPill(this);
    pill_->setObjectName(QStringLiteral("portPill"));
    layout_->addWidget(pill_);

    auto* column = new QVBoxLayout;
    column->setSpacing(3);
    auto* titleLine = new QHBoxLayout;
    titleLine->setSpacing(7);
    light_ = new ActivityLight(clock, this);
    light_->setObjectName(QStringLiteral("activityLight"));
    title_ = new ElidedLabel(PremiumTheme::display(13, PremiumFontWeight::medium), PremiumTheme::textPrimary(),
                             Qt::ElideRight, this);
    title_->setObjectName(QStringLiteral("title"));
    systemTag_ = new RowBadge(this);
    systemTag_->setObjectName(QStringLiteral("systemTag"));
    QFont tagFont = PremiumTheme::mono(9.5, QFont::Normal);
    tagFont.setLetterSpacing(QFont::AbsoluteSpacing, 0.5);
    systemTag_->setLook({QStringLiteral("SYSTEM"), tagFont, PremiumTheme::textTertiary(), white(0.06),
                         Qt::transparent, std::nullopt, 7, 3});
    systemTag_->setAccessibleName(QStringLiteral("System"));
    // The tag follows the name; a long name gives way and elides first.
    title_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    titleLine->addWidget(light_);
    titleLine->addWidget(title_);
    titleLine->addWidget(systemTag_);
    titleLine->addStretch(1);
    column->addLayout(titleLine);

    auto* subtitle = new QHBoxLayout;
    subtitle->setSpacing(7);
    const QFont subtitleFont = PremiumTheme::mono(10.5, QFont::Normal);
    pid_ = plainLabel(subtitleFont, PremiumTheme::textTertiary(), this);
    pid_->setObjectName(QStringLiteral("pid"));
    auto* dot = plainLabel(subtitleFont, PremiumTheme::textTertiary(), this);
    dot->setText(QStringLiteral("·"));
    context_ = new ElidedLabel(subtitleFont, PremiumTheme::textTertiary(), Qt::ElideRight, this);
    context_->setObjectName(QStringLiteral("context"));
    subtitle->addWidget(pid_);
    subtitle->addWidget(dot);
    subtitle->addWidget(context_, 1);
    column->addLayout(subtitle);

    vitals_ = new VitalsLine(this);
    vitals_->setObjectName(QStringLiteral("vitals"));
    column->addWidget(vitals_);
    path_ = new ElidedLabel(PremiumTheme::mono(9.5, QFont::Normal), PremiumTheme::textTertiary(), Qt::ElideMiddle,
                            this);
    path_->setObjectName(QStringLiteral("path"));
    column->addWidget(path_);
    layout_->addLayout(column, 1);

    auto* badges = new QHBoxLayout;
    badges->setSpacing(6);
    classification_ = new RowBadge(this);
    classification_->setObjectName(QStringLiteral("classificationBadge"));
    agent_ = new RowBadge(this);
    agent_->setObjectName(QStringLiteral("agentBadge"));
    bind_ = new RowBadge(this);
    bind_->setObjectName(QStringLiteral("bindBadge"));
    badges->addWidget(classification_);
    badges->addWidget(agent_);
    badges->addWidget(bind_);
    layout_->addLayout(badges);

    actions_ = new ActionsButton(this);
    actions_->setObjectName(QStringLiteral("actions"));
    actions_->setToolTip(QStringLiteral("Listener actions"));
    layout_->addWidget(actions_);
    connect(actions_, &QAbstractButton::clicked, this, [this] {
        if (onActionsButton) onActionsButton();
    });
}

bool ListenerRowView::setRow(const ListenerRowTexts& texts, ListenerRowState state) {
    const bool first = !built_;
    const bool textsChanged = first || !(texts == texts_);
    const bool stateChanged = !(state == state_);
    if (!textsChanged && !stateChanged) return false;
    if (textsChanged) applyTexts(texts, first);
    built_ = true;
    if (stateChanged) {
        const bool selectionChanged = state.isSelected != state_.isSelected;
        state_ = state;
        update();
        if (selectionChanged) {
            QAccessible::State changed;
            changed.selected = true;
            changed.focused = keysReachList();
            QAccessibleStateChangeEvent event(this, changed);
            QAccessible::updateAccessibility(&event);
            if (state_.isSelected) announceSelection();
        }
    }
    return true;
}

bool ListenerRowView::keysReachList() const { return keyboardFocusAbove(this); }

void ListenerRowView::announceSelection() {
    if (state_.isSelected) announceKeyboardItem(this);
}

void ListenerRowView::applyTexts(const ListenerRowTexts& t, bool first) {
    const bool compact = t.density == DisplaySettings::RowDensity::compact;
    layout_->setContentsMargins(8 + 10, compact ? 7 : 9, 8 + 10, compact ? 7 : 9);
    pill_->setVisible(t.port.has_value());
    if (t.port) pill_->set(q(*t.port), compact ? 32 : 36);
    light_->setLevel(t.activity);
    title_->setText(isolatedDisplayText(t.title));
    title_->setAccessibleName(displayText(t.title));
    systemTag_->setVisible(t.isSystem);
    pid_->setText(q(t.pidText));
    context_->setText(isolatedDisplayText(t.context));
    context_->setAccessibleName(displayText(t.context));
    vitals_->setVisible(t.hasVitalsLine);
    vitals_->set(t.vitals, t.activity);
    path_->setVisible(t.path.has_value());
    if (t.path) {
        path_->setText(isolatedDisplayText(*t.path));
        path_->setAccessibleName(displayText(*t.path));
    }

    classification_->setVisible(t.classificationLabel.has_value());
    if (t.classificationLabel) {
        const QString label = displayText(*t.classificationLabel);
        const QString confidence = q(confidenceWord(t.confidence));
        const QColor dot = t.confidence == Confidence::high     ? PremiumTheme::success()
                           : t.confidence == Confidence::medium ? PremiumTheme::warning()
                                                                : white(0.35);
        classification_->setLook({label, PremiumTheme::display(10.5, PremiumFontWeight::medium), white(0.75),
                                  white(0.055), Qt::transparent, dot, 9, 4});
        classification_->setAccessibleName(label + QStringLiteral(", ") + confidence + QStringLiteral(" confidence"));
        setPlainTooltip(classification_, label + QStringLiteral(" · ") + confidence + QStringLiteral(" confidence"));
    }
    agent_->setVisible(t.agent.has_value());
    if (t.agent) {
        const bool codex = *t.agent == AgentKind::codex;
        const QColor color = codex ? PremiumTheme::codex() : PremiumTheme::claude();
        const QString word = codex ? QStringLiteral("Codex") : QStringLiteral("Claude");
        agent_->setLook({word, PremiumTheme::mono(10, QFont::Normal), color, withOpacity(color, 0.12),
                         withOpacity(color, codex ? 0.24 : 0.26), std::nullopt, 8, 4});
        agent_->setAccessibleName(word);
    }
    const bool everywhere = t.bindScope == BindScope::allInterfaces;
    bind_->setLook({q(t.bind.word), PremiumTheme::mono(10, QFont::Normal),
                    everywhere ? PremiumTheme::info() : white(0.45),
                    everywhere ? withOpacity(PremiumTheme::accent(), 0.16) : white(0.05),
                    everywhere ? withOpacity(PremiumTheme::accent(), 0.28) : QColor(Qt::transparent), std::nullopt, 8,
                    4});
    bind_->setAccessibleName(q(t.bind.word));
    bind_->setToolTip(q(t.bind.tooltip));

    actions_->setAccessibleName(displayText(t.actionsAccessibleName));
    setPlainTooltip(this, listenerRowAccessibleDescription(t));
    setAccessibleName(listenerRowAccessibleName(t));

    if (first || t.isSystem != texts_.isSystem) {
        if (t.isSystem) {
            auto* effect = new QGraphicsOpacityEffect(this);
            effect->setOpacity(0.45);
            setGraphicsEffect(effect);
        } else {
            setGraphicsEffect(nullptr);
        }
    }
    texts_ = t;
}

QString listenerRowAccessibleName(const ListenerRowTexts& texts) { return displayText(texts.title); }

QString listenerRowAccessibleDescription(const ListenerRowTexts& texts) { return displayLines(texts.tooltipLines); }

void ListenerRowView::forgetHover() { hover_->clear(); }

void ListenerRowView::setPulsing(bool pulsing) { light_->setPulsing(pulsing); }
bool ListenerRowView::isPulsing() const { return light_->isPulsing(); }

void ListenerRowView::paintEvent(QPaintEvent* event) {
    ++paintCount_;
    if (event->rect().width() > 16 || event->rect().height() > 16) ++widePaintCount_;
    QColor fill = Qt::transparent;
    if (state_.isSelected) fill = withOpacity(PremiumTheme::accent(), 0.14);
    else if (state_.actionsExpanded) fill = withOpacity(PremiumTheme::accent(), 0.09);
    else fill = withOpacity(PremiumTheme::accent(), 0.09 * hover_->value());
    const QColor stroke = state_.actionsExpanded ? withOpacity(PremiumTheme::accent(), 0.16) : QColor(Qt::transparent);
    if (fill.alpha() == 0 && stroke.alpha() == 0) return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    fillAndStroke(p, roundedRectPath(strokeFittingRect(QRectF(rect()).adjusted(8, 0, -8, 0)), 12), fill, stroke);
}

void ListenerRowView::mousePressEvent(QMouseEvent* event) {
    // A right click or a Ctrl+click opens the row's menu without selecting it.
    const bool secondary = event->button() == Qt::RightButton ||
                           (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ControlModifier));
    if (secondary) {
        if (onToggleActions) onToggleActions();
    } else if (event->button() == Qt::LeftButton) {
        if (onSelect) onSelect();
    }
    event->accept();
}

void ListenerRowView::enterEvent(QEnterEvent*) { hover_->setHovering(true); }

void ListenerRowView::leaveEvent(QEvent*) { hover_->setHovering(false); }

}  // namespace quaylight
