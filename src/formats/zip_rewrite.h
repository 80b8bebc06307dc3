#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tildo {

// A member's new contents, by its index in the central directory.
using TZipReplacement = std::pair<int, std::string_view>;

// Where one member's records lie.
struct TZipEntry
{
    std::size_t Central = 0; // its central directory record
    std::size_t CentralLength = 0;
    std::size_t Local = 0; // its local record
    std::size_t LocalEnd = 0; // the next record
};

// The central directory read once, for the reader and the writer below.
struct TZipDirectory
{
    std::size_t End = 0; // the end of central directory record
    std::vector<TZipEntry> Entries;
};

// The directory of an archive this reader and writer take on; none for ZIP64,
// split archives, encrypted or inconsistent records and methods other than
// stored and deflated (libzip then does the work). Linear in the members.
std::optional<TZipDirectory> ReadZipDirectory(std::string_view bytes);

// The archive rewritten record by record: every member not replaced keeps its
// local record byte for byte (header, data, descriptor), in the same order; a
// replaced member keeps its name, extra field, time and method, stored or
// deflated anew. None when it cannot be done here.
std::optional<std::string> RewriteZip(
    std::string_view bytes, const TZipDirectory& directory, const std::vector<TZipReplacement>& replacements);

// A member's new contents packed as the member was (stored or deflated), to
// be put into the archive by AssembleZip: the contents themselves may go
// before the archive is put together.
struct TZipPacked
{
    int Index = -1;
    std::uint32_t Crc = 0;
    std::uint32_t Size = 0; // unpacked
    std::unique_ptr<char[]> Buffer; // room for the worst case, touched only as far as Length
    std::size_t Length = 0;
    std::string_view Bytes() const { return { Buffer.get(), Length }; }
};

// The member at a central directory index with new contents, packed; none
// when it cannot be done here.
std::optional<TZipPacked> PackZipMember(
    std::string_view bytes, const TZipDirectory& directory, int index, std::string_view data);

// RewriteZip with the replaced members packed already.
std::optional<std::string> AssembleZip(
    std::string_view bytes, const TZipDirectory& directory, const std::vector<TZipPacked>& packed);

// The contents of the member at a central directory index, inflated by
// libdeflate and checked against its CRC; none when this reader does not
// take the member on or it is larger than limit, and empty-handed callers
// then read through libzip. Throws nothing.
std::optional<std::string> ReadZipMember(
    std::string_view bytes, const TZipDirectory& directory, int index, std::size_t limit);

} // namespace tildo
