// The in-process figures of the install benchmark, taken with the setup's own archive reader on
// the archive inside a built VQSetup.exe:
//
//   BenchLoad.exe SETUP_EXE [REPEATS]        (default 100)
//
// Prints key=value lines: the entry count, the bytes of archive data, the time of TPackFiles::Load over the FILESTREAM
// resource (the first call, which also faults in the pages of the record headers, and the median
// and fastest of REPEATS calls), the file size of the exe, the size of its FILESTREAM resource and
// the difference, which is what the setup program weighs without its payload.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "archive/PackFileUnit.h"
#include "archive/ResourceStream.h"
#include "services/Handles.h"
#include "services/VQError.h"

namespace {
double Microseconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
    return 1e6 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

long long FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2 || argc > 3) {
        std::fputws(L"usage: BenchLoad SETUP_EXE [REPEATS]\n", stderr);
        return 2;
    }
    const std::wstring setupExe = argv[1];
    const int repeats = argc == 3 ? std::max(1, _wtoi(argv[2])) : 100;
    try {
        // The setup reads its own resource from its mapped image; a data-file mapping of the same
        // exe gives the reader the same kind of memory.
        ModuleHandle module(
            ::LoadLibraryExW(setupExe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
        if (!module) throw EVQError(L"Cannot load " + setupExe + L" (" + std::to_wstring(::GetLastError()) + L")");
        TMemoryStream stream = OpenResourceStream(module.get(), L"FILESTREAM");

        LARGE_INTEGER frequency, before, after;
        ::QueryPerformanceFrequency(&frequency);
        std::vector<double> times;
        int entries = 0;
        long long dataBytes = 0;
        for (int i = 0; i <= repeats; ++i) {
            TPackFiles reader(nullptr);
            std::wstring version;
            stream.Seek(0);
            ::QueryPerformanceCounter(&before);
            reader.Load(stream, version);
            ::QueryPerformanceCounter(&after);
            times.push_back(Microseconds(before, after, frequency));
            entries = reader.Count();
            dataBytes = reader.TotalBytes - 1;  // the total starts at 1
        }
        const double first = times.front();
        times.erase(times.begin());
        std::sort(times.begin(), times.end());
        const long long exeSize = FileSize(setupExe);
        std::wprintf(L"entries=%d\ndata_bytes=%lld\nload_first_us=%.1f\nload_median_us=%.1f\nload_min_us=%.1f\nload_repeats=%d\n"
                     L"exe_bytes=%lld\nfilestream_bytes=%lld\nexe_without_payload_bytes=%lld\n",
                     entries, dataBytes, first, times[times.size() / 2], times.front(), repeats, exeSize,
                     static_cast<long long>(stream.Size()), exeSize - static_cast<long long>(stream.Size()));
        return 0;
    } catch (const EVQError& error) {
        std::fwprintf(stderr, L"BenchLoad: %ls\n", error.Message().c_str());
        return 1;
    }
}
