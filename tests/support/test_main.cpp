// Runs every test of the program, against the real API or the portable layer.
#include <gtest/gtest.h>

#include "text/language.h"

namespace {

// The tests compare the program's texts with the Japanese ones unless they
// choose a language themselves, whatever the language of the system they
// run on.
class JapaneseFirst : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo &) override { UseLanguage(Language::kJapanese); }
};

}  // namespace

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new JapaneseFirst);
    return RUN_ALL_TESTS();
}
