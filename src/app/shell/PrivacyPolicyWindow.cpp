#include "app/shell/PrivacyPolicyWindow.h"

#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/shell/PrivacyPolicyDocument.h"
#include "app/shell/StatePage.h"

namespace veyrune {

PrivacyPolicyWindow::PrivacyPolicyWindow(QWidget* parent) : QWidget(parent) {
    namespace doc = PrivacyPolicyDocument;
    setObjectName(QStringLiteral("privacy-policy"));
    setWindowTitle(QString::fromUtf8(doc::windowTitle));
    resize(620, 680);
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->addWidget(makeTitleLabel(QString::fromUtf8(doc::title), 6, content));
    column->addWidget(new QLabel(QString::fromUtf8(doc::intro), content));
    column->addWidget(new QLabel(
        QString::fromUtf8(doc::publisherPrefix) + QString::fromUtf8(doc::publisher), content));
    for (const auto& section : doc::sections) {
        auto* title = makeTitleLabel(QString::fromUtf8(section.title), 2, content);
        title->setObjectName(QString::fromLatin1(section.id));
        column->addSpacing(8);
        column->addWidget(title);
        auto* body = new QLabel(QString::fromUtf8(section.body), content);
        body->setWordWrap(true);
        body->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        column->addWidget(body);
    }
    column->addStretch();
    auto* area = new QScrollArea(this);
    area->setWidget(content);
    area->setWidgetResizable(true);
    area->setAccessibleName(windowTitle());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(area);
}

}  // namespace veyrune
