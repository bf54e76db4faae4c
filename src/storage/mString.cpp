#include "mString.h"

#include <array>

namespace {

// The 36 characters "0"-"9", "a"-"z" and what each is stored as. Files made
// with this table can only be read with it: never change it.
constexpr char PlainSet[] = "0123456789abcdefghijklmnopqrstuvwxyz";
constexpr char StoredSet[] = "2gmdiw04ry9q3l8jvb5fxucseohkan1pz76t";

struct Tables {
    std::array<unsigned char, 256> scramble{};
    std::array<unsigned char, 256> unscramble{};
    Tables() {
        for (int b = 0; b < 256; ++b) {
            scramble[static_cast<size_t>(b)] = static_cast<unsigned char>(b);
            unscramble[static_cast<size_t>(b)] = static_cast<unsigned char>(b);
        }
        for (int i = 0; i < 36; ++i) {
            const auto plain = static_cast<unsigned char>(PlainSet[i]);
            const auto stored = static_cast<unsigned char>(StoredSet[i]);
            scramble[plain] = stored;
            unscramble[stored] = plain;
        }
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

} // namespace

QByteArray Scramble_Text(QByteArray& text, int mode) {
    if (mode != 1 && mode != 2)
        return text;
    const auto& table = mode == 1 ? tables().scramble : tables().unscramble;
    char* data = text.data();
    for (qsizetype i = 0; i < text.size(); ++i)
        data[i] = static_cast<char>(table[static_cast<unsigned char>(data[i])]);
    return text;
}

const unsigned char* unscrambleTable() {
    return tables().unscramble.data();
}

QString Get_Tab_Field(const QString& line, int mode) {
    if (mode != 1 && mode != 2)
        return QString();
    const qsizetype t1 = line.indexOf(QLatin1Char('\t'));
    if (t1 < 0)
        return QString();
    const qsizetype t2 = line.indexOf(QLatin1Char('\t'), t1 + 1);
    if (t2 < 0)
        return QString();
    if (mode == 1)
        return line.mid(t1 + 1, t2 - t1 - 1);
    // Searching again from just before the second tab finds the first tab
    // when the second field is empty, else the second tab itself.
    const qsizetype t3 = line.indexOf(QLatin1Char('\t'), t2 - 1);
    return line.mid(t3 + 1);
}

QString trimBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

QByteArray trimBlanks(const QByteArray& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == ' ')
        ++begin;
    while (end > begin && text.at(end - 1) == ' ')
        --end;
    return text.mid(begin, end - begin);
}
