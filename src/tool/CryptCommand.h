#pragma once

#include <QStringList>

// quorvel-tool encrypt FILE / decrypt FILE: turns a diary into the other
// kind in place.
int runEncrypt(const QStringList& arguments);
int runDecrypt(const QStringList& arguments);
