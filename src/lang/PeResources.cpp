#include "PeResources.h"

#include <algorithm>

namespace pe {

namespace {

constexpr std::uint32_t RcDataType = 10;
constexpr std::uint32_t HighBit = 0x80000000u;
constexpr std::uint64_t DirectoryHeaderSize = 16;
constexpr std::uint64_t DirectoryEntrySize = 8;
constexpr std::uint64_t DataEntrySize = 16;
constexpr std::uint64_t SectionHeaderSize = 40;

// Every read goes through this view: an offset and a width are checked
// against the end in 64-bit arithmetic, so no sum can wrap.
class Bytes {
public:
    explicit Bytes(std::span<const std::uint8_t> b) : m_b(b) {}
    std::uint64_t size() const { return m_b.size(); }
    bool fits(std::uint64_t offset, std::uint64_t width) const {
        return offset <= size() && width <= size() - offset;
    }
    std::optional<std::uint16_t> u16(std::uint64_t at) const {
        if (!fits(at, 2))
            return std::nullopt;
        return static_cast<std::uint16_t>(m_b[at] | (m_b[at + 1] << 8));
    }
    std::optional<std::uint32_t> u32(std::uint64_t at) const {
        if (!fits(at, 4))
            return std::nullopt;
        return static_cast<std::uint32_t>(m_b[at]) | (static_cast<std::uint32_t>(m_b[at + 1]) << 8) |
               (static_cast<std::uint32_t>(m_b[at + 2]) << 16) |
               (static_cast<std::uint32_t>(m_b[at + 3]) << 24);
    }

private:
    std::span<const std::uint8_t> m_b;
};

struct Section {
    std::uint64_t virtualAddress, rawSize, rawOffset;
};

char16_t foldAscii(char16_t c) {
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
}

std::u16string folded(std::u16string_view name) {
    std::u16string key(name);
    std::transform(key.begin(), key.end(), key.begin(), foldAscii);
    return key;
}

// The part of the file that a section's raw data really covers.
std::uint64_t rawEnd(const Section &s, std::uint64_t fileSize) {
    if (s.rawOffset >= fileSize)
        return s.rawOffset;
    return s.rawOffset + std::min(s.rawSize, fileSize - s.rawOffset);
}

// File offset of `size` bytes at `rva`, when one section's raw data holds
// them all; the end of that section's data is returned too.
std::optional<std::pair<std::uint64_t, std::uint64_t>>
locate(const std::vector<Section> &sections, std::uint64_t fileSize, std::uint64_t rva, std::uint64_t size) {
    for (const Section &s : sections) {
        // A section whose data would start past the end holds nothing, not
        // even an empty resource.
        if (rva < s.virtualAddress || s.rawOffset > fileSize)
            continue;
        const std::uint64_t delta = rva - s.virtualAddress;
        const std::uint64_t end = rawEnd(s, fileSize);
        const std::uint64_t available = end - s.rawOffset;
        if (delta <= available && size <= available - delta)
            return std::make_pair(s.rawOffset + delta, end);
    }
    return std::nullopt;
}

} // namespace

Error Resources::parse(std::span<const std::uint8_t> file) {
    m_rcdata.clear();
    const Bytes b(file);

    // DOS header, then the PE signature where it points.
    if (b.size() < 0x40 || file[0] != 'M' || file[1] != 'Z')
        return Error::NotPe;
    const std::uint64_t peAt = *b.u32(0x3C);
    if (!b.fits(peAt, 24) || file[peAt] != 'P' || file[peAt + 1] != 'E' || file[peAt + 2] != 0 ||
        file[peAt + 3] != 0)
        return Error::NotPe;
    const std::uint64_t sectionCount = *b.u16(peAt + 6);
    const std::uint64_t optionalSize = *b.u16(peAt + 20);
    const std::uint64_t optAt = peAt + 24;

    // Optional header: the resource table is data directory 2.
    const auto magic = b.u16(optAt);
    if (!magic || (*magic != 0x10B && *magic != 0x20B))
        return Error::BadOptionalHeader;
    m_pe32Plus = *magic == 0x20B;
    const std::uint64_t countAt = optAt + (m_pe32Plus ? 108 : 92);
    const std::uint64_t directoriesAt = optAt + (m_pe32Plus ? 112 : 96);
    const std::uint64_t resourceEntryAt = directoriesAt + 2 * 8;
    const auto directoryCount = b.u32(countAt);
    if (!directoryCount || *directoryCount <= 2 || resourceEntryAt + 8 > optAt + optionalSize ||
        !b.fits(resourceEntryAt, 8))
        return Error::BadOptionalHeader;
    const std::uint64_t resourceRva = *b.u32(resourceEntryAt);
    const std::uint64_t resourceSize = *b.u32(resourceEntryAt + 4);

    // Section table, right after the optional header.
    const std::uint64_t sectionsAt = optAt + optionalSize;
    if (sectionCount > MaxSections || !b.fits(sectionsAt, sectionCount * SectionHeaderSize))
        return Error::BadSectionTable;
    std::vector<Section> sections;
    sections.reserve(sectionCount);
    for (std::uint64_t i = 0; i < sectionCount; ++i) {
        const std::uint64_t at = sectionsAt + i * SectionHeaderSize;
        sections.push_back({*b.u32(at + 12), *b.u32(at + 16), *b.u32(at + 20)});
    }

    if (resourceRva == 0 || resourceSize == 0)
        return Error::NoResources;
    const auto root = locate(sections, b.size(), resourceRva, DirectoryHeaderSize);
    if (!root)
        return Error::NoResources;
    // Offsets inside the tree count from the root and must stay inside the
    // section that holds it.
    const std::uint64_t base = root->first;
    const std::uint64_t limit = root->second;
    auto inTree = [&](std::uint64_t offset, std::uint64_t width) {
        return offset <= limit - base && width <= limit - base - offset;
    };
    // Entries of a directory that really lie inside the tree.
    auto entries = [&](std::uint64_t dir) -> std::uint64_t {
        if (!inTree(dir, DirectoryHeaderSize))
            return 0;
        const std::uint64_t declared = *b.u16(base + dir + 12) + std::uint64_t{*b.u16(base + dir + 14)};
        const std::uint64_t room = (limit - base - dir - DirectoryHeaderSize) / DirectoryEntrySize;
        return std::min(declared, room);
    };
    auto entryAt = [&](std::uint64_t dir, std::uint64_t i) {
        return base + dir + DirectoryHeaderSize + i * DirectoryEntrySize;
    };
    if (!inTree(0, DirectoryHeaderSize))
        return Error::BadResourceDirectory;

    // Level 1: the type; only RCDATA matters.
    std::optional<std::uint64_t> rcdataDir;
    for (std::uint64_t i = 0, n = entries(0); i < n && !rcdataDir; ++i) {
        const std::uint32_t id = *b.u32(entryAt(0, i));
        const std::uint32_t to = *b.u32(entryAt(0, i) + 4);
        if (id == RcDataType && (to & HighBit))
            rcdataDir = to & ~HighBit;
    }
    if (!rcdataDir)
        return Error::None;

    // Level 2: the names; level 3: the languages, of which the first is taken.
    std::u16string name;
    for (std::uint64_t i = 0, n = entries(*rcdataDir); i < n; ++i) {
        const std::uint32_t nameField = *b.u32(entryAt(*rcdataDir, i));
        const std::uint32_t to = *b.u32(entryAt(*rcdataDir, i) + 4);
        if (!(nameField & HighBit) || !(to & HighBit))
            continue;
        const std::uint64_t nameAt = nameField & ~HighBit;
        if (!inTree(nameAt, 2))
            continue;
        const std::uint64_t length = *b.u16(base + nameAt);
        if (length > MaxNameLength || !inTree(nameAt + 2, length * 2))
            continue;
        name.resize(length);
        for (std::uint64_t c = 0; c < length; ++c)
            name[c] = foldAscii(static_cast<char16_t>(*b.u16(base + nameAt + 2 + 2 * c)));
        if (m_rcdata.count(name))
            continue;

        const std::uint64_t languageDir = to & ~HighBit;
        if (entries(languageDir) == 0)
            continue;
        const std::uint32_t leaf = *b.u32(entryAt(languageDir, 0) + 4);
        if ((leaf & HighBit) || !inTree(leaf, DataEntrySize))
            continue;
        const std::uint64_t dataRva = *b.u32(base + leaf);
        const std::uint64_t dataSize = *b.u32(base + leaf + 4);
        const auto data = locate(sections, b.size(), dataRva, dataSize);
        if (!data)
            continue;
        m_rcdata.emplace(name,
                         Range{static_cast<std::size_t>(data->first), static_cast<std::size_t>(dataSize)});
    }
    return Error::None;
}

std::optional<Range> Resources::rcdata(std::u16string_view name) const {
    const auto it = m_rcdata.find(folded(name));
    if (it == m_rcdata.end())
        return std::nullopt;
    return it->second;
}

std::optional<Range> Resources::rcdata(std::string_view asciiName) const {
    return rcdata(std::u16string(asciiName.begin(), asciiName.end()));
}

} // namespace pe
