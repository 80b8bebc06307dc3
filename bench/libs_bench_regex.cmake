# PCRE2 only as the speed baseline measured in the same run.
find_package(PkgConfig REQUIRED)
pkg_check_modules(PCRE2 REQUIRED IMPORTED_TARGET libpcre2-8)
target_link_libraries(${name} PRIVATE tildo_regex PkgConfig::PCRE2)
