# Installing and the Debian package.
#
# <prefix>/lib/quillarbor/   the program folder, laid out as in the build tree
# <prefix>/bin/quillarbor    a relative link to its executable
# <prefix>/share/...         desktop entry, hicolor icons, AppStream metainfo
# <prefix>/include/quillarbor/quillarbor_plugin.h   for plug-in authors
#
# The program finds its folder from /proc/self/exe, so starting it through the
# link still reads the side files beside the real executable.

set(QUILL_APP_ID org.example.quillarbor.Quillarbor)

file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install_links)
file(CREATE_LINK ../lib/quillarbor/quillarbor ${CMAKE_BINARY_DIR}/install_links/quillarbor SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/install_links/quillarbor DESTINATION bin)

install(CODE "
    set(QUILL_DESKTOP_TEMPLATE \"${PROJECT_SOURCE_DIR}/share/applications/${QUILL_APP_ID}.desktop.in\")
    set(QUILL_DESKTOP_STAGING \"${CMAKE_BINARY_DIR}/install_staging/${QUILL_APP_ID}.desktop\")
    include(\"${PROJECT_SOURCE_DIR}/cmake/install_desktop_entry.cmake\")
")
# The homepage and the screenshot on it only when this build has a site.
set(QUILL_METAINFO_SITE "")
if(QUILL_SITE_URL)
    string(CONCAT QUILL_METAINFO_SITE
        "  <url type=\"homepage\">${QUILL_SITE_URL}</url>\n"
        "  <screenshots>\n"
        "    <screenshot type=\"default\">\n"
        "      <caption>The main window with the daily planner</caption>\n"
        "      <caption xml:lang=\"ru\">Главное окно с планировщиком дня</caption>\n"
        "      <image>${QUILL_SITE_URL}docs/screenshot.png</image>\n"
        "    </screenshot>\n"
        "  </screenshots>\n")
endif()
configure_file(share/metainfo/${QUILL_APP_ID}.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/install_staging/${QUILL_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/install_staging/${QUILL_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(DIRECTORY share/icons/hicolor DESTINATION share/icons)

# cpack -G DEB in the build folder: quillarbor_<version>_amd64.deb.
set(CPACK_PACKAGE_NAME quillarbor)
set(CPACK_PACKAGE_VENDOR Quillarbor)
if(QUILL_SUPPORT_MAILBOX)
    set(CPACK_PACKAGE_CONTACT "Quillarbor support <${QUILL_SUPPORT_MAILBOX}>")
else()
    set(CPACK_PACKAGE_CONTACT "Quillarbor developers")
endif()
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "personal organiser with a Russian interface")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillarbor gathers in one window an address book with a search and birthday\n"
    "reminders, dated reminders, scheduled launches of programs, a daily planner\n"
    "with a calendar, notes, a lockable diary, a password bank, e-mail sending,\n"
    "web links with a built-in browser, plug-ins, colour schemes, a slide show,\n"
    "kettle and countdown timers and sketches. It runs all day from the tray.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
if(QUILL_SITE_URL)
    set(CPACK_PACKAGE_HOMEPAGE_URL ${QUILL_SITE_URL})
endif()
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# Install with the final prefix under DESTDIR, so the desktop entry written at
# install time names /usr/bin/quillarbor and not the staging folder.
set(CPACK_SET_DESTDIR ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the program loads at run time rather than links: the SQLite driver,
# libcurl for mail and downloads, libzip for backups, libgsf for ideas, libcanberra and ALSA for the
# signal sound, libsodium for the bank and the diary, libsecret that QtKeychain loads to reach the
# Secret Service, Qt's Russian dialog texts.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6sql6-sqlite, libcurl4, libzip4, libgsf-1-114, libcanberra0, libasound2, libsodium23, libsecret-1-0, qt6-translations-l10n")
# The Secret Service itself: without one the mail password is sealed under a key file.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hicolor-icon-theme, desktop-file-utils, gnome-keyring | kwalletmanager")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
