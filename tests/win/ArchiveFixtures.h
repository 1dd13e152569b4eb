#pragma once
// What the archive tests build their cases from: an archive over bytes held in memory with its
// progress recorded, patterned content, and gzip members made by this build's ziplib.dll.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "archive/PackFileUnit.h"
#include "archive/ResourceStream.h"
#include "services/Handles.h"
#include "texts/Cp1252.h"

namespace archivetest {

struct Report {
    std::wstring group, message;
    std::int32_t done, total;
};

// An archive over bytes the test keeps, with every progress report recorded.
class Archive {
public:
    explicit Archive(std::string bytes) : bytes_(std::move(bytes)), stream_(bytes_.data(), bytes_.size()) {
        std::wstring version;
        EXPECT_TRUE(files.Load(stream_, version));
    }
    TPackFile& operator[](int i) { return files.Items(i); }
    std::vector<std::int32_t> Amounts() const {
        std::vector<std::int32_t> out;
        std::int32_t before = 0;
        for (const Report& r : reports) {
            out.push_back(r.done - before);
            before = r.done;
        }
        return out;
    }

    std::vector<Report> reports;
    TPackFiles files{[this](const std::wstring& g, const std::wstring& m, std::int32_t d, std::int32_t t) {
        reports.push_back({g, m, d, t});
    }};

private:
    std::string bytes_;
    TMemoryStream stream_;
};

inline std::wstring ModuleFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

// The setup restricts the DLL search before it loads anything; so do these tests.
inline void RestrictDllSearch() { ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32); }

inline std::string Content(std::size_t size) {
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 7919) >> 5);
    return s;
}

inline std::string GzipOf(const std::string& content) {
    testsupport::ScratchFolder scratch(L"gzipof");
    testsupport::WriteFileBytes(scratch.Path() + L"in", content);
    // Called by its undecorated export name, as any C caller would.
    ModuleHandle lib(::LoadLibraryW((ModuleFolder() + L"ziplib.dll").c_str()));
    using Proc = int(__cdecl*)(const char*, const char*, char*);
    const auto compressFile =
        reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(::GetProcAddress(lib.get(), "CompressFile")));
    if (!compressFile) return {};
    char error[1001] = {};
    const std::string in = cp1252::FromWide(scratch.Path() + L"in"), out = cp1252::FromWide(scratch.Path() + L"out");
    EXPECT_EQ(compressFile(in.c_str(), out.c_str(), error), 0) << error;
    return testsupport::ReadFileBytes(scratch.Path() + L"out");
}

}  // namespace archivetest
