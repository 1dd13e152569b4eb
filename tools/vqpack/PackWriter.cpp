#include "PackWriter.h"

#include <fstream>
#include <sstream>

#include "GzipCodec.h"
#include "archive/PackFileUnit.h"
#include "texts/Cp1252.h"

namespace vqpack {
namespace {

std::string Trim(const std::string& s) {
    const std::size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

[[noreturn]] void Fail(int line, const std::string& text) {
    throw PackError("line " + std::to_string(line) + ": " + text);
}

std::int32_t ParseInteger(int line, const std::string& field, const char* what) {
    try {
        std::size_t used = 0;
        const long long v = std::stoll(field, &used, 10);
        if (used == field.size() && v >= INT32_MIN && v <= INT32_MAX) return static_cast<std::int32_t>(v);
    } catch (const std::exception&) {
    }
    Fail(line, std::string(what) + " must be an integer, not \"" + field + "\"");
}

// Names go into the archive as Windows-1252; a character that code page lacks would silently
// become '?', so it is refused here, where the release engineer can still fix the manifest.
std::wstring ArchiveText(int line, const std::string& field, const char* what) {
    std::wstring wide;
    try {
        wide = FromUtf8(field);
    } catch (const PackError& e) {
        Fail(line, std::string(what) + ": " + e.what());
    }
    if (cp1252::ToWide(cp1252::FromWide(wide)) != wide)
        Fail(line, std::string(what) + " \"" + field + "\" has characters outside Windows-1252");
    return wide;
}

std::vector<std::string> SplitFields(const std::string& line) {
    const char separator = line.find('\t') != std::string::npos ? '\t' : '|';
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = line.find(separator, start);
        fields.push_back(Trim(line.substr(start, end - start)));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return fields;
}

void PutInteger(std::FILE* out, std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    const unsigned char b[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                                static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
    std::fwrite(b, 1, 4, out);
}

void PutString(std::FILE* out, const std::wstring& text) {
    const std::string bytes = cp1252::FromWide(text);
    PutInteger(out, static_cast<std::int32_t>(bytes.size()));
    std::fwrite(bytes.data(), 1, bytes.size(), out);
}

File OpenSource(const ManifestEntry& entry) {
    File in(std::fopen(entry.Source.string().c_str(), "rb"));
    if (!in) Fail(entry.Line, "cannot open " + entry.Source.string());
    return in;
}
}  // namespace

std::wstring FromUtf8(const std::string& text) {
    std::wstring out;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= text.size() + (extra == 0))
            throw PackError("text is not UTF-8: " + text);
        std::uint32_t cp = extra == 0 ? c : c & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            const auto cc = static_cast<unsigned char>(text[i + k]);
            if ((cc & 0xC0) != 0x80) throw PackError("text is not UTF-8: " + text);
            cp = (cp << 6) | (cc & 0x3F);
        }
        out.push_back(static_cast<wchar_t>(cp));
        i += 1 + static_cast<std::size_t>(extra);
    }
    return out;
}

