#pragma once

#include <QByteArray>
#include <QString>

// Scrambles (mode 1) or unscrambles (mode 2) the characters "0"-"9" and
// "a"-"z" of stored text through one fixed permutation; any other mode, and
// every other byte, leaves the text as it is. Changes text in place and
// returns it.
QByteArray Scramble_Text(QByteArray& text, int mode);

// Mode 1: the second tab-separated field of a line; mode 2: the rest after
// the second tab (after the first when the second field is empty); any other
// mode, or a line with fewer than two tabs: empty.
QString Get_Tab_Field(const QString& line, int mode);

// Removes leading and trailing blanks (character 32) only.
QString trimBlanks(const QString& text);
QByteArray trimBlanks(const QByteArray& text);

// The stored byte -> unscrambled byte table of mode 2, for walks that read
// records without unscrambling whole fields.
const unsigned char* unscrambleTable();
