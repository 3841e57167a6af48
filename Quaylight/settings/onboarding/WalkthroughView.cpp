#include "Quaylight/settings/onboarding/WalkthroughView.h"

#include <QGraphicsOpacityEffect>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QVariantAnimation>

#include "Quaylight/design/controls/PremiumCard.h"
#include "Quaylight/design/controls/PremiumChip.h"
#include "Quaylight/design/controls/PremiumMenu.h"
#include "Quaylight/design/controls/RetireWidget.h"
#include "Quaylight/design/controls/Shapes.h"
#include "Quaylight/design/icons/LucideIcon.h"
#include "Quaylight/design/platform/ReduceMotion.h"
#include "Quaylight/design/theme/Foreground.h"
#include "Quaylight/design/theme/PremiumTheme.h"
#include "Quaylight/settings/views/PlainButton.h"
#include "Quaylight/settings/views/SettingsWidgets.h"

namespace quaylight {
namespace {

using namespace settings;

struct SampleListener {
    QString port, process, detail, framework;
    std::optional<QString> agent, scope;
    QColor activity, confidence;
};

// A coloured dot of `diameter` points.
class Dot : public QWidget {
public:
    Dot(qreal diameter, QColor color) : color_(std::move(color)) { setFixedSize(int(diameter), int(diameter)); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(color_);
        painter.drawEllipse(QRectF(rect()));
    }

private:
    QColor color_;
};

// A rounded box filled and stroked, holding a layout.
class Box : public QWidget {
public:
    Box(qreal radius, QColor fill, QColor stroke) : radius_(radius), fill_(std::move(fill)), stroke_(std::move(stroke)) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        fillAndStroke(painter, roundedRectPath(strokeFittingRect(QRectF(rect())), radius_), fill_, stroke_);
    }

private:
    qreal radius_;
    QColor fill_, stroke_;
};

// A label that wraps and takes only the height its lines need at the width it is given.
QLabel* wrappingText(const QString& text, const QFont& font, const QColor& color) {
    auto* label = textLabel(text, font, color, true);
    QSizePolicy policy = label->sizePolicy();
    policy.setHeightForWidth(true);
    label->setSizePolicy(policy);
    return label;
}

// A capsule filled and stroked, holding a layout.
class Capsule : public QWidget {
public:
    Capsule(QColor fill, QColor stroke) : fill_(std::move(fill)), stroke_(std::move(stroke)) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        fillAndStroke(painter, capsulePath(strokeFittingRect(QRectF(rect()))), fill_, stroke_);
    }

private:
    QColor fill_, stroke_;
};

QWidget* frameworkChip(const QString& title, const QColor& confidence) {
    auto* chip = new Capsule(PremiumTheme::chipFill(), PremiumTheme::chipBorder());
    auto* layout = row(chip, 6);
    layout->setContentsMargins(11, 5, 11, 5);
    layout->addWidget(new Dot(6, confidence));
    layout->addWidget(textLabel(title, PremiumTheme::display(11.5, PremiumFontWeight::medium), PremiumTheme::textSecondary()));
    return chip;
}

