#include "app/shell/AdministratorNote.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "app/shell/ShellTexts.h"

namespace veyrune {

AdministratorNote::AdministratorNote(std::function<void()> useAdministratorValue, QWidget* parent)
    : QWidget(parent),
      label_(new QLabel(this)),
      button_(new QPushButton(QString::fromUtf8(ShellTexts::useAdministratorValue), this)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    label_->setWordWrap(true);
    label_->setForegroundRole(QPalette::PlaceholderText);
    label_->setTextFormat(Qt::PlainText);
    button_->setAccessibleName(button_->text());
    row->addWidget(label_, 1);
    row->addWidget(button_, 0, Qt::AlignRight);
    connect(button_, &QPushButton::clicked, this,
            [use = std::move(useAdministratorValue)] { use(); });
    setVisible(false);
}

void AdministratorNote::present(PreferenceOrigin origin,
                                const std::optional<QString>& administratorText) {
    switch (origin) {
        case PreferenceOrigin::administrator:
            label_->setText(QString::fromUtf8(ShellTexts::setByAdministrator));
            button_->setVisible(false);
            setVisible(true);
            return;
        case PreferenceOrigin::user:
            if (administratorText) {
                label_->setText(QString::fromUtf8(ShellTexts::administratorValuePrefix) +
                                *administratorText);
                button_->setVisible(true);
                setVisible(true);
                return;
            }
            break;
        case PreferenceOrigin::none:
            break;
    }
    setVisible(false);
}

}  // namespace veyrune
