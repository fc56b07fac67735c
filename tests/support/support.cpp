// Shared test fixtures live in this folder; this file keeps the library non-empty.
#include "tests/support/recording_ui.h"
