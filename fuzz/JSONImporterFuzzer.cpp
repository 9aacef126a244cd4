// Arbitrary bytes as a JSON backup: never a crash, one reason for every
// failure, and whatever reads must survive export and import unchanged.
#include "Corvina/ImportExport/JSONBackup.h"
#include "fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto parsed = JSONImporter::parse(bytes);
    if (!parsed) {
        FUZZ_CHECK(parsed.error() ==
                   BookmarkImporterError::malformed(JSONImporter::malformedReason()));
        return 0;
    }
    const auto again = JSONImporter::parse(exportJSON(parsed.value()));
    FUZZ_CHECK(again.ok());
    // Dates read from a backup are whole seconds, so the copy is exact.
    FUZZ_CHECK(again.value() == parsed.value());
    return 0;
}
