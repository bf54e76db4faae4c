#pragma once

#include <QValidator>

// Refuses any edit that would put a character into a text box that the diary
// file cannot hold (outside Windows-1252), with a beep; the box then keeps
// its old text, for typing and pasting alike. What the user sees is what is
// stored.
class StorableTextValidator : public QValidator {
    Q_OBJECT
public:
    explicit StorableTextValidator(QObject* parent) : QValidator(parent) {}
    State validate(QString& input, int& position) const override;
};
