#include "app/shell/FilterBarWidget.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>

#include "app/shell/ShellTexts.h"

namespace veyrune {

namespace {

// The local date of an instant.
QDate toDate(Instant instant) {
    return QDateTime::fromMSecsSinceEpoch(
               std::chrono::duration_cast<std::chrono::milliseconds>(instant.time_since_epoch())
                   .count())
        .date();
}

Instant startOfDay(QDate date) {
    return Instant(std::chrono::milliseconds(date.startOfDay().toMSecsSinceEpoch()));
}

// The last instant before the next local day begins.
Instant endOfDay(QDate date) {
    return startOfDay(date.addDays(1)) - Instant::duration(1);
}

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

FilterBarWidget::FilterBarWidget(const Clock& clock,
                                 std::function<void(const TimelineFilter&)> onFilterChange,
                                 QWidget* parent)
    : QWidget(parent),
      clock_(clock),
      onFilterChange_(std::move(onFilterChange)),
      bar_(TimelineFilter::defaultFilter(), 0, 0) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto menuButton = [this, layout](QToolButton*& button, QMenu*& menu, const char* name) {
        button = new QToolButton(this);
        button->setObjectName(QString::fromLatin1(name));
        button->setPopupMode(QToolButton::InstantPopup);
        button->setFocusPolicy(Qt::StrongFocus);
        menu = new QMenu(button);
        button->setMenu(menu);
        layout->addWidget(button);
    };
    menuButton(range_, rangeMenu_, "range");
    menuButton(kinds_, kindsMenu_, "kinds");
    connect(rangeMenu_, &QMenu::aboutToShow, this, &FilterBarWidget::fillRangeMenu);
    connect(kindsMenu_, &QMenu::aboutToShow, this, &FilterBarWidget::fillKindsMenu);

    auto datePicker = [this, layout](QLabel*& label, QDateEdit*& edit, const char* text) {
        label = new QLabel(QString::fromUtf8(text), this);
        edit = new QDateEdit(this);
        edit->setCalendarPopup(true);
        edit->setAccessibleName(QString::fromUtf8(text));
        label->setBuddy(edit);
        layout->addWidget(label);
        layout->addWidget(edit);
    };
    datePicker(fromLabel_, from_, ShellTexts::filterFrom);
    datePicker(toLabel_, to_, ShellTexts::filterTo);
    connect(from_, &QDateEdit::dateChanged, this, &FilterBarWidget::fromChanged);
    connect(to_, &QDateEdit::dateChanged, this, &FilterBarWidget::toChanged);

    layout->addStretch();
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("count"));
    layout->addWidget(count_);
    clear_ = new QPushButton(QString::fromUtf8(ShellTexts::filterClear), this);
    clear_->setAccessibleName(QString::fromUtf8(ShellTexts::filterClear));
    connect(clear_, &QPushButton::clicked, this, [this] { bar_.clear(); });
    layout->addWidget(clear_);
    setState(TimelineFilter::defaultFilter(), 0, 0);
}

void FilterBarWidget::setState(const TimelineFilter& filter, int showing, int total) {
    bar_ = TimelineFilterBar(filter, showing, total, [this](const TimelineFilter& changed) {
        update();
        onFilterChange_(changed);
    });
    update();
}

void FilterBarWidget::update() {
    range_->setText(qs(bar_.rangeLabel()));
    range_->setAccessibleName(range_->text());
    kinds_->setText(qs(bar_.kindsLabel()));
    kinds_->setAccessibleName(kinds_->text());
    const bool custom = bar_.showsCustomDates();
    for (QWidget* widget : {static_cast<QWidget*>(fromLabel_), static_cast<QWidget*>(from_),
                            static_cast<QWidget*>(toLabel_), static_cast<QWidget*>(to_)}) {
        widget->setVisible(custom);
    }
    if (custom) {
        const QSignalBlocker blockFrom(from_);
        const QSignalBlocker blockTo(to_);
        const Instant now = clock_.now();
        from_->setDate(toDate(bar_.fromDate(now)));
        to_->setDate(toDate(bar_.toDate(now)));
    }
    count_->setText(qs(bar_.countText()));
    clear_->setVisible(bar_.showsClear());
}

void FilterBarWidget::fillRangeMenu() {
    rangeMenu_->clear();
    for (const auto& item : TimelineFilterBar::rangeMenuItems()) {
        if (item.type == TimelineFilterBar::MenuItem::Type::separator) {
            rangeMenu_->addSeparator();
            continue;
        }
        QAction* action = rangeMenu_->addAction(qs(item.title));
        std::optional<TimelineDateRange::Case> preset;
        for (auto kind : {TimelineDateRange::Case::allTime, TimelineDateRange::Case::today,
                          TimelineDateRange::Case::last7, TimelineDateRange::Case::last30}) {
            if (TimelineDateRange::preset(kind).title() == item.title) {
                preset = kind;
            }
        }
        connect(action, &QAction::triggered, this, [this, preset] {
            if (preset) {
                bar_.choosePreset(*preset);
            } else {
                bar_.chooseCustom(clock_.now());
            }
        });
    }
}

void FilterBarWidget::fillKindsMenu() {
    kindsMenu_->clear();
    std::size_t kindIndex = 0;
    for (const auto& item : bar_.kindsMenuItems()) {
        switch (item.type) {
            case TimelineFilterBar::MenuItem::Type::separator:
                kindsMenu_->addSeparator();
                break;
            case TimelineFilterBar::MenuItem::Type::action:
                connect(kindsMenu_->addAction(qs(item.title)), &QAction::triggered, this,
                        [this] { bar_.selectAllKinds(); });
                break;
            case TimelineFilterBar::MenuItem::Type::toggle: {
                QAction* action = kindsMenu_->addAction(qs(item.title));
                action->setCheckable(true);
                action->setChecked(item.isOn);
                const SecurityEventKind kind = allSecurityEventKinds[kindIndex++];
                connect(action, &QAction::toggled, this,
                        [this, kind](bool on) { bar_.setKind(kind, on); });
                break;
            }
        }
    }
}

void FilterBarWidget::fromChanged() {
    bar_.setFromDate(startOfDay(from_->date()));
}

void FilterBarWidget::toChanged() {
    bar_.setToDate(endOfDay(to_->date()));
}

}  // namespace veyrune
