// Feeds arbitrary bytes to the language-file reader: first as a whole PE
// module (the resource directory, then every RCDATA resource it finds read as
// a header, a string resource and a window resource), then as one bare table.

#include "lang/LcfFormat.h"
#include "lang/PeResources.h"

#include <cstddef>
#include <cstdint>

namespace {

void readTables(lcf::Bytes r) {
    if (auto h = lcf::readHeader(r))
        (void)h->languages.size();
    for (std::uint64_t column = 0; column < 3; ++column)
        (void)lcf::readStringText(r, column);
    for (std::uint64_t language = 0; language < 2; ++language)
        (void)lcf::readWindowItems(r, language);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const lcf::Bytes file(data, size);
    pe::Resources resources;
    if (resources.parse(file) == pe::Error::None) {
        (void)resources.rcdata("lcheader");
        for (const auto &[name, range] : resources.all()) {
            // A range the reader hands out must lie inside the file.
            if (range.offset > size || range.size > size - range.offset)
                __builtin_trap();
            readTables(file.subspan(range.offset, range.size));
        }
    }
    readTables(file);
    return 0;
}
