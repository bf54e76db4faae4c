#include "DialogParts.h"

#include "StorableTextValidator.h"

#include "Cp1252.h"
#include "WindowHints.h"
#include "frmMain.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QVBoxLayout>

namespace DialogParts {

namespace {

// Gives the focus to one control whenever its dialog is activated.
class FocusOnActivate : public QObject {
public:
    FocusOnActivate(QDialog* dialog, QWidget* target) : QObject(dialog), target_(target) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WindowActivate && target_)
            target_->setFocus(Qt::ActiveWindowFocusReason);
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* target_;
};

} // namespace

void setUpWindow(QDialog* dialog, const QString& caption) {
    dialog->setWindowTitle(caption);
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint);
    dialog->setModal(true);
    dialog->layout()->setSizeConstraint(QLayout::SetFixedSize);
    Platform::hintFixedDialog(dialog);
}

QWidget* owner() {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return frmMain::instance();
}

QGridLayout* setUpBody(QDialog* dialog, const QString& titleStrip) {
    auto* outer = new QVBoxLayout(dialog);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    auto* strip = new QLabel(titleStrip, dialog);
    strip->setObjectName("lblDialogTitle");
    strip->setAutoFillBackground(true);
    QPalette colours = strip->palette();
    colours.setColor(QPalette::Window, QColor(128, 128, 128));
    colours.setColor(QPalette::WindowText, QColor(192, 192, 192));
    strip->setPalette(colours);
    QFont bold = strip->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.25);
    strip->setFont(bold);
    strip->setMinimumHeight(28);
    strip->setContentsMargins(4, 2, 4, 2);
    outer->addWidget(strip);

    auto* frame = new QFrame(dialog);
    frame->setObjectName("fraDialog");
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Sunken);
    auto* holder = new QVBoxLayout;
    holder->setContentsMargins(8, 8, 8, 8);
    holder->addWidget(frame);
    outer->addLayout(holder);

    auto* grid = new QGridLayout(frame);
    grid->setContentsMargins(10, 10, 10, 10);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);
    return grid;
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& caption) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    return label;
}

QLabel* makeValueLabel(QWidget* parent, const QString& name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setTextFormat(Qt::PlainText);
    label->setMinimumWidth(300);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    label->setMinimumHeight(label->fontMetrics().height() + 6);
    return label;
}

QLineEdit* makeTextBox(QWidget* parent, const QString& name) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setValidator(new StorableTextValidator(box));
    box->setMinimumWidth(300);
    return box;
}

QLineEdit* makePasswordBox(QWidget* parent, const QString& name, int maxLength) {
    QLineEdit* box = makeTextBox(parent, name);
    box->setEchoMode(QLineEdit::Password);
    box->setStyleSheet("QLineEdit { lineedit-password-character: 42; }");
    if (maxLength > 0)
        box->setMaxLength(maxLength);
    return box;
}

QPushButton* makePictureButton(QWidget* parent, const QString& name, const QString& iconPath, const QString& toolTip) {
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setToolTip(toolTip);
    button->setAccessibleName(toolTip);
    if (!QFile::exists(iconPath)) {
        button->setText(toolTip);
        return button;
    }
    // The picture is the whole button face, shown at its design size; a
    // dotted frame marks the keyboard focus and the face moves when pressed.
    QSize face = QImageReader(iconPath).size();
    if (!face.isValid())
        face = QSize(143, 27);
    button->setIcon(QIcon(iconPath));
    button->setIconSize(face);
    button->setFixedSize(face + QSize(6, 6));
    button->setStyleSheet("QPushButton { border: 1px solid transparent; padding: 0px; background: transparent; }"
                          "QPushButton:focus { border: 1px dotted #404040; }"
                          "QPushButton:pressed { padding-left: 2px; padding-top: 2px; }");
    return button;
}

void addRow(QGridLayout* grid, QLabel* label, QWidget* control) {
    const int row = grid->rowCount();
    grid->addWidget(label, row, 0);
    grid->addWidget(control, row, 1);
    label->setBuddy(control);
}

void addButtonRow(QGridLayout* grid, QPushButton* left, QPushButton* right) {
    auto* row = new QHBoxLayout;
    row->addWidget(left);
    row->addStretch(1);
    row->addWidget(right);
    grid->addLayout(row, grid->rowCount(), 0, 1, grid->columnCount());
}

void focusOnActivate(QDialog* dialog, QWidget* target) {
    dialog->installEventFilter(new FocusOnActivate(dialog, target));
}

PasswordRows addPasswordRows(QDialog* dialog, QGridLayout* grid, const QString& firstCaption,
                             const QString& confirmCaption, const QString& confirmToolTip) {
    QWidget* frame = grid->parentWidget();
    PasswordRows rows;
    rows.Labe1 = makeLabel(frame, "Labe1", firstCaption);
    rows.txtPassword1 = makePasswordBox(frame, "txtPassword1");
    rows.Label1 = makeLabel(frame, "Label1", confirmCaption);
    rows.txtPassword2 = makePasswordBox(frame, "txtPassword2");
    rows.cmdCancel = makePictureButton(frame, "cmdCancel", ":/icons/cancel.svg", QCoreApplication::translate("DialogParts", "Cancel"));
    rows.cmdPasswordCorrect = makePictureButton(frame, "cmdPasswordCorrect", ":/icons/ok.svg", confirmToolTip);
    addRow(grid, rows.Labe1, rows.txtPassword1);
    addRow(grid, rows.Label1, rows.txtPassword2);
    addButtonRow(grid, rows.cmdCancel, rows.cmdPasswordCorrect);

    QWidget::setTabOrder(rows.txtPassword1, rows.txtPassword2);
    QWidget::setTabOrder(rows.txtPassword2, rows.cmdCancel);
    QWidget::setTabOrder(rows.cmdCancel, rows.cmdPasswordCorrect);
    rows.cmdPasswordCorrect->setDefault(true);
    rows.txtPassword1->setFocus();
    focusOnActivate(dialog, rows.txtPassword1);
    return rows;
}

bool hasControlCharacters(const QString& text) {
    for (const QChar c : text)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            return true;
    return false;
}

QString unstorableCharacters(const QString& text) {
    QString found;
    for (const QChar c : text)
        if (!Cp1252::canStore(c) && !found.contains(c))
            found += c;
    return found;
}

} // namespace DialogParts
