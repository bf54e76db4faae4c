#include "StorableTextValidator.h"

#include "Cp1252.h"

#include <QApplication>

QValidator::State StorableTextValidator::validate(QString& input, int&) const {
    if (Cp1252::canStore(input))
        return Acceptable;
    QApplication::beep();
    return Invalid;
}
