#include "formats/zip_archive.h"

#include "formats/text_map.h"
#include "formats/zip_rewrite.h"
#include "platform/file_io.h"

#include <zip.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <unordered_set>

namespace tildo {

namespace {

// libzip's own words are English and its system part follows the locale;
// the message says the same in ours.
std::string ZipReason(zip_error_t* error)
{
    const int system = zip_error_code_system(error);
    if (zip_error_system_type(error) == ZIP_ET_SYS && system != 0)
        return SystemErrorText(system);
    switch (zip_error_code_zip(error)) {
    case ZIP_ER_OK:
        return {};
    case ZIP_ER_MULTIDISK:
        return "многотомные архивы не поддерживаются";
    case ZIP_ER_CRC:
        return "не сходится контрольная сумма";
    case ZIP_ER_NOZIP:
        return "это не архив zip";
    case ZIP_ER_INCONS:
        return "архив внутренне противоречив";
    case ZIP_ER_EOF:
        return "архив обрывается раньше времени";
    case ZIP_ER_MEMORY:
        return "недостаточно памяти";
    case ZIP_ER_ZLIB:
    case ZIP_ER_COMPRESSED_DATA:
        return "сжатые данные испорчены";
    case ZIP_ER_COMPNOTSUPP:
        return "способ сжатия не поддерживается";
    case ZIP_ER_ENCRNOTSUPP:
    case ZIP_ER_NOPASSWD:
    case ZIP_ER_WRONGPASSWD:
        return "элемент зашифрован";
    case ZIP_ER_NOENT:
        return "нет такого элемента";
    default:
        return "ошибка архива (код " + std::to_string(zip_error_code_zip(error)) + ")";
    }
}

[[noreturn]] void Fail(const std::string& what, zip_error_t* error)
{
    std::string reason = what;
    if (error != nullptr) {
        const std::string why = ZipReason(error);
        if (!why.empty() && why != what)
            reason += ": " + why;
    }
    throw EDocumentError(reason);
}

struct TErrorGuard
{
    zip_error_t Error;
    TErrorGuard() { zip_error_init(&Error); }
    ~TErrorGuard() { zip_error_fini(&Error); }
};

zip_t* OpenFromBuffer(const void* data, std::size_t size, int flags, zip_source_t** keepSource)
{
    TErrorGuard guard;
    zip_source_t* source = nullptr;
    if (keepSource == nullptr) {
        source = zip_source_buffer_create(data, size, 0, &guard.Error);
    } else {
        // A buffer source that is written to frees the buffer it started from
        // whether it owns it or not, so it gets a copy of its own.
        void* copy = std::malloc(size == 0 ? 1 : size);
        if (copy == nullptr)
            throw std::bad_alloc();
        std::memcpy(copy, data, size);
        source = zip_source_buffer_create(copy, size, 1, &guard.Error);
        if (source == nullptr)
            std::free(copy);
    }
    if (source == nullptr)
        Fail("это не архив zip", &guard.Error);
    if (keepSource != nullptr)
        zip_source_keep(source);
    zip_t* zip = zip_open_from_source(source, flags, &guard.Error);
    if (zip == nullptr) {
        zip_source_free(source);
        if (keepSource != nullptr)
            zip_source_free(source);
        Fail("это не архив zip", &guard.Error);
    }
    if (keepSource != nullptr)
        *keepSource = source;
    return zip;
}

std::string SourceBytes(zip_source_t* source)
{
    if (zip_source_open(source) < 0)
        Fail("не удалось собрать архив", zip_source_error(source));
    std::string out;
    char buffer[65536];
    for (;;) {
        const zip_int64_t n = zip_source_read(source, buffer, sizeof buffer);
        if (n < 0) {
            zip_source_close(source);
            Fail("не удалось собрать архив", zip_source_error(source));
        }
        if (n == 0)
            break;
        out.append(buffer, static_cast<std::size_t>(n));
    }
    zip_source_close(source);
    return out;
}

} // namespace

bool LooksLikeZip(std::string_view bytes)
{
    return bytes.starts_with("PK\x03\x04") || bytes.starts_with("PK\x05\x06");
}

TZipArchive::TZipArchive(std::string_view bytes, unsigned long long maxUnpacked)
    : m_bytes(bytes)
{
    if (!LooksLikeZip(bytes))
        throw EDocumentError("это не архив zip");
    m_zip = OpenFromBuffer(bytes.data(), bytes.size(), ZIP_RDONLY, nullptr);
    m_directory = ReadZipDirectory(bytes);
    // Sizes as the directory gives them: reading a member never unpacks more
    // than its record promises.
    std::unordered_set<std::string> names;
    unsigned long long total = 0;
    const int count = Count();
    names.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const char* name = zip_get_name(m_zip, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
        if (name != nullptr && !names.insert(name).second) {
            const std::string message
                = "в архиве два элемента с именем " + std::string(name) + " (программы читают из них разные)";
            zip_discard(m_zip);
            throw EDocumentError(message);
        }
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(m_zip, static_cast<zip_uint64_t>(i), 0, &stat) == 0
            && (stat.valid & ZIP_STAT_SIZE) != 0)
            total += stat.size;
        if (total > maxUnpacked) {
            zip_discard(m_zip);
            throw EDocumentError("архив распаковывается больше чем в " + std::to_string(maxUnpacked)
                + " байт (предел можно поднять: --max-unpacked)");
        }
    }
}

