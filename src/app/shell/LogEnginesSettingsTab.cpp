#include "app/shell/LogEnginesSettingsTab.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>

#include "app/shell/SettingsForm.h"
#include "app/shell/ShellTexts.h"

namespace veyrune {

using namespace SettingsForm;

namespace {

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

std::optional<QString> administratorText(std::optional<bool> value) {
    if (!value) {
        return std::nullopt;
    }
    return text(*value ? ShellTexts::administratorOn : ShellTexts::administratorOff);
}

std::optional<QString> administratorText(const std::optional<std::string>& value) {
    if (!value) {
        return std::nullopt;
    }
    return value->empty() ? text(ShellTexts::administratorEmpty) : QString::fromStdString(*value);
}

}  // namespace

LogEnginesSettingsTab::LogEnginesSettingsTab(SettingsBridge& settings, TaskPool& pool,
                                             const FileSystem& files, QWidget* parent)
    : QWidget(parent), settings_(settings), pool_(pool), files_(files) {
    auto* page = makePage(this, ShellTexts::logEngines, ShellTexts::logEnginesSubtitle);
    addJournal(page);
    addCollector(page);
    page->addStretch();
    showJournal();
    for (auto& field : fields_) {
        showField(field);
    }
}

void LogEnginesSettingsTab::addJournal(QVBoxLayout* page) {
    auto* section = addSection(page, ShellTexts::systemJournal);
    journal_ = new QCheckBox(text(ShellTexts::recordInSystemJournal));
    journal_->setObjectName(QString::fromLatin1(Settings::recordInSystemJournal.key));
    journal_->setAccessibleName(journal_->text());
    section->addWidget(journal_);
    connect(journal_, &QCheckBox::toggled, this, [this](bool on) {
        settings_.set(Settings::recordInSystemJournal, on);
        showJournal();
    });
    journalNote_ = new AdministratorNote([this] {
        settings_.useAdministratorValue(Settings::recordInSystemJournal.key);
        showJournal();
    });
    journalNote_->setObjectName(journal_->objectName() + QStringLiteral("Note"));
    section->addWidget(journalNote_);
    addHelp(section, text(ShellTexts::systemJournalHelp));
}

void LogEnginesSettingsTab::addCollector(QVBoxLayout* page) {
    auto* section = addSection(page, ShellTexts::centralCollector);
    auto* form = new QFormLayout;
    addField(form, fields_[0], ShellTexts::collectorAddress,
             ShellTexts::collectorAddressPlaceholder, false);
    addField(form, fields_[1], ShellTexts::collectorCAFile, ShellTexts::collectorCAPlaceholder,
             true);
    addField(form, fields_[2], ShellTexts::clientCertificateFile, ShellTexts::optionalPlaceholder,
             true);
    addField(form, fields_[3], ShellTexts::clientKeyFile, ShellTexts::optionalPlaceholder, true);
    section->addLayout(form);
    save_ = new QPushButton(text(ShellTexts::saveCollector));
    save_->setAccessibleName(save_->text());
    section->addWidget(save_, 0, Qt::AlignLeft);
    connect(save_, &QPushButton::clicked, this, &LogEnginesSettingsTab::saveCollector);
    message_ = new QLabel;
    message_->setObjectName(QStringLiteral("collectorMessage"));
    message_->setWordWrap(true);
    message_->setTextFormat(Qt::PlainText);
    message_->setVisible(false);
    section->addWidget(message_);
    addHelp(section, text(ShellTexts::collectorHelp));
}

void LogEnginesSettingsTab::addField(QFormLayout* form, Field& field, const char* label,
                                     const char* placeholder, bool isFile) {
    field.edit = new QLineEdit;
    field.edit->setObjectName(QString::fromLatin1(field.setting.key));
    field.edit->setAccessibleName(text(label));
    field.edit->setPlaceholderText(text(placeholder));
    if (isFile) {
        auto* row = new QHBoxLayout;
        row->addWidget(field.edit, 1);
        auto* choose = new QPushButton(text(ShellTexts::chooseFile));
        choose->setAccessibleName(text(ShellTexts::chooseFile) + " " + text(label));
        connect(choose, &QPushButton::clicked, this,
                [this, &field, label] { chooseFile(field, label); });
        row->addWidget(choose);
        form->addRow(text(label), row);
    } else {
        form->addRow(text(label), field.edit);
    }
    field.note = new AdministratorNote([this, &field] {
        settings_.useAdministratorValue(field.setting.key);
        showField(field);
    });
    field.note->setObjectName(field.edit->objectName() + QStringLiteral("Note"));
    form->addRow(QString(), field.note);
}

void LogEnginesSettingsTab::chooseFile(Field& field, const char* label) {
    const QString current = field.edit->text().trimmed();
    const QString folder = current.isEmpty() ? QDir::homePath() : QFileInfo(current).path();
    const QString chosen = QFileDialog::getOpenFileName(
        this, text(ShellTexts::choosePEMFile) + " (" + text(label) + ")", folder,
        text(ShellTexts::pemFileFilter));
    if (!chosen.isEmpty()) {
        field.edit->setText(chosen);
    }
}

void LogEnginesSettingsTab::showJournal() {
    const QSignalBlocker quiet(journal_);
    journal_->setChecked(settings_.value(Settings::recordInSystemJournal));
    journalNote_->present(
        settings_.origin(Settings::recordInSystemJournal.key),
        administratorText(settings_.administratorValue(Settings::recordInSystemJournal)));
}

void LogEnginesSettingsTab::showField(Field& field) {
    field.edit->setText(QString::fromStdString(settings_.value(field.setting)));
    field.note->present(settings_.origin(field.setting.key),
                        administratorText(settings_.administratorValue(field.setting)));
}

CollectorSettingsForm LogEnginesSettingsTab::form() const {
    auto value = [this](int i) { return fields_[i].edit->text().trimmed().toStdString(); };
    return {value(0), value(1), value(2), value(3)};
}

void LogEnginesSettingsTab::saveCollector() {
    save_->setEnabled(false);
    QPointer<LogEnginesSettingsTab> self = this;
    const FileSystem* files = &files_;
    pool_.run([self, files, form = form()] {
        auto problems = collectorSettingsProblems(form, *files);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, form, problems] {
                if (self) {
                    self->saved(form, problems);
                }
            },
            Qt::QueuedConnection);
    });
}

void LogEnginesSettingsTab::saved(const CollectorSettingsForm& form,
                                  const std::vector<std::string>& problems) {
    save_->setEnabled(true);
    if (!problems.empty()) {
        QStringList lines;
        for (const auto& problem : problems) {
            lines << QString::fromStdString(problem);
        }
        showMessage(lines.join('\n'));
        return;
    }
    const std::string values[] = {form.address, form.caFile, form.clientCertificateFile,
                                  form.clientKeyFile};
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        // An unchanged value stays where it came from: the administrator's
        // stays theirs, and follows what they set next.
        if (values[i] != settings_.value(fields_[i].setting)) {
            settings_.set(fields_[i].setting, values[i]);
        }
        showField(fields_[i]);
    }
    showMessage(text(ShellTexts::collectorSaved));
}

void LogEnginesSettingsTab::showMessage(const QString& message) {
    message_->setText(message);
    message_->setVisible(!message.isEmpty());
}

}  // namespace veyrune
