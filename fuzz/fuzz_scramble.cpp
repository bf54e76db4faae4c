// Scramble_Text on arbitrary bytes: one character for one, only "0"-"9" and
// "a"-"z" change and stay in that set, mode 2 undoes mode 1.

#include "FuzzFile.h"

#include "mString.h"

#include <cstdio>

namespace {
bool inSet(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z');
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray original(reinterpret_cast<const char*>(data), qsizetype(size));
    QByteArray text = original;
    const QByteArray returned = Scramble_Text(text, 1);
    FUZZ_CHECK(returned == text && text.size() == original.size());
    for (qsizetype i = 0; i < text.size(); ++i)
        FUZZ_CHECK(inSet(original.at(i)) ? inSet(text.at(i)) : text.at(i) == original.at(i));
    Scramble_Text(text, 2);
    FUZZ_CHECK(text == original);
    QByteArray unscrambled = original;
    Scramble_Text(unscrambled, 2);
    Scramble_Text(unscrambled, 1);
    FUZZ_CHECK(unscrambled == original);
    for (const int mode : {0, 3, -1}) {
        QByteArray same = original;
        FUZZ_CHECK(Scramble_Text(same, mode) == original && same == original);
    }
    return 0;
}
