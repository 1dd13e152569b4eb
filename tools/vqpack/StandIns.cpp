// vqstandin: writes the stand-in files of a payload from a list, the same bytes on every run.
//   vqstandin LIST OUTDIR
// The payload's real content (the application's program files, its sample documents) is not
// part of this project; the stand-ins have the sizes, formats and compressibility of the real
// files, so the archive, the progress and the decompression behave as they would with them.
//
// List lines (blank-separated, '#' starts a comment line):
//   icon   PATH WIDTH HEIGHT BITS COLOURS   a valid .ico with one image (BITS 4, 8 or 32)
//   bitmap PATH WIDTH HEIGHT                a valid 24-bit .bmp
//   binary PATH SIZE NOISE                  program-like bytes; NOISE per mille are incompressible
//   text   PATH SIZE NOISE                  document-like text with NOISE per mille of binary noise
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {
namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// SplitMix64, seeded by the file's path: every file differs, every run gives the same bytes.
struct Random {
    std::uint64_t state;
    explicit Random(const std::string& seed) : state(1469598103934665603ULL) {
        for (unsigned char c : seed) state = (state ^ c) * 1099511628211ULL;
    }
    std::uint64_t Next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    std::uint32_t Below(std::uint32_t n) { return static_cast<std::uint32_t>(Next() % n); }
};

void Put16(Bytes& b, std::uint32_t v) { b.push_back(v & 0xFF); b.push_back((v >> 8) & 0xFF); }
void Put32(Bytes& b, std::uint32_t v) { Put16(b, v & 0xFFFF); Put16(b, v >> 16); }

void PutInfoHeader(Bytes& b, int width, int height, int bits, std::uint32_t colours, std::uint32_t imageSize) {
    Put32(b, 40);
    Put32(b, static_cast<std::uint32_t>(width));
    Put32(b, static_cast<std::uint32_t>(height));
    Put16(b, 1);
    Put16(b, static_cast<std::uint32_t>(bits));
    Put32(b, 0);  // BI_RGB
    Put32(b, imageSize);
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, colours);
    Put32(b, 0);
}

int RowBytes(int width, int bits) { return ((width * bits + 31) / 32) * 4; }

// A round symbol on a transparent background, in colours taken from the seed.
Bytes Icon(Random& r, int w, int h, int bits, int colours) {
    if (bits == 32) colours = 0;
    const int xorRow = RowBytes(w, bits), andRow = RowBytes(w, 1);
    const std::uint32_t imageSize = static_cast<std::uint32_t>(40 + 4 * colours + (xorRow + andRow) * h);
    Bytes b;
    Put16(b, 0);
    Put16(b, 1);  // icon
    Put16(b, 1);  // one image
    b.push_back(static_cast<std::uint8_t>(w >= 256 ? 0 : w));
    b.push_back(static_cast<std::uint8_t>(h >= 256 ? 0 : h));
    b.push_back(static_cast<std::uint8_t>(bits < 8 ? (1 << bits) : 0));
    b.push_back(0);
    Put16(b, 1);
    Put16(b, static_cast<std::uint32_t>(bits));
    Put32(b, imageSize);
    Put32(b, 22);
    // An icon's bitmap header counts the XOR and AND images together in its height.
    PutInfoHeader(b, w, 2 * h, bits, static_cast<std::uint32_t>(bits == 32 ? 0 : colours), 0);
    const std::uint32_t base = static_cast<std::uint32_t>(r.Next());
    for (int i = 0; i < colours; ++i) {
        const int t = colours > 1 ? i * 255 / (colours - 1) : 0;
        b.push_back(static_cast<std::uint8_t>(((base & 0xFF) * t) / 255));
        b.push_back(static_cast<std::uint8_t>((((base >> 8) & 0xFF) * t) / 255));
        b.push_back(static_cast<std::uint8_t>((((base >> 16) & 0xFF) * t) / 255));
        b.push_back(0);
    }
    const auto inside = [&](int x, int y) {
        const int dx = 2 * x + 1 - w, dy = 2 * y + 1 - h;
        return dx * dx + dy * dy <= w * h;
    };
    for (int y = 0; y < h; ++y) {
        Bytes row(static_cast<std::size_t>(xorRow), 0);
        for (int x = 0; x < w; ++x) {
            if (!inside(x, y)) continue;
            const int shade = (x + y + static_cast<int>(base >> 24)) % (colours ? colours : 256);
            if (bits == 32) {
                row[4 * x] = static_cast<std::uint8_t>(base & 0xFF);
                row[4 * x + 1] = static_cast<std::uint8_t>(shade);
                row[4 * x + 2] = static_cast<std::uint8_t>(base >> 16);
                row[4 * x + 3] = 0xFF;
            } else if (bits == 8) {
                row[x] = static_cast<std::uint8_t>(shade);
            } else {
                row[x / 2] |= static_cast<std::uint8_t>((shade & 0x0F) << (x % 2 ? 0 : 4));
            }
        }
        b.insert(b.end(), row.begin(), row.end());
    }
    for (int y = 0; y < h; ++y) {
        Bytes row(static_cast<std::size_t>(andRow), 0);
        for (int x = 0; x < w; ++x)
            if (!inside(x, y)) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

// A photo-like picture: smooth gradients with a little grain, as icons' colour bitmaps are.
Bytes Bitmap(Random& r, int w, int h) {
    const int row = RowBytes(w, 24);
    Bytes b = {'B', 'M'};
    Put32(b, static_cast<std::uint32_t>(54 + row * h));
    Put32(b, 0);
    Put32(b, 54);
    PutInfoHeader(b, w, h, 24, 0, static_cast<std::uint32_t>(row * h));
    const int a = static_cast<int>(r.Below(256)), c = static_cast<int>(r.Below(256));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int grain = static_cast<int>(r.Below(9));
            b.push_back(static_cast<std::uint8_t>((a + x * 255 / w + grain) & 0xFF));
            b.push_back(static_cast<std::uint8_t>((c + y * 255 / h + grain) & 0xFF));
            b.push_back(static_cast<std::uint8_t>((a + c + (x + y) * 128 / (w + h)) & 0xFF));
        }
        b.insert(b.end(), static_cast<std::size_t>(row - 3 * w), 0);
    }
    return b;
}

