#pragma once
// Reads the named RCDATA resources of a resource-only PE module (PE32 or
// PE32+), the container of language files. The module is never mapped,
// loaded or run: the reader walks the headers and the resource directory of
// the file's bytes and records where each resource's data lies in the file.
//
// A language file comes from outside the program, so every offset, size and
// count in it is treated as hostile: all arithmetic is done in 64 bits and
// checked against the file's size before a byte is read; the resource tree is
// walked to its fixed depth of three levels without recursion; and the work
// stays linear in the file's size (at most MaxSections sections, names of at
// most MaxNameLength characters, one language per name).
//
// Plain C++ on purpose: the fuzzing target links this file alone.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pe {

// Where a resource's bytes lie in the file.
struct Range {
    std::size_t offset = 0;
    std::size_t size = 0;
};

enum class Error {
    None,
    NotPe,               // no DOS header, no PE signature, or headers cut short
    BadOptionalHeader,   // neither PE32 nor PE32+, or no resource directory entry
    BadSectionTable,     // too many sections, or the table runs past the end
    NoResources,         // the resource directory is empty or lies outside every section
    BadResourceDirectory // the root directory cannot be read
};

class Resources {
public:
    // The loader of the platform refuses more sections than this; so do we,
    // which keeps locating a resource's data cheap.
    static constexpr std::size_t MaxSections = 96;
    // Resource names of language files are class names and decimal numbers;
    // longer names are skipped so crafted names cannot multiply the work.
    static constexpr std::size_t MaxNameLength = 256;

    // Parses the headers and the RCDATA branch of the resource tree.
    // Malformed entries below the root are skipped; the first entry of a
    // name wins over later ones of the same name.
    Error parse(std::span<const std::uint8_t> file);

    // The data of the RCDATA resource of that name, compared without regard
    // to the case of ASCII letters.
    std::optional<Range> rcdata(std::u16string_view name) const;
    std::optional<Range> rcdata(std::string_view asciiName) const;

    std::size_t count() const { return m_rcdata.size(); }
    // Every RCDATA resource by its name in upper case (ASCII letters folded).
    const std::unordered_map<std::u16string, Range> &all() const { return m_rcdata; }
    bool isPe32Plus() const { return m_pe32Plus; }

private:
    std::unordered_map<std::u16string, Range> m_rcdata;
    bool m_pe32Plus = false;
};

} // namespace pe
