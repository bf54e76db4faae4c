#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// A diary's password asked once for a chain that is not a log-in (merging a
// sync copy into its diary): owner and title of the diary, a note saying
// what follows, the "*" box. Confirming accepts; the caller checks the
// password (typedPasswordMatches).
class PasswordOnceDialog : public QDialog {
    Q_OBJECT
public:
    struct Design {
        QString name;       // object name
        QString caption;    // window caption, repeated in the title strip
        QString note;       // what confirming does
        QString actionName; // object name of the confirm button
        QString actionToolTip;
    };
    PasswordOnceDialog(const Design& design, const QString& owner, const QString& title, QWidget* parent);

    QLabel* lblNote = nullptr;
    QLabel* lblDiaryOwner = nullptr;
    QLabel* lblDiaryName = nullptr;
    QLineEdit* txtPassword = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdConfirm = nullptr;
};
