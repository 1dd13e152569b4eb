// Load over arbitrary bytes: it must either fail with EVQError or yield entries whose data lies
// inside the stream, and never read outside it (ASan) or overflow (UBSan).
#include <cstdint>
#include <cstdlib>

#include "archive/PackFileUnit.h"
#include "services/VQError.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TMemoryStream stream(data, size);
    TPackFiles archive(nullptr);
    std::wstring version;
    try {
        if (!archive.Load(stream, version)) return 0;
    } catch (const EVQError&) {
        if (archive.Count() != 0) std::abort();  // a failed Load keeps nothing
        return 0;
    }
    std::int64_t total = 1;
    for (int i = 0; i < archive.Count(); ++i) {
        TPackFile& e = archive.Items(i);
        const std::int64_t length = e.DeleteEntry ? 0 : e.Size;
        if (length < 0 || e.DataOffset < 0 || e.DataOffset + length > static_cast<std::int64_t>(size)) std::abort();
        total += length;
        IsSafeEntryPath(e.Folder, e.FileName);
        e.Skip(L"NO_EXTRACT:" + e.FileName);
    }
    if (total != archive.TotalBytes) std::abort();
    return 0;
}
