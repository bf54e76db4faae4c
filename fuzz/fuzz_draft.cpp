// The draft reader on arbitrary bytes: a damaged draft is refused whole
// (nothing half-read; a sealed draft whose key is not open names only the
// key it was sealed for), and a draft that is accepted is exactly what the
// writer makes of what was read, field for field and byte for byte.

#include "FuzzFile.h"

#include "EntryDraft.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    EntryDraft draft;
    DraftOwner owner;
    bool sealed = false;
    const QString problem = DraftFormat::decode(bytes, draft, owner, &sealed);
    if (!problem.isEmpty()) {
        FUZZ_CHECK(draft == EntryDraft());
        if (sealed)
            owner.passwordField.clear();
        FUZZ_CHECK(owner == DraftOwner());
        return 0;
    }
    FUZZ_CHECK(draft.wellness >= 0 && draft.wellness <= 3 && draft.love >= 0 && draft.love <= 3);
    FUZZ_CHECK(draft.topic.size() <= 60 && draft.text.size() <= 4000 && draft.dateTime.size() <= 20);
    QByteArray again;
    FUZZ_CHECK(DraftFormat::encode(draft, owner, again).ok());
    FUZZ_CHECK(again == bytes);
    return 0;
}
