#pragma once

// Helpers shared by the fuzz targets: a user interface that answers nothing and
// a scratch file for loaders that read from a path.
#include "platform/null_user_interface.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace tildo::fuzz {

using TNullUi = TNullUserInterface;

class TScratchFile {
public:
    TScratchFile(const std::uint8_t* data, std::size_t size)
    {
        char name[] = "/tmp/tildo-fuzz-XXXXXX";
        const int fd = ::mkstemp(name);
        if (fd < 0)
            return;
        m_path = name;
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::write(fd, data + done, size - done);
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        ::close(fd);
    }
    ~TScratchFile()
    {
        if (!m_path.empty())
            ::unlink(m_path.c_str());
    }
    TScratchFile(const TScratchFile&) = delete;
    TScratchFile& operator=(const TScratchFile&) = delete;
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

} // namespace tildo::fuzz
