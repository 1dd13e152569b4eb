#pragma once
// The archive builder behind vqpack: a manifest in, the setup's payload archive out.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "GzipCodec.h"

namespace vqpack {

using File = gzipcodec::File;

// A manifest or input that cannot become an archive; the text names the line or file.
struct PackError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct ManifestEntry {
    int Line = 0;
    std::filesystem::path Source;  // resolved; empty for a delete entry with a given size
    std::wstring FileName, Group, Root, Folder;
    // Written as given: 1 sets a flag, any other value leaves it unset.
    std::int32_t Overwrite = 0, Compressed = 0, DeleteEntry = 0;
    std::int32_t DeleteSize = 0;  // a delete entry's Size when no file gives it
};

struct Manifest {
    std::int32_t FormatNumber = 1;
    std::wstring Version;
    std::vector<ManifestEntry> Entries;
};

// Parses manifest text; relative source paths are resolved against baseFolder.
Manifest ParseManifest(const std::string& text, const std::filesystem::path& baseFolder);
Manifest ReadManifest(const std::filesystem::path& manifestFile);

// Writes the archive; compressed entries become one gzip member each.
void WriteArchive(const Manifest& manifest, std::FILE* out);

// UTF-8 as the manifest and the terminal speak it.
std::wstring FromUtf8(const std::string& text);
std::string ToUtf8(const std::wstring& text);

}  // namespace vqpack
