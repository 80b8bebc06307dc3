#pragma once

#include "formats/zip_rewrite.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

typedef struct zip zip_t;

namespace tildo {

// How a member is stored.
struct TZipMemberInfo
{
    std::string Name;
    unsigned long long Size = 0;
    unsigned long long CompressedSize = 0;
    unsigned Crc = 0;
    int Method = 0; // 0 stored, 8 deflated, ...
    bool operator==(const TZipMemberInfo&) const = default;
};

// A zip archive held in memory, read through libzip. Members are addressed by
// index in the archive's own order. Failures throw EDocumentError.
class TZipArchive
{
public:
    // The bytes must outlive the archive. An archive whose members would
    // unpack to more than maxUnpacked bytes in all, or that holds two members
    // of one name (readers disagree on which counts), is refused.
    explicit TZipArchive(std::string_view bytes, unsigned long long maxUnpacked = DefaultMaxUnpacked);
    ~TZipArchive();
    TZipArchive(const TZipArchive&) = delete;
    TZipArchive& operator=(const TZipArchive&) = delete;

    // Index of the member with that exact name; -1 when there is none.
    int Find(const std::string& name) const;
    int Count() const;
    std::string Name(int index) const;
    // The uncompressed bytes of a member. A member larger than the limit, or
    // one whose data is damaged, throws.
    std::string Read(int index) const;
    TZipMemberInfo Info(int index) const;

    // The archive again with the given members' contents replaced: every other
    // member is copied as it is stored (same order, same compressed bytes), and
    // a replaced one keeps its compression method and time.
    std::string WithReplaced(const std::vector<std::pair<int, std::string_view>>& members) const;

    // The same in two steps, for a caller that lets a member's contents go
    // once they are packed: whether this archive is rewritten that way (else
    // WithReplaced), each member packed, then the archive put together.
    bool CanPack() const { return m_directory.has_value(); }
    TZipPacked Pack(int index, std::string_view data) const;
    std::string WithPacked(const std::vector<TZipPacked>& members) const;

    static constexpr std::size_t MemberLimit = std::size_t(1) << 30;
    static constexpr unsigned long long DefaultMaxUnpacked = 1ull << 30;

private:
    std::string_view m_bytes;
    zip_t* m_zip = nullptr;
    // The central directory as this program reads it itself; none when libzip
    // does all the work.
    std::optional<TZipDirectory> m_directory;
};

// Whether bytes begin like a zip archive.
bool LooksLikeZip(std::string_view bytes);

} // namespace tildo
