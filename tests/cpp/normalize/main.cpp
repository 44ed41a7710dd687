// Runs the normalize tests inside an embedded interpreter, since the routines under test
// make and read str objects. Usage: normalize_test UCD_18_DIRECTORY [gtest options]
#include <Python.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "normalize_test.h"

namespace {
std::string directory;
}

const std::string &charlore_test::ucd_directory() { return directory; }

int main(int argc, char **argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: normalize_test UCD_18_DIRECTORY\n");
        return 2;
    }
    directory = argv[1];
    // An isolated interpreter without site: the routines need only str objects, and the
    // .pth files of whatever packages the machine has would run (and leak) at start-up.
    PyConfig config;
    PyConfig_InitIsolatedConfig(&config);
    config.site_import = 0;
    const PyStatus status = Py_InitializeFromConfig(&config);
    PyConfig_Clear(&config);
    if (PyStatus_Exception(status)) {
        std::fprintf(stderr, "normalize_test: the embedded interpreter did not start\n");
        return 1;
    }
    int result = RUN_ALL_TESTS();
    return Py_FinalizeEx() < 0 ? 1 : result;
}
