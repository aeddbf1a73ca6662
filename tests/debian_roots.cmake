# The Wayland cases on the desktops of newer Debian releases (the roots
# workflow), each in a root of its own that tools/debian-root makes once
# per machine and enters. A fixture builds the program and the cases there,
# with that release's compiler; then the cases run there, one compositor a
# test. A root that cannot be made fails its tests, saying why. Nothing is
# built on this machine for them.
set(ZW_DEBIAN_ROOTS "" CACHE STRING "Debian suites on whose desktops the Wayland cases run (needs root)")
foreach(suite IN LISTS ZW_DEBIAN_ROOTS)
  set(root_command ${CMAKE_SOURCE_DIR}/tools/debian-root run ${suite} ${CMAKE_BINARY_DIR}/debian-roots/${suite})
  # As the package is built, which is what users run and builds quicker
  # than with debug information. NOTE: without warnings as errors: the
  # roots test desktops, and a warning that a newer compiler adds must not
  # hide what they show; the ci and asan builds hold the code to its
  # warnings. One job each, as the roots build side by side.
  add_test(NAME debian_root_${suite} COMMAND ${root_command} sh -c
    "cmake -S /src -B /build -DCMAKE_BUILD_TYPE=Release -DCMAKE_COMPILE_WARNING_AS_ERROR=OFF && \
     cmake --build /build --parallel 1 --target zwinkerle zw_wayland_face_tests")
  # It may wait minutes for its root to be made; it comes first, as the
  # rest wait for it.
  set_tests_properties(debian_root_${suite} PROPERTIES FIXTURES_SETUP debian_root_${suite}
    LABELS "debian_root" TIMEOUT 1500 COST 1000)
  foreach(compositor Sway KWin Gnome)
    add_test(NAME wayland_face_${compositor}_in_${suite}
             COMMAND ${root_command} /build/tests/zw_wayland_face_tests --gtest_filter=*/${compositor})
    set_tests_properties(wayland_face_${compositor}_in_${suite} PROPERTIES FIXTURES_REQUIRED debian_root_${suite}
      LABELS "debian_root;compositor" TIMEOUT 300)
  endforeach()
endforeach()
