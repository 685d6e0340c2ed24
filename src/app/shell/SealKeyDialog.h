#pragma once

#include <QDialog>

#include "seal/VerificationKey.h"

class QLabel;

namespace veyrune {

// Shows the verification key once: its groups of four in rows and as a QR
// code, with the advice to keep it off this computer. Nothing is copied
// anywhere else. Main thread.
class SealKeyDialog : public QDialog {
  public:
    explicit SealKeyDialog(const VerificationKey& key, QWidget* parent = nullptr);

    // The groups, four to a row.
    static QString groupedText(const VerificationKey& key);
    QString shownText() const;
    QPixmap shownCode() const;

  private:
    QLabel* text_;
    QLabel* code_;
};

}  // namespace veyrune
