#include "Quaylight/popover/agents/AgentRowView.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "Quaylight/design/controls/PremiumButton.h"
#include "Quaylight/design/controls/PremiumChip.h"
#include "Quaylight/design/controls/RetireWidget.h"
#include "Quaylight/design/controls/Shapes.h"
#include "Quaylight/design/icons/LucideIcon.h"
#include "Quaylight/design/theme/Foreground.h"
#include "Quaylight/design/theme/PremiumTheme.h"
#include "Quaylight/popover/agents/AgentStateBadge.h"
#include "Quaylight/popover/frame/DisplayText.h"
#include "Quaylight/popover/frame/ElidedLabel.h"
#include "Quaylight/popover/frame/PopoverWidgets.h"
#include "Quaylight/popover/frame/WrapLabel.h"

namespace quaylight {

namespace {

QString q(const std::string& text) { return QString::fromStdString(text); }

QFont textFont(qreal size) { return PremiumTheme::display(size, PremiumFontWeight::regular); }

// One line of plain text that does not take clicks from the row.
QLabel* plainLabel(const QFont& font, const QColor& color, QWidget* parent) {
    auto* label = makePlainLabel(QString(), font, color, parent);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    // Inside the row button a label would otherwise take the button's text role.
    label->setForegroundRole(QPalette::WindowText);
    return label;
}

void setLabelText(QLabel* label, const QString& text) {
    if (label->text() != text) label->setText(text);
}

// A short text on a rounded fill: the related-ports count and the port cells.
class TextPill : public QWidget {
public:
    struct Look {
        QColor text;
        QColor fill;
        int hPadding;
        int vPadding;
        qreal radius;
    };
    TextPill(const QString& text, const Look& look, QWidget* parent) : QWidget(parent), look_(look) {
        setFont(PremiumTheme::mono(10.5, QFont::Normal));
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setText(text);
    }
    void setText(const QString& text) {
        if (text == text_) return;
        text_ = text;
        setAccessibleName(text);
        updateGeometry();
        update();
    }
    const QString& text() const { return text_; }
    QSize sizeHint() const override {
        const QFontMetrics metrics(font());
        return {metrics.horizontalAdvance(text_) + 2 * look_.hPadding, metrics.height() + 2 * look_.vPadding};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        fillAndStroke(p, roundedRectPath(QRectF(rect()), look_.radius), look_.fill, Qt::transparent);
        p.setPen(look_.text);
        p.drawText(rect(), Qt::AlignCenter, text_);
    }

private:
    QString text_;
    Look look_;
};

TextPill::Look relatedPortsLook() { return {PremiumTheme::accentSoft(), withOpacity(PremiumTheme::accent(), 0.1), 8, 3, 7}; }
TextPill::Look portCellLook() { return {PremiumTheme::textSecondary(), white(0.07), 7, 2, 6}; }

// The disclosure chevron, turned upside down while the details show.
class Chevron : public QWidget {
public:
    explicit Chevron(QWidget* parent) : QWidget(parent) {
        setFixedSize(12, 12);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    void setTurned(bool turned) {
        if (turned == turned_) return;
        turned_ = turned;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        paintDisclosureChevron(p, QRectF(rect()), turned_, PremiumTheme::textTertiary());
    }

private:
    bool turned_ = false;
};

// The collapsed line as one button: its children only draw, the button takes the click.
class RowButton : public QAbstractButton {
public:
    explicit RowButton(QWidget* parent) : QAbstractButton(parent) {
        setFocusPolicy(Qt::TabFocus);
        setCursor(Qt::PointingHandCursor);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
    QSize sizeHint() const override { return layout() ? layout()->sizeHint() : QSize(); }
    QSize minimumSizeHint() const override { return layout() ? layout()->minimumSize() : QSize(); }

protected:
    void paintEvent(QPaintEvent*) override {
        if (!hasFocus()) return;
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        fillAndStroke(p, roundedRectPath(strokeFittingRect(QRectF(rect())), 12), Qt::transparent,
                      withOpacity(PremiumTheme::accent(), 0.5));
    }
    bool hitButton(const QPoint& position) const override { return rect().contains(position); }
};

// An icon and a short fact of the detail band.
class DetailFact : public QWidget {
public:
    DetailFact(LucideIconName icon, QWidget* parent) : QWidget(parent) {
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(5);
        auto* image = new LucideIcon(icon, 11, std::nullopt, this);
        setForeground(image, PremiumTheme::textTertiary());
        label_ = plainLabel(textFont(10.5), PremiumTheme::textTertiary(), this);
        layout->addWidget(image);
        layout->addWidget(label_);
    }
    void setText(const QString& text) {
        setLabelText(label_, text);
        setAccessibleName(text);
    }
    QString text() const { return label_->text(); }

private:
    QLabel* label_;
};

PremiumButtonStyle actionStyle(PremiumButtonKind kind) { return {kind, 28, 10, 11, false}; }

}  // namespace

struct AgentRowView::Parts {
    QVBoxLayout* frame = nullptr;
    RowButton* button = nullptr;
    PremiumChip* chip = nullptr;
    AgentStateBadge* badge = nullptr;
    ElidedLabel* title = nullptr;
    TextPill* relatedPorts = nullptr;
    QLabel* location = nullptr;
    QLabel* elapsed = nullptr;
    Chevron* chevron = nullptr;

