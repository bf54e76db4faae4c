#include "Cp1252.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <array>

namespace {
// Byte -> character, built once from Qt's own decoder.
const std::array<char16_t, 256>& decodeTable() {
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> t{};
        QByteArray all(256, '\0');
        for (int b = 0; b < 256; ++b)
            all[b] = static_cast<char>(b);
        QStringDecoder decoder("windows-1252");
        const QString text = decoder.decode(all);
        for (int b = 0; b < 256; ++b)
            t[static_cast<size_t>(b)] = text.size() == 256 ? text.at(b).unicode() : static_cast<char16_t>(b);
        return t;
    }();
    return table;
}
} // namespace

namespace Cp1252 {

QString decode(const QByteArray& bytes) {
    const auto& table = decodeTable();
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* data = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        data[i] = QChar(table[static_cast<unsigned char>(bytes.at(i))]);
    return out;
}

QByteArray encode(const QString& text, bool* ok) {
    QStringEncoder encoder("windows-1252");
    QByteArray out = encoder.encode(text);
    const bool good = !encoder.hasError() && out.size() == text.size();
    if (ok)
        *ok = good;
    return out;
}

bool canStore(const QString& text) {
    for (const QChar c : text) {
        if (!canStore(c))
            return false;
    }
    return true;
}

bool canStore(QChar c) {
    // Latin-1 outside the C1 range is the same in Windows-1252; the rest is
    // answered by the real encoder.
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return true;
    bool ok = false;
    encode(QString(c), &ok);
    return ok;
}

} // namespace Cp1252