TZipArchive::~TZipArchive()
{
    if (m_zip != nullptr)
        zip_discard(m_zip);
}

int TZipArchive::Find(const std::string& name) const
{
    const zip_int64_t index = zip_name_locate(m_zip, name.c_str(), ZIP_FL_ENC_RAW);
    return index < 0 ? -1 : static_cast<int>(index);
}

int TZipArchive::Count() const
{
    const zip_int64_t n = zip_get_num_entries(m_zip, 0);
    return n < 0 ? 0 : static_cast<int>(std::min<zip_int64_t>(n, 1 << 20));
}

std::string TZipArchive::Name(int index) const
{
    const char* name = zip_get_name(m_zip, static_cast<zip_uint64_t>(index), ZIP_FL_ENC_RAW);
    return name == nullptr ? std::string() : std::string(name);
}

std::string TZipArchive::Read(int index) const
{
    if (std::optional<std::string> direct
        = m_directory ? ReadZipMember(m_bytes, *m_directory, index, MemberLimit) : std::nullopt)
        return std::move(*direct);
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_zip, static_cast<zip_uint64_t>(index), 0, &stat) != 0
        || (stat.valid & ZIP_STAT_SIZE) == 0)
        Fail("повреждён элемент архива " + Name(index), zip_get_error(m_zip));
    if (stat.size > MemberLimit)
        throw EDocumentError("элемент архива " + Name(index) + " слишком велик");
    const std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> file(
        zip_fopen_index(m_zip, static_cast<zip_uint64_t>(index), 0), zip_fclose);
    if (file == nullptr)
        Fail("не открывается элемент архива " + Name(index), zip_get_error(m_zip));
    std::string out(static_cast<std::size_t>(stat.size), '\0');
    std::size_t done = 0;
    while (done < out.size()) {
        const zip_int64_t n = zip_fread(file.get(), out.data() + done, out.size() - done);
        if (n <= 0)
            Fail("повреждён элемент архива " + Name(index), zip_file_get_error(file.get()));
        done += static_cast<std::size_t>(n);
    }
    char extra = 0;
    if (zip_fread(file.get(), &extra, 1) != 0)
        throw EDocumentError("повреждён элемент архива " + Name(index));
    return out;
}

TZipMemberInfo TZipArchive::Info(int index) const
{
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_zip, static_cast<zip_uint64_t>(index), 0, &stat) != 0)
        Fail("повреждён элемент архива " + Name(index), zip_get_error(m_zip));
    return { Name(index), stat.size, stat.comp_size, stat.crc, stat.comp_method };
}

std::string TZipArchive::WithReplaced(const std::vector<std::pair<int, std::string_view>>& members) const
{
    if (members.empty())
        return std::string(m_bytes);
    if (std::optional<std::string> direct
        = m_directory ? RewriteZip(m_bytes, *m_directory, members) : std::nullopt)
        return std::move(*direct);
    // libzip writes the new archive into the same buffer source; the copy it
    // starts from is its own.
    zip_source_t* source = nullptr;
    zip_t* zip = OpenFromBuffer(m_bytes.data(), m_bytes.size(), 0, &source);
    const std::unique_ptr<zip_source_t, void (*)(zip_source_t*)> owned(source, zip_source_free);
    for (const auto& [index, bytes] : members) {
        const auto i = static_cast<zip_uint64_t>(index);
        zip_stat_t stat;
        zip_stat_init(&stat);
        zip_stat_index(zip, i, 0, &stat);
        TErrorGuard guard;
        zip_source_t* data = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &guard.Error);
        if (data == nullptr || zip_file_replace(zip, i, data, 0) != 0) {
            zip_source_free(data);
            zip_discard(zip);
            Fail("не удалось заменить элемент архива", nullptr);
        }
        const bool stored = (stat.valid & ZIP_STAT_COMP_METHOD) != 0 && stat.comp_method == ZIP_CM_STORE;
        zip_set_file_compression(zip, i, stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
        if ((stat.valid & ZIP_STAT_MTIME) != 0)
            zip_file_set_mtime(zip, i, stat.mtime, 0);
    }
    if (zip_close(zip) != 0) {
        zip_discard(zip);
        Fail("не удалось собрать архив", nullptr);
    }
    return SourceBytes(source);
}

TZipPacked TZipArchive::Pack(int index, std::string_view data) const
{
    std::optional<TZipPacked> packed
        = m_directory ? PackZipMember(m_bytes, *m_directory, index, data) : std::nullopt;
    if (!packed)
        Fail("не удалось упаковать элемент архива " + Name(index), nullptr);
    return std::move(*packed);
}

std::string TZipArchive::WithPacked(const std::vector<TZipPacked>& members) const
{
    std::optional<std::string> archive
        = m_directory ? AssembleZip(m_bytes, *m_directory, members) : std::nullopt;
    if (!archive)
        Fail("не удалось собрать архив", nullptr);
    return std::move(*archive);
}

} // namespace tildo
