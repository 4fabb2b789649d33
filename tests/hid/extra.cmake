# The frame parser fed random bytes, under AddressSanitizer and UBSan.
set(HID_SAN_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
add_executable(fuzz_frame_parser
    ${CMAKE_CURRENT_LIST_DIR}/fuzz_frame_parser.cpp
    ${CMAKE_SOURCE_DIR}/src/data_process/data_process.cpp)
target_include_directories(fuzz_frame_parser PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_compile_options(fuzz_frame_parser PRIVATE ${HID_SAN_FLAGS})
target_link_options(fuzz_frame_parser PRIVATE -fsanitize=address,undefined)
target_link_libraries(fuzz_frame_parser PRIVATE Qt5::Core Qt5::Test)
add_test(NAME fuzz_frame_parser COMMAND fuzz_frame_parser)
set_tests_properties(fuzz_frame_parser PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=0:abort_on_error=1;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
    TIMEOUT 300)

# A program linked with the real hidapi, run with the simulated instruments
# preloaded: what `SENSAVO_SIM=KQ257 ./scripts/run.sh` relies on.
add_executable(hid_preload_probe ${CMAKE_CURRENT_LIST_DIR}/hid_preload_probe.cpp)
target_link_libraries(hid_preload_probe PRIVATE PkgConfig::HIDAPI)
add_dependencies(hid_preload_probe hidsim_preload)
add_test(NAME hid_preload_probe COMMAND hid_preload_probe)
set_tests_properties(hid_preload_probe PROPERTIES
    ENVIRONMENT "SENSAVO_SIM=KQ257;LD_PRELOAD=$<TARGET_FILE:hidsim_preload>"
    PASS_REGULAR_EXPRESSION "KQ257 answered: 55 AA 01 0B"
    TIMEOUT 60)
