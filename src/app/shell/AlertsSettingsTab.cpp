#include "app/shell/AlertsSettingsTab.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include "app/shell/SettingsForm.h"
#include "app/shell/ShellTexts.h"
#include "credentials/CredentialMessages.h"

namespace veyrune {

using namespace SettingsForm;

namespace {

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QLineEdit* field(const char* label, bool secret, QFormLayout* form) {
    auto* edit = new QLineEdit;
    edit->setAccessibleName(text(label));
    if (secret) {
        edit->setEchoMode(QLineEdit::PasswordEchoOnEdit);
    }
    form->addRow(text(label), edit);
    return edit;
}

QPushButton* button(const char* label, QVBoxLayout* column) {
    auto* b = new QPushButton(text(label));
    b->setAccessibleName(b->text());
    column->addWidget(b, 0, Qt::AlignLeft);
    return b;
}

std::string message(CredentialMessage which) {
    return std::string(messageText(which));
}

}  // namespace

AlertsSettingsTab::AlertsSettingsTab(SettingsBridge& settings, WebhookConfigurationStore& webhook,
                                     TaskPool& pool, std::function<void()> channelsChanged,
                                     QWidget* parent)
    : QWidget(parent),
      settings_(settings),
      webhook_(webhook),
      pool_(pool),
      channelsChanged_(std::move(channelsChanged)) {
    auto* page = makePage(this, ShellTexts::alerts, ShellTexts::alertsSubtitle);
    addTelegram(page);
    addWebhook(page);
    page->addStretch();
    showStored(std::nullopt, false);
    reload();
}

void AlertsSettingsTab::addTelegram(QVBoxLayout* page) {
    auto* section = addSection(page, ShellTexts::telegram);
    addBoundCheckBox(section, ShellTexts::enableTelegram, settings_, Settings::enableTelegram,
                     [this](bool) { channelsChanged_(); });
    auto* form = new QFormLayout;
    telegramForm_.first = field(ShellTexts::botToken, true, form);
    telegramForm_.second = field(ShellTexts::chatID, false, form);
    section->addLayout(form);
    auto* save = button(ShellTexts::saveTelegram, section);
    telegramForm_.configured = addHelp(section, text(ShellTexts::telegramConfigured));
    telegramForm_.detail = addHelp(section, {});
    addHelp(section, text(ShellTexts::savingReplaces));
    telegramForm_.remove = button(ShellTexts::removeTelegram, section);
    addHelp(section, text(ShellTexts::telegramKeyring));
    telegramForm_.message = addHelp(section, {});

    auto& store = settings_.telegramConfiguration();
    connect(save, &QPushButton::clicked, this, [this, &store] {
        const std::string token = telegramForm_.first->text().toStdString();
        const std::string chat = telegramForm_.second->text().toStdString();
        inBackground(&AlertsSettingsTab::telegramForm_,
                     [&store, token, chat]() -> std::optional<std::string> {
                         try {
                             store.save(token, chat);
                             return std::nullopt;
                         } catch (const std::exception&) {
                             return message(CredentialMessage::telegramSaveFailed);
                         }
                     });
    });
    connect(telegramForm_.remove, &QPushButton::clicked, this, [this, &store] {
        inBackground(&AlertsSettingsTab::telegramForm_, [&store]() -> std::optional<std::string> {
            try {
                store.removeCredentials();
                return std::nullopt;
            } catch (const std::exception&) {
                return message(CredentialMessage::telegramRemoveFailed);
            }
        });
    });
}

void AlertsSettingsTab::addWebhook(QVBoxLayout* page) {
    auto* section = addSection(page, ShellTexts::webhook);
    addBoundCheckBox(section, ShellTexts::enableWebhook, settings_, Settings::enableWebhook,
                     [this](bool) { channelsChanged_(); });
    auto* form = new QFormLayout;
    webhookForm_.first = field(ShellTexts::httpsEndpoint, false, form);
    webhookForm_.second = field(ShellTexts::authorizationHeader, true, form);
    section->addLayout(form);
    auto* save = button(ShellTexts::saveWebhook, section);
    webhookForm_.configured = addHelp(section, text(ShellTexts::webhookConfigured));
    webhookForm_.detail = nullptr;
    webhookForm_.remove = button(ShellTexts::removeWebhook, section);
    addHelp(section, text(ShellTexts::webhookHelp));
    webhookForm_.message = addHelp(section, {});

    connect(save, &QPushButton::clicked, this, [this] {
        const std::string endpoint = webhookForm_.first->text().toStdString();
        const std::string header = webhookForm_.second->text().toStdString();
        WebhookConfigurationStore* store = &webhook_;
        inBackground(&AlertsSettingsTab::webhookForm_,
                     [store, endpoint, header]() -> std::optional<std::string> {
                         try {
                             store->save(endpoint,
                                         header.empty() ? std::nullopt : std::optional(header));
                             return std::nullopt;
                         } catch (const std::exception& error) {
                             return message(webhookSaveMessage(error));
                         }
                     });
    });
    connect(webhookForm_.remove, &QPushButton::clicked, this, [this] {
        WebhookConfigurationStore* store = &webhook_;
        inBackground(&AlertsSettingsTab::webhookForm_, [store]() -> std::optional<std::string> {
            try {
                store->removeCredentials();
                return std::nullopt;
            } catch (const std::exception&) {
                return message(CredentialMessage::webhookRemoveFailed);
            }
        });
    });
}

void AlertsSettingsTab::inBackground(Form AlertsSettingsTab::*form,
                                     std::function<std::optional<std::string>()> work) {
    QPointer<AlertsSettingsTab> self = this;
    pool_.run([self, form, work = std::move(work)] {
        auto failure = work();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, form, failure] {
                if (!self) {
                    return;
                }
                ((*self).*form).message->setText(QString::fromStdString(failure.value_or("")));
                self->reload();
            },
            Qt::QueuedConnection);
    });
}

void AlertsSettingsTab::reload() {
    QPointer<AlertsSettingsTab> self = this;
    auto* telegram = &settings_.telegramConfiguration();
    WebhookConfigurationStore* webhook = &webhook_;
    pool_.run([self, telegram, webhook] {
        std::optional<std::string> chat;
        if (auto credentials = telegram->credentialsIfReadable()) {
            chat = credentials->chatID;
        }
        const bool webhookConfigured = webhook->credentialsIfReadable().has_value();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, chat, webhookConfigured] {
                if (self) {
                    self->showStored(chat, webhookConfigured);
                }
            },
            Qt::QueuedConnection);
    });
}

void AlertsSettingsTab::showStored(std::optional<std::string> telegramChat,
                                   bool webhookConfigured) {
    telegramForm_.configured->setVisible(telegramChat.has_value());
    telegramForm_.detail->setVisible(telegramChat.has_value());
    telegramForm_.detail->setText(text(ShellTexts::sendingToChat) +
                                  QString::fromStdString(telegramChat.value_or("")));
    webhookForm_.configured->setVisible(webhookConfigured);
}

}  // namespace veyrune
