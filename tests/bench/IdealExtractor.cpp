// The yardstick of the install benchmark: the least a program must do to put the setup's payload
// on disk. It reads the FILESTREAM archive out of VQSetup.exe, picks the entries of one language
// the way the setup does, and writes them with CreateFileW/WriteFile, inflating gzip members in
// memory. No window, no log, no temporary files, no progress.
//
//   IdealExtractor.exe SETUP_EXE PROGRAM_FOLDER DATA_FOLDER [LANGUAGE]     (default de-DE)
//
// PROGRAM entries go to PROGRAM_FOLDER\Bin\, UNINST to PROGRAM_FOLDER\, USER[\sub] to
// DATA_FOLDER[\sub]\, each below its entry's folder. Exit code 0 on success, 1 on any failure.
#include <windows.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "services/Handles.h"

namespace {
struct Failure {
    std::wstring Text;
};

std::wstring Error(const std::wstring& what) { return what + L" (" + std::to_wstring(::GetLastError()) + L")"; }

std::wstring AddBackslash(std::wstring folder) {
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return folder;
}

// The archive's names are Windows-1252 whatever the system's code page.
std::wstring Wide(const std::string& bytes) {
    if (bytes.empty()) return {};
    std::wstring out(bytes.size(), L'\0');
    const int n = ::MultiByteToWideChar(1252, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(),
                                        static_cast<int>(out.size()));
    out.resize(static_cast<std::size_t>(n));
    return out;
}

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::int32_t Integer() {
        Need(4);
        std::uint32_t v = 0;
        std::memcpy(&v, data_ + pos_, 4);
        pos_ += 4;
        return static_cast<std::int32_t>(v);
    }
    std::string String() {
        const std::int32_t n = Integer();
        if (n <= 0) return {};
        const std::uint8_t* p = Bytes(n);
        return std::string(reinterpret_cast<const char*>(p), static_cast<std::size_t>(n));
    }
    const std::uint8_t* Bytes(std::int32_t n) {
        Need(static_cast<std::size_t>(n));
        const std::uint8_t* p = data_ + pos_;
        pos_ += static_cast<std::size_t>(n);
        return p;
    }

private:
    void Need(std::size_t n) const {
        if (n > size_ - pos_) throw Failure{L"The archive ends at offset " + std::to_wstring(pos_)};
    }
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

bool Selected(const std::string& group, const std::string& language) {
    return group.empty() || group == language || group == language.substr(0, 2);
}

// Folders of consecutive entries are mostly the same; the last one made is remembered so that
// the common case costs no system call.
void MakeFolder(const std::wstring& folder) {
    static std::wstring last;
    if (folder == last) return;
    for (std::size_t i = folder.find(L'\\', 3); i != std::wstring::npos; i = folder.find(L'\\', i + 1)) {
        const std::wstring part = folder.substr(0, i);
        if (!::CreateDirectoryW(part.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
            throw Failure{Error(L"Cannot create folder " + part)};
    }
    last = folder;
}

void WriteAll(HANDLE file, const void* data, std::size_t size, const std::wstring& path) {
    DWORD written = 0;
    if (!::WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) || written != size)
        throw Failure{Error(L"Cannot write " + path)};
}

void Inflate(HANDLE file, const std::uint8_t* data, std::int32_t size, const std::wstring& path) {
    static std::vector<Bytef> out(1 << 20);
    z_stream z{};
    if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK) throw Failure{L"inflateInit2 failed"};
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = static_cast<uInt>(size);
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        rc = inflate(&z, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END) {
            inflateEnd(&z);
            throw Failure{L"Cannot inflate " + path + L" (zlib " + std::to_wstring(rc) + L")"};
        }
        WriteAll(file, out.data(), out.size() - z.avail_out, path);
    }
    inflateEnd(&z);
}

int Run(const std::wstring& setupExe, const std::wstring& programFolder, const std::wstring& dataFolder,
        const std::string& language) {
    ModuleHandle module(
        ::LoadLibraryExW(setupExe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!module) throw Failure{Error(L"Cannot load " + setupExe)};
    HRSRC info = ::FindResourceW(module.get(), L"FILESTREAM", RT_RCDATA);
    HGLOBAL loaded = info ? ::LoadResource(module.get(), info) : nullptr;
    const void* archive = loaded ? ::LockResource(loaded) : nullptr;
    if (!archive) throw Failure{Error(L"No FILESTREAM resource in " + setupExe)};
    Reader in(static_cast<const std::uint8_t*>(archive), ::SizeofResource(module.get(), info));

    const std::wstring program = AddBackslash(programFolder), data = AddBackslash(dataFolder);
    in.Integer();  // format number
    in.String();   // version
    const std::int32_t count = in.Integer();
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int32_t size = in.Integer();
        const std::wstring name = Wide(in.String());
        const std::string group = in.String();
        const std::string root = in.String();
        const std::wstring folder = AddBackslash(Wide(in.String()));
        const bool overwrite = in.Integer() == 1, compressed = in.Integer() == 1, deleteEntry = in.Integer() == 1;
        const std::uint8_t* bytes = deleteEntry ? nullptr : in.Bytes(size);
        if (!Selected(group, language)) continue;

        std::wstring base;
        if (root == "PROGRAM") base = program + L"Bin\\";
        else if (root == "UNINST") base = program;
        else if (root.rfind("USER", 0) == 0) base = AddBackslash(data + (root.size() > 5 ? Wide(root.substr(5)) : L""));
        else throw Failure{L"Unknown target root " + Wide(root)};
        const std::wstring path = base + folder + name;

        if (deleteEntry) {
            WIN32_FILE_ATTRIBUTE_DATA attributes{};
            if (::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes) &&
                attributes.nFileSizeHigh == 0 && attributes.nFileSizeLow == static_cast<DWORD>(size))
                ::DeleteFileW(path.c_str());
            continue;
        }
        MakeFolder(base + folder);
        // CREATE_NEW is the existence check of an entry that must not overwrite, in the same call.
        FileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, overwrite ? CREATE_ALWAYS : CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            if (!overwrite && ::GetLastError() == ERROR_FILE_EXISTS) continue;
            throw Failure{Error(L"Cannot create " + path)};
        }
        if (compressed) Inflate(file.get(), bytes, size, path);
        else if (size > 0) WriteAll(file.get(), bytes, static_cast<std::size_t>(size), path);
        if (!::CloseHandle(file.release())) throw Failure{Error(L"Cannot write " + path)};
    }
    return 0;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4 || argc > 5) {
        std::fputws(L"usage: IdealExtractor SETUP_EXE PROGRAM_FOLDER DATA_FOLDER [LANGUAGE]\n", stderr);
        return 2;
    }
    std::string language = "de-DE";
    if (argc == 5) {
        language.clear();
        for (const wchar_t* c = argv[4]; *c; ++c) language += static_cast<char>(*c);
    }
    try {
        return Run(argv[1], argv[2], argv[3], language);
    } catch (const Failure& failure) {
        std::fwprintf(stderr, L"IdealExtractor: %ls\n", failure.Text.c_str());
        return 1;
    }
}
