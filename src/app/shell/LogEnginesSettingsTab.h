#pragma once

#include <array>

#include <QWidget>

#include "app/shell/AdministratorNote.h"
#include "base/FileSystem.h"
#include "base/TaskPool.h"
#include "model/CollectorSettingsCheck.h"
#include "model/SettingsBridge.h"

class QCheckBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace veyrune {

// Settings ▸ Log Engines: the system journal switch, written at once, and the
// central collector's address and TLS files, checked on the task pool (the
// files are read) and saved together. Each value an administrator set says
// so, with a way back to it after the user's own change. Main thread; every
// collaborator must outlive the pool's work.
class LogEnginesSettingsTab : public QWidget {
  public:
    LogEnginesSettingsTab(SettingsBridge& settings, TaskPool& pool, const FileSystem& files,
                          QWidget* parent = nullptr);

    // Checks the collector's form, then saves the values that changed or
    // shows what is wrong.
    void saveCollector();

  private:
    struct Field {
        StringSetting setting;
        QLineEdit* edit = nullptr;
        AdministratorNote* note = nullptr;
    };

    void addJournal(QVBoxLayout* page);
    void addCollector(QVBoxLayout* page);
    void addField(QFormLayout* form, Field& field, const char* label, const char* placeholder,
                  bool isFile);
    void chooseFile(Field& field, const char* label);
    void showJournal();
    void showField(Field& field);
    CollectorSettingsForm form() const;
    void saved(const CollectorSettingsForm& form, const std::vector<std::string>& problems);
    void showMessage(const QString& message);

    SettingsBridge& settings_;
    TaskPool& pool_;
    const FileSystem& files_;
    QCheckBox* journal_ = nullptr;
    AdministratorNote* journalNote_ = nullptr;
    // Address, CA file, client certificate, client key.
    std::array<Field, 4> fields_{
        Field{Settings::collectorAddress}, Field{Settings::collectorCAFile},
        Field{Settings::collectorClientCertificateFile}, Field{Settings::collectorClientKeyFile}};
    QPushButton* save_ = nullptr;
    QLabel* message_ = nullptr;
};

}  // namespace veyrune
