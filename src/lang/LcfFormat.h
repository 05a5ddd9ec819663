#pragma once
// The tables inside a language file's RCDATA resources: the header, the
// string resources and the window resources. Every integer is 32-bit
// little-endian and signed; texts are UTF-16LE without a terminator, their
// lengths in bytes; item names are 8-bit.
//
// The tables come from outside the program: an offset or length that points
// outside its resource makes that text absent, a count larger than the room
// left is cut to the room, and the texts decoded for one window are held to
// a budget proportional to the resource's size, so crafted overlapping items
// cannot make the work grow with the square of the file.
//
// Plain C++ on purpose: the fuzzing target links this file alone.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace lcf {

using Bytes = std::span<const std::uint8_t>;

struct Header {
    std::int32_t flags = 0;
    std::vector<std::int32_t> languages; // in column order
};

// The "LCHEADER" resource; nullopt when it is shorter than 16 bytes or its
// magic is wrong. A language count beyond the resource is cut to what it holds.
std::optional<Header> readHeader(Bytes resource);

// The text of pair `column` of the pair table at the start of a string
// resource; nullopt when the pair or its text lies outside the resource or its
// length is negative.
std::optional<std::u16string> readStringText(Bytes resource, std::uint64_t column);

struct Item {
    std::string name;     // "Component-Property.Path", 8-bit
    bool hasText = false; // the language's pair has a length of 0 or more
    std::u16string text;
};

// The items of a window resource in table order, with the text of pair
// `languageIndex` + 1. Items whose name cannot be read are left out.
std::vector<Item> readWindowItems(Bytes resource, std::uint64_t languageIndex);

} // namespace lcf
