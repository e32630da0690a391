#include "tests/fuzz/corpus_replay.h"
#include "tests/fuzz/engine_profile_checks.h"
#include "tests/fuzz/page_reading_checks.h"
#include "tests/fuzz/reader_checks.h"

#include <gtest/gtest.h>

namespace zv {
namespace {

TEST(ReadersFuzzCorpus, EveryKeptInputKeepsItsProperties)
{
    EXPECT_GT(fuzz::replayCorpus("page_reading", fuzz::checkPageReading), 0);
    EXPECT_GT(fuzz::replayCorpus("hex_text", fuzz::checkHexText), 0);
    EXPECT_GT(fuzz::replayCorpus("keyword_import", fuzz::checkKeywordImport), 0);
    EXPECT_GT(fuzz::replayCorpus("engine_profile", fuzz::checkEngineProfile), 0);
}

} // namespace
} // namespace zv