QWidget* sampleRow(const SampleListener& sample) {
    auto* holder = new QWidget;
    auto* layout = row(holder, 9);
    layout->setContentsMargins(5, 3, 5, 3);
    auto* badge = new Box(9, PremiumTheme::chipFill(), PremiumTheme::chipBorder());
    badge->setFixedSize(54, 38);
    auto* badgeLayout = row(badge, 0);
    auto* port = textLabel(sample.port, PremiumTheme::mono(14, QFont::Medium), PremiumTheme::textPrimary());
    port->setAlignment(Qt::AlignCenter);
    badgeLayout->addWidget(port);
    layout->addWidget(badge);
    auto* texts = new QWidget;
    auto* stack = column(texts, 2);
    auto* nameRow = new QWidget;
    auto* nameLayout = row(nameRow, 6);
    nameLayout->addWidget(new Dot(7, sample.activity));
    nameLayout->addWidget(
        textLabel(sample.process, PremiumTheme::display(12, PremiumFontWeight::semibold), PremiumTheme::textPrimary()));
    nameLayout->addStretch();
    stack->addWidget(nameRow);
    stack->addWidget(textLabel(sample.detail, PremiumTheme::mono(9, QFont::Normal), PremiumTheme::textTertiary()));
    layout->addWidget(texts, 0, Qt::AlignVCenter);
    layout->addStretch(1);
    auto* trailing = new QWidget;
    auto* trailingLayout = row(trailing, 5);
    // The chips keep their own height, centred on the row's 38-point badge.
    trailingLayout->addWidget(frameworkChip(sample.framework, sample.confidence), 0, Qt::AlignVCenter);
    QWidget* chip = nullptr;
    if (sample.agent == QStringLiteral("Codex"))
        chip = new PremiumChip(QStringLiteral("Codex"), PremiumChipStyle::codex);
    else if (sample.agent == QStringLiteral("Claude"))
        chip = new PremiumChip(QStringLiteral("Claude"), PremiumChipStyle::claude);
    else if (sample.scope)
        chip = new PremiumChip(*sample.scope, PremiumChipStyle::info, LucideIconName::helpCircle);
    if (chip != nullptr) trailingLayout->addWidget(chip, 0, Qt::AlignVCenter);
    layout->addWidget(trailing);
    QStringList label{QStringLiteral("Port ") + sample.port, sample.process, sample.framework};
    if (sample.agent) label << *sample.agent;
    if (sample.scope) label << *sample.scope;
    holder->setAccessibleName(label.join(QStringLiteral(", ")));
    return holder;
}

