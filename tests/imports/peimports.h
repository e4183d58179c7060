// Reads a PE image's headers and import table from the file, the way a
// loader does, for both PE32 (the product) and PE32+ (the x86-64 test build).
#pragma once

#include <stdint.h>

#include <map>
#include <set>
#include <string>

struct PeImage {
    std::string fault; // empty when the file was read as a PE image
    uint16_t machine = 0;
    bool pe32 = false; // PE32 (32-bit) rather than PE32+
    uint16_t subsystem = 0;
    uint16_t subsystemMajor = 0, subsystemMinor = 0;
    uint16_t osMajor = 0, osMinor = 0;
    // Imported names by DLL (as the import table spells it); an import by
    // ordinal shows as "#N".
    std::map<std::string, std::set<std::string>> imports;
};

PeImage ReadPeImage(const std::string &path);
