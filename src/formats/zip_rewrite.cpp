#include "formats/zip_rewrite.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstdint>
#include <memory>

namespace tildo {

namespace {

constexpr std::uint32_t LocalSignature = 0x04034b50;
constexpr std::uint32_t CentralSignature = 0x02014b50;
constexpr std::uint32_t EndSignature = 0x06054b50;
constexpr std::size_t LocalSize = 30;
constexpr std::size_t CentralSize = 46;
constexpr std::size_t EndSize = 22;

std::uint32_t Get(std::string_view b, std::size_t at, int bytes)
{
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    return v;
}

void Put(std::string& b, std::size_t at, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i, v >>= 8)
        b[at + static_cast<std::size_t>(i)] = static_cast<char>(v & 0xFF);
}

// A local header whose extra field holds ZIP64 sizes (written by tools that
// did not know the size beforehand) gets the new sizes there too, and says so
// in its own size fields, so that no reader finds stale ones.
void UpdateZip64Sizes(std::string& local, std::uint32_t size, std::uint32_t packed)
{
    const std::size_t nameLength = Get(local, 26, 2);
    const std::size_t extraEnd = LocalSize + nameLength + Get(local, 28, 2);
    for (std::size_t at = LocalSize + nameLength; at + 4 <= extraEnd;) {
        const std::uint32_t id = Get(local, at, 2);
        const std::size_t length = Get(local, at + 2, 2);
        if (at + 4 + length > extraEnd)
            return;
        if (id == 0x0001 && length >= 16) {
            Put(local, 18, 0xFFFFFFFFu, 4);
            Put(local, 22, 0xFFFFFFFFu, 4);
            Put(local, at + 4, size, 4);
            Put(local, at + 8, 0, 4);
            Put(local, at + 12, packed, 4);
            Put(local, at + 16, 0, 4);
            return;
        }
        at += 4 + length;
    }
}

// Raw deflate at the fastest level, by libdeflate: rewriting a large document
// is dominated by compression, and this keeps it near the cost of reading.
// The buffer has room for the worst case; pages of it that are never written
// are never touched. False when it fails.
bool Deflate(TZipPacked& packed, std::string_view data)
{
    const std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)> compressor(
        libdeflate_alloc_compressor(1), libdeflate_free_compressor);
    if (compressor == nullptr)
        return false;
    const std::size_t bound = libdeflate_deflate_compress_bound(compressor.get(), data.size());
    packed.Buffer = std::make_unique_for_overwrite<char[]>(bound);
    packed.Length
        = libdeflate_deflate_compress(compressor.get(), data.data(), data.size(), packed.Buffer.get(), bound);
    return packed.Length != 0;
}

} // namespace

