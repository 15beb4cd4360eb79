# Small helpers shared by the subprojects.

# Registers a GoogleTest program with ctest. Natively every test case becomes
# its own ctest entry (so one crash does not hide the others); in a cross build
# the program runs whole under the emulator (Wine).
function(ostrel_add_gtest target)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${target} COMMAND ${target})
  else()
    include(GoogleTest)
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 ${ARGN})
  endif()
endfunction()

# A program that runs during the build (an image renderer, a generator) is
# built without the sanitizers of a sanitized build: it is not under test, and
# its reports (LeakSanitizer on Qt's plugins, for one) would stop the build.
function(ostrel_build_time_tool target)
  if(OSTREL_SANITIZE)
    target_compile_options(${target} PRIVATE -fno-sanitize=all)
    target_link_options(${target} PRIVATE -fno-sanitize=all)
  endif()
endfunction()

# Finds GoogleTest: natively Debian's package, in the Windows leg the copy the
# leg script built with the mingw toolchain (found through CMAKE_PREFIX_PATH).
macro(ostrel_find_gtest)
  if(NOT TARGET GTest::gtest)
    find_package(GTest REQUIRED)
  endif()
endmacro()

# In the Windows leg, makes test `name` run in the Chinese code page 936, as on
# a Chinese Windows. Wine takes its ANSI and OEM code pages from LC_ALL; it
# maps file names through the same locale, which scripts/bootstrap generates.
# OSTREL_EXPECT_ACP lets the program check that it got the code page.
function(ostrel_chinese_code_page name)
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "LC_ALL=zh_CN.UTF-8;OSTREL_EXPECT_ACP=936")
endfunction()