QWidget* actionPreviewRow(LucideIconName icon, const QString& title, const QString& shortcut, bool selected,
                          bool destructive) {
    PremiumMenuButtonFields fields;
    fields.title = title;
    fields.icon = icon;
    if (!shortcut.isEmpty()) fields.trailing = shortcut;
    fields.isHighlighted = selected;
    fields.isDestructive = destructive;
    auto* button = new PremiumMenuButton(fields);
    // A picture of a menu row: it takes no pointer and no focus.
    button->setAttribute(Qt::WA_TransparentForMouseEvents);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QWidget* chipRow(const std::vector<std::pair<QString, PremiumChipStyle>>& chips, int spacing) {
    auto* holder = new QWidget;
    auto* layout = row(holder, spacing);
    for (const auto& [title, style] : chips) layout->addWidget(new PremiumChip(title, style));
    layout->addStretch();
    return holder;
}

QWidget* sampleCard(WalkthroughPage page) {
    using Page = WalkthroughPage;
    const SampleListener next{QStringLiteral("3000"), QStringLiteral("node"), QStringLiteral("PID 51423 · next dev"),
                              QStringLiteral("Next.js"), QStringLiteral("Codex"), std::nullopt,
                              PremiumTheme::success(), PremiumTheme::success()};
    const qreal padding = page == Page::agents ? 8 : page == Page::search ? 10 : 6;
    auto* card = new PremiumCard(padding, 14, PremiumTheme::cardFill(), PremiumTheme::cardBorder());
    auto* layout = card->contentLayout();
    switch (page) {
        case Page::listeners:
            layout->setSpacing(2);
            layout->addWidget(sampleRow(next));
            layout->addWidget(sampleRow({QStringLiteral("8080"), QStringLiteral("main"),
                                         QStringLiteral("PID 47615 · ./bin/api"), QStringLiteral("Go"), std::nullopt,
                                         QStringLiteral("All Interfaces"), PremiumTheme::success(),
                                         PremiumTheme::success()}));
            break;
        case Page::agents:
            layout->setSpacing(7);
            layout->addWidget(chipRow({{QStringLiteral("All"), PremiumChipStyle::neutral},
                                       {QStringLiteral("Web"), PremiumChipStyle::neutral},
                                       {QStringLiteral("Agents"), PremiumChipStyle::selected},
                                       {QStringLiteral("Codex"), PremiumChipStyle::neutral},
                                       {QStringLiteral("Claude"), PremiumChipStyle::neutral}},
                                      5));
            layout->addWidget(sampleRow(next));
            layout->addWidget(sampleRow({QStringLiteral("5173"), QStringLiteral("node"), QStringLiteral("PID 50318 · vite"),
                                         QStringLiteral("Vite"), QStringLiteral("Claude"), std::nullopt,
                                         PremiumTheme::textTertiary(), PremiumTheme::success()}));
            layout->addWidget(wrappingText(QStringLiteral("Safe actions target the owning server, never the agent session."),
                                           PremiumTheme::display(10, PremiumFontWeight::medium),
                                           PremiumTheme::textTertiary()));
            break;
        case Page::actions:
            layout->setSpacing(2);
            layout->addWidget(actionPreviewRow(LucideIconName::globe, QStringLiteral("Open in Browser"),
                                               QStringLiteral("↵"), true, false));
            layout->addWidget(actionPreviewRow(LucideIconName::link2, QStringLiteral("Copy URL"),
                                               QStringLiteral("Ctrl+C"), false, false));
            layout->addWidget(actionPreviewRow(LucideIconName::hash, QStringLiteral("Copy Port"), QString(), false, false));
            layout->addWidget(actionPreviewRow(LucideIconName::ban, QStringLiteral("Stop owning process…"), QString(),
                                               false, true));
            break;
        case Page::search: {
            layout->setSpacing(9);
            auto* field = new Box(9, PremiumTheme::chipFill(), PremiumTheme::chipBorder());
            field->setFixedHeight(34);
            auto* fieldLayout = row(field, 8);
            fieldLayout->setContentsMargins(10, 0, 10, 0);
            auto* icon = new LucideIcon(LucideIconName::search, 14);
            setForeground(icon, PremiumTheme::textTertiary());
            fieldLayout->addWidget(icon);
            fieldLayout->addWidget(textLabel(QStringLiteral("Search ports, processes, agents…"),
                                             PremiumTheme::mono(10, QFont::Normal), PremiumTheme::textSecondary()));
            fieldLayout->addStretch();
            layout->addWidget(field);
            layout->addWidget(chipRow({{QStringLiteral("All"), PremiumChipStyle::selected},
                                       {QStringLiteral("Web"), PremiumChipStyle::neutral},
                                       {QStringLiteral("Node"), PremiumChipStyle::neutral},
                                       {QStringLiteral("Python"), PremiumChipStyle::neutral},
                                       {QStringLiteral("Go"), PremiumChipStyle::neutral}},
                                      6));
            break;
        }
    }
    return card;
}

QWidget* pageContent(WalkthroughPage page) {
    const auto text = WalkthroughTour::text(page);
    auto* holder = new QWidget;
    auto* layout = column(holder, page == WalkthroughPage::agents ? 8 : 10);
    auto* heading = new QWidget;
    auto* headingLayout = column(heading, 6);
    headingLayout->addWidget(
        iconBadge(text.icon, 34, 9, 17, withOpacity(PremiumTheme::accent(), 0.12), PremiumTheme::info()));
    QFont headlineFont = PremiumTheme::display(20, PremiumFontWeight::semibold);
    headlineFont.setLetterSpacing(QFont::AbsoluteSpacing, -0.35);
    headingLayout->addWidget(textLabel(text.headline, headlineFont, PremiumTheme::textPrimary()));
    headingLayout->addWidget(wrappingText(text.body, PremiumTheme::display(11.5, PremiumFontWeight::regular),
                                          PremiumTheme::textSecondary()));
    layout->addWidget(heading);
    layout->addWidget(sampleCard(page));
    layout->addStretch(1);
    return holder;
}

// One capsule per page: the current one long and blue.
// One capsule per page: the current one long and blue. A page change slides the length and
// colour from the old page's capsule to the new one's.
class PageDots : public QWidget {
public:
    PageDots() {
        setFixedSize(18 + 3 * 6 + 3 * 6, 6);
        setAccessibleName(QStringLiteral("Tour progress"));
        // Owned like a child, so the slide can be found and run to its end.
        slide_.setParent(this);
        connect(&slide_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
            progress_ = v.toReal();
            update();
        });
    }

    void showPage(int page, bool animated, int milliseconds, const QEasingCurve& curve) {
        slide_.stop();
        from_ = to_;
        to_ = page;
        progress_ = 1;
        if (animated && from_ != to_) {
            slide_.setDuration(milliseconds);
            slide_.setEasingCurve(curve);
            slide_.setStartValue(0.0);
            slide_.setEndValue(1.0);
            slide_.start();
        }
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        qreal x = 0;
        for (int i = 0; i < WalkthroughTour::pageCount; ++i) {
            // How much of "current" this capsule has: 1 for the new page, fading from the old.
            const qreal weight = i == to_ ? progress_ : (i == from_ && from_ != to_ ? 1 - progress_ : 0);
            const qreal w = 6 + 12 * weight;
            QColor color = PremiumTheme::chipBorder();
            const QColor accent = PremiumTheme::accent();
            color.setRgbF(float(color.redF() + (accent.redF() - color.redF()) * weight),
                          float(color.greenF() + (accent.greenF() - color.greenF()) * weight),
                          float(color.blueF() + (accent.blueF() - color.blueF()) * weight),
                          float(color.alphaF() + (accent.alphaF() - color.alphaF()) * weight));
            painter.fillPath(capsulePath(QRectF(x, 0, w, 6)), color);
            x += w + 6;
        }
    }

private:
    int from_ = 0;
    int to_ = 0;
    qreal progress_ = 1;
    QVariantAnimation slide_;
};

