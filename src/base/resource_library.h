#pragma once
// The numbered-string service: resString reads the language pack chosen at start-up through
// qx_edit_r_resource.ini, and the built-in Japanese table for whatever the pack lacks.
//
// The pack is chosen once at start-up, before other threads run; afterwards resString only
// reads and may be called from any thread.

#include <cstdint>
#include <filesystem>
#include <string>

#include "base/string_table.h"

namespace trovel {

// The text of string `id`; empty for a number no table holds.
std::u16string resString(uint16_t id);

struct ResourceChoice {
    bool loaded = false;         // a language pack is in use
    std::filesystem::path pack;  // its full path
    int packsTried = 0;          // packs for this locale that failed to load
};

// A file of the language in use: `name` in the pack's own folder (lang/en.txt has lang/en/),
// when the pack has it; else `shipped`. Names, skins and pictures with words come this way.
std::filesystem::path packFile(const ResourceChoice& choice, const std::filesystem::path& name,
                               const std::filesystem::path& shipped);

// Reads the list (lines "LCID_RESOURCE:[0x0409]-[[lang/en.txt]]", at most 1024 characters,
// "#" starts a comment) and uses the first pack listed for `localeId` that loads; pack names are
// resolved against `baseDir`. With no list, no match or no loadable pack the built-in table is used.
ResourceChoice chooseResourceLibrary(const std::filesystem::path& listFile, uint32_t localeId,
                                     const std::filesystem::path& baseDir);

// Uses this table for resString (an empty table means the built-in strings alone).
void useStringPack(StringTable table);
// True when a language pack's texts are in use rather than the built-in Japanese ones alone.
bool stringPackInUse();

}  // namespace trovel