std::string ToUtf8(const std::wstring& text) {
    std::string out;
    for (wchar_t w : text) {
        const auto cp = static_cast<std::uint32_t>(w);
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

Manifest ParseManifest(const std::string& text, const std::filesystem::path& baseFolder) {
    Manifest manifest;
    std::istringstream lines(text);
    std::string raw;
    int line = 0;
    while (std::getline(lines, raw)) {
        ++line;
        const std::string trimmed = Trim(raw);
        if (trimmed.empty() || trimmed[0] == '#') continue;
        if (raw.find('\t') == std::string::npos && raw.find('|') == std::string::npos) {
            const std::size_t blank = trimmed.find_first_of(" \t");
            const std::string word = trimmed.substr(0, blank);
            const std::string value = blank == std::string::npos ? "" : Trim(trimmed.substr(blank));
            if (word == "version")
                manifest.Version = ArchiveText(line, value, "the version");
            else if (word == "format")
                manifest.FormatNumber = ParseInteger(line, value, "the format number");
            else
                Fail(line, "unknown directive \"" + word + "\" (an entry needs 8 fields separated by | or tabs)");
            continue;
        }
        const std::vector<std::string> f = SplitFields(raw);
        if (f.size() != 8) Fail(line, "an entry has 8 fields, this line has " + std::to_string(f.size()));
        ManifestEntry e;
        e.Line = line;
        e.FileName = ArchiveText(line, f[1], "the file name");
        e.Group = ArchiveText(line, f[2], "the group");
        e.Root = ArchiveText(line, f[3], "the root");
        e.Folder = ArchiveText(line, f[4], "the folder");
        e.Overwrite = ParseInteger(line, f[5], "overwrite");
        e.Compressed = ParseInteger(line, f[6], "compressed");
        e.DeleteEntry = ParseInteger(line, f[7], "delete");
        // The setup refuses such an entry when it installs; better to hear it at build time.
        if (!IsValidRootWord(e.Root))
            Fail(line, "unknown root \"" + f[3] + "\" (PROGRAM, UNINST, DATA, USER, or USER\\ and a safe sub-path)");
        if (!IsSafeEntryPath(e.Folder, e.FileName))
            Fail(line, "\"" + f[4] + "\\" + f[1] + "\" would leave its root folder");
        if (e.DeleteEntry == 1 && f[0].rfind("size:", 0) == 0)
            e.DeleteSize = ParseInteger(line, f[0].substr(5), "the size of a delete entry");
        else if (f[0].empty())
            Fail(line, "the source file is missing");
        else
            e.Source = (baseFolder / f[0]).lexically_normal();
        manifest.Entries.push_back(std::move(e));
    }
    return manifest;
}

Manifest ReadManifest(const std::filesystem::path& manifestFile) {
    std::ifstream in(manifestFile, std::ios::binary);
    if (!in) throw PackError("cannot open the manifest " + manifestFile.string());
    std::ostringstream text;
    text << in.rdbuf();
    try {
        return ParseManifest(text.str(), manifestFile.parent_path());
    } catch (const PackError& e) {
        throw PackError(manifestFile.string() + ", " + e.what());
    }
}

void WriteArchive(const Manifest& manifest, std::FILE* out) {
    PutInteger(out, manifest.FormatNumber);
    PutString(out, manifest.Version);
    PutInteger(out, static_cast<std::int32_t>(manifest.Entries.size()));
    for (const ManifestEntry& e : manifest.Entries) {
        const bool isDelete = e.DeleteEntry == 1;
        const long sizeField = std::ftell(out);
        std::int32_t size = isDelete && e.Source.empty() ? e.DeleteSize : 0;
        if (isDelete && !e.Source.empty()) {
            std::error_code ec;
            const auto bytes = std::filesystem::file_size(e.Source, ec);
            if (ec) Fail(e.Line, "cannot read the size of " + e.Source.string());
            size = static_cast<std::int32_t>(bytes);
        }
        PutInteger(out, size);  // patched below once the data is written
        PutString(out, e.FileName);
        PutString(out, e.Group);
        PutString(out, e.Root);
        PutString(out, e.Folder);
        PutInteger(out, e.Overwrite);
        PutInteger(out, e.Compressed);
        PutInteger(out, e.DeleteEntry);
        if (isDelete) continue;

        const long dataStart = std::ftell(out);
        File in = OpenSource(e);
        if (e.Compressed == 1) {
            std::string error;
            if (!gzipcodec::Compress(in.get(), out, error)) Fail(e.Line, error + ": " + e.Source.string());
        } else {
            char buffer[65536];
            std::size_t got;
            while ((got = std::fread(buffer, 1, sizeof buffer, in.get())) > 0) std::fwrite(buffer, 1, got, out);
            if (std::ferror(in.get())) Fail(e.Line, "cannot read " + e.Source.string());
        }
        const long dataEnd = std::ftell(out);
        // Positions and sizes are signed 32-bit in the archive.
        if (dataEnd < 0 || dataEnd > INT32_MAX) Fail(e.Line, "the archive would reach 2 GiB");
        std::fseek(out, sizeField, SEEK_SET);
        PutInteger(out, static_cast<std::int32_t>(dataEnd - dataStart));
        std::fseek(out, dataEnd, SEEK_SET);
    }
    if (std::fflush(out) != 0 || std::ferror(out)) throw PackError("cannot write the archive");
}

}  // namespace vqpack
