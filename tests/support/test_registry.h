#pragma once
#include "tests/support/test_support.h"  // ScopedTestRegistry, queryValueAt
