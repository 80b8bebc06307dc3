#include "program_directory.h"

#include "platform/file_io.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace tildo {

std::string ProgramDirectory()
{
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            throw EFileError("/proc/self/exe", SystemErrorText(errno));
        if (static_cast<std::size_t>(n) < buffer.size()) {
            const std::string path(buffer.data(), static_cast<std::size_t>(n));
            const auto slash = path.rfind('/');
            if (slash == std::string::npos)
                return ".";
            return slash == 0 ? std::string("/") : path.substr(0, slash);
        }
        buffer.resize(buffer.size() * 2);
    }
}

void SetWorkingDirectory(const std::string& directory)
{
    if (::chdir(directory.c_str()) != 0)
        throw EFileError(directory, SystemErrorText(errno));
}

} // namespace tildo
