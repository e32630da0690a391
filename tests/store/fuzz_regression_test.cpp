#include "tests/fuzz/corpus_replay.h"
#include "tests/fuzz/store_checks.h"

#include <gtest/gtest.h>

namespace zv {
namespace {

TEST(StoreFuzzCorpus, EveryKeptInputKeepsItsProperties)
{
    EXPECT_GT(fuzz::replayCorpus("store_guard", fuzz::checkStoreGuard), 0);
}

} // namespace
} // namespace zv