std::optional<TZipDirectory> ReadZipDirectory(std::string_view b)
{
    if (b.size() < EndSize || b.size() > 0xFFFFFFFFu)
        return std::nullopt;
    const std::size_t lowest = b.size() - std::min<std::size_t>(b.size(), EndSize + 0xFFFF);
    std::size_t end = std::string_view::npos;
    for (std::size_t at = b.size() - EndSize + 1; at-- > lowest;) {
        if (Get(b, at, 4) == EndSignature && at + EndSize + Get(b, at + 20, 2) == b.size()) {
            end = at;
            break;
        }
    }
    if (end == std::string_view::npos || Get(b, end + 4, 2) != 0 || Get(b, end + 6, 2) != 0)
        return std::nullopt;
    const std::size_t count = Get(b, end + 10, 2);
    const std::size_t size = Get(b, end + 12, 4);
    std::size_t at = Get(b, end + 16, 4);
    if (count == 0xFFFF || at + size != end || count != Get(b, end + 8, 2))
        return std::nullopt;
    TZipDirectory directory;
    directory.End = end;
    std::vector<TZipEntry>& entries = directory.Entries;
    entries.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (at + CentralSize > end || Get(b, at, 4) != CentralSignature)
            return std::nullopt;
        const std::size_t length = CentralSize + Get(b, at + 28, 2) + Get(b, at + 30, 2) + Get(b, at + 32, 2);
        const std::uint32_t method = Get(b, at + 10, 2);
        if (at + length > end || (Get(b, at + 8, 2) & 1) != 0 || (method != 0 && method != 8)
            || Get(b, at + 20, 4) == 0xFFFFFFFFu || Get(b, at + 24, 4) == 0xFFFFFFFFu
            || Get(b, at + 42, 4) == 0xFFFFFFFFu || Get(b, at + 34, 2) != 0)
            return std::nullopt;
        entries.push_back({ at, length, Get(b, at + 42, 4), 0 });
        at += length;
    }
    if (at != end)
        return std::nullopt;
    // Each local record runs to the next one (or to the central directory);
    // no two members share one.
    std::vector<std::size_t> starts;
    starts.reserve(entries.size());
    for (const TZipEntry& e : entries)
        starts.push_back(e.Local);
    std::sort(starts.begin(), starts.end());
    if (std::adjacent_find(starts.begin(), starts.end()) != starts.end())
        return std::nullopt;
    const std::size_t central = Get(b, end + 16, 4);
    for (TZipEntry& e : entries) {
        const auto next = std::upper_bound(starts.begin(), starts.end(), e.Local);
        e.LocalEnd = next == starts.end() ? central : *next;
        if (e.Local + LocalSize > e.LocalEnd || Get(b, e.Local, 4) != LocalSignature
            || e.Local + LocalSize + Get(b, e.Local + 26, 2) + Get(b, e.Local + 28, 2) > e.LocalEnd)
            return std::nullopt;
    }
    return directory;
}

std::optional<std::string> ReadZipMember(
    std::string_view b, const TZipDirectory& directory, int index, std::size_t limit)
{
    if (index < 0 || static_cast<std::size_t>(index) >= directory.Entries.size())
        return std::nullopt;
    const TZipEntry& e = directory.Entries[static_cast<std::size_t>(index)];
    const std::size_t data = e.Local + LocalSize + Get(b, e.Local + 26, 2) + Get(b, e.Local + 28, 2);
    const std::size_t packed = Get(b, e.Central + 20, 4);
    const std::size_t size = Get(b, e.Central + 24, 4);
    if (size > limit || data + packed > e.LocalEnd)
        return std::nullopt;
    std::string out;
    if (Get(b, e.Central + 10, 2) == 0) {
        if (packed != size)
            return std::nullopt;
        out.assign(b.substr(data, size));
    } else {
        const std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)> inflater(
            libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
        if (inflater == nullptr)
            return std::nullopt;
        // Room for a quarter more, never touched unless marks fill it: a
        // marked text member grows into it rather than being copied.
        out.reserve(size + size / 4 + 4096);
        out.resize(size);
        std::size_t got = 0;
        if (libdeflate_deflate_decompress(inflater.get(), b.data() + data, packed, out.data(), size, &got)
                != LIBDEFLATE_SUCCESS
            || got != size)
            return std::nullopt;
    }
    if (libdeflate_crc32(0, out.data(), out.size()) != Get(b, e.Central + 16, 4))
        return std::nullopt;
    return out;
}

std::optional<TZipPacked> PackZipMember(
    std::string_view b, const TZipDirectory& directory, int index, std::string_view data)
{
    if (index < 0 || static_cast<std::size_t>(index) >= directory.Entries.size()
        || data.size() >= 0xFFFFFFFFu)
        return std::nullopt;
    TZipPacked packed;
    packed.Index = index;
    packed.Crc = libdeflate_crc32(0, data.data(), data.size());
    packed.Size = static_cast<std::uint32_t>(data.size());
    if (Get(b, directory.Entries[static_cast<std::size_t>(index)].Central + 10, 2) == 8) {
        if (!Deflate(packed, data))
            return std::nullopt;
    } else {
        packed.Buffer = std::make_unique_for_overwrite<char[]>(data.size());
        std::copy(data.begin(), data.end(), packed.Buffer.get());
        packed.Length = data.size();
    }
    if (packed.Length >= 0xFFFFFFFFu)
        return std::nullopt;
    return packed;
}