// Program-like bytes: an "MZ" start, then 4 KiB blocks that are either noise (compressed code and
// data) or repetitive (tables, padding, strings). noise is the share of noise blocks in per mille.
Bytes Binary(Random& r, std::size_t size, int noise) {
    static const char stub[] = "MZ\x90\0\x03\0\0\0\x04\0\0\0\xFF\xFF\0\0This program cannot be run in DOS mode.\r\r\n$";
    Bytes b(stub, stub + sizeof stub - 1);
    b.reserve(size);
    while (b.size() < size) {
        const bool isNoise = static_cast<int>(r.Below(1000)) < noise;
        const std::uint64_t pattern = r.Next();
        for (int i = 0; i < 4096 && b.size() < size; i += 8) {
            const std::uint64_t v = isNoise ? r.Next() : pattern + static_cast<std::uint64_t>(i % 64);
            for (int k = 0; k < 8 && b.size() < size; ++k) b.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
        }
    }
    b.resize(size);
    return b;
}

Bytes Text(Random& r, std::size_t size, int noise) {
    static const char* const words[] = {
        "Konto", "Betrag", "Datum", "Buchung", "Kategorie", "Haushalt", "Miete", "Strom", "Versicherung",
        "account", "amount", "date", "booking", "budget", "rent", "income", "savings", "compte", "montant",
        "cuenta", "importe", "fecha", "2022", "EUR", "CHF", "USD", "0,00", "125,50", "1.250,00", "Total",
    };
    Bytes b;
    b.reserve(size);
    // Like Binary: 4 KiB blocks, noise per mille of them binary (embedded pictures), the rest text.
    while (b.size() < size) {
        const std::size_t blockEnd = b.size() + 4096;
        if (static_cast<int>(r.Below(1000)) < noise) {
            while (b.size() < blockEnd) b.push_back(static_cast<std::uint8_t>(r.Next()));
            continue;
        }
        while (b.size() < blockEnd) {
            const std::string word = words[r.Below(sizeof words / sizeof *words)];
            b.insert(b.end(), word.begin(), word.end());
            b.push_back(r.Below(6) == 0 ? '\n' : ';');
        }
    }
    b.resize(size);
    return b;
}

void Fail(const std::string& where, const std::string& text) {
    throw std::runtime_error(where + ": " + text);
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: vqstandin LIST OUTDIR\n";
        return 2;
    }
    try {
        std::ifstream list(argv[1]);
        if (!list) Fail(argv[1], "cannot open");
        std::string line;
        int number = 0;
        while (std::getline(list, line)) {
            ++number;
            const std::string where = std::string(argv[1]) + ":" + std::to_string(number);
            std::istringstream fields(line);
            std::string kind, path;
            if (!(fields >> kind) || kind[0] == '#') continue;
            if (!(fields >> path)) Fail(where, "missing path");
            Random random(path);
            Bytes bytes;
            long a = 0, b = 0, c = 0, d = 0;
            if (kind == "icon" && fields >> a >> b >> c >> d && (c == 4 || c == 8 || c == 32))
                bytes = Icon(random, static_cast<int>(a), static_cast<int>(b), static_cast<int>(c), static_cast<int>(d));
            else if (kind == "bitmap" && fields >> a >> b)
                bytes = Bitmap(random, static_cast<int>(a), static_cast<int>(b));
            else if (kind == "binary" && fields >> a >> b)
                bytes = Binary(random, static_cast<std::size_t>(a), static_cast<int>(b));
            else if (kind == "text" && fields >> a >> b)
                bytes = Text(random, static_cast<std::size_t>(a), static_cast<int>(b));
            else
                Fail(where, "cannot read \"" + line + "\"");
            const fs::path target = fs::path(argv[2]) / path;
            fs::create_directories(target.parent_path());
            std::ofstream out(target, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
            if (!out) Fail(where, "cannot write " + target.string());
        }
    } catch (const std::exception& e) {
        std::cerr << "vqstandin: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
