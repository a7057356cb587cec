#include <gtest/gtest.h>

#include "tests/support/TestLanguage.h"

// The main of the plain test programs: the language pinned, then every test.
int main(int argc, char* argv[]) {
    stela::test::pinUntranslatedLanguage();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
