#pragma once
#include "tests/support/test_support.h"  // FakePalmFolder, usersDatRecord
