# A stand-in test for one that cannot run here: prints "SKIPPED: REASON" (which the test's
# SKIP_REGULAR_EXPRESSION turns into a skip), or fails when OC_REQUIRE_PYTHON=1.
if("$ENV{OC_REQUIRE_PYTHON}" STREQUAL "1")
  message(FATAL_ERROR "${REASON}, and OC_REQUIRE_PYTHON=1 asks for the Python tests")
endif()
message("SKIPPED: ${REASON}")
