# Release builds (Release, RelWithDebInfo) carry the hardening a distribution
# gives its packages: checked buffer functions, checked standard containers,
# stack guards, position-independent code and a read-only relocation table
# bound at start. Debug, sanitizer and fuzz builds go without: the sanitizers
# do that checking better and _FORTIFY_SOURCE gets in their way.
option(QUILL_HARDEN "Harden Release and RelWithDebInfo builds" ON)

set(QUILL_HARDENED OFF)
if(QUILL_HARDEN AND NOT QUILL_SANITIZE AND NOT QUILL_FUZZ AND CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo)$")
    set(QUILL_HARDENED ON)
endif()

if(QUILL_HARDENED)
    include(CheckPIESupported)
    check_pie_supported(LANGUAGES CXX)
    set(CMAKE_POSITION_INDEPENDENT_CODE ON)
    # A toolchain may define its own _FORTIFY_SOURCE level: take it away first,
    # or -Werror turns the redefinition into a failed build.
    add_compile_options(-U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=3 -fstack-protector-strong -fstack-clash-protection)
    add_compile_definitions(_GLIBCXX_ASSERTIONS)
    add_link_options(LINKER:-z,relro,-z,now,-z,noexecstack)
endif()
