#include "app/shell/StatePage.h"

#include <QVBoxLayout>

#include "app/shell/SymbolIcon.h"

namespace veyrune {

QLabel* makeTitleLabel(const QString& text, int pointDelta, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    font.setPointSize(font.pointSize() + pointDelta);
    label->setFont(font);
    return label;
}

QWidget* makeStatePage(const char* symbol, const char* title, QLabel*& message, QWidget* parent) {
    auto* page = new QWidget(parent);
    auto* layout = new QVBoxLayout(page);
    layout->addStretch();
    auto* icon = new QLabel(page);
    icon->setPixmap(symbolIcon(symbol).pixmap(48, 48));
    icon->setAlignment(Qt::AlignCenter);
    layout->addWidget(icon);
    auto* heading = makeTitleLabel(QString::fromUtf8(title), 2, page);
    heading->setAlignment(Qt::AlignCenter);
    layout->addWidget(heading);
    message = new QLabel(page);
    message->setAlignment(Qt::AlignCenter);
    message->setWordWrap(true);
    layout->addWidget(message);
    layout->addStretch();
    return page;
}

}  // namespace veyrune
