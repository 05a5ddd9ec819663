#include "LcfFormat.h"

#include <algorithm>

namespace lcf {

namespace {

constexpr std::uint64_t PairSize = 8;
// Names are component and property names; nothing longer is a real one.
constexpr std::uint64_t MaxNameLength = 1024;

bool fits(Bytes b, std::uint64_t offset, std::uint64_t width) {
    return offset <= b.size() && width <= b.size() - offset;
}

std::optional<std::int32_t> i32(Bytes b, std::uint64_t at) {
    if (!fits(b, at, 4))
        return std::nullopt;
    const std::uint32_t u = static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
                            (static_cast<std::uint32_t>(b[at + 2]) << 16) |
                            (static_cast<std::uint32_t>(b[at + 3]) << 24);
    return static_cast<std::int32_t>(u);
}

struct Pair {
    std::int32_t offset, length;
};

// Pair `index` of the table at `table` inside `b`.
std::optional<Pair> pairAt(Bytes b, std::uint64_t table, std::uint64_t index) {
    if (index > b.size() / PairSize)
        return std::nullopt;
    const std::uint64_t at = table + index * PairSize;
    const auto offset = i32(b, at);
    const auto length = i32(b, at + 4);
    if (!offset || !length)
        return std::nullopt;
    return Pair{*offset, *length};
}

// The bytes a pair points at, counted from `origin`; nullopt when they do
// not lie inside `b`.
std::optional<Bytes> pairBytes(Bytes b, std::uint64_t origin, Pair p) {
    if (p.offset < 0 || p.length < 0)
        return std::nullopt;
    const std::uint64_t at = origin + static_cast<std::uint64_t>(p.offset);
    const auto length = static_cast<std::uint64_t>(p.length);
    if (!fits(b, at, length))
        return std::nullopt;
    return b.subspan(at, length);
}

std::u16string utf16(Bytes text) {
    std::u16string s(text.size() / 2, u'\0');
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<char16_t>(text[2 * i] | (text[2 * i + 1] << 8));
    return s;
}

} // namespace

std::optional<Header> readHeader(Bytes resource) {
    static constexpr char Magic[8] = {'L', 'C', 'H', 'E', 'A', 'D', 'E', 'R'};
    if (resource.size() < 16 || !std::equal(Magic, Magic + 8, resource.begin()))
        return std::nullopt;
    Header h;
    h.flags = *i32(resource, 8);
    const std::int32_t declared = *i32(resource, 12);
    const std::uint64_t room = (resource.size() - 16) / 4;
    const std::uint64_t count =
        declared < 0 ? 0 : std::min<std::uint64_t>(static_cast<std::uint64_t>(declared), room);
    h.languages.reserve(count);
    for (std::uint64_t i = 0; i < count; ++i)
        h.languages.push_back(*i32(resource, 16 + 4 * i));
    return h;
}

std::optional<std::u16string> readStringText(Bytes resource, std::uint64_t column) {
    const auto pair = pairAt(resource, 0, column);
    if (!pair)
        return std::nullopt;
    const auto text = pairBytes(resource, 0, *pair);
    if (!text)
        return std::nullopt;
    return utf16(*text);
}

std::vector<Item> readWindowItems(Bytes resource, std::uint64_t languageIndex) {
    std::vector<Item> items;
    const auto textLength = i32(resource, 0);
    if (!textLength || *textLength < 0)
        return items;
    const std::uint64_t countAt = 4 + static_cast<std::uint64_t>(*textLength);
    const auto declared = i32(resource, countAt);
    if (!declared || *declared <= 0)
        return items;
    const std::uint64_t table = countAt + 4;
    const std::uint64_t count =
        std::min<std::uint64_t>(static_cast<std::uint64_t>(*declared), (resource.size() - table) / PairSize);

    // Texts of a well-made file do not overlap, so their sum stays below the
    // resource's size; a crafted file whose items share one long text stops
    // being read once the budget is spent.
    std::uint64_t budget = 4 * static_cast<std::uint64_t>(resource.size()) + 4096;
    items.reserve(count);
    for (std::uint64_t i = 0; i < count; ++i) {
        const auto offset = i32(resource, table + i * PairSize);
        if (!offset || *offset < 0)
            continue;
        const std::uint64_t item = table + static_cast<std::uint64_t>(*offset);
        const auto namePair = pairAt(resource, item, 0);
        if (!namePair || namePair->length > static_cast<std::int32_t>(MaxNameLength))
            continue;
        const auto name = pairBytes(resource, item, *namePair);
        if (!name)
            continue;
        Item it;
        it.name.assign(name->begin(), name->end());
        if (const auto textPair = pairAt(resource, item, languageIndex + 1)) {
            it.hasText = textPair->length >= 0;
            if (const auto text = pairBytes(resource, item, *textPair))
                it.text = utf16(*text);
            else
                it.hasText = false;
        }
        const std::uint64_t cost = it.name.size() + 2 * it.text.size() + PairSize;
        if (cost > budget)
            break;
        budget -= cost;
        items.push_back(std::move(it));
    }
    return items;
}

} // namespace lcf
