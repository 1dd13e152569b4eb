// The install record's text format. Nothing here touches Windows, so the format is tested natively.
#include "engine/InstallRecord.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "services/VQError.h"
#include "texts/Utf8.h"

namespace {
constexpr char kMagic[] = "VQInstallRecord";

// --- UTF-8 back to wide strings. Strict: an overlong form, a surrogate or a cut sequence is damage, not a character.
std::wstring FromUtf8(const std::string& bytes, int line) {
    std::wstring out;
    const auto fail = [&] { return EVQError(L"line " + std::to_wstring(line) + L" is no valid UTF-8"); };
    for (size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        int length = 0;
        std::uint32_t cp = 0;
        if (b < 0x80) { cp = b; length = 1; }
        else if ((b & 0xE0) == 0xC0) { cp = b & 0x1F; length = 2; }
        else if ((b & 0xF0) == 0xE0) { cp = b & 0x0F; length = 3; }
        else if ((b & 0xF8) == 0xF0) { cp = b & 0x07; length = 4; }
        else throw fail();
        if (i + static_cast<size_t>(length) > bytes.size()) throw fail();
        for (int k = 1; k < length; ++k) {
            const auto c = static_cast<unsigned char>(bytes[i + static_cast<size_t>(k)]);
            if ((c & 0xC0) != 0x80) throw fail();
            cp = (cp << 6) | (c & 0x3F);
        }
        static constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kSmallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) throw fail();
        if (sizeof(wchar_t) == 2 && cp >= 0x10000) {
            out += static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<wchar_t>(cp);
        }
        i += static_cast<size_t>(length);
    }
    return out;
}

wchar_t FoldAscii(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

// --- writing
class Writer {
public:
    void Line(std::initializer_list<std::wstring> fields) {
        std::string line;
        bool first = true;
        for (const std::wstring& field : fields) {
            if (field.find_first_of(L"\t\r\n") != std::wstring::npos)
                throw EVQError(L"The install record cannot hold \"" + field + L"\": it contains a TAB or a line break");
            if (!first) line += '\t';
            line += EncodeUtf8(field);
            first = false;
        }
        text_ += line + "\r\n";
        ++lines_;
    }
    std::string Finish() {
        char end[64];
        std::snprintf(end, sizeof end, "end\t%d\t%08x\r\n", lines_, static_cast<unsigned>(Crc32(text_)));
        return text_ + end;
    }

private:
    std::string text_;
    int lines_ = 0;
};

// --- reading
EVQError Damaged(int line, const std::wstring& what) {
    return EVQError(L"line " + std::to_wstring(line) + L": " + what);
}

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

bool IsDecimal(const std::string& text, size_t maxDigits) {
    return !text.empty() && text.size() <= maxDigits &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The only paths the setup writes: X:\... or \\server\share\...
bool IsFullPath(const std::wstring& path) {
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\' &&
        ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')))
        return true;
    return path.size() > 4 && path.compare(0, 2, L"\\\\") == 0 && path.find(L'\\', 3) != std::wstring::npos;
}
}  // namespace

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return FoldAscii(x) == FoldAscii(y); });
}