    // The detail band, made on the first expansion.
    QWidget* band = nullptr;
    DetailFact* evidence = nullptr;
    DetailFact* host = nullptr;
    DetailFact* pid = nullptr;
    WrapLabel* explanation = nullptr;
    QLabel* relatedCaption = nullptr;
    QWidget* portCellsRow = nullptr;
    QHBoxLayout* portCells = nullptr;
    std::vector<TextPill*> cells;
    QLabel* relatedNote = nullptr;
    PremiumButton* focus = nullptr;
    QLabel* notRunning = nullptr;
    PremiumButton* ports = nullptr;
    PremiumButton* stop = nullptr;
    QLabel* stopNote = nullptr;
};

AgentRowView::AgentRowView(QWidget* parent) : QWidget(parent), parts_(new Parts) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    hover_ = new HoverTint(this, [this] {
        // An expanded row is tinted either way: nothing to redraw.
        if (!texts_.isExpanded) update();
    });
    auto& parts = *parts_;
    parts.frame = new QVBoxLayout(this);
    parts.frame->setContentsMargins(8, 0, 8, 0);
    parts.frame->setSpacing(0);

    parts.button = new RowButton(this);
    parts.button->setObjectName(QStringLiteral("agentRowButton"));
    auto* line = new QHBoxLayout(parts.button);
    line->setContentsMargins(10, 9, 10, 9);
    line->setSpacing(10);
    parts.chip = new PremiumChip(QString(), PremiumChipStyle::codex, std::nullopt, parts.button);
    parts.chip->setAttribute(Qt::WA_TransparentForMouseEvents);
    parts.badge = new AgentStateBadge(AgentSessionState::detected, parts.button);
    parts.badge->setFixedWidth(108);
    parts.title = new ElidedLabel(PremiumTheme::display(12.5, PremiumFontWeight::medium), PremiumTheme::textPrimary(),
                                  Qt::ElideRight, parts.button);
    parts.title->setObjectName(QStringLiteral("agentTitle"));
    parts.relatedPorts = new TextPill(QString(), relatedPortsLook(), parts.button);
    parts.relatedPorts->setObjectName(QStringLiteral("relatedPorts"));
    parts.location = plainLabel(textFont(11), PremiumTheme::textSecondary(), parts.button);
    parts.location->setObjectName(QStringLiteral("location"));
    QFont elapsedFont = PremiumTheme::mono(11, QFont::Normal);
    elapsedFont.setStyleHint(QFont::Monospace);
    parts.elapsed = plainLabel(elapsedFont, PremiumTheme::textTertiary(), parts.button);
    parts.elapsed->setObjectName(QStringLiteral("elapsed"));
    parts.elapsed->setFixedWidth(44);
    parts.elapsed->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    parts.chevron = new Chevron(parts.button);
    line->addWidget(parts.chip);
    line->addWidget(parts.badge);
    line->addWidget(parts.title, 1);
    line->addWidget(parts.relatedPorts);
    line->addWidget(parts.location);
    line->addWidget(parts.elapsed);
    line->addWidget(parts.chevron);
    parts.frame->addWidget(parts.button);
    connect(parts.button, &QAbstractButton::clicked, this, [this] {
        if (actions.onToggleExpanded) actions.onToggleExpanded();
    });
}

AgentRowView::~AgentRowView() { delete parts_; }

bool AgentRowView::apply(const AgentSessionSnapshot& session, const AgentRowContext& context) {
    session_ = session;
    context_ = context;
    auto texts = agentRowTexts(session, context);
    if (built_ && texts == texts_) return false;
    applyTexts(texts, !built_);
    built_ = true;
    return true;
}

void AgentRowView::forgetPointer() {
    hover_->clear();
    parts_->button->setDown(false);
}

void AgentRowView::applyTexts(const AgentRowTexts& t, bool first) {
    auto& parts = *parts_;
    const bool expansionChanged = first || t.isExpanded != texts_.isExpanded;

    parts.chip->setTitle(q(t.providerName));
    parts.chip->setChipStyle(t.provider == AgentKind::claude ? PremiumChipStyle::claude : PremiumChipStyle::codex);
    parts.badge->setState(t.state);
    if (first || t.hasProject != texts_.hasProject) {
        parts.title->setFont(PremiumTheme::display(
            12.5, t.hasProject ? PremiumFontWeight::medium : PremiumFontWeight::regular));
        parts.title->setColor(t.hasProject ? PremiumTheme::textPrimary() : PremiumTheme::textTertiary());
    }
    parts.title->setText(isolatedDisplayText(t.title));
    parts.title->setAccessibleName(displayText(t.title));
    parts.relatedPorts->setVisible(t.relatedPortsText.has_value());
    if (t.relatedPortsText) parts.relatedPorts->setText(q(*t.relatedPortsText));
    setLabelText(parts.location, displayText(t.location));
    setLabelText(parts.elapsed, q(t.elapsed));
    parts.chevron->setTurned(t.isExpanded);
    parts.button->setAccessibleName(displayText(t.accessibilitySummary));
    parts.button->setAccessibleDescription(q(t.accessibilityHint));
    setAccessibleName(displayText(t.accessibilitySummary));
    // Qt tells readers of every description set, changed or not: set only when it changes.
    if (accessibleDescription() != q(t.accessibilityHint)) setAccessibleDescription(q(t.accessibilityHint));

    if (t.isExpanded && !parts.band) {
        // Build the band on first need: most rows are never opened.
        parts.band = new QWidget(this);
        parts.band->setObjectName(QStringLiteral("detailBand"));
        auto* band = new QVBoxLayout(parts.band);
        band->setContentsMargins(12, 2, 12, 10);
        band->setSpacing(8);
        band->addWidget(makeHairline(parts.band));

        auto* facts = new QHBoxLayout;
        facts->setSpacing(8);
        parts.evidence = new DetailFact(LucideIconName::terminal, parts.band);
        parts.host = new DetailFact(LucideIconName::monitor, parts.band);
        parts.pid = new DetailFact(LucideIconName::hash, parts.band);
        facts->addWidget(parts.evidence);
        facts->addWidget(parts.host);
        facts->addWidget(parts.pid);
        facts->addStretch(1);
        band->addLayout(facts);

        parts.explanation =
            new WrapLabel(QString(), textFont(11), PremiumTheme::textSecondary(), Qt::AlignLeft, parts.band);
        parts.explanation->setObjectName(QStringLiteral("stateExplanation"));
        band->addWidget(parts.explanation);

        parts.relatedCaption = plainLabel(textFont(10.5), PremiumTheme::textTertiary(), parts.band);
        parts.relatedCaption->setObjectName(QStringLiteral("relatedCaption"));
        band->addWidget(parts.relatedCaption);
        parts.portCellsRow = new QWidget(parts.band);
        parts.portCells = new QHBoxLayout(parts.portCellsRow);
        parts.portCells->setContentsMargins(0, 0, 0, 0);
        parts.portCells->setSpacing(6);
        parts.portCells->addStretch(1);
        band->addWidget(parts.portCellsRow);
        parts.relatedNote = plainLabel(textFont(10.5), PremiumTheme::textTertiary(), parts.band);
        parts.relatedNote->setObjectName(QStringLiteral("relatedNote"));
        band->addWidget(parts.relatedNote);

        auto* actionsRow = new QHBoxLayout;
        actionsRow->setContentsMargins(0, 2, 0, 0);
        actionsRow->setSpacing(8);
        parts.focus = new PremiumButton(QStringLiteral("Focus App"), actionStyle(PremiumButtonKind::secondary),
                                        parts.band);
        parts.focus->setObjectName(QStringLiteral("focusApp"));
        parts.notRunning = plainLabel(textFont(10.5), PremiumTheme::textTertiary(), parts.band);
        parts.notRunning->setObjectName(QStringLiteral("hostNotRunning"));
        parts.ports = new PremiumButton(QString(), actionStyle(PremiumButtonKind::ghost), parts.band);
        parts.ports->setObjectName(QStringLiteral("viewPorts"));
        parts.stop = new PremiumButton(QStringLiteral("Stop Agent"), actionStyle(PremiumButtonKind::destructive),
                                       parts.band);
        parts.stop->setObjectName(QStringLiteral("stopAgent"));
        actionsRow->addWidget(parts.focus);
        actionsRow->addWidget(parts.notRunning);
        actionsRow->addWidget(parts.ports);
        actionsRow->addStretch(1);
        actionsRow->addWidget(parts.stop);
        band->addLayout(actionsRow);
        parts.stopNote = plainLabel(textFont(10.5), PremiumTheme::textTertiary(), parts.band);
        parts.stopNote->setObjectName(QStringLiteral("stopNote"));
        band->addWidget(parts.stopNote);
        parts.frame->addWidget(parts.band);

        connect(parts.focus, &QAbstractButton::clicked, this, [this] {
            if (actions.onFocusApp) actions.onFocusApp();
        });
        connect(parts.ports, &QAbstractButton::clicked, this, [this] {
            const auto& callback = texts_.portsAction == AgentRowTexts::PortsAction::related
                                       ? actions.onViewRelatedPorts
                                       : actions.onViewProviderPorts;
            if (callback) callback();
        });
        connect(parts.stop, &QAbstractButton::clicked, this, [this] {
            // The texts decide; a row whose Stop is hidden never stops anything.
            if (texts_.showsStop() && actions.onStopAgent) actions.onStopAgent();
        });
    }
    if (parts.band) {
        parts.evidence->setText(q(t.evidenceFact));
        parts.host->setText(displayText(t.hostFact));
        parts.pid->setVisible(t.pidFact.has_value());
        if (t.pidFact) parts.pid->setText(q(*t.pidFact));
        parts.explanation->setText(displayText(t.stateExplanation));

        parts.relatedCaption->setVisible(t.relatedCaption.has_value());
        if (t.relatedCaption) setLabelText(parts.relatedCaption, q(*t.relatedCaption));
        parts.portCellsRow->setVisible(!t.relatedPortCells.empty());
        if (first || t.relatedPortCells != texts_.relatedPortCells || parts.cells.size() != t.relatedPortCells.size()) {
            for (auto* cell : parts.cells) retireWidget(cell);
            parts.cells.clear();
            for (const auto& port : t.relatedPortCells) {
                auto* cell = new TextPill(q(port), portCellLook(), parts.portCellsRow);
                parts.portCells->insertWidget(static_cast<int>(parts.cells.size()), cell);
                parts.cells.push_back(cell);
            }
        }
        parts.relatedNote->setVisible(t.relatedNote.has_value());
        if (t.relatedNote) setLabelText(parts.relatedNote, q(*t.relatedNote));

        parts.focus->setVisible(t.showsFocus());
        if (t.focusAccessibleName) parts.focus->setAccessibleName(displayText(*t.focusAccessibleName));
        parts.notRunning->setVisible(t.hostNotRunningNote.has_value());
        if (t.hostNotRunningNote) setLabelText(parts.notRunning, displayText(*t.hostNotRunningNote));
        if (parts.ports->text() != q(t.portsButtonTitle)) {
            parts.ports->setText(q(t.portsButtonTitle));
            parts.ports->setAccessibleName(q(t.portsButtonTitle));
            parts.ports->updateGeometry();
        }
        parts.stop->setVisible(t.showsStop());
        if (t.stopAccessibleName) parts.stop->setAccessibleName(q(*t.stopAccessibleName));
        parts.stopNote->setVisible(t.stopNote.has_value());
        if (t.stopNote) setLabelText(parts.stopNote, q(*t.stopNote));
        parts.band->setVisible(t.isExpanded);
    }

    texts_ = t;
    if (expansionChanged) {
        updateGeometry();
        update();
    }
}

int AgentRowView::collapsedHeight() {
    // Measured once on a closed row showing every part of its line; the fonts are the
    // application's own, registered before any view is made.
    static const int height = [] {
        AgentSessionSnapshot session;
        session.projectName = "project";
        session.portRelationship = PortRelationshipConfidence::exact;
        AgentRowView probe;
        probe.apply(session, {});
        return probe.sizeHint().height();
    }();
    return height;
}

QAbstractButton* AgentRowView::rowButton() const { return parts_->button; }
QWidget* AgentRowView::detailBand() const { return parts_->band; }
QAbstractButton* AgentRowView::focusButton() const { return parts_->focus; }
QAbstractButton* AgentRowView::portsButton() const { return parts_->ports; }
QAbstractButton* AgentRowView::stopButton() const { return parts_->stop; }

void AgentRowView::paintEvent(QPaintEvent*) {
    ++paintCount_;
    const bool expanded = texts_.isExpanded;
    const qreal tint = expanded ? 1.0 : hover_->value();
    const QColor fill = withOpacity(PremiumTheme::accent(), 0.09 * tint);
    const QColor stroke = expanded ? withOpacity(PremiumTheme::accent(), 0.16) : QColor(Qt::transparent);
    if (fill.alpha() == 0 && stroke.alpha() == 0) return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    fillAndStroke(p, roundedRectPath(strokeFittingRect(QRectF(rect()).adjusted(8, 0, -8, 0)), 12), fill, stroke);
}

void AgentRowView::enterEvent(QEnterEvent*) { hover_->setHovering(true); }
void AgentRowView::leaveEvent(QEvent*) { hover_->setHovering(false); }

}  // namespace quaylight