std::optional<std::string> RewriteZip(
    std::string_view b, const TZipDirectory& directory, const std::vector<TZipReplacement>& replacements)
{
    std::vector<TZipPacked> packed;
    packed.reserve(replacements.size());
    for (const auto& [index, data] : replacements) {
        std::optional<TZipPacked> member = PackZipMember(b, directory, index, data);
        if (!member)
            return std::nullopt;
        packed.push_back(std::move(*member));
    }
    return AssembleZip(b, directory, packed);
}

std::optional<std::string> AssembleZip(
    std::string_view b, const TZipDirectory& zipDirectory, const std::vector<TZipPacked>& packedMembers)
{
    const std::size_t end = zipDirectory.End;
    const std::vector<TZipEntry>& entries = zipDirectory.Entries;
    std::vector<std::size_t> newLocal(entries.size());
    std::vector<const TZipPacked*> replaced(entries.size(), nullptr);
    // The exact size: each replaced member's old data gives way to its new.
    std::size_t room = b.size();
    for (const TZipPacked& member : packedMembers) {
        if (member.Index < 0 || static_cast<std::size_t>(member.Index) >= entries.size())
            return std::nullopt;
        const TZipEntry& e = entries[static_cast<std::size_t>(member.Index)];
        replaced[static_cast<std::size_t>(member.Index)] = &member;
        room += member.Length;
        room -= std::min(room, e.LocalEnd - e.Local);
        room += LocalSize + Get(b, e.Local + 26, 2) + Get(b, e.Local + 28, 2);
    }
    std::string out;
    out.reserve(room);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const TZipEntry& e = entries[i];
        newLocal[i] = out.size();
        if (replaced[i] == nullptr) {
            out.append(b.substr(e.Local, e.LocalEnd - e.Local));
            continue;
        }
        const TZipPacked& member = *replaced[i];
        const bool deflated = Get(b, e.Central + 10, 2) == 8;
        const std::size_t header = LocalSize + Get(b, e.Local + 26, 2) + Get(b, e.Local + 28, 2);
        std::string local(b.substr(e.Local, header));
        // No data descriptor any more; a deflated member says it was packed fast.
        const std::uint32_t flags = (Get(b, e.Local + 6, 2) & ~0x000Eu) | (deflated ? 0x0004u : 0u);
        const auto packedSize = static_cast<std::uint32_t>(member.Length);
        Put(local, 6, flags, 2);
        Put(local, 14, member.Crc, 4);
        Put(local, 18, packedSize, 4);
        Put(local, 22, member.Size, 4);
        UpdateZip64Sizes(local, member.Size, packedSize);
        out += local;
        out.append(member.Bytes());
    }
    if (out.size() >= 0xFFFFFFFFu)
        return std::nullopt;
    const std::size_t directory = out.size();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const TZipEntry& e = entries[i];
        std::string record(b.substr(e.Central, e.CentralLength));
        if (replaced[i] != nullptr) {
            const bool deflated = Get(b, e.Central + 10, 2) == 8;
            Put(record, 8, (Get(b, e.Central + 8, 2) & ~0x000Eu) | (deflated ? 0x0004u : 0u), 2);
            Put(record, 16, replaced[i]->Crc, 4);
            Put(record, 20, static_cast<std::uint32_t>(replaced[i]->Length), 4);
            Put(record, 24, replaced[i]->Size, 4);
        }
        Put(record, 42, static_cast<std::uint32_t>(newLocal[i]), 4);
        out += record;
    }
    std::string tail(b.substr(end));
    Put(tail, 12, static_cast<std::uint32_t>(out.size() - directory), 4);
    Put(tail, 16, static_cast<std::uint32_t>(directory), 4);
    out += tail;
    return out;
}

} // namespace tildo
