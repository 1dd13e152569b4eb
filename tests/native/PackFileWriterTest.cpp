// vqpack's manifest and archive writer, read back by the setup's own reader, and the gzip codec
// that ziplib.dll and vqpack share.
#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "GzipCodec.h"
#include "PackWriter.h"
#include "archive/PackFileUnit.h"

namespace fs = std::filesystem;

namespace {

class TempFolder {
public:
    TempFolder() : path_(fs::temp_directory_path() / ("vqpack_test_" + std::to_string(::getpid()))) {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempFolder() { fs::remove_all(path_); }
    const fs::path& Path() const { return path_; }
    fs::path Write(const std::string& name, const std::string& bytes) const {
        const fs::path p = path_ / name;
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }

private:
    fs::path path_;
};

std::string ReadAll(std::FILE* f) {
    std::rewind(f);
    std::string out;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) out.append(buffer, n);
    return out;
}

std::FILE* FileWith(const std::string& bytes) {
    std::FILE* f = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
    return f;
}

// Runs the codec from bytes to bytes.
bool Codec(bool compress, const std::string& in, std::string& out, std::string& error) {
    std::FILE* src = FileWith(in);
    std::FILE* dst = std::tmpfile();
    const bool ok = compress ? gzipcodec::Compress(src, dst, error) : gzipcodec::Decompress(src, dst, error);
    out = ReadAll(dst);
    std::fclose(src);
    std::fclose(dst);
    return ok;
}

// Text with structure and some noise, so deflate has work of both kinds.
std::string SampleContent(std::size_t size) {
    std::string s;
    std::uint32_t x = 12345;
    while (s.size() < size) {
        x = x * 1103515245u + 12345u;
        s += (x >> 24) % 4 ? "Konto;Betrag;125,50\n" : std::string(1, static_cast<char>(x >> 16));
    }
    s.resize(size);
    return s;
}

TEST(Manifest, ReadsBothSeparatorsCommentsAndDirectives) {
    const std::string text =
        "# a payload\n"
        "version HF20220909\n"
        "format 3\n"
        "\n"
        "  # indented comment\n"
        "icons/a.Ico | Sym \xC3\xA4.Ico |  | USER | Symbols\\Default_Icons | 0 | 0 | 0\n"
        "bin/ziplib.dll\tziplib.dll\t\tPROGRAM\t\t1\t0\t0\r\n"
        "size:5000 | old.dll | de-AT | PROGRAM | | 2 | -1 | 1\n"
        "/abs/old.dll | older.dll | | PROGRAM | | 0 | 0 | 1\n";
    const vqpack::Manifest m = vqpack::ParseManifest(text, "/base");
    EXPECT_EQ(m.Version, L"HF20220909");
    EXPECT_EQ(m.FormatNumber, 3);
    ASSERT_EQ(m.Entries.size(), 4u);
    EXPECT_EQ(m.Entries[0].Source, fs::path("/base/icons/a.Ico"));
    EXPECT_EQ(m.Entries[0].FileName, L"Sym \u00E4.Ico");
    EXPECT_EQ(m.Entries[0].Folder, L"Symbols\\Default_Icons");
    EXPECT_EQ(m.Entries[1].Root, L"PROGRAM");
    EXPECT_EQ(m.Entries[1].Group, L"");
    EXPECT_EQ(m.Entries[1].Overwrite, 1);
    EXPECT_EQ(m.Entries[1].Line, 7);
    EXPECT_TRUE(m.Entries[2].Source.empty());
    EXPECT_EQ(m.Entries[2].DeleteSize, 5000);
    EXPECT_EQ(m.Entries[2].Overwrite, 2);  // written as given
    EXPECT_EQ(m.Entries[2].Compressed, -1);
    EXPECT_EQ(m.Entries[3].Source, fs::path("/abs/old.dll"));
}

TEST(Manifest, RefusesWhatCannotBecomeASafeArchive) {
    const struct { const char* line; const char* why; } cases[] = {
        {"a | b | | USER | | 0 | 0", "8 fields"},
        {"a | b | | USER | | 0 | 0 | 0 | 0", "8 fields"},
        {"a | b | | USER | | yes | 0 | 0", "overwrite"},
        {"a | b | | USER | | 0 | 99999999999 | 0", "compressed"},
        {"a | b | | USER | ..\\Windows | 0 | 0 | 0", "leave its root"},
        {"a | C:x | | USER | | 0 | 0 | 0", "leave its root"},
        {"a | b | | SYSTEM | | 0 | 0 | 0", "unknown root"},
        {"a | b | | user | | 0 | 0 | 0", "unknown root"},
        {"a | b | | USER\\..\\..\\Windows | | 0 | 0 | 0", "unknown root"},
        {"a | b | | USER/../x | | 0 | 0 | 0", "unknown root"},
        {"a | b | | USERX | | 0 | 0 | 0", "unknown root"},
        {"a | b | | USER\\ | | 0 | 0 | 0", "unknown root"},
        {"a | b | | | | 0 | 0 | 0", "unknown root"},
        {"a | \xE2\x82\xAC\xE2\x84\xA2\xC5\x81.txt | | USER | | 0 | 0 | 0", "Windows-1252"},
        {"a | \xC3 | | USER | | 0 | 0 | 0", "UTF-8"},
        {" | b | | USER | | 0 | 0 | 0", "source"},
        {"versoin HF1", "unknown directive"},
    };
    for (const auto& c : cases) {
        try {
            vqpack::ParseManifest(std::string("# x\n") + c.line + "\n", "/base");
            ADD_FAILURE() << c.line << ": no error";
        } catch (const vqpack::PackError& e) {
            const std::string what = e.what();
            EXPECT_EQ(what.rfind("line 2: ", 0), 0u) << what;
            EXPECT_NE(what.find(c.why), std::string::npos) << c.line << " -> " << what;
        }
    }
}

TEST(PackWriter, ArchiveReadsBackThroughTheSetupsReader) {
    TempFolder temp;
    const std::string stored = SampleContent(25000), packed = SampleContent(70000), old = "12345678";
    temp.Write("src/stored.bin", stored);
    temp.Write("src/packed.dat", packed);
    temp.Write("src/old.dll", old);
    temp.Write("src/empty.txt", "");
    const fs::path manifest = temp.Write("payload.manifest",
                                         "version HF20220909\n"
                                         "src/stored.bin | ziplib.dll | | PROGRAM | | 1 | 0 | 0\n"
                                         "src/packed.dat | VQ Core.dat | de-CH | USER | VQ_User_0002\\Sub | 0 | 1 | 0\n"
                                         "src/old.dll | old.dll | | PROGRAM | | 0 | 0 | 1\n"
                                         "size:5000 | gone.dll | | PROGRAM | | 0 | 0 | 1\n"
                                         "src/empty.txt | empty.txt | | USER | | 0 | 1 | 0\n");
    std::FILE* out = std::tmpfile();
    vqpack::WriteArchive(vqpack::ReadManifest(manifest), out);
    const std::string archiveBytes = ReadAll(out);
    std::fclose(out);

    TMemoryStream stream(archiveBytes.data(), archiveBytes.size());
    TPackFiles archive(nullptr);
    std::wstring version;
    ASSERT_TRUE(archive.Load(stream, version));
    EXPECT_EQ(version, L"HF20220909");
    ASSERT_EQ(archive.Count(), 5);
    const auto data = [&](int i) { return archiveBytes.substr(archive.Items(i).DataOffset, archive.Items(i).Size); };

    EXPECT_EQ(data(0), stored);
    EXPECT_TRUE(archive.Items(0).Overwrite);

    const TPackFile& p = archive.Items(1);
    EXPECT_EQ(p.FileName, L"VQ Core.dat");
    EXPECT_EQ(p.Group, L"de-CH");
    EXPECT_EQ(p.Folder, L"VQ_User_0002\\Sub");
    EXPECT_TRUE(p.Compressed);
    EXPECT_LT(p.Size, static_cast<std::int32_t>(packed.size()));
    // The fixed header: no name, no time stamp, no extra flags, operating system NTFS.
    EXPECT_EQ(data(1).substr(0, 10), std::string("\x1F\x8B\x08\x00\x00\x00\x00\x00\x00\x0B", 10));
    std::string unpacked, error;
    ASSERT_TRUE(Codec(false, data(1), unpacked, error)) << error;
    EXPECT_EQ(unpacked, packed);

    EXPECT_TRUE(archive.Items(2).DeleteEntry);
    EXPECT_EQ(archive.Items(2).Size, 8);  // the size of the file it names
    EXPECT_EQ(archive.Items(3).Size, 5000);
    ASSERT_TRUE(Codec(false, data(4), unpacked, error)) << error;
    EXPECT_EQ(unpacked, "");

    const TPackFile& last = archive.Items(4);
    EXPECT_EQ(static_cast<std::size_t>(last.DataOffset + last.Size), archiveBytes.size());
    EXPECT_EQ(archive.TotalBytes, 1 + static_cast<std::int32_t>(stored.size()) + p.Size + last.Size);
}

TEST(PackWriter, MissingSourceNamesTheManifestLine) {
    TempFolder temp;
    const fs::path manifest = temp.Write("m.manifest", "version v\n\nnothere.bin | x | | USER | | 0 | 0 | 0\n");
    std::FILE* out = std::tmpfile();
    try {
        vqpack::WriteArchive(vqpack::ReadManifest(manifest), out);
        ADD_FAILURE() << "no error";
    } catch (const vqpack::PackError& e) {
        EXPECT_NE(std::string(e.what()).find("line 3: cannot open"), std::string::npos) << e.what();
    }
    std::fclose(out);
}

// A gzip member with every optional header field, as another gzip writer may produce it.
std::string MemberWithAllHeaderFields(const std::string& content) {
    z_stream z{};
    deflateInit2(&z, 6, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    gz_header h{};
    unsigned char extra[] = {'V', 'Q', 2, 0, 'h', 'i'};
    char name[] = "original.dat";
    char comment[] = "a comment";
    h.extra = extra;
    h.extra_len = sizeof extra;
    h.name = reinterpret_cast<Bytef*>(name);
    h.comment = reinterpret_cast<Bytef*>(comment);
    h.hcrc = 1;
    h.time = 1662681600;
    h.os = 3;
    deflateSetHeader(&z, &h);
    std::string out(compressBound(static_cast<uLong>(content.size())) + 256, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
    z.avail_in = static_cast<uInt>(content.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

TEST(GzipCodec, RoundTripsAndReadsOptionalHeaderFields) {
    for (std::size_t size : {0u, 1u, 65536u, 300000u}) {
        const std::string content = SampleContent(size);
        std::string packed, unpacked, error;
        ASSERT_TRUE(Codec(true, content, packed, error)) << error;
        ASSERT_TRUE(Codec(false, packed, unpacked, error)) << error;
        EXPECT_EQ(unpacked, content) << size;
        ASSERT_TRUE(Codec(false, MemberWithAllHeaderFields(content), unpacked, error)) << error;
        EXPECT_EQ(unpacked, content) << size;
    }
}

TEST(GzipCodec, RefusesAnythingButOneIntactMember) {
    const std::string content = SampleContent(50000);
    std::string good, error, unused;
    ASSERT_TRUE(Codec(true, content, good, error));
    const auto flip = [&](std::size_t at) { std::string s = good; s[at] ^= 0x01; return s; };
    std::string headerCrcWrong = MemberWithAllHeaderFields(content);
    const std::size_t hcrc = 10 + 2 + 6 + sizeof("original.dat") + sizeof("a comment");
    headerCrcWrong[hcrc] ^= 0x01;
    const struct { const char* what; std::string bytes; } cases[] = {
        {"empty file", ""},
        {"not gzip", "PK\x03\x04 not a gzip file at all"},
        {"wrong CRC", flip(good.size() - 8)},
        {"wrong length", flip(good.size() - 4)},
        {"header CRC wrong", headerCrcWrong},
        {"trailer cut", good.substr(0, good.size() - 3)},
        {"data cut", good.substr(0, good.size() / 2)},
        {"second member", good + good},
        {"trailing zeros", good + std::string(4, '\0')},
    };
    for (const auto& c : cases) {
        error.clear();
        EXPECT_FALSE(Codec(false, c.bytes, unused, error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
}

// The same member fed from memory in pieces, as the setup feeds it from the archive: whatever
// the pieces, the same content, and the same refusals as for a file.
bool InflateInPieces(const std::string& member, std::size_t piece, std::string& out, std::string& error) {
    out.clear();
    gzipcodec::Inflater inflater([&](const unsigned char* data, std::size_t size, std::string&) {
        out.append(reinterpret_cast<const char*>(data), size);
        return true;
    });
    for (std::size_t at = 0; at < member.size(); at += piece)
        if (!inflater.Feed(member.data() + at, std::min(piece, member.size() - at), error)) return false;
    return inflater.Finish(error);
}

TEST(GzipCodec, InflatesFromMemoryInPiecesOfAnySize) {
    const std::string content = SampleContent(300000);
    std::string member, error, out;
    ASSERT_TRUE(Codec(true, content, member, error)) << error;
    for (std::size_t piece : {1u, 7u, 10000u, 65536u, 1000000u}) {
        ASSERT_TRUE(InflateInPieces(member, piece, out, error)) << piece << ": " << error;
        EXPECT_EQ(out, content) << piece;
    }
    const auto flip = [&](std::size_t at) { std::string s = member; s[at] ^= 0x01; return s; };
    const struct { const char* what; std::string bytes; } refused[] = {
        {"nothing", ""}, {"wrong CRC", flip(member.size() - 8)}, {"data cut", member.substr(0, member.size() / 2)},
        {"trailer cut", member.substr(0, member.size() - 1)}, {"second member", member + member},
        {"one byte more", member + "x"},
    };
    for (const auto& r : refused)
        for (std::size_t piece : {1u, 10000u}) {
            error.clear();
            EXPECT_FALSE(InflateInPieces(r.bytes, piece, out, error)) << r.what << " / " << piece;
            EXPECT_FALSE(error.empty()) << r.what;
        }
    // A sink that cannot keep the bytes (a full disk) ends the inflation with its own word.
    gzipcodec::Inflater failing([](const unsigned char*, std::size_t, std::string& e) {
        e = "disk full";
        return false;
    });
    EXPECT_FALSE(failing.Feed(member.data(), member.size(), error));
    EXPECT_EQ(error, "disk full");
    EXPECT_FALSE(failing.Finish(error));
}

}  // namespace
