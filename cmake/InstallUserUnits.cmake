# Installs the systemd user units of the daily check; runs at install time,
# after app/CMakeLists.txt has set ZV_UNIT_SOURCE_DIR, ZV_UNIT_BUILD_DIR and
# ZV_INSTALL_BINDIR. CMAKE_INSTALL_PREFIX is then the prefix of this
# installation (--prefix included), so ExecStart names the installed program.
# Under a prefix inside the home folder (~/.local) the units go to
# share/systemd/user, the per-user folder the user's service manager reads;
# under any other prefix to lib/systemd/user.
if(IS_ABSOLUTE "${ZV_INSTALL_BINDIR}")
  set(CMAKE_INSTALL_FULL_BINDIR "${ZV_INSTALL_BINDIR}")
else()
  set(CMAKE_INSTALL_FULL_BINDIR "${CMAKE_INSTALL_PREFIX}/${ZV_INSTALL_BINDIR}")
endif()

set(zv_unit_dir lib/systemd/user)
set(zv_home "$ENV{HOME}")
if(zv_home AND NOT zv_home STREQUAL "/")
  string(FIND "${CMAKE_INSTALL_PREFIX}/" "${zv_home}/" zv_home_at)
  if(zv_home_at EQUAL 0)
    set(zv_unit_dir share/systemd/user)
  endif()
endif()

configure_file("${ZV_UNIT_SOURCE_DIR}/zeravudez-check.service.in" "${ZV_UNIT_BUILD_DIR}/zeravudez-check.service"
               @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${zv_unit_dir}" TYPE FILE
     FILES "${ZV_UNIT_BUILD_DIR}/zeravudez-check.service" "${ZV_UNIT_SOURCE_DIR}/zeravudez-check.timer")
