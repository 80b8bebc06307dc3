#include "file_locations.h"

#include "app/program_directory.h"
#include "platform/file_io.h"

#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace tildo {

namespace {

std::string Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

// The XDG rules: a relative path in one of these variables is invalid and
// ignored, as if the variable were unset.
bool IsAbsolute(std::string_view path)
{
    return !path.empty() && path.front() == '/';
}

std::string Lexical(const std::string& path)
{
    std::string normal = std::filesystem::path(path).lexically_normal().string();
    while (normal.size() > 1 && normal.back() == '/')
        normal.pop_back();
    return normal;
}

// $name, else $HOME/fallback; empty when neither gives an absolute path.
std::string UserDirectory(const std::string& value, const std::string& home, const char* fallback)
{
    if (IsAbsolute(value))
        return Lexical(value);
    if (IsAbsolute(home))
        return Lexical(home + "/" + fallback);
    return {};
}

void AddUnique(std::vector<std::string>& list, const std::string& directory)
{
    for (const std::string& present : list) {
        if (present == directory)
            return;
    }
    list.push_back(directory);
}

std::vector<std::string> DataDirectoriesOf(
    const std::string& programDirectory, const std::string& xdgDataDirs)
{
    std::vector<std::string> dirs;
    AddUnique(dirs, programDirectory);
    AddUnique(dirs, Lexical(programDirectory + "/../share/tildo"));
    const std::string list = xdgDataDirs.empty() ? std::string("/usr/local/share:/usr/share") : xdgDataDirs;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t colon = list.find(':', start);
        if (colon == std::string::npos)
            colon = list.size();
        const std::string entry = list.substr(start, colon - start);
        if (IsAbsolute(entry))
            AddUnique(dirs, Lexical(entry + "/tildo"));
        start = colon + 1;
    }
    return dirs;
}

} // namespace

TEnvironment CurrentEnvironment()
{
    return TEnvironment { Variable("HOME"), Variable("XDG_CONFIG_HOME"), Variable("XDG_STATE_HOME"),
        Variable("XDG_DATA_DIRS") };
}

std::string TFileLocations::FindDataFile(const std::string& name) const
{
    for (const std::string& dir : DataDirectories) {
        const std::string path = dir + "/" + name;
        if (FileExists(path))
            return path;
    }
    return (DataDirectories.empty() ? ProgramDirectory : DataDirectories.front()) + "/" + name;
}

std::string TFileLocations::CompleteDataPath(const std::string& value) const
{
    if (value.empty() || value.find('/') != std::string::npos)
        return value;
    return FindDataFile(value);
}

std::string TFileLocations::StoredDataPath(const std::string& path) const
{
    const auto slash = path.rfind('/');
    if (Portable || slash == std::string::npos)
        return path;
    const std::string name = path.substr(slash + 1);
    return !name.empty() && FindDataFile(name) == path ? name : path;
}

TFileLocations LocateFiles(const std::string& executableDirectory, const TEnvironment& environment)
{
    const std::string programDirectory = Lexical(executableDirectory);
    TFileLocations files = PortableLocations(programDirectory);
    files.DataDirectories = DataDirectoriesOf(programDirectory, environment.XdgDataDirs);
    if (FileExists(programDirectory + "/tildo.ini"))
        return files;
    const std::string config = UserDirectory(environment.XdgConfigHome, environment.Home, ".config");
    const std::string state = UserDirectory(environment.XdgStateHome, environment.Home, ".local/state");
    // Without a home to write to, the program's directory is the only place left.
    if (config.empty() || state.empty())
        return files;
    files.Portable = false;
    files.SettingsPath = config + "/tildo/tildo.ini";
    files.StateDirectory = state + "/tildo";
    return files;
}

TFileLocations PortableLocations(const std::string& directory)
{
    TFileLocations files;
    files.Portable = true;
    files.ProgramDirectory = directory;
    files.DataDirectories = { directory };
    files.SettingsPath = directory + "/tildo.ini";
    files.StateDirectory = directory;
    return files;
}

TFileLocations LocateProgramFiles()
{
    return LocateFiles(ProgramDirectory(), CurrentEnvironment());
}

void MakeDirectories(const std::string& directory)
{
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error)
        throw EFileError(directory, error.message());
}

} // namespace tildo