std::uint32_t Crc32(const std::string& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= static_cast<unsigned char>(c);
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void InstallRecord::AddFolder(const std::wstring& path) {
    if (!HasFolder(path)) Folders.push_back(path);
}

void InstallRecord::AddFile(const std::wstring& path, std::int64_t size) {
    for (RecordedFile& file : Files)
        if (SamePath(file.Path, path)) {
            file = {path, size};
            return;
        }
    Files.push_back({path, size});
}

void InstallRecord::ForgetFile(const std::wstring& path) {
    Files.erase(std::remove_if(Files.begin(), Files.end(), [&](const RecordedFile& f) { return SamePath(f.Path, path); }),
                Files.end());
}

void InstallRecord::AddLink(const std::wstring& path) {
    if (std::none_of(Links.begin(), Links.end(), [&](const std::wstring& l) { return SamePath(l, path); }))
        Links.push_back(path);
}

void InstallRecord::AddFileType(const RecordedFileType& type) {
    for (RecordedFileType& known : FileTypes)
        if (SamePath(known.Extension, type.Extension)) {
            known = type;
            return;
        }
    FileTypes.push_back(type);
}

void InstallRecord::AddCreatedKey(const CreatedKey& key) {
    if (std::none_of(CreatedKeys.begin(), CreatedKeys.end(),
                     [&](const CreatedKey& k) { return k.Root == key.Root && SamePath(k.Path, key.Path); }))
        CreatedKeys.push_back(key);
}

const RecordedFile* InstallRecord::FindFile(const std::wstring& path) const {
    for (const RecordedFile& file : Files)
        if (SamePath(file.Path, path)) return &file;
    return nullptr;
}

bool InstallRecord::HasFolder(const std::wstring& path) const {
    return std::any_of(Folders.begin(), Folders.end(), [&](const std::wstring& f) { return SamePath(f, path); });
}

std::string FormatInstallRecord(const InstallRecord& r) {
    Writer w;
    w.Line({L"VQInstallRecord", std::to_wstring(kInstallRecordVersion)});
    w.Line({L"archive", r.Archive});
    w.Line({L"language", r.Language});
    w.Line({L"removable", r.Removable ? L"Y" : L"N"});
    w.Line({L"programfolder", r.ProgramFolder});
    w.Line({L"binfolder", r.BinFolder});
    w.Line({L"uninstallfolder", r.UninstallFolder});
    w.Line({L"datafolder", r.DataFolder});
    w.Line({L"uninstaller", r.Uninstaller});
    for (const std::wstring& folder : r.Folders) w.Line({L"folder", folder});
    for (const RecordedFile& file : r.Files) w.Line({L"file", std::to_wstring(file.Size), file.Path});
    for (const std::wstring& link : r.Links) w.Line({L"link", link});
    if (!r.IniFile.empty()) w.Line({L"ini", r.IniFile});
    for (const RecordedFileType& t : r.FileTypes) w.Line({L"filetype", t.Extension, t.TypeName, t.OpenCommand});
    for (const CreatedKey& k : r.CreatedKeys) w.Line({L"key", k.Root, k.Path});
    if (r.Settings) w.Line({L"settings", r.Settings->Key, r.Settings->Value});
    if (r.UninstallEntry) w.Line({L"uninstallentry", r.UninstallEntry->Key, r.UninstallEntry->Value});
    return w.Finish();
}

InstallRecord ParseInstallRecord(const std::string& bytes) {
    // The end line first: without it nothing else can be trusted, and a record cut anywhere lacks it.
    if (bytes.size() < 2 || bytes.compare(bytes.size() - 2, 2, "\r\n") != 0)
        throw EVQError(L"the record does not end with a complete line (cut short?)");
    const size_t endStart = bytes.rfind("\r\n", bytes.size() - 3);
    const std::string body = endStart == std::string::npos ? std::string() : bytes.substr(0, endStart + 2);
    const std::vector<std::string> end = SplitFields(bytes.substr(body.size(), bytes.size() - body.size() - 2));
    if (end.size() != 3 || end[0] != "end" || !IsDecimal(end[1], 9) || end[2].size() != 8)
        throw EVQError(L"the record has no end line (cut short?)");
    const bool hex = std::all_of(end[2].begin(), end[2].end(),
                                 [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
    if (!hex || std::stoul(end[2], nullptr, 16) != Crc32(body))
        throw EVQError(L"the record's checksum does not match its contents (changed or damaged)");

    InstallRecord record;
    // In the order the format lists them, which is the order a missing one is named in.
    const std::vector<std::pair<std::string, std::wstring*>> header = {
        {"archive", &record.Archive},
        {"language", &record.Language},
        {"programfolder", &record.ProgramFolder},
        {"binfolder", &record.BinFolder},
        {"uninstallfolder", &record.UninstallFolder},
        {"datafolder", &record.DataFolder},
        {"uninstaller", &record.Uninstaller},
    };
    const auto headerField = [&](const std::string& kind) -> std::wstring* {
        for (const auto& [name, field] : header)
            if (name == kind) return field;
        return nullptr;
    };
    std::map<std::string, int> seen;
    int lineNumber = 0;
    bool removableSeen = false;
    for (size_t at = 0; at < body.size();) {
        const size_t lineEnd = body.find("\r\n", at);
        const std::string raw = body.substr(at, lineEnd - at);
        at = lineEnd + 2;
        ++lineNumber;
        if (raw.find_first_of("\r\n") != std::string::npos) throw Damaged(lineNumber, L"holds a lone line break");
        std::vector<std::string> utf8 = SplitFields(raw);
        std::vector<std::wstring> f;
        for (const std::string& field : utf8) f.push_back(FromUtf8(field, lineNumber));
        const std::string& kind = utf8[0];
        const auto expect = [&](size_t count) {
            if (f.size() != count) throw Damaged(lineNumber, L"\"" + f[0] + L"\" needs " + std::to_wstring(count - 1) + L" fields");
        };
        const auto path = [&](size_t i, bool folder) {
            if (!IsFullPath(f[i]) || (folder != (f[i].back() == L'\\')))
                throw Damaged(lineNumber, L"\"" + f[i] + L"\" is no full " + (folder ? L"folder" : L"file") + L" path");
            return f[i];
        };
        if (lineNumber == 1) {
            if (kind != kMagic || f.size() != 2 || !IsDecimal(utf8[1], 6)) throw Damaged(1, L"is no install record");
            if (std::stoi(utf8[1]) > kInstallRecordVersion)
                throw Damaged(1, L"the record is of version " + f[1] + L", written by a newer setup");
            if (std::stoi(utf8[1]) != kInstallRecordVersion) throw Damaged(1, L"unknown record version " + f[1]);
            continue;
        }
        if (std::wstring* field = headerField(kind)) {
            expect(2);
            if (seen[kind]++) throw Damaged(lineNumber, L"\"" + f[0] + L"\" is given twice");
            *field = kind == "archive" || kind == "language" ? f[1] : path(1, kind != "uninstaller");
        } else if (kind == "removable") {
            expect(2);
            if (removableSeen || (f[1] != L"Y" && f[1] != L"N")) throw Damaged(lineNumber, L"\"removable\" must be Y or N, once");
            removableSeen = true;
            record.Removable = f[1] == L"Y";
        } else if (kind == "folder") {
            expect(2);
            record.AddFolder(path(1, true));
        } else if (kind == "file") {
            expect(3);
            if (!IsDecimal(utf8[1], 18)) throw Damaged(lineNumber, L"the size \"" + f[1] + L"\" is no number of bytes");
            record.AddFile(path(2, false), std::stoll(utf8[1]));
        } else if (kind == "link") {
            expect(2);
            record.AddLink(path(1, false));
        } else if (kind == "ini") {
            expect(2);
            record.IniFile = path(1, false);
        } else if (kind == "filetype") {
            expect(4);
            if (f[1].size() < 2 || f[1][0] != L'.' || f[2].empty() || f[3].empty())
                throw Damaged(lineNumber, L"is no file type");
            record.AddFileType({f[1], f[2], f[3]});
        } else if (kind == "key") {
            expect(3);
            if ((f[1] != L"HKCU" && f[1] != L"HKLM") || f[2].empty()) throw Damaged(lineNumber, L"is no registry key");
            record.AddCreatedKey({f[1], f[2]});
        } else if (kind == "settings" || kind == "uninstallentry") {
            expect(3);
            if (f[1].empty() || f[2].empty()) throw Damaged(lineNumber, L"names no key and value");
            (kind == "settings" ? record.Settings : record.UninstallEntry) = RecordedKey{f[1], f[2]};
        } else {
            throw Damaged(lineNumber, L"unknown item \"" + f[0] + L"\"");
        }
    }
    if (std::to_string(lineNumber) != end[1])
        throw EVQError(L"the record has " + std::to_wstring(lineNumber) + L" lines, its end line says " +
                       std::wstring(end[1].begin(), end[1].end()));
    if (lineNumber == 0) throw EVQError(L"the record is empty");
    for (const auto& [kind, field] : header)
        if (!seen[kind]) throw EVQError(L"the record lacks its \"" + std::wstring(kind.begin(), kind.end()) + L"\" line");
    if (!removableSeen) throw EVQError(L"the record lacks its \"removable\" line");
    return record;
}
