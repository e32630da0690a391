# The Debian package, made by `cpack -G DEB` in the build folder
# (scripts/package): build/zeravudez_<version>_amd64.deb. Its Depends come from
# dpkg-shlibdeps on the installed program.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zeravudez)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Zeravudez developers")
set(CPACK_PACKAGE_CONTACT "Zeravudez developers <dev@zeravudez.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "SEO monitor: search ranks, overview figures and keyword popularity")
# The long description; dpkg's synopsis line is the summary above.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Zeravudez records once a day where each registered web site ranks for each of
its keywords among the search engine's first results, six overview figures of
each site and each keyword's popularity index, in one local SQLite file. It
shows them in a keyword table, a history table, line charts and rank curves.
.
A daily check runs without a window from a systemd user timer, and rank and
overview histories export as CSV.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# sqlite3 lets the shell completion offer the registered sites.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "sqlite3")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                                WORLD_READ WORLD_EXECUTE)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