PlainButtonLook navigationLook(const QColor& fill, const QColor& border) {
    PlainButtonLook look{PremiumTheme::display(11.5, PremiumFontWeight::medium), white()};
    look.horizontalPadding = 14;
    look.minimumWidth = 58;
    look.minimumHeight = 32;
    look.cornerRadius = 10;
    look.fill = fill;
    look.stroke = border;
    return look;
}

}  // namespace

WalkthroughView::WalkthroughView(std::function<void()> done, QWidget* parent) : QWidget(parent), done_(std::move(done)) {
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Welcome tour"));
    auto* layout = column(this, 0);

    auto* header = new QWidget;
    auto* headerLayout = row(header, 0);
    headerLayout->setContentsMargins(18, 14, 18, 0);
    QFont eyebrowFont = PremiumTheme::mono(9, QFont::Medium);
    eyebrowFont.setLetterSpacing(QFont::AbsoluteSpacing, 0.8);
    eyebrow_ = textLabel(QString(), eyebrowFont, PremiumTheme::textTertiary());
    counter_ = textLabel(QString(), PremiumTheme::mono(9, QFont::Medium), PremiumTheme::textTertiary());
    counter_->setObjectName(QStringLiteral("tourCounter"));
    headerLayout->addWidget(eyebrow_);
    headerLayout->addStretch();
    headerLayout->addWidget(counter_);
    layout->addWidget(header);

    pageHolder_ = new QWidget;
    pageLayout_ = column(pageHolder_, 0);
    pageLayout_->setContentsMargins(18, 10, 18, 0);
    layout->addWidget(pageHolder_, 1);

    auto* navigation = new QWidget;
    auto* navigationLayout = column(navigation, 11);
    navigationLayout->setContentsMargins(18, 0, 18, 14);
    dots_ = new PageDots;
    navigationLayout->addWidget(dots_, 0, Qt::AlignHCenter);
    auto* buttons = new QWidget;
    auto* buttonLayout = row(buttons, 8);
    auto* skip = new PlainButton(QStringLiteral("Skip"), {PremiumTheme::display(11, PremiumFontWeight::medium),
                                                          PremiumTheme::textTertiary()});
    skip->setMinimumHeight(22);
    connect(skip, &QAbstractButton::clicked, this, [this] { step(WalkthroughStep::done); });
    skip_ = skip;
    buttonLayout->addWidget(skip_);
    buttonLayout->addStretch();
    auto* back = new PlainButton(QStringLiteral("Back"), navigationLook(PremiumTheme::chipFill(), PremiumTheme::chipBorder()));
    connect(back, &QAbstractButton::clicked, this, [this] { step(WalkthroughStep::retreat); });
    back_ = back;
    buttonLayout->addWidget(back_);
    primary_ = new PlainButton(QStringLiteral("Next"), navigationLook(PremiumTheme::accent(), PremiumTheme::accent()));
    connect(primary_, &QAbstractButton::clicked, this, [this] { step(WalkthroughTour::primaryStep(page_)); });
    buttonLayout->addWidget(primary_);
    navigationLayout->addWidget(buttons);
    layout->addWidget(navigation);
    showPage();
}

