#pragma once
// A small program folder for the engine: 1/grpack.mlz with the brand logo,
// the fixed system pictures and a black title, built with the archive and
// picture writers.

#include <cstdint>
#include <filesystem>
#include <vector>

namespace testdata {

struct DataFolderOptions {
    bool withLogo = true;
};

// Writes DIR/1/grpack.mlz.
void BuildDataFolder(const std::filesystem::path& folder, const DataFolderOptions& options = {});

// The logo's landscape pixels, blue, green, red, alpha, as written.
std::vector<uint8_t> LogoPixels();

}  // namespace testdata
