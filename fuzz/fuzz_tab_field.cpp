// Get_Tab_Field on arbitrary lines, against the fields of a plain split.

#include "FuzzFile.h"

#include "mString.h"

#include <QStringList>

#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString line = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList fields = line.split(QLatin1Char('\t'));
    const QString second = Get_Tab_Field(line, 1);
    const QString rest = Get_Tab_Field(line, 2);
    if (fields.size() < 3) {
        FUZZ_CHECK(second.isEmpty() && rest.isEmpty());
    } else {
        FUZZ_CHECK(second == fields.at(1));
        // After the second tab; after the first when the second field is empty.
        const QStringList tail = fields.mid(second.isEmpty() ? 1 : 2);
        FUZZ_CHECK(rest == tail.join(QLatin1Char('\t')));
    }
    for (const int mode : {-1, 0, 3, 32767})
        FUZZ_CHECK(Get_Tab_Field(line, mode).isEmpty());
    return 0;
}
