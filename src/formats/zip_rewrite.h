#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tildo {

// A member's new contents, by its index in the central directory.
using TZipReplacement = std::pair<int, std::string>;

// The archive rewritten record by record: every member not replaced keeps its
// local record byte for byte (header, data, descriptor), in the same order; a
// replaced member keeps its name, extra field, time and method, stored or
// deflated anew. None for archives this writer does not take on (ZIP64, split
// archives, encrypted or inconsistent records, methods other than stored and
// deflated): the caller then lets libzip write the archive.
std::optional<std::string> RewriteZip(
    std::string_view bytes, const std::vector<TZipReplacement>& replacements);

// The contents of the member at a central directory index, inflated by
// libdeflate and checked against its CRC; none when this reader does not
// take the archive on or the member is larger than limit, and empty-handed
// callers then read through libzip. Throws nothing.
std::optional<std::string> ReadZipMember(std::string_view bytes, int index, std::size_t limit);

} // namespace tildo
