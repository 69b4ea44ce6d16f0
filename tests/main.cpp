// The test runner; `lema_tests --update` rewrites the golden data from what the library
// produces now (for a deliberate change, to be read in review) instead of testing.
#include <gtest/gtest.h>

#include <cstring>
#include <iostream>

#include "support/golden.h"

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--update") == 0) {
    for (const char* f : {"lookups.txt", "decodes.txt"})
      lema::golden::update(std::string(LEMA_GOLDEN_DIR) + "/" + f);
    std::cout << "golden data rewritten in " << LEMA_GOLDEN_DIR << "\n";
    return 0;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
