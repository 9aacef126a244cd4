#include "tests/support/Testing.h"
#include "tools/tag-quality/TagEvaluation.h"

namespace {

// Floors a little under what the tagger reaches on the labelled set (0.94
// precision, 0.92 recall, 0.93 of bookmarks with a pickable suggestion over
// both files), so that a change that makes suggestions worse fails here.
constexpr double kPrecisionFloor = 0.92;
constexpr double kRecallFloor = 0.90;
constexpr double kPickableFloor = 0.90;

TEST(TagQualityTest, NamesAndSuggestionsStayAboveTheirFloors) {
    auto samples = tagevaluation::load(tagevaluation::defaultDataFile());
    const auto heldOut = tagevaluation::load(tagevaluation::heldOutDataFile());
    ASSERT_GE(samples.size(), 150u);
    ASSERT_GE(heldOut.size(), 40u);
    samples.insert(samples.end(), heldOut.begin(), heldOut.end());

    const tagevaluation::Report report = tagevaluation::evaluate(samples);
    EXPECT_GE(report.precision(), kPrecisionFloor);
    EXPECT_GE(report.recall(), kRecallFloor);
    EXPECT_GE(report.pickableShare(), kPickableFloor);
}

} // namespace
