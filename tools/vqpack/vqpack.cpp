// vqpack: builds the setup's payload archive from a manifest and lists any archive.
//   vqpack build MANIFEST OUT
//   vqpack list ARCHIVE
//   vqpack entries MANIFEST OUT [--unsized SOURCE]...
// The manifest format is described in payload/README.md.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <vector>

#include "PackWriter.h"
#include "archive/PackFileUnit.h"
#include "services/VQError.h"

namespace {
int Usage() {
    std::cerr << "usage: vqpack build MANIFEST OUT\n       vqpack list ARCHIVE\n"
                 "       vqpack entries MANIFEST OUT [--unsized SOURCE]...\n";
    return 2;
}

int Build(const std::filesystem::path& manifestFile, const std::filesystem::path& outFile) {
    const vqpack::Manifest manifest = vqpack::ReadManifest(manifestFile);
    // Written beside the target and renamed at the end, so a failed build never leaves an archive
    // that a later build step would take for complete.
    const std::filesystem::path part = outFile.string() + ".part";
    vqpack::File out(std::fopen(part.string().c_str(), "wb"));
    if (!out) throw vqpack::PackError("cannot create " + part.string());
    try {
        vqpack::WriteArchive(manifest, out.get());
    } catch (...) {
        out.reset();
        std::filesystem::remove(part);
        throw;
    }
    // The close is where buffered data can still fail to reach the disk.
    if (std::fclose(out.release()) != 0) {
        std::filesystem::remove(part);
        throw vqpack::PackError("cannot write " + part.string());
    }
    std::filesystem::rename(part, outFile);
    return 0;
}

// The files an archive of the manifest installs, with the sizes they have once installed, for the
// uninstaller of an installation that has no install record. A source named after --unsized (the
// uninstaller itself, built after its own list) gets "-": its size cannot be known yet.
int Entries(const std::filesystem::path& manifestFile, const std::filesystem::path& outFile,
            const std::vector<std::string>& unsizedSources) {
    const vqpack::Manifest manifest = vqpack::ReadManifest(manifestFile);
    std::set<std::filesystem::path> unsized;
    for (const std::string& source : unsizedSources) unsized.insert((manifestFile.parent_path() / source).lexically_normal());
    std::string text = "VQPayloadEntries\t1\n# root\tfolder\tfile name\tsize, of the archive " +
                       vqpack::ToUtf8(manifest.Version) + "\n";
    for (const vqpack::ManifestEntry& e : manifest.Entries) {
        if (e.DeleteEntry == 1) continue;
        std::string size = "-";
        if (!unsized.count(e.Source)) {
            std::error_code ec;
            const auto bytes = std::filesystem::file_size(e.Source, ec);
            if (ec) throw vqpack::PackError("line " + std::to_string(e.Line) + ": cannot read the size of " + e.Source.string());
            size = std::to_string(bytes);
        }
        text += vqpack::ToUtf8(e.Root) + "\t" + vqpack::ToUtf8(e.Folder) + "\t" + vqpack::ToUtf8(e.FileName) + "\t" + size + "\n";
    }
    const std::filesystem::path part = outFile.string() + ".part";
    {
        std::ofstream out(part, std::ios::binary);
        out << text;
        if (!out.flush()) throw vqpack::PackError("cannot write " + part.string());
    }
    std::filesystem::rename(part, outFile);
    return 0;
}

int List(const std::filesystem::path& archiveFile) {
    std::ifstream in(archiveFile, std::ios::binary);
    if (!in) throw vqpack::PackError("cannot open " + archiveFile.string());
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    TMemoryStream stream(bytes.data(), bytes.size());
    TPackFiles archive(nullptr);
    std::wstring version;
    const bool any = archive.Load(stream, version);
    std::cout << "version\t" << vqpack::ToUtf8(version) << "\n"
              << "count\t" << archive.Count() << "\n"
              << "bytes\t" << bytes.size() << "\n"
              << "total\t" << archive.TotalBytes << "\n";
    if (!any) return 0;
    std::cout << "index\toffset\tsize\tflags\tgroup\troot\tfolder\tfile\n";
    for (int i = 0; i < archive.Count(); ++i) {
        const TPackFile& e = archive.Items(i);
        // O overwrite, C compressed, D delete; '-' where the flag is not set.
        const std::string flags = {e.Overwrite ? 'O' : '-', e.Compressed ? 'C' : '-', e.DeleteEntry ? 'D' : '-'};
        std::cout << i + 1 << '\t' << e.DataOffset << '\t' << e.Size << '\t' << flags << '\t'
                  << vqpack::ToUtf8(e.Group) << '\t' << vqpack::ToUtf8(e.Root) << '\t' << vqpack::ToUtf8(e.Folder)
                  << '\t' << vqpack::ToUtf8(e.FileName) << '\n';
    }
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    try {
        const std::vector<std::string> args(argv + 1, argv + argc);
        if (args.size() == 3 && args[0] == "build") return Build(args[1], args[2]);
        if (args.size() == 2 && args[0] == "list") return List(args[1]);
        if (args.size() >= 3 && args[0] == "entries") {
            std::vector<std::string> unsized;
            for (size_t i = 3; i < args.size(); i += 2) {
                if (args[i] != "--unsized" || i + 1 >= args.size()) return Usage();
                unsized.push_back(args[i + 1]);
            }
            return Entries(args[1], args[2], unsized);
        }
        return Usage();
    } catch (const EVQError& e) {
        std::cerr << "vqpack: " << vqpack::ToUtf8(e.Message()) << "\n";
    } catch (const std::exception& e) {
        std::cerr << "vqpack: " << e.what() << "\n";
    }
    return 1;
}
