#pragma once
// Every fuzz check; a target names one of them.

#include "tests/fuzz/engine_profile_checks.h"
#include "tests/fuzz/imaging_checks.h"
#include "tests/fuzz/page_reading_checks.h"
#include "tests/fuzz/reader_checks.h"
#include "tests/fuzz/store_checks.h"
#include "tests/fuzz/web_checks.h"
