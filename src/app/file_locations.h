#pragma once

#include <string>
#include <vector>

namespace tildo {

// The environment variables that decide where an installed program keeps its
// files; unset variables are empty.
struct TEnvironment
{
    std::string Home;
    std::string XdgConfigHome;
    std::string XdgStateHome;
    std::string XdgDataDirs;
};

// The process's own environment.
TEnvironment CurrentEnvironment();

// Where the window and tildo-cli find their shipped data and keep the user's
// settings and logs. A tildo.ini beside the executable makes a portable copy:
// everything stays in the program's directory. Otherwise the program is an
// installed one and follows the XDG base directories, since the program's
// directory (/usr/bin) is not the user's to write.
struct TFileLocations
{
    bool Portable = true;
    std::string ProgramDirectory;
    // Searched in order for tildo.dat, combi.dat, morphs.dat and tildo.html.
    std::vector<std::string> DataDirectories;
    std::string SettingsPath;
    // combi.log, insert.log and the statistics log.
    std::string StateDirectory;

    // The first data directory holding name; the first candidate when none does
    // (so that a missing file is reported under a sensible path).
    std::string FindDataFile(const std::string& name) const;
    // A path as the settings store it: empty stays empty, a bare file name is
    // looked up in the data directories, anything else is kept.
    std::string CompleteDataPath(const std::string& value) const;
    // The reverse, for an installed program: a path that the lookup of its bare
    // name finds is stored as that name, so the settings survive the program
    // moving to another prefix (a package replacing a local install). A
    // portable copy stores paths as they are.
    std::string StoredDataPath(const std::string& path) const;
};

// The locations for an executable in programDirectory.
TFileLocations LocateFiles(const std::string& programDirectory, const TEnvironment& environment);
// Everything in one directory, as in a portable copy (tests, scratch runs).
TFileLocations PortableLocations(const std::string& directory);
// The locations of the running executable; throws EFileError when the system
// does not tell where it is.
TFileLocations LocateProgramFiles();

// Creates directory and its missing parents; throws EFileError.
void MakeDirectories(const std::string& directory);

} // namespace tildo
