#pragma once

#include "SystemInfo.h"

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;
class QTabWidget;

// The About box: program name, the registered owner and organisation of the
// system, and a button that starts the system information tool.
class frmInfo : public QDialog {
    Q_OBJECT
public:
    explicit frmInfo(QWidget* parent = nullptr);
    ~frmInfo() override;

    // The loaded box, or null when it is not loaded.
    static frmInfo* instance();

    // One registry value as text; success false (and the text empty) when it
    // cannot be read, as on a system without registry.
    static void GetKeyValue(Platform::RegistryRoot rootKey, const QString& keyName, const QString& valueName,
                            QString& keyValue, bool& success);
    // Starts the system information tool, or says that there is none.
    void StartSysInfo();

    QTabWidget* tabInfo = nullptr;
    QFrame* fraEINS = nullptr;
    QLabel* Picture1 = nullptr;
    QLabel* Picture2 = nullptr;
    QLabel* lblAppName = nullptr;
    QLabel* lblName = nullptr;
    QLabel* lblOrg = nullptr;
    QLabel* lblMade = nullptr;
    QLabel* lblDataFolder = nullptr;
    QLabel* lblSpelling = nullptr; // only when no dictionary is installed
    QPushButton* cmdSysInfo = nullptr;
    QPushButton* cmdOk = nullptr;

private:
    static inline frmInfo* live_ = nullptr;
};
