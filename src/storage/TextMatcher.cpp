#include "TextMatcher.h"

#include "Cp1252.h"

#include <QString>

namespace {

unsigned char foldedByte(unsigned char plain) {
    const QString decoded = Cp1252::decode(QByteArray(1, static_cast<char>(plain)));
    const QString folded = decoded.toCaseFolded();
    bool ok = false;
    const QByteArray back = Cp1252::encode(folded, &ok);
    return ok && back.size() == 1 ? static_cast<unsigned char>(back.at(0)) : plain;
}

} // namespace

const std::array<unsigned char, 256>& plainFoldTable() {
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[static_cast<size_t>(b)] = foldedByte(static_cast<unsigned char>(b));
        return t;
    }();
    return table;
}
