#include "app/shell/SealKeyDialog.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/shell/QRCodeImage.h"
#include "app/shell/ShellTexts.h"

namespace veyrune {

namespace {

constexpr int kGroupsPerRow = 4;
constexpr int kModulePixels = 4;

}  // namespace

SealKeyDialog::SealKeyDialog(const VerificationKey& key, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("sealKey"));
    setWindowTitle(QString::fromUtf8(ShellTexts::sealKeyTitle));
    auto* layout = new QVBoxLayout(this);
    auto* advice = new QLabel(QString::fromUtf8(ShellTexts::sealKeyAdvice));
    advice->setWordWrap(true);
    layout->addWidget(advice);

    text_ = new QLabel(groupedText(key));
    text_->setObjectName(QStringLiteral("sealKeyText"));
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text_->setAlignment(Qt::AlignCenter);
    text_->setAccessibleName(windowTitle());
    layout->addWidget(text_);

    code_ = new QLabel;
    code_->setObjectName(QStringLiteral("sealKeyCode"));
    code_->setPixmap(QPixmap::fromImage(qrCodeImage(key.text(), kModulePixels)));
    code_->setAlignment(Qt::AlignCenter);
    layout->addWidget(code_);

    auto* buttons = new QDialogButtonBox;
    auto* done = buttons->addButton(QString::fromUtf8(ShellTexts::sealKeyDone),
                                    QDialogButtonBox::AcceptRole);
    done->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

QString SealKeyDialog::groupedText(const VerificationKey& key) {
    const auto groups = QString::fromStdString(key.text()).split(QLatin1Char('-'));
    QStringList rows;
    for (qsizetype i = 0; i < groups.size(); i += kGroupsPerRow) {
        rows.append(groups.mid(i, kGroupsPerRow).join(QLatin1Char(' ')));
    }
    return rows.join(QLatin1Char('\n'));
}

QString SealKeyDialog::shownText() const {
    return text_->text();
}

QPixmap SealKeyDialog::shownCode() const {
    return code_->pixmap();
}

}  // namespace veyrune