void WalkthroughView::step(WalkthroughStep step) {
    if (step == WalkthroughStep::done) {
        if (done_) done_();
        return;
    }
    const auto next = WalkthroughTour::after(page_, step);
    if (next == page_) return;
    page_ = next;
    showPage();
}

void WalkthroughView::showPage() {
    const auto text = WalkthroughTour::text(page_);
    eyebrow_->setText(text.eyebrow);
    counter_->setText(WalkthroughTour::counter(page_));
    if (currentPage_ != nullptr) {
        retireWidget(currentPage_);
    }
    currentPage_ = pageContent(page_);
    pageLayout_->addWidget(currentPage_);
    // Ease-in-out over 0.18 s, or a short ease-out with reduced motion; pages and dots alike.
    const bool reduce = reduceMotionFor(this);
    const int milliseconds = WalkthroughTour::pageAnimationMilliseconds(reduce);
    const QEasingCurve curve = reduce ? QEasingCurve::OutQuad : QEasingCurve::InOutQuad;
    static_cast<PageDots*>(dots_)->showPage(WalkthroughTour::index(page_), isVisible(), milliseconds, curve);
    if (isVisible()) {
        auto* effect = new QGraphicsOpacityEffect(currentPage_);
        effect->setOpacity(0);
        currentPage_->setGraphicsEffect(effect);
        auto* fade = new QVariantAnimation(currentPage_);
        fade->setDuration(milliseconds);
        fade->setEasingCurve(curve);
        fade->setStartValue(0.0);
        fade->setEndValue(1.0);
        connect(fade, &QVariantAnimation::valueChanged, effect, [effect](const QVariant& v) { effect->setOpacity(v.toReal()); });
        connect(fade, &QVariantAnimation::finished, currentPage_, [page = currentPage_] { page->setGraphicsEffect(nullptr); });
        fade->start(QAbstractAnimation::DeleteWhenStopped);
    }
    skip_->setVisible(WalkthroughTour::showsSkip(page_));
    back_->setVisible(WalkthroughTour::showsBack(page_));
    primary_->setText(WalkthroughTour::primaryTitle(page_));
    primary_->updateGeometry();
    dots_->setAccessibleDescription(WalkthroughTour::counter(page_));
}

void WalkthroughView::keyPressEvent(QKeyEvent* event) {
    std::optional<WalkthroughKey> key;
    switch (event->key()) {
        case Qt::Key_Right: key = WalkthroughKey::right; break;
        case Qt::Key_Left: key = WalkthroughKey::left; break;
        case Qt::Key_Return:
        case Qt::Key_Enter: key = WalkthroughKey::enter; break;
        default: break;
    }
    const auto action = key ? WalkthroughTour::stepForKey(page_, *key) : WalkthroughStep::none;
    if (action == WalkthroughStep::none) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    step(action);
}

void WalkthroughView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    setFocus(Qt::OtherFocusReason);
}

}  // namespace quaylight
