#pragma once
// Writes archive bytes by hand, field by field, so a test can build exactly the damage it means.
#include <cstdint>
#include <string>

class ArchiveBytes {
public:
    ArchiveBytes& Int(std::int32_t v) {
        const auto u = static_cast<std::uint32_t>(v);
        for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<char>(u >> (8 * i)));
        return *this;
    }
    ArchiveBytes& Str(const std::string& s) { return Int(static_cast<std::int32_t>(s.size())).Raw(s); }
    ArchiveBytes& Raw(const std::string& s) { bytes_ += s; return *this; }
    ArchiveBytes& Header(const std::string& version, std::int32_t count, std::int32_t format = 1) {
        return Int(format).Str(version).Int(count);
    }
    // A record with its data; flags are written raw.
    ArchiveBytes& Entry(const std::string& data, const std::string& name, const std::string& group = "",
                        const std::string& root = "USER", const std::string& folder = "", std::int32_t overwrite = 0,
                        std::int32_t compressed = 0) {
        return Int(static_cast<std::int32_t>(data.size())).Str(name).Str(group).Str(root).Str(folder)
            .Int(overwrite).Int(compressed).Int(0).Raw(data);
    }
    ArchiveBytes& DeleteEntry(std::int32_t size, const std::string& name) {
        return Int(size).Str(name).Str("").Str("USER").Str("").Int(0).Int(0).Int(1);
    }
    const std::string& Bytes() const { return bytes_; }
    std::size_t Size() const { return bytes_.size(); }

private:
    std::string bytes_;
};
