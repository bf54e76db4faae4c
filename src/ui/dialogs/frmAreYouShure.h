#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The last question before a diary file is deleted: owner, title and the
// full path of the diary chosen in frmDeleteDiary.
class frmAreYouShure : public QDialog {
    Q_OBJECT
public:
    explicit frmAreYouShure(QWidget* parent = nullptr);
    ~frmAreYouShure() override;

    // The loaded dialog, or null when it is not loaded.
    static frmAreYouShure* instance();

    QLabel* lblDialogTitle = nullptr;
    QLabel* Labe1 = nullptr;
    QLabel* lblWhichOwner = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lblWhichTitle = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* lblFileName = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdDeleteDiary = nullptr;

    // Cancel (also Escape and the close box): the whole delete chain closes.
    void reject() override;

private:
    void cmdDeleteDiary_Click();
    // Closes this dialog, then the password dialog, then the chooser.
    void closeChain(int result);

    static inline frmAreYouShure* live_ = nullptr;
};
