#include "Quaylight/popover/frame/ModeSearchBar.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "Quaylight/design/controls/Shapes.h"
#include "Quaylight/design/icons/LucideIcon.h"
#include "Quaylight/design/theme/Foreground.h"
#include "Quaylight/design/theme/PremiumTheme.h"
#include "Quaylight/popover/frame/PopoverWidgets.h"

namespace quaylight {

// One segment of the switch; announced as "Ports view" with "Selected" or "Not selected".
class ModeSegment : public QAbstractButton {
public:
    ModeSegment(const QString& title, QWidget* parent) : QAbstractButton(parent) {
        setText(title);
        setFont(PremiumTheme::display(11.5, PremiumFontWeight::semibold));
        setFocusPolicy(Qt::NoFocus);
        setCheckable(true);
        setAccessibleName(title + QStringLiteral(" view"));
        setFixedHeight(30);
        setCursor(Qt::PointingHandCursor);
    }
    void setSelected(bool selected) {
        if (selected == isChecked() && !accessibleDescription().isEmpty()) return;
        setChecked(selected);
        setAccessibleDescription(selected ? QStringLiteral("Selected") : QStringLiteral("Not selected"));
        update();
    }
    QSize sizeHint() const override { return {QFontMetrics(font()).horizontalAdvance(text()) + 24, 30}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        if (isChecked()) {
            p.setPen(Qt::NoPen);
            p.setBrush(PremiumTheme::accent());
            p.drawPath(roundedRectPath(rect(), 9));
        }
        p.setPen(isChecked() ? white() : PremiumTheme::textSecondary());
        p.setFont(font());
        p.drawText(rect(), Qt::AlignCenter, text());
    }
    void nextCheckState() override {}  // the mode decides, not the click
};

namespace {

// The rounded box both the switch and the field sit on.
class Capsule : public QWidget {
public:
    explicit Capsule(QWidget* parent) : QWidget(parent) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        fillAndStroke(p, roundedRectPath(strokeFittingRect(rect()), 12), white(0.06), white(0.08));
    }
};

}  // namespace

ModeSearchBar::ModeSearchBar(QWidget* parent) : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(14, 12, 14, 10);
    column->setSpacing(10);
    auto* top = new QHBoxLayout;
    top->setSpacing(10);

    auto* switcher = new Capsule(this);
    switcher->setObjectName(QStringLiteral("modeSwitcher"));
    switcher->setAccessibleName(QStringLiteral("Panel view"));
    auto* segments = new QHBoxLayout(switcher);
    segments->setContentsMargins(3, 3, 3, 3);
    segments->setSpacing(2);
    ports_ = new ModeSegment(QStringLiteral("Ports"), switcher);
    agents_ = new ModeSegment(QStringLiteral("Agents"), switcher);
    segments->addWidget(ports_);
    segments->addWidget(agents_);
    // 30-point segments inside 3 points of padding: 36 high, centred on the 42-point field.
    top->addWidget(switcher, 0, Qt::AlignVCenter);
    connect(ports_, &QAbstractButton::clicked, this, [this] {
        if (onSelectMode) onSelectMode(PanelMode::ports);
    });
    connect(agents_, &QAbstractButton::clicked, this, [this] {
        if (onSelectMode) onSelectMode(PanelMode::agents);
    });

    fieldBox_ = new Capsule(this);
    fieldBox_->setFixedHeight(42);
    auto* field = new QHBoxLayout(fieldBox_);
    field->setContentsMargins(12, 0, 12, 0);
    field->setSpacing(8);
    auto* icon = new LucideIcon(LucideIconName::search, 13, std::nullopt, fieldBox_);
    setForeground(icon, PremiumTheme::textSecondary());
    field->addWidget(icon);
    field_ = new QLineEdit(fieldBox_);
    field_->setObjectName(QStringLiteral("searchField"));
    field_->setFrame(false);
    field_->setFont(PremiumTheme::mono(12, QFont::Normal));
    QPalette palette = field_->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::Text, PremiumTheme::textPrimary());
    palette.setColor(QPalette::PlaceholderText, PremiumTheme::textTertiary());
    field_->setPalette(palette);
    field_->installEventFilter(this);
    field->addWidget(field_, 1);
    clear_ = new IconButton(LucideIconName::x, 12, PremiumTheme::textTertiary(), QSize(18, 18),
                            QStringLiteral("Clear search"), fieldBox_);
    field->addWidget(clear_);
    top->addWidget(fieldBox_, 1);
    column->addLayout(top);

    rail_ = new QWidget(this);
    rail_->setObjectName(QStringLiteral("railSlot"));
    auto* railRow = new QHBoxLayout(rail_);
    railRow->setContentsMargins(0, 0, 0, 0);
    railRow->setSpacing(10);
    rail_->hide();
    column->addWidget(rail_);

    connect(field_, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (onSearchEdited) onSearchEdited(text);
    });
    connect(field_, &QLineEdit::returnPressed, this, [this] {
        if (onSearchSubmitted) onSearchSubmitted();
    });
    connect(clear_, &QAbstractButton::clicked, this, [this] {
        if (onClearSearch) onClearSearch();
    });
}

void ModeSearchBar::set(PanelMode mode, const QString& searchText, bool showsRail) {
    ports_->setSelected(mode == PanelMode::ports);
    agents_->setSelected(mode == PanelMode::agents);
    const QString placeholder =
        mode == PanelMode::agents ? QStringLiteral("Search agents") : QStringLiteral("Search listeners");
    if (field_->placeholderText() != placeholder) {
        field_->setPlaceholderText(placeholder);
        field_->setAccessibleName(placeholder);
    }
    if (field_->text() != searchText) field_->setText(searchText);
    clear_->setVisible(!searchText.isEmpty());
    // The rail row stays out of the layout until something is placed in it.
    const bool railShown = showsRail && rail_->layout()->count() > 0;
    rail_->setVisible(railShown);
    // A shown rail holds the bar's bottom margin itself, so that the active chip's glow
    // falls into it instead of being cut at the rail's edge.
    if (auto* column = qobject_cast<QVBoxLayout*>(layout())) column->setContentsMargins(14, 12, 14, railShown ? 0 : 10);
}

bool ModeSearchBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == field_) {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Down) {
            if (onDownFromSearch) onDownFromSearch();
            return true;
        }
        if (event->type() == QEvent::MouseButtonPress && onSearchFieldClicked) onSearchFieldClicked();
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace quaylight
