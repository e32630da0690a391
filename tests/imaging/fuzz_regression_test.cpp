#include "tests/fuzz/corpus_replay.h"
#include "tests/fuzz/imaging_checks.h"

#include <gtest/gtest.h>

namespace zv {
namespace {

TEST(ImagingFuzzCorpus, EveryKeptInputKeepsItsProperties)
{
    EXPECT_GT(fuzz::replayCorpus("picture_bmp", fuzz::checkBmp), 0);
    EXPECT_GT(fuzz::replayCorpus("picture_png", fuzz::checkPng), 0);
    EXPECT_GT(fuzz::replayCorpus("picture_jpeg", fuzz::checkJpeg), 0);
    EXPECT_GT(fuzz::replayCorpus("picture_tiff", fuzz::checkTiff), 0);
    EXPECT_GT(fuzz::replayCorpus("index_fitting", fuzz::checkFitting), 0);
}

} // namespace
} // namespace zv
