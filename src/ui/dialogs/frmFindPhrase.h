#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The Find dialog: the user types a phrase, and each search walks on from the
// entry after the last hit (Find_Phrase shows the hit and closes the dialog).
// The phrase of the last search is kept in the "tag" property of
// frmMain.txtEntry and offered, selected, the next time the dialog opens.
class frmFindPhrase : public QDialog {
    Q_OBJECT
public:
    explicit frmFindPhrase(QWidget* parent = nullptr);
    ~frmFindPhrase() override;

    // The loaded dialog, or null when it is not loaded.
    static frmFindPhrase* instance();

    QLabel* lblDialogTitle = nullptr;
    QLabel* Labe1 = nullptr;
    QLineEdit* txtFindPhrase = nullptr;
    QPushButton* cmdFindPhrase = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    void findPhrase();

    bool searching_ = false;
    static inline frmFindPhrase* live_ = nullptr;
};
