// Header reading and the password change on arbitrary file bytes.

#include "FuzzFile.h"

#include "DiaryFormat.h"
#include "StorageGlobals.h"
#include "mFile.h"

#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = FuzzFile::put(data, size);
    const bool whole = size >= static_cast<std::size_t>(DiaryFormat::HeaderSize);
    const int widths[] = {
        0, DiaryFormat::OwnerWidth, DiaryFormat::TitleWidth, DiaryFormat::PasswordWidth, DiaryFormat::TimeOfBeginWidth,
        0};
    for (int selector = 0; selector <= 5; ++selector) {
        StorageStatus status;
        const QString field = Read_Header_Field(path, selector, &status);
        FUZZ_CHECK(status.ok() == whole);
        FUZZ_CHECK(field.size() == (whole ? widths[selector] : 0));
        FUZZ_CHECK(publicHeader.Owner.size() == (whole ? DiaryFormat::OwnerWidth : 0));
    }

    // A new password changes bytes 52..101 only, and only of a whole plain
    // header; an encrypted one (Mark 2) needs its old key and stays as it is.
    const QByteArray before = FuzzFile::bytes();
    const bool encrypted = whole && readInt16LE(before.constData()) == 2;
    const StorageStatus changed = Write_New_Password(path, QStringLiteral("  new pw  "));
    const QByteArray after = FuzzFile::bytes();
    FUZZ_CHECK(changed.ok() == (whole && !encrypted));
    FUZZ_CHECK(after.size() == before.size());
    if (whole && !encrypted) {
        FUZZ_CHECK(after.left(DiaryFormat::PasswordOffset) == before.left(DiaryFormat::PasswordOffset));
        FUZZ_CHECK(after.mid(DiaryFormat::PasswordOffset, DiaryFormat::PasswordWidth) ==
                   QByteArray("new pw").leftJustified(DiaryFormat::PasswordWidth, ' '));
        FUZZ_CHECK(after.mid(DiaryFormat::TitleOffset) == before.mid(DiaryFormat::TitleOffset));
    } else {
        FUZZ_CHECK(after == before);
    }
    return 0;
}
