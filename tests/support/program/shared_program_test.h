// A test suite that shares one running program: starting it takes a while under Wine, so each
// test begins by setting the state it needs instead of starting afresh.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "tests/support/program/running_program.h"

namespace test {

class SharedProgramTest : public testing::Test {
protected:
    static void SetUpTestSuite() { program_ = std::make_unique<RunningProgram>(); }
    static void TearDownTestSuite() { program_.reset(); }

    static inline std::unique_ptr<RunningProgram> program_;
};

}  // namespace test
