// The encrypted header reader on arbitrary bytes: the input is laid over a
// whole encrypted diary (one header, one record; all-zero input leaves it
// as it is), so small inputs reach the Password field's tag, costs, salt and
// verifier. Only the exact header opens with the password; without the key
// nothing of the records is read, and a password change is refused.

#include "FuzzFile.h"

#include "DiaryAudit.h"
#include "DiaryCrypto.h"
#include "DiaryFormat.h"
#include "StorageGlobals.h"
#include "mFile.h"

#include <cstdio>

using namespace DiaryFormat;

namespace {

struct Reference {
    QByteArray file; // header + one sealed record
    QByteArray field;
};

const Reference& reference() {
    static const Reference made = [] {
        Reference r;
        const QByteArray salt(DiaryCrypto::SaltSize, '\x5A');
        const DiaryCrypto::KeyPtr key = DiaryCrypto::newKey("pw", DiaryCrypto::cheapestKdfParams(), r.field, salt);
        DiaryHeader header;
        header.Mark = DiaryCrypto::EncryptedMark;
        header.Owner = "Fuzz";
        header.Title = "Header";
        header.TimeOfBegin = "01.01.2026 10:00:00";
        header.Password = r.field;
        r.file = header.toRecord();
        DiaryCrypto::RecordBinding binding(r.file);
        binding.setEntry(1);
        QByteArray record(EntrySize, '\0');
        const QByteArray plain = DiaryCrypto::plainRecord("02.01.2026", "topic", "text", 1, 2);
        DiaryCrypto::sealRecord(*key, binding, plain.constData(), record.data());
        r.file += record;
        return r;
    }();
    return made;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Reference& ref = reference();
    QByteArray bytes(qsizetype(size), '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[qsizetype(i)] = char(data[i] ^ (i < std::size_t(ref.file.size()) ? std::uint8_t(ref.file.at(qsizetype(i))) : 0));
    const QString path = FuzzFile::put(reinterpret_cast<const std::uint8_t*>(bytes.constData()), size);
    const bool whole = bytes.size() >= HeaderSize;
    DiaryCrypto::clearOpenKey();

    const QByteArray field = bytes.mid(PasswordOffset, PasswordWidth);
    DiaryCrypto::HeaderSecrets secrets;
    if (whole && DiaryCrypto::parsePasswordField(field, secrets)) {
        FUZZ_CHECK(field.startsWith("QVE1"));
        FUZZ_CHECK(secrets.salt.size() == DiaryCrypto::SaltSize);
        FUZZ_CHECK(secrets.verifier.size() == DiaryCrypto::VerifierSize);
    }
    const bool encrypted = whole && readInt16LE(bytes.constData()) == DiaryCrypto::EncryptedMark;
    // Deriving a key at the costs a header asks for may take a second; only
    // the cheapest costs are tried.
    if (encrypted && DiaryCrypto::parsePasswordField(field, secrets) &&
        secrets.params == DiaryCrypto::cheapestKdfParams()) {
        DiaryCrypto::KeyPtr key;
        FUZZ_CHECK(passwordMatches(path, QStringLiteral("pw"), nullptr, &key) == (field == ref.field));
        FUZZ_CHECK(!passwordMatches(path, QStringLiteral("wrong")));
    }

    // Structure-only checking and the listing read the header without a key.
    const DiaryInspection inspection = inspectDiaryFile(path);
    FUZZ_CHECK(inspection.readable);
    StorageStatus status;
    Read_Header_Field(path, 1, &status);
    FUZZ_CHECK(status.ok() == whole);
    if (encrypted && countEntriesInFile(path) > 0) {
        EntryText entry;
        FUZZ_CHECK(!readEntry(path, 1, entry).ok());
        const QByteArray before = FuzzFile::bytes();
        FUZZ_CHECK(!Write_New_Password(path, QStringLiteral("new")).ok());
        FUZZ_CHECK(FuzzFile::bytes() == before);
    }
    return 0;
}
