#pragma once

// Helpers shared by the fuzz targets: a user interface that answers nothing and
// a scratch file for loaders that read from a path.
#include "platform/user_interface.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace tildo::fuzz {

class TNullUi : public UserInterface {
public:
    void ErrorBox(const std::string&) override { }
    bool QuestionYesNo(const std::string&) override { return false; }
    TDialogAnswer QuestionYesNoCancel(const std::string&) override { return TDialogAnswer::Cancel; }
    bool QuestionOkCancel(const std::string&) override { return false; }
    void SetCaption(const std::string&) override { }
    std::string StatusText() const override { return m_status; }
    void SetStatusText(const std::string& text) override { m_status = text; }
    void SetBusyCursor(bool) override { }
    bool IsEscPressed() override { return false; }
    void SetCommandEnabled(std::string_view, bool) override { }
    bool IsCommandEnabled(std::string_view) const override { return true; }
    void SetCommandChecked(std::string_view, bool) override { }
    bool IsCommandChecked(std::string_view) const override { return false; }

private:
    std::string m_status;
};

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
